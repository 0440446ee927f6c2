// Distinct candidate positions in a hash table with linear probing. Candidates are inserted in index
// order and a position already present is skipped, so each slot keeps the lowest index of its
// position. On large sets nearly every probe is a cache miss, so both passes start the probe of a
// position several positions ahead.
#include "symmetry/engine/distinct_positions.h"

#include <cstdint>
#include <cstring>

#include "symmetry/engine/compiler_hints.h"

namespace {

const int kLookAhead = 16;

std::uint64_t coordinateKey(float f) {
  if (f == 0.0f) f = 0.0f;  // -0 and +0 are the same position
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// Multiplicative hash; the table takes the top bits.
std::uint64_t positionHash(const Point3& p) {
  const std::uint64_t k = 0x9E3779B97F4A7C15ull;
  std::uint64_t h = coordinateKey(p.x) * k;
  h = (h ^ coordinateKey(p.y)) * k;
  h = (h ^ coordinateKey(p.z)) * k;
  return h ^ (h >> 31);
}

}  // namespace

DistinctPositions::DistinctPositions(const Point3* candidates, int count)
    : candidates_(candidates), tableBits_(0), count_(0) {
  if (count <= 0) return;
  tableBits_ = 4;
  while ((std::size_t(1) << tableBits_) < std::size_t(count) * 2) ++tableBits_;
  const std::size_t mask = (std::size_t(1) << tableBits_) - 1;
  slots_.assign(mask + 1, -1);
  for (int j = 0; j < count; ++j) {
    if (j + kLookAhead < count) PrefetchForRead(&slots_[home(candidates[j + kLookAhead])]);
    const Point3& p = candidates[j];
    if (!IsFinitePosition(p)) continue;
    std::size_t slot = home(p);
    while (slots_[slot] >= 0 && !(candidates[slots_[slot]] == p)) slot = (slot + 1) & mask;
    if (slots_[slot] >= 0) continue;
    slots_[slot] = j;
    ++count_;
  }
}

std::size_t DistinctPositions::home(const Point3& p) const {
  return std::size_t(positionHash(p) >> (64 - tableBits_));
}

void DistinctPositions::FindAll(const Point3* positions, int count, int* r_found) const {
  if (count_ == 0) {
    for (int i = 0; i < count; ++i) r_found[i] = -1;
    return;
  }
  const std::size_t mask = slots_.size() - 1;
  for (int i = 0; i < count; ++i) {
    // Two misses a lookup, each started ahead: the slot, then (once the slot has arrived) the
    // candidate it names.
    if (i + kLookAhead < count) PrefetchForRead(&slots_[home(positions[i + kLookAhead])]);
    if (i + kLookAhead / 2 < count) {
      const int ahead = slots_[home(positions[i + kLookAhead / 2])];
      if (ahead >= 0) PrefetchForRead(&candidates_[ahead]);
    }
    const Point3& p = positions[i];
    std::size_t slot = home(p);
    // A non-finite position is never stored: NaN equals nothing, and an infinite one runs into a
    // free slot like any other absent position.
    while (slots_[slot] >= 0 && !(candidates_[slots_[slot]] == p)) slot = (slot + 1) & mask;
    r_found[i] = slots_[slot];
  }
}

std::vector<DistinctPositions::Entry> DistinctPositions::Entries() const {
  std::vector<Entry> entries;
  entries.reserve(std::size_t(count_));
  for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
    const int index = slots_[slot];
    if (index < 0) continue;
    Entry entry;
    entry.p = candidates_[index];
    entry.index = index;
    entries.push_back(entry);
  }
  return entries;
}
