// The index rule of the work arrays, in one place.
//
// The linking files describe flat 1-based arrays made of sections: a section start is the array
// position of its first entry, entry j of the section is position start + j - 1, and entry j of
// block n of a section with stride w is position start + (n - 1) w + j - 1. The arrays are held
// in 0-based spans; every reader and writer of a section goes through these accessors, so the
// rule is written once and a change of it cannot leave one copy behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace common {

// Entry j of the section that starts at `start`.
template <class T>
inline T& Entry(std::span<T> array, std::int64_t start, std::int64_t j) {
  return array[static_cast<std::size_t>(start + j - 2)];
}

// Entry j of block n of the section that starts at `start` with blocks of `stride` entries.
template <class T>
inline T& BlockEntry(std::span<T> array, std::int64_t start, std::int64_t stride, std::int64_t n,
                     std::int64_t j) {
  return array[static_cast<std::size_t>(start + (n - 1) * stride + j - 2)];
}

// True when `count` entries from `start` lie inside an array of `size` entries; the check to make
// before trusting section starts that come from a file.
inline bool SectionInside(std::int64_t start, std::int64_t count, std::size_t size) {
  return start >= 1 && count >= 0 && start - 1 <= static_cast<std::int64_t>(size) - count;
}

// A section seen as a 1-based vector (one index) or as blocks of `stride` entries (two).
template <class T>
class Section {
 public:
  Section(std::span<T> array, std::int64_t start, std::int64_t stride = 1)
      : array_(array), start_(start), stride_(stride) {}
  T& operator()(std::int64_t j) const { return Entry(array_, start_, j); }
  T& operator()(std::int64_t n, std::int64_t j) const {
    return BlockEntry(array_, start_, stride_, n, j);
  }

 private:
  std::span<T> array_;
  std::int64_t start_;
  std::int64_t stride_;
};

}  // namespace common
