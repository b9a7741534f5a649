// Least-squares polynomial fits on one fixed set of abscissae.
//
// Every fit of a conversion uses the same temperatures, so the least-squares problem is solved
// once: the fit becomes one small matrix times the vector of values. The problem is set up in
// the abscissa shifted and scaled onto [-1, 1] and solved by orthogonalisation, which keeps it
// well conditioned even for a cubic in T over thousands of kelvin; the coefficients are then
// expanded back into powers of the abscissa itself, the form the transport file stores.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace quillet {

class PolynomialFit {
 public:
  // `order` coefficients (a polynomial of degree order - 1) fitted through values at
  // `abscissae`; needs at least `order` distinct abscissae.
  PolynomialFit(std::span<const double> abscissae, std::size_t order);

  std::size_t order() const { return order_; }
  std::size_t pointCount() const { return pointCount_; }

  // Coefficients a_1..a_N of sum a_n x^(n-1) that fit `values` (one per abscissa).
  void fit(std::span<const double> values, std::span<double> coefficients) const;

  // Coefficients that make the largest absolute deviation from `values` at `checkPoints`
  // (abscissae of their own, typically a finer grid) as small as it can be, by Lawson's
  // iteratively reweighted least squares: each pass raises the weight of the points where the
  // last fit was worst. Starts from, and never returns anything worse than, the plain fit
  // `coefficients` holds on entry. Returns the largest deviation reached.
  // With `importance` (one factor per point) the largest of importance_i |deviation_i| is made
  // as small as it can be instead: a point of importance 0.1 may deviate ten times as much.
  static double refineMinimax(std::span<const double> checkPoints, std::span<const double> values,
                              std::span<double> coefficients, int passes,
                              std::span<const double> importance = {});

  // Least squares weighted by importance: the coefficients that make
  // sum_i (importance_i deviation_i)^2 smallest, for points of their own (at least as many as
  // coefficients, not all equal). False, with `coefficients` untouched, when the weight lies on
  // too few points.
  static bool fitWeighted(std::span<const double> points, std::span<const double> values,
                          std::span<const double> importance, std::span<double> coefficients);

  // sum a_n x^(n-1), by Horner's rule.
  static double evaluate(std::span<const double> coefficients, double x);

 private:
  std::size_t order_;
  std::size_t pointCount_;
  std::vector<double> solver_;  // order x pointCount, row-major
};

}  // namespace quillet
