// Tab<T>: the host's counted array of plain (trivially copyable) elements. An empty table may hold no
// storage at all. Every element access checks its index and throws TabOutOfRangeException outside
// the count, so a bad index leaves the caller's operation instead of reading stray memory.
//
// It promises no more than the real SDK's table: Init forgets the storage without freeing it, new
// elements of SetCount hold no particular value (here a fill byte that is neither zero nor a
// plausible index), and there are no moves (a "move" copies). The destructor frees the storage. Nor
// does it bring <cstring> along: a caller of memcpy, memset or memmove includes that itself.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <type_traits>

#include "max_types.h"

namespace MaxSDK {
namespace Util {

class TabOutOfRangeException : public std::exception {
 public:
  const MCHAR* GetMessage() const { return L"Invalid index passed into a Max SDK Tab::operator[]"; }
  const char* what() const noexcept override {
    return "Invalid index passed into a Max SDK Tab::operator[]";
  }
};

}  // namespace Util
}  // namespace MaxSDK

template <class T>
class Tab {
  static_assert(std::is_trivially_copyable<T>::value, "Tab holds plain elements only");

 public:
  Tab() = default;
  Tab(const Tab& other) { *this = other; }
  ~Tab() { std::free(data_); }

  Tab& operator=(const Tab& other) {
    if (this != &other) {
      SetCount(other.count_);
      if (other.count_ > 0) __builtin_memcpy(data_, other.data_, sizeof(T) * size_t(other.count_));
    }
    return *this;
  }

  int Count() const { return count_; }
  bool empty() const { return count_ == 0; }
  // Count 0; the storage is kept.
  void ZeroCount() { count_ = 0; }
  // Forgets the storage without freeing it, for a table that lives in raw memory whose fields hold
  // nothing yet. On a live table the storage leaks.
  void Init() {
    data_ = nullptr;
    count_ = capacity_ = 0;
  }
  // Sets the count, growing the storage when needed; new elements are not initialised (see above).
  // A negative count is taken as 0.
  void SetCount(int n, bool resize = true) {
    if (n < 0) n = 0;
    if (n > capacity_) {
      if (!resize) n = capacity_;
      else Reserve(n);
    }
    if (n > count_) __builtin_memset(static_cast<void*>(data_ + count_), kUnsetByte, sizeof(T) * size_t(n - count_));
    count_ = n;
  }
  // Sets the capacity to exactly n (never below the count).
  void Resize(int n) {
    if (n < count_) n = count_;
    if (n != capacity_) Realloc(n);
  }
  void Shrink() { Resize(count_); }
  int Append(int n, const T* elements, int allocExtra = 0) {
    int at = count_;
    if (n <= 0) return at;
    if (count_ + n > capacity_) Realloc(count_ + n + (allocExtra > 0 ? allocExtra : 0));
    __builtin_memcpy(static_cast<void*>(data_ + count_), elements, sizeof(T) * size_t(n));
    count_ += n;
    return at;
  }
  int Delete(int start, int num) {
    if (start < 0 || num <= 0 || start >= count_) return count_;
    if (start + num > count_) num = count_ - start;
    __builtin_memmove(static_cast<void*>(data_ + start), data_ + start + num,
                 sizeof(T) * size_t(count_ - start - num));
    count_ -= num;
    return count_;
  }

  T& operator[](int i) {
    if (i < 0 || i >= count_) throw MaxSDK::Util::TabOutOfRangeException();
    return data_[i];
  }
  const T& operator[](int i) const {
    if (i < 0 || i >= count_) throw MaxSDK::Util::TabOutOfRangeException();
    return data_[i];
  }
  // Address of element i. An empty table has no address to give: the real host asserts in its debug
  // build and hands back an unusable pointer in release, so this host reports it and aborts. Bulk
  // copies use it after checking Count().
  T* Addr(int i) {
    if (count_ == 0) emptyTableAddressed();
    if (i < 0 || i >= count_) throw MaxSDK::Util::TabOutOfRangeException();
    return data_ + i;
  }
  const T* Addr(int i) const {
    if (count_ == 0) emptyTableAddressed();
    if (i < 0 || i >= count_) throw MaxSDK::Util::TabOutOfRangeException();
    return data_ + i;
  }
  // Whether storage is held (an empty table can still hold storage after ZeroCount).
  bool HasStorage() const { return data_ != nullptr; }

 private:
  static constexpr int kUnsetByte = 0xCD;
  static void emptyTableAddressed() {
    std::fputs("Tab: Addr on an empty table\n", stderr);
    std::abort();
  }
  void Reserve(int n) {
    if (n <= capacity_) return;
    int grown = capacity_ + capacity_ / 2;
    Realloc(n > grown ? n : grown);
  }
  void Realloc(int n) {
    if (n == 0) {
      std::free(data_);
      data_ = nullptr;
      capacity_ = 0;
      return;
    }
    void* p = std::realloc(data_, sizeof(T) * size_t(n));
    if (p == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(p);
    capacity_ = n;
  }

  T* data_ = nullptr;
  int count_ = 0;
  int capacity_ = 0;
};
