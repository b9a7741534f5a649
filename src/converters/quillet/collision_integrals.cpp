#include "converters/quillet/collision_integrals.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace quillet {
namespace {

using tables::kDeltaCount;
using tables::kTemperatureCount;

// First of the three grid points nearest to x (grid ascending, at least three points): the
// triple is centred on the grid point closest to x, and kept inside the grid at its ends.
std::size_t firstOfThree(std::span<const double> grid, double x) {
  const std::size_t n = grid.size();
  const auto upper = std::upper_bound(grid.begin(), grid.end(), x);
  std::size_t below =
      upper == grid.begin() ? 0 : static_cast<std::size_t>(upper - grid.begin()) - 1;
  below = std::min(below, n - 2);
  const std::size_t centre = (x - grid[below] <= grid[below + 1] - x) ? below : below + 1;
  return std::clamp<std::size_t>(centre, 1, n - 2) - 1;
}

// Quadratic through (x0, y0), (x1, y1), (x2, y2), at x.
double quadratic(const double* xs, const double* ys, double x) {
  const double l0 = (x - xs[1]) * (x - xs[2]) / ((xs[0] - xs[1]) * (xs[0] - xs[2]));
  const double l1 = (x - xs[0]) * (x - xs[2]) / ((xs[1] - xs[0]) * (xs[1] - xs[2]));
  const double l2 = (x - xs[0]) * (x - xs[1]) / ((xs[2] - xs[0]) * (xs[2] - xs[1]));
  return ys[0] * l0 + ys[1] * l1 + ys[2] * l2;
}

// The three Lagrange weights' denominators on the ln T* grid, for the triple starting at each row.
struct LogGridDenominators {
  std::array<std::array<double, 3>, kTemperatureCount> inverse{};
};

const std::array<double, kTemperatureCount>& logTemperatures();

const LogGridDenominators& logGridDenominators() {
  static const LogGridDenominators denominators = [] {
    LogGridDenominators result;
    const auto& x = logTemperatures();
    for (std::size_t first = 0; first + 2 < kTemperatureCount; ++first) {
      const double* xs = &x[first];
      result.inverse[first] = {1.0 / ((xs[0] - xs[1]) * (xs[0] - xs[2])),
                               1.0 / ((xs[1] - xs[0]) * (xs[1] - xs[2])),
                               1.0 / ((xs[2] - xs[0]) * (xs[2] - xs[1]))};
    }
    return result;
  }();
  return denominators;
}

const std::array<double, kTemperatureCount>& logTemperatures() {
  static const std::array<double, kTemperatureCount> logs = [] {
    std::array<double, kTemperatureCount> result{};
    for (std::size_t i = 0; i < kTemperatureCount; ++i) {
      result[i] = std::log(tables::kReducedTemperatures[i]);
    }
    return result;
  }();
  return logs;
}

const tables::Table& tableOf(CollisionQuantity quantity) {
  switch (quantity) {
    case CollisionQuantity::Omega22:
      return tables::kOmega22;
    case CollisionQuantity::Omega11:
      return tables::kOmega11;
    case CollisionQuantity::AStar:
      return tables::kAStar;
    case CollisionQuantity::BStar:
      return tables::kBStar;
    case CollisionQuantity::CStar:
      return tables::kCStar;
  }
  return tables::kOmega22;
}

// The table column at `reducedDipole`, interpolated row by row.
std::array<double, kTemperatureCount> columnAt(const tables::Table& table, double reducedDipole) {
  std::array<double, kTemperatureCount> column{};
  const double delta = std::clamp(reducedDipole, 0.0, kLargestTabulatedDipole);
  if (delta == 0.0) {
    for (std::size_t i = 0; i < kTemperatureCount; ++i) column[i] = table[i][0];
    return column;
  }
  const std::size_t first = firstOfThree(tables::kReducedDipoles, delta);
  for (std::size_t i = 0; i < kTemperatureCount; ++i) {
    column[i] = quadratic(&tables::kReducedDipoles[first], &table[i][first], delta);
  }
  return column;
}

// Value of a column at x = ln T* inside the table range.
double interpolateLogColumn(const std::array<double, kTemperatureCount>& column, double x) {
  const auto& grid = logTemperatures();
  const std::size_t first = firstOfThree(grid, x);
  const double* xs = &grid[first];
  const double* ys = &column[first];
  const auto& inverse = logGridDenominators().inverse[first];
  return ys[0] * ((x - xs[1]) * (x - xs[2]) * inverse[0]) +
         ys[1] * ((x - xs[0]) * (x - xs[2]) * inverse[1]) +
         ys[2] * ((x - xs[0]) * (x - xs[1]) * inverse[2]);
}

double interpolateColumn(const std::array<double, kTemperatureCount>& column,
                         double reducedTemperature) {
  return interpolateLogColumn(column, std::log(reducedTemperature));
}

constexpr double kSmallestTemperature = 0.1;
constexpr double kLargestTemperature = 100.0;

// Column value at T* with the Lennard-Jones fit carrying it beyond the table.
double extendedIntegral(const std::array<double, kTemperatureCount>& column, double (*fit)(double),
                        double reducedTemperature) {
  if (reducedTemperature < kSmallestTemperature) {
    return column.front() * fit(reducedTemperature) / fit(kSmallestTemperature);
  }
  if (reducedTemperature > kLargestTemperature) {
    return column.back() * fit(reducedTemperature) / fit(kLargestTemperature);
  }
  return interpolateColumn(column, reducedTemperature);
}

}  // namespace

double LennardJonesOmega22(double t) {
  return 1.16145 / std::pow(t, 0.14874) + 0.52487 / std::exp(0.77320 * t) +
         2.16178 / std::exp(2.43787 * t) -
         6.435e-4 * std::pow(t, 0.14874) * std::sin(18.0323 * std::pow(t, -0.76830) - 7.27371);
}

CollisionIntegral::CollisionIntegral(CollisionQuantity quantity, double reducedDipole)
    : quantity_(quantity), column_(columnAt(tableOf(quantity), reducedDipole)) {}

double CollisionIntegral::operator()(double reducedTemperature) const {
  const bool inside =
      reducedTemperature >= kSmallestTemperature && reducedTemperature <= kLargestTemperature;
  if (inside) return interpolateColumn(column_, reducedTemperature);
  switch (quantity_) {
    case CollisionQuantity::Omega22:
    case CollisionQuantity::Omega11:
      // Both follow the Omega(2,2)* fit, so that their ratio A* stays at its table end, as it
      // does towards the repulsive-wall limit (1.142) at high T*.
      return extendedIntegral(column_, LennardJonesOmega22, reducedTemperature);
    case CollisionQuantity::AStar:
    case CollisionQuantity::BStar:
    case CollisionQuantity::CStar:
      break;
  }
  return reducedTemperature < kSmallestTemperature ? column_.front() : column_.back();
}

double CollisionIntegral::atLogTemperature(double logReducedTemperature) const {
  static const double lowest = std::log(kSmallestTemperature);
  static const double highest = std::log(kLargestTemperature);
  if (logReducedTemperature >= lowest && logReducedTemperature <= highest) {
    return interpolateLogColumn(column_, logReducedTemperature);
  }
  return (*this)(std::exp(logReducedTemperature));
}

double ReducedCollisionIntegral(CollisionQuantity quantity, double reducedTemperature,
                                double reducedDipole) {
  return CollisionIntegral(quantity, reducedDipole)(reducedTemperature);
}

}  // namespace quillet
