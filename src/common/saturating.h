// Saturating size arithmetic for lengths and positions computed from the counts of a file.
//
// A file's counts are not trusted: a count of two billion species must give a huge length that
// the plausibility checks refuse, never one that wrapped around to something small enough to
// pass. Every value stays within [-kSaturationCap, kSaturationCap]; 2^61 is far beyond any
// length a file can declare (at most 2^31 - 1), and the sum of two saturated values still fits
// 64 bits, so a chain of sums and products saturates instead of overflowing.
#pragma once

#include <algorithm>
#include <cstdint>

namespace common {

inline constexpr std::int64_t kSaturationCap = std::int64_t{1} << 61;

// `value` clamped into [-kSaturationCap, kSaturationCap].
constexpr std::int64_t Saturated(std::int64_t value) {
  return std::clamp(value, -kSaturationCap, kSaturationCap);
}

constexpr std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  return Saturated(Saturated(a) + Saturated(b));
}

constexpr std::int64_t SaturatingMultiply(std::int64_t a, std::int64_t b) {
  a = Saturated(a);
  b = Saturated(b);
  if (a == 0 || b == 0) return 0;
  const bool negative = (a < 0) != (b < 0);
  const std::int64_t magnitudeA = a < 0 ? -a : a;
  const std::int64_t magnitudeB = b < 0 ? -b : b;
  const std::int64_t magnitude =
      magnitudeA > kSaturationCap / magnitudeB ? kSaturationCap : magnitudeA * magnitudeB;
  return negative ? -magnitude : magnitude;
}

static_assert(SaturatingMultiply(std::int64_t{1} << 40, std::int64_t{1} << 40) == kSaturationCap);
static_assert(SaturatingMultiply(-3, 4) == -12);
static_assert(SaturatingAdd(kSaturationCap, kSaturationCap) == kSaturationCap);

}  // namespace common
