// BitArray: a counted array of bits. Writing outside the count is ignored. Reading outside it is a
// fault, as in the real host (its debug build asserts; its release build reads undefined bits): this
// host reports it and aborts, so callers test the index against GetSize() first.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <vector>

class BitArray {
 public:
  BitArray() = default;
  explicit BitArray(int n) { SetSize(n); }

  int GetSize() const { return size_; }
  // Resizes; with save the existing bits are kept, new bits are clear.
  void SetSize(int n, int save = 0);
  void Set(int i);
  void Set(int i, int b) { if (b) Set(i); else Clear(i); }
  void Clear(int i);
  void SetAll();
  void ClearAll();
  int NumberSet() const;
  bool IsEmpty() const { return NumberSet() == 0; }
  int operator[](int i) const {
    if (i < 0 || i >= size_) {
      std::fprintf(stderr, "BitArray: bit %d read outside its count %d\n", i, size_);
      std::abort();
    }
    return int((words_[size_t(i) >> 6] >> (unsigned(i) & 63u)) & 1u);
  }
  bool operator==(const BitArray& o) const;

 private:
  std::vector<std::uint64_t> words_;
  int size_ = 0;
};
