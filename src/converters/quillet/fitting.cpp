#include "converters/quillet/fitting.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace quillet {

namespace {

// Least-squares solver matrix S (order x points, row-major) for sum a_n x^(n-1) through points
// with the given weights (empty: all 1): a = S (w y).
std::vector<double> solverMatrix(std::span<const double> abscissae, std::span<const double> weights,
                                 std::size_t order) {
  const std::size_t pointCount = abscissae.size();
  if (order == 0 || pointCount < order) {
    throw std::invalid_argument("a polynomial fit needs at least as many points as coefficients");
  }
  const auto [low, high] = std::minmax_element(abscissae.begin(), abscissae.end());
  const double centre = 0.5 * (*low + *high);
  const double halfWidth = 0.5 * (*high - *low);
  if (!(halfWidth > 0.0)) throw std::invalid_argument("polynomial fit over a single abscissa");

  // Columns s^m of the scaled Vandermonde matrix, orthonormalised by modified Gram-Schmidt
  // (twice, which makes the columns orthogonal to working precision): V = Q R.
  const std::size_t m = pointCount;
  std::vector<double> q(m * order);  // column-major, column c at q[c * m]
  for (std::size_t i = 0; i < m; ++i) {
    const double s = (abscissae[i] - centre) / halfWidth;
    double power = weights.empty() ? 1.0 : weights[i];
    for (std::size_t c = 0; c < order; ++c) {
      q[c * m + i] = power;
      power *= s;
    }
  }
  std::vector<double> r(order * order, 0.0);  // upper triangular, r[row * order + column]
  for (std::size_t c = 0; c < order; ++c) {
    double* column = &q[c * m];
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t p = 0; p < c; ++p) {
        const double* previous = &q[p * m];
        double dot = 0.0;
        for (std::size_t i = 0; i < m; ++i) dot += previous[i] * column[i];
        for (std::size_t i = 0; i < m; ++i) column[i] -= dot * previous[i];
        r[p * order + c] += dot;
      }
    }
    double norm = 0.0;
    for (std::size_t i = 0; i < m; ++i) norm += column[i] * column[i];
    norm = std::sqrt(norm);
    if (!(norm > 0.0)) throw std::invalid_argument("polynomial fit on too few distinct points");
    for (std::size_t i = 0; i < m; ++i) column[i] /= norm;
    r[c * order + c] = norm;
  }

  // Scaled coefficients b = R^-1 Q^T y; row c of R^-1 Q^T by back substitution.
  std::vector<double> scaledSolver(order * m, 0.0);  // row-major
  for (std::size_t c = order; c-- > 0;) {
    for (std::size_t i = 0; i < m; ++i) {
      double value = q[c * m + i];
      for (std::size_t p = c + 1; p < order; ++p) {
        value -= r[c * order + p] * scaledSolver[p * m + i];
      }
      scaledSolver[c * m + i] = value / r[c * order + c];
    }
  }

  // sum_k b_k ((x - c)/h)^k = sum_n a_n x^n with
  // a_n = sum_{k >= n} b_k h^-k binomial(k, n) (-c)^(k - n).
  std::vector<double> expansion(order * order, 0.0);  // expansion[n * order + k]
  for (std::size_t k = 0; k < order; ++k) {
    double binomial = 1.0;  // binomial(k, n), n running down from k
    for (std::size_t n = k + 1; n-- > 0;) {
      expansion[n * order + k] = binomial * std::pow(-centre, static_cast<double>(k - n)) /
                                 std::pow(halfWidth, static_cast<double>(k));
      if (n > 0) binomial = binomial * static_cast<double>(n) / static_cast<double>(k - n + 1);
    }
  }
  std::vector<double> solver(order * m, 0.0);
  for (std::size_t n = 0; n < order; ++n) {
    for (std::size_t k = n; k < order; ++k) {
      const double factor = expansion[n * order + k];
      for (std::size_t i = 0; i < m; ++i) solver[n * m + i] += factor * scaledSolver[k * m + i];
    }
  }
  return solver;
}

double largestDeviation(std::span<const double> points, std::span<const double> values,
                        std::span<const double> coefficients, std::vector<double>& deviations) {
  double largest = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    deviations[i] = std::abs(PolynomialFit::evaluate(coefficients, points[i]) - values[i]);
    largest = std::max(largest, deviations[i]);
  }
  return largest;
}

}  // namespace

PolynomialFit::PolynomialFit(std::span<const double> abscissae, std::size_t order)
    : order_(order), pointCount_(abscissae.size()), solver_(solverMatrix(abscissae, {}, order)) {}

double PolynomialFit::refineMinimax(std::span<const double> points, std::span<const double> values,
                                    std::span<double> coefficients, int passes) {
  const std::size_t m = points.size();
  const std::size_t order = coefficients.size();
  std::vector<double> deviations(m);
  std::vector<double> best(coefficients.begin(), coefficients.end());
  double bestLargest = largestDeviation(points, values, coefficients, deviations);
  std::vector<double> weights(m, 1.0 / static_cast<double>(m));
  std::vector<double> trial(order);
  std::vector<double> weightedValues(m);
  for (int pass = 0; pass < passes; ++pass) {
    double sum = 0.0;
    for (std::size_t i = 0; i < m; ++i) sum += weights[i] * deviations[i];
    if (!(sum > 0.0)) break;  // an exact fit
    for (std::size_t i = 0; i < m; ++i) weights[i] = weights[i] * deviations[i] / sum;
    // Minimising sum w_i r_i^2 means rows scaled by sqrt(w_i).
    std::vector<double> roots(m);
    for (std::size_t i = 0; i < m; ++i) {
      roots[i] = std::sqrt(weights[i]);
      weightedValues[i] = roots[i] * values[i];
    }
    std::vector<double> solver;
    try {
      solver = solverMatrix(points, roots, order);
    } catch (const std::invalid_argument&) {
      break;  // the weight gathered on fewer points than coefficients
    }
    for (std::size_t n = 0; n < order; ++n) {
      double value = 0.0;
      for (std::size_t i = 0; i < m; ++i) value += solver[n * m + i] * weightedValues[i];
      trial[n] = value;
    }
    const double largest = largestDeviation(points, values, trial, deviations);
    if (largest < bestLargest) {
      bestLargest = largest;
      best = trial;
    }
  }
  std::copy(best.begin(), best.end(), coefficients.begin());
  return bestLargest;
}

void PolynomialFit::fit(std::span<const double> values, std::span<double> coefficients) const {
  if (values.size() != pointCount_ || coefficients.size() != order_) {
    throw std::invalid_argument("polynomial fit called with the wrong number of values");
  }
  for (std::size_t n = 0; n < order_; ++n) {
    const double* row = &solver_[n * pointCount_];
    double sum = 0.0;
    for (std::size_t i = 0; i < pointCount_; ++i) sum += row[i] * values[i];
    coefficients[n] = sum;
  }
}

double PolynomialFit::evaluate(std::span<const double> coefficients, double x) {
  double value = 0.0;
  for (std::size_t n = coefficients.size(); n-- > 0;) value = value * x + coefficients[n];
  return value;
}

}  // namespace quillet
