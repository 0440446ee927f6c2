// BitArray: a counted array of bits. Reading a bit at or beyond the count (or below 0) gives false,
// so callers may test any index; writing outside the count is ignored.
#pragma once

#include <cstddef>
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
    if (i < 0 || i >= size_) return 0;
    return int((words_[size_t(i) >> 6] >> (unsigned(i) & 63u)) & 1u);
  }
  bool operator==(const BitArray& o) const;

 private:
  std::vector<std::uint64_t> words_;
  int size_ = 0;
};
