// A set of indices in [0, n) that gives back its lowest first: a walk over a mesh whose faces are
// stored in a coherent order then reads its tables almost in sequence, where a first-in first-out
// queue would jump between distant rows of faces at every step.
//
// A tree of 64-bit words: a bit per index at the bottom, and above each level a bit per word below
// that is not zero. Insert and TakeLowest cost a few word operations per level (four levels for 16M
// indices). Memory: n / 8 bytes, a little more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class LowestFirstSet {
 public:
  // Empty, for indices in [0, n).
  void Reset(int n) {
    levels_.clear();
    std::size_t words = (std::size_t(n) + 63) / 64;
    for (;;) {
      levels_.emplace_back(words == 0 ? 1 : words, 0);
      if (words <= 1) break;
      words = (words + 63) / 64;
    }
  }
  bool Empty() const { return levels_.back()[0] == 0; }
  void Insert(int index) {
    std::size_t i = std::size_t(index);
    for (std::vector<std::uint64_t>& level : levels_) {
      std::uint64_t& word = level[i / 64];
      const bool wasEmpty = word == 0;
      word |= std::uint64_t(1) << (i % 64);
      if (!wasEmpty) return;  // the levels above already know this word
      i /= 64;
    }
  }
  // Removes and returns the lowest index; the set must not be empty.
  int TakeLowest() {
    std::size_t i = 0;
    for (std::size_t l = levels_.size(); l-- > 0;) i = i * 64 + std::size_t(__builtin_ctzll(levels_[l][i]));
    const int lowest = int(i);
    for (std::vector<std::uint64_t>& level : levels_) {
      std::uint64_t& word = level[i / 64];
      word &= word - 1;  // the lowest bit of the word is the one taken
      if (word != 0) break;
      i /= 64;
    }
    return lowest;
  }
  void Clear() {
    while (!Empty()) TakeLowest();
  }

 private:
  std::vector<std::vector<std::uint64_t>> levels_;  // the bottom first
};
