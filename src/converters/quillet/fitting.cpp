#include "converters/quillet/fitting.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace quillet {

namespace {

// E with a = E b for sum_k b_k ((x - c)/h)^k = sum_n a_n x^n:
// a_n = sum_{k >= n} b_k h^-k binomial(k, n) (-c)^(k - n). Row-major, E[n * order + k].
std::vector<double> expansionMatrix(std::size_t order, double centre, double halfWidth) {
  std::vector<double> expansion(order * order, 0.0);
  for (std::size_t k = 0; k < order; ++k) {
    double binomial = 1.0;  // binomial(k, n), n running down from k
    for (std::size_t n = k + 1; n-- > 0;) {
      expansion[n * order + k] = binomial * std::pow(-centre, static_cast<double>(k - n)) /
                                 std::pow(halfWidth, static_cast<double>(k));
      if (n > 0) binomial = binomial * static_cast<double>(n) / static_cast<double>(k - n + 1);
    }
  }
  return expansion;
}

// Least-squares solver matrix S (order x points, row-major) for sum a_n x^(n-1) through points:
// a = S y.
std::vector<double> solverMatrix(std::span<const double> abscissae, std::size_t order) {
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
  std::vector<double> q(pointCount * order);  // column-major, column c at q[c * m]
  for (std::size_t i = 0; i < pointCount; ++i) {
    const double s = (abscissae[i] - centre) / halfWidth;
    double power = 1.0;
    for (std::size_t c = 0; c < order; ++c) {
      q[c * pointCount + i] = power;
      power *= s;
    }
  }
  std::vector<double> r(order * order, 0.0);  // upper triangular, r[row * order + column]
  for (std::size_t c = 0; c < order; ++c) {
    double* column = &q[c * pointCount];
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t p = 0; p < c; ++p) {
        const double* previous = &q[p * pointCount];
        double dot = 0.0;
        for (std::size_t i = 0; i < pointCount; ++i) dot += previous[i] * column[i];
        for (std::size_t i = 0; i < pointCount; ++i) column[i] -= dot * previous[i];
        r[p * order + c] += dot;
      }
    }
    double norm = 0.0;
    for (std::size_t i = 0; i < pointCount; ++i) norm += column[i] * column[i];
    norm = std::sqrt(norm);
    if (!(norm > 0.0)) throw std::invalid_argument("polynomial fit on too few distinct points");
    for (std::size_t i = 0; i < pointCount; ++i) column[i] /= norm;
    r[c * order + c] = norm;
  }

  // Scaled coefficients b = R^-1 Q^T y; row c of R^-1 Q^T by back substitution.
  std::vector<double> scaledSolver(order * pointCount, 0.0);  // row-major
  for (std::size_t c = order; c-- > 0;) {
    for (std::size_t i = 0; i < pointCount; ++i) {
      double value = q[c * pointCount + i];
      for (std::size_t p = c + 1; p < order; ++p) {
        value -= r[c * order + p] * scaledSolver[p * pointCount + i];
      }
      scaledSolver[c * pointCount + i] = value / r[c * order + c];
    }
  }

  const std::vector<double> expansion = expansionMatrix(order, centre, halfWidth);
  std::vector<double> solver(order * pointCount, 0.0);
  for (std::size_t n = 0; n < order; ++n) {
    for (std::size_t k = n; k < order; ++k) {
      const double factor = expansion[n * order + k];
      for (std::size_t i = 0; i < pointCount; ++i)
        solver[n * pointCount + i] += factor * scaledSolver[k * pointCount + i];
    }
  }
  return solver;
}

// Deviations |p(x_i) - y_i|, each times its importance (1 when none are given); returns the
// largest.
double largestDeviation(std::span<const double> points, std::span<const double> values,
                        std::span<const double> coefficients, std::span<const double> importance,
                        std::vector<double>& deviations) {
  double largest = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    deviations[i] = std::abs(PolynomialFit::evaluate(coefficients, points[i]) - values[i]);
    if (!importance.empty()) deviations[i] *= importance[i];
    largest = std::max(largest, deviations[i]);
  }
  return largest;
}

