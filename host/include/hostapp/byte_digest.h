// A 64-bit digest of a run of bytes, taken as they stream past in pieces of any size: XXH64 (seed
// 0), a fast non-cryptographic hash. It tells whether a file still holds the bytes it held when it
// was read (an edit that keeps the size and the modification time changes it with a chance of
// 1 in 2^64 of going unseen); it is no defence against someone crafting a collision on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class ByteDigest {
 public:
  // Adds the next bytes; pieces may be of any size, the digest is that of their concatenation.
  void Add(std::string_view bytes);
  // The digest of everything added so far (more may be added afterwards).
  std::uint64_t Value() const;

  static std::uint64_t Of(std::string_view bytes) {
    ByteDigest digest;
    digest.Add(bytes);
    return digest.Value();
  }

 private:
  std::uint64_t lanes_[4] = {0x9E3779B185EBCA87ULL + 0xC2B2AE3D27D4EB4FULL, 0xC2B2AE3D27D4EB4FULL, 0,
                             0 - 0x9E3779B185EBCA87ULL};
  std::uint64_t total_ = 0;
  unsigned char stripe_[32];  // a stripe not yet complete, stripe_[0, held_)
  std::size_t held_ = 0;
};
