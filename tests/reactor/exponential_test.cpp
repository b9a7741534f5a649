// The array exponentials against the C library's exp: within one unit in the last place over
// the whole range, exact at its edges and special values, and equal on every processor.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "reactor/exponential.h"

namespace reactor {
namespace {

std::int64_t unitsApart(double a, double b) {
  if (a == b || (std::isnan(a) && std::isnan(b))) return 0;
  return std::abs(std::bit_cast<std::int64_t>(a) - std::bit_cast<std::int64_t>(b));
}

TEST(Exponentials, AgreeWithTheLibraryWithinOneUnit) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Special values and the edges of the range, where the result must be the library's.
  std::vector<double> x = {0.0, -0.0,   1e-300, -1e-300, 709.79, 710.0, 1e300,
                           inf, -745.2, -746.0, -1e300,  -inf,   nan};
  const std::size_t exact = x.size();
  x.insert(x.end(), {1.0, -1.0, 709.78, -708.39, -708.4, -745.1, 0.5 * std::log(2.0)});
  std::mt19937_64 random(2026);
  // Arrhenius exponents and Gibbs energies lie within a few hundred of zero; the subnormal
  // results below -708.4 are rounded twice and still within one unit.
  const double ranges[][2] = {{-1.0, 1.0}, {-60.0, 10.0}, {-708.4, 709.78}, {-745.1, -708.4}};
  for (const auto& range : ranges) {
    std::uniform_real_distribution<double> uniform(range[0], range[1]);
    for (int n = 0; n < 20000; ++n) x.push_back(uniform(random));
  }
  std::vector<double> y(x.size()), portable(x.size());
  Exponentials(x, y);
  PortableExponentials(x, portable);
  for (std::size_t i = 0; i < x.size(); ++i) {
    ASSERT_LE(unitsApart(y[i], std::exp(x[i])), 1) << "x = " << x[i];
    ASSERT_EQ(std::bit_cast<std::int64_t>(y[i]), std::bit_cast<std::int64_t>(portable[i]))
        << "x = " << x[i];
  }
  for (std::size_t i = 0; i < exact; ++i) EXPECT_EQ(unitsApart(y[i], std::exp(x[i])), 0) << x[i];

  // Every length, so that every tail is taken, and in place.
  const std::size_t first = x.size() - 10;
  for (std::size_t n = 0; n <= 9; ++n) {
    std::vector<double> part(x.begin() + static_cast<std::ptrdiff_t>(first),
                             x.begin() + static_cast<std::ptrdiff_t>(first + n));
    Exponentials(part, part);
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(part[i], y[first + i]) << n;
  }
}

}  // namespace
}  // namespace reactor