// The points shifted and scaled onto [-1, 1] with their powers, on which the weighted problems
// are small and well conditioned: they are solved by their normal equations.
struct ScaledPoints {
  ScaledPoints(std::span<const double> points, std::size_t order) : order(order) {
    const auto [low, high] = std::minmax_element(points.begin(), points.end());
    centre = 0.5 * (*low + *high);
    halfWidth = 0.5 * (*high - *low);
    powers.resize(points.size() * order);
    scaled.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
      const double scaledPoint = (points[i] - centre) / halfWidth;
      scaled[i] = scaledPoint;
      double power = 1.0;
      for (std::size_t n = 0; n < order; ++n) {
        powers[i * order + n] = power;
        power *= scaledPoint;
      }
    }
  }

  // Minimises sum_i weights_i (p(s_i) - values_i)^2 over the polynomials p of the scaled
  // abscissa; false when the weight lies on fewer points than coefficients.
  bool solve(std::span<const double> values, std::span<const double> weights,
             std::vector<double>& solution) const {
    std::vector<double> matrix(order * (order + 1), 0.0);
    for (std::size_t i = 0; i < scaled.size(); ++i) {
      const double* powerRow = &powers[i * order];
      for (std::size_t a = 0; a < order; ++a) {
        const double weightedPower = weights[i] * powerRow[a];
        for (std::size_t b = 0; b < order; ++b)
          matrix[a * (order + 1) + b] += weightedPower * powerRow[b];
        matrix[a * (order + 1) + order] += weightedPower * values[i];
      }
    }
    // Gaussian elimination with partial pivoting on the augmented matrix.
    for (std::size_t c = 0; c < order; ++c) {
      std::size_t pivot = c;
      for (std::size_t r = c + 1; r < order; ++r) {
        if (std::abs(matrix[r * (order + 1) + c]) > std::abs(matrix[pivot * (order + 1) + c])) {
          pivot = r;
        }
      }
      if (!(std::abs(matrix[pivot * (order + 1) + c]) > 0.0)) return false;
      for (std::size_t k = 0; k <= order; ++k) {
        std::swap(matrix[c * (order + 1) + k], matrix[pivot * (order + 1) + k]);
      }
      for (std::size_t r = c + 1; r < order; ++r) {
        const double factor = matrix[r * (order + 1) + c] / matrix[c * (order + 1) + c];
        for (std::size_t k = c; k <= order; ++k) {
          matrix[r * (order + 1) + k] -= factor * matrix[c * (order + 1) + k];
        }
      }
    }
    solution.assign(order, 0.0);
    for (std::size_t c = order; c-- > 0;) {
      double value = matrix[c * (order + 1) + order];
      for (std::size_t k = c + 1; k < order; ++k)
        value -= matrix[c * (order + 1) + k] * solution[k];
      solution[c] = value / matrix[c * (order + 1) + c];
    }
    return true;
  }

  // The coefficients of a polynomial of the scaled abscissa, in powers of the abscissa itself.
  std::vector<double> expanded(const std::vector<double>& scaledCoefficients) const {
    const std::vector<double> expansion = expansionMatrix(order, centre, halfWidth);
    std::vector<double> result(order, 0.0);
    for (std::size_t n = 0; n < order; ++n) {
      for (std::size_t k = n; k < order; ++k)
        result[n] += expansion[n * order + k] * scaledCoefficients[k];
    }
    return result;
  }

  std::size_t order;
  double centre = 0.0;
  double halfWidth = 0.0;
  std::vector<double> powers;  // point i, power n at i * order + n
  std::vector<double> scaled;
};

bool spansAnInterval(std::span<const double> points) {
  const auto [low, high] = std::minmax_element(points.begin(), points.end());
  return points.size() > 0 && *high > *low;
}

}  // namespace

PolynomialFit::PolynomialFit(std::span<const double> abscissae, std::size_t order)
    : order_(order), pointCount_(abscissae.size()), solver_(solverMatrix(abscissae, order)) {}

bool PolynomialFit::fitWeighted(std::span<const double> points, std::span<const double> values,
                                std::span<const double> importance,
                                std::span<double> coefficients) {
  const std::size_t order = coefficients.size();
  if (points.size() < order || !spansAnInterval(points)) return false;
  const ScaledPoints basis(points, order);
  std::vector<double> weights(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) weights[i] = importance[i] * importance[i];
  std::vector<double> solution;
  if (!basis.solve(values, weights, solution)) return false;
  const std::vector<double> expanded = basis.expanded(solution);
  std::copy(expanded.begin(), expanded.end(), coefficients.begin());
  return true;
}

double PolynomialFit::refineMinimax(std::span<const double> points, std::span<const double> values,
                                    std::span<double> coefficients, int passes,
                                    std::span<const double> importance) {
  const std::size_t pointCount = points.size();
  const std::size_t order = coefficients.size();
  std::vector<double> deviations(pointCount);
  const double start = largestDeviation(points, values, coefficients, importance, deviations);
  if (pointCount < order || !spansAnInterval(points)) return start;
  const ScaledPoints basis(points, order);

  std::vector<double> weights(pointCount, 1.0 / static_cast<double>(pointCount));
  std::vector<double> squaredImportance(pointCount, 1.0);
  if (!importance.empty()) {
    for (std::size_t i = 0; i < pointCount; ++i)
      squaredImportance[i] = importance[i] * importance[i];
  }
  std::vector<double> passWeights(pointCount);
  std::vector<double> trial, best;
  double bestLargest = start;
  int lastGain = 0;
  for (int pass = 0; pass < passes; ++pass) {
    double sum = 0.0;
    for (std::size_t i = 0; i < pointCount; ++i) sum += weights[i] * deviations[i];
    if (!(sum > 0.0)) break;  // an exact fit
    for (std::size_t i = 0; i < pointCount; ++i) {
      weights[i] = weights[i] * deviations[i] / sum;
      passWeights[i] = weights[i] * squaredImportance[i];
    }
    if (!basis.solve(values, passWeights, trial)) break;  // the weight gathered on too few points

    double largest = 0.0;
    for (std::size_t i = 0; i < pointCount; ++i) {
      double fitted = 0.0;
      for (std::size_t n = order; n-- > 0;) fitted = fitted * basis.scaled[i] + trial[n];
      deviations[i] = std::abs(fitted - values[i]);
      if (!importance.empty()) deviations[i] *= importance[i];
      largest = std::max(largest, deviations[i]);
    }
    if (largest < bestLargest) {
      // Lawson's iteration converges slowly at the end; stop once it has stalled.
      if (largest < bestLargest * (1.0 - 1.0e-4)) lastGain = pass;
      bestLargest = largest;
      best = trial;
    }
    if (pass - lastGain > 25) break;
  }
  if (best.empty()) return start;
  const std::vector<double> expanded = basis.expanded(best);
  // Kept only if it is still better once written in powers of x.
  const double result = largestDeviation(points, values, expanded, importance, deviations);
  if (!(result < start)) return start;
  std::copy(expanded.begin(), expanded.end(), coefficients.begin());
  return result;
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
