// XXH64 as its author specifies it: four lanes over 32-byte stripes, then the tail and a final mix.
#include "byte_digest.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

std::uint64_t rotateLeft(std::uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

// Loads at any alignment. XXH64 reads its words little-endian, as every machine this builds for is.
static_assert(sizeof(std::uint64_t) == 8, "64-bit words");
std::uint64_t load64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
std::uint64_t load32(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint64_t round(std::uint64_t lane, std::uint64_t input) {
  return rotateLeft(lane + input * kPrime2, 31) * kPrime1;
}
std::uint64_t mergeRound(std::uint64_t hash, std::uint64_t lane) {
  return (hash ^ round(0, lane)) * kPrime1 + kPrime4;
}

void stripe(std::uint64_t (&lanes)[4], const unsigned char* p) {
  for (int k = 0; k < 4; ++k) lanes[k] = round(lanes[k], load64(p + 8 * k));
}

}  // namespace

void ByteDigest::Add(std::string_view bytes) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  total_ += n;
  if (held_ > 0) {
    const std::size_t take = std::min(n, sizeof stripe_ - held_);
    std::memcpy(stripe_ + held_, p, take);
    held_ += take;
    p += take;
    n -= take;
    if (held_ < sizeof stripe_) return;
    stripe(lanes_, stripe_);
    held_ = 0;
  }
  for (; n >= 32; p += 32, n -= 32) stripe(lanes_, p);
  std::memcpy(stripe_, p, n);
  held_ = n;
}

std::uint64_t ByteDigest::Value() const {
  std::uint64_t hash;
  if (total_ >= 32) {
    hash = rotateLeft(lanes_[0], 1) + rotateLeft(lanes_[1], 7) + rotateLeft(lanes_[2], 12) + rotateLeft(lanes_[3], 18);
    for (std::uint64_t lane : lanes_) hash = mergeRound(hash, lane);
  } else {
    hash = lanes_[2] + kPrime5;  // the seed, 0
  }
  hash += total_;
  const unsigned char* p = stripe_;
  std::size_t n = held_;
  for (; n >= 8; p += 8, n -= 8) hash = rotateLeft(hash ^ round(0, load64(p)), 27) * kPrime1 + kPrime4;
  if (n >= 4) {
    hash = rotateLeft(hash ^ (load32(p) * kPrime1), 23) * kPrime2 + kPrime3;
    p += 4;
    n -= 4;
  }
  for (; n > 0; ++p, --n) hash = rotateLeft(hash ^ (*p * kPrime5), 11) * kPrime1;
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  hash *= kPrime3;
  hash ^= hash >> 32;
  return hash;
}
