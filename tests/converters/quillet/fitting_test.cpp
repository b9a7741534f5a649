#include "converters/quillet/fitting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace quillet {
namespace {

std::vector<double> evenly(double low, double high, int count) {
  std::vector<double> points;
  for (int i = 0; i < count; ++i) points.push_back(low + (high - low) * i / (count - 1));
  return points;
}

// A cubic is recovered exactly, also where the abscissae are far from zero (a cubic in T over
// thousands of kelvin, the thermal diffusion case) and where they are few.
TEST(PolynomialFit, RecoversCubics) {
  struct Case {
    const char* name;
    std::vector<double> abscissae;
    std::vector<double> coefficients;
  };
  const Case kCases[] = {
      {"ln T grid", evenly(std::log(300.0), std::log(6000.0), 50), {-12.0, 1.5, -0.1, 0.004}},
      {"T grid", evenly(300.0, 6000.0, 50), {-0.2, 1.0e-4, -2.0e-8, 1.5e-12}},
      {"four points", {1.0, 2.0, 3.0, 5.0}, {1.0, -2.0, 3.0, -4.0}},
  };
  for (const Case& c : kCases) {
    const PolynomialFit fit(c.abscissae, 4);
    std::vector<double> values;
    for (double x : c.abscissae) values.push_back(PolynomialFit::evaluate(c.coefficients, x));
    std::vector<double> result(4);
    fit.fit(values, result);
    for (std::size_t i = 0; i < c.abscissae.size(); ++i) {
      const double fitted = PolynomialFit::evaluate(result, c.abscissae[i]);
      EXPECT_NEAR(fitted, values[i], 1e-9 * std::abs(values[i]) + 1e-12) << c.name;
    }
  }
}

TEST(PolynomialFit, LeastSquaresOfALineThroughNoise) {
  // Normal equations by hand: slope Sxy/Sxx = 3/5, intercept 1.5 - 0.6 * 1.5.
  const std::vector<double> x = {0, 1, 2, 3};
  const std::vector<double> y = {1, 0, 3, 2};
  std::vector<double> coefficients(2);
  PolynomialFit(x, 2).fit(y, coefficients);
  EXPECT_NEAR(coefficients[0], 0.6, 1e-12);
  EXPECT_NEAR(coefficients[1], 0.6, 1e-12);
}

TEST(PolynomialFit, MinimaxNeverWorseThanLeastSquares) {
  const std::vector<double> x = evenly(-1.0, 1.0, 99);
  std::vector<double> y;
  for (double v : x) y.push_back(std::abs(v));  // a kink a cubic cannot follow
  std::vector<double> coefficients(4);
  PolynomialFit(x, 4).fit(y, coefficients);
  double leastSquares = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    leastSquares =
        std::max(leastSquares, std::abs(PolynomialFit::evaluate(coefficients, x[i]) - y[i]));
  }
  const double minimax = PolynomialFit::refineMinimax(x, y, coefficients, 60);
  EXPECT_LT(minimax, 0.8 * leastSquares);
  double check = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    check = std::max(check, std::abs(PolynomialFit::evaluate(coefficients, x[i]) - y[i]));
  }
  EXPECT_DOUBLE_EQ(check, minimax);
}

TEST(PolynomialFit, RefusesTooFewPointsAndWrongSizes) {
  EXPECT_THROW(PolynomialFit(std::vector<double>{1.0, 2.0, 3.0}, 4), std::invalid_argument);
  EXPECT_THROW(PolynomialFit(std::vector<double>{2.0, 2.0, 2.0, 2.0}, 2), std::invalid_argument);
  const PolynomialFit fit(evenly(0, 1, 5), 2);
  std::vector<double> coefficients(2);
  EXPECT_THROW(fit.fit(std::vector<double>(4), coefficients), std::invalid_argument);
}

}  // namespace
}  // namespace quillet
