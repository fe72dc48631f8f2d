// Lists of bytes and words, the currency of the readers and writers.
//
// A ByteList's storage comes zeroed from calloc, and a byte the list adds
// without a value (ByteList(n), resize(n)) is left as the storage holds it
// instead of being written with 0x00. New storage is all 0x00, so a list that
// grows into it reads as zeros as always, while the pages of a large list that
// nothing writes are never touched: a 3 MiB output image costs only the pages
// its data fill. Storage a list has once held and then given up by shrinking
// keeps its old bytes: grow such a list with resize(n, 0x00).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

template <class T>
struct ZeroedAllocator {
  using value_type = T;

  ZeroedAllocator() = default;
  template <class U>
  ZeroedAllocator(const ZeroedAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    void* storage = std::calloc(count, sizeof(T));
    if (storage == nullptr) {
      throw std::bad_alloc();
    }
    return static_cast<T*>(storage);
  }
  void deallocate(T* storage, std::size_t) noexcept { std::free(storage); }

  // Value-initialisation leaves the zeroed storage as it is.
  template <class U>
  void construct(U*) noexcept {}

  template <class U>
  bool operator==(const ZeroedAllocator<U>&) const noexcept {
    return true;
  }
};

using ByteList = std::vector<std::uint8_t, ZeroedAllocator<std::uint8_t>>;
using WordList = std::vector<std::uint16_t>;
