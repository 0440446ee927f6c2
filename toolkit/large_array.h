// Arrays of millions of plain values (the toolkit's per-corner, per-face and per-vertex tables):
// std::vector with an allocator that suits them.
//
// - On Linux, an array of 1 MiB or more is placed on 2 MiB boundaries and offered to the kernel for
//   transparent huge pages: a fresh process then takes one page fault per 2 MiB instead of one per
//   4 KiB (each costing microseconds), and reads scattered over the tables miss the TLB far less.
//   Elsewhere, or where the kernel declines, the memory is ordinary.
// - resize(n) leaves new plain values unset, as `new T[n]` would: the tables are written in full
//   before they are read, and a fill first would be a wasted pass. assign(n, value) fills.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

template <class T>
class LargeArrayAllocator {
 public:
  using value_type = T;

  LargeArrayAllocator() = default;
  template <class U>
  LargeArrayAllocator(const LargeArrayAllocator<U>&) {}

  T* allocate(std::size_t n) {
    const std::size_t bytes = n * sizeof(T);
#if defined(__linux__)
    if (bytes >= kHugeFrom) {
      const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
      void* p = std::aligned_alloc(kHugePage, rounded);
      if (p == nullptr) throw std::bad_alloc();
      madvise(p, rounded, MADV_HUGEPAGE);  // advice only: refused, the pages stay ordinary
      return static_cast<T*>(p);
    }
#endif
    void* p = std::malloc(bytes > 0 ? bytes : 1);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) { std::free(p); }

  template <class U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;  // default-initialised: plain values stay unset
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  template <class U>
  bool operator==(const LargeArrayAllocator<U>&) const {
    return true;
  }
  template <class U>
  bool operator!=(const LargeArrayAllocator<U>&) const {
    return false;
  }

 private:
  static constexpr std::size_t kHugePage = std::size_t(2) << 20;
  static constexpr std::size_t kHugeFrom = std::size_t(1) << 20;
};

template <class T>
using LargeArray = std::vector<T, LargeArrayAllocator<T>>;
