#include "reactor/exponential.h"

#include <bit>
#include <cstdint>
#include <cstring>

// Functions on the four-lane vectors are always inlined into the one caller compiled for
// 256-bit vectors: the warning about passing such vectors without it concerns calls there are not.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace reactor {
namespace {

// 1.5 * 2^52: adding it rounds a double below 2^51 to an integer, which then stands in the low
// bits of the sum's representation.
constexpr double kShifter = 0x1.8p52;
constexpr double kInverseLn2 = 0x1.71547652b82fep0;
// ln 2 in two parts: the high part ends in 21 zero bits, so k * high is exact for |k| < 2^21.
constexpr double kLn2High = 0x1.62e42feep-1;
constexpr double kLn2Low = 0x1.a39ef35793c76p-33;
// e^x is +inf above 709.79 and 0 below -745.2: arguments are held inside [-1080 ln 2, 710],
// where k stays within [-1080, 1025] and both halves of the scaling 2^k are normal numbers.
constexpr double kLowest = -748.6;
constexpr double kHighest = 710.0;

// Taylor coefficients 1/n!, n = 0..13: on |r| <= ln2 / 2 the first term left out, r^14 / 14!,
// is below 5e-18, a twentieth of a unit in the last place.
constexpr auto kCoefficients = [] {
  struct {
    double c[14];
  } table{};
  double factorial = 1.0;
  for (int n = 0; n < 14; ++n) {
    if (n > 0) factorial *= n;
    table.c[n] = 1.0 / factorial;
  }
  return table;
}();

// The exponentials of Lanes arguments at once, in the compiler's generic vectors: the same
// IEEE operations in the same order in every lane, whatever instructions carry them.
template <int Lanes>
struct Vectors {
  typedef double Real __attribute__((vector_size(Lanes * sizeof(double))));
  typedef std::int64_t Integer __attribute__((vector_size(Lanes * sizeof(double))));

  [[gnu::always_inline]] static Real splat(double value) { return Real{} + value; }

  // In place.
  [[gnu::always_inline]] static void exponential(Real& x) {
    // Held inside the range; a NaN fails both comparisons and goes on as NaN.
    x = x < splat(kLowest) ? splat(kLowest) : x;
    x = x > splat(kHighest) ? splat(kHighest) : x;
    // x = k ln 2 + r with k the nearest integer to x / ln 2 and |r| <= ln2 / 2 (and a hair).
    const Real shifted = x * kInverseLn2 + kShifter;
    const Real k = shifted - kShifter;
    const Real r = (x - k * kLn2High) - k * kLn2Low;
    const auto& c = kCoefficients.c;
    Real p = splat(c[13]);
#pragma GCC unroll 13
    for (int n = 12; n >= 0; --n) p = p * r + c[n];
    // 2^k as 2^k1 2^k2, k1 the nearest integer to k / 2: both factors are normal, so scaling by
    // them is exact unless the result itself leaves the normal range.
    const Real half = k * 0.5 + kShifter;
    const Integer shifter = __builtin_bit_cast(Integer, splat(kShifter));
    const Integer k1 = __builtin_bit_cast(Integer, half) - shifter;
    const Integer k2 = (__builtin_bit_cast(Integer, shifted) - shifter) - k1;
    const Real scale1 = __builtin_bit_cast(Real, (k1 + 1023) << 52);
    const Real scale2 = __builtin_bit_cast(Real, (k2 + 1023) << 52);
    x = p * scale1 * scale2;
  }

  // Two vectors per pass, whose independent chains of operations overlap; the tail is padded.
  [[gnu::always_inline]] static void apply(const double* x, double* y, std::size_t n) {
    std::size_t i = 0;
    for (; i + 2 * Lanes <= n; i += 2 * Lanes) {
      Real u, v;
      std::memcpy(&u, x + i, sizeof u);
      std::memcpy(&v, x + i + Lanes, sizeof v);
      exponential(u);
      exponential(v);
      std::memcpy(y + i, &u, sizeof u);
      std::memcpy(y + i + Lanes, &v, sizeof v);
    }
    for (; i < n; i += Lanes) {
      const std::size_t count = n - i < Lanes ? n - i : Lanes;
      Real v{};
      std::memcpy(&v, x + i, count * sizeof(double));
      exponential(v);
      std::memcpy(y + i, &v, count * sizeof(double));
    }
  }
};

void baseline(const double* x, double* y, std::size_t n) {
  Vectors<2>::apply(x, y, n);
}

#if defined(__x86_64__)
// Four lanes where the processor has 256-bit vectors; the same results as two. The target
// leaves out fused multiply-add, which would round once where the two-lane path rounds twice.
[[gnu::target("avx2")]] void wide(const double* x, double* y, std::size_t n) {
  Vectors<4>::apply(x, y, n);
}
#endif

// Chosen on the first call (not during static initialisation, where another file might call
// in first).
void (*chosen())(const double*, double*, std::size_t) {
#if defined(__x86_64__)
  static const auto apply = __builtin_cpu_supports("avx2") ? wide : baseline;
  return apply;
#else
  return baseline;
#endif
}

}  // namespace

void Exponentials(std::span<const double> x, std::span<double> y) {
  chosen()(x.data(), y.data(), x.size());
}

void PortableExponentials(std::span<const double> x, std::span<double> y) {
  baseline(x.data(), y.data(), x.size());
}

}  // namespace reactor
