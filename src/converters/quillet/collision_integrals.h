// Reduced collision integrals of the Stockmayer potential (Lennard-Jones 12-6 plus a point
// dipole), as functions of the reduced temperature T* = kT/epsilon and the reduced dipole
// delta* = mu^2 / (2 epsilon sigma^3).
//
// Inside the tables of Monchick and Mason (T* 0.1..100, delta* 0..2.5) a value is found by two
// three-point interpolations: first in delta* through the three grid columns nearest to it,
// at each of the three grid rows nearest to T*, then quadratically in ln T* through those rows.
// Both reproduce the grid values exactly.
//
// Outside the tables:
// - delta* above 2.5 is taken as 2.5 (the caller reports it);
// - Omega(2,2)* follows the Lennard-Jones fit of Neufeld, Janzen and Aziz (J. Chem. Phys. 57,
//   1100 (1972)), scaled so that it joins the table at its first or last row. A dipole matters
//   little there: at high T* the repulsive wall dominates, and T* < 0.1 needs a well deeper than
//   any data set holds.
// - Omega(1,1)* changes in the same proportion, which keeps A* = Omega(2,2)*/Omega(1,1)* at its
//   table end; A*, B* and C* keep the value of the nearest table row. All three change by less
//   than 1% over the last table decade and tend to constants (the repulsive-wall limits) at
//   high T*.
#pragma once

#include <array>
#include <cstddef>

namespace quillet {

namespace tables {
inline constexpr std::size_t kDeltaCount = 8;
inline constexpr std::size_t kTemperatureCount = 37;
using Table = std::array<std::array<double, kDeltaCount>, kTemperatureCount>;

extern const std::array<double, kDeltaCount> kReducedDipoles;
extern const std::array<double, kTemperatureCount> kReducedTemperatures;
extern const Table kOmega22;
extern const Table kOmega11;
extern const Table kAStar;
extern const Table kBStar;
extern const Table kCStar;
}  // namespace tables

// The largest reduced dipole of the tables.
inline constexpr double kLargestTabulatedDipole = 2.5;

enum class CollisionQuantity { Omega22, Omega11, AStar, BStar, CStar };

// One quantity at a fixed reduced dipole, as a function of T*: the delta* interpolation is done
// once, since every pair is evaluated at many temperatures with the same delta*.
class CollisionIntegral {
 public:
  CollisionIntegral(CollisionQuantity quantity, double reducedDipole);
  double operator()(double reducedTemperature) const;
  // The same at ln T*, for loops that have the logarithm already.
  double atLogTemperature(double logReducedTemperature) const;

 private:
  CollisionQuantity quantity_;
  std::array<double, tables::kTemperatureCount> column_{};
};

// Single evaluations, for tests and one-off use.
double ReducedCollisionIntegral(CollisionQuantity quantity, double reducedTemperature,
                                double reducedDipole);

// The Lennard-Jones fit of Neufeld, Janzen and Aziz (1972) for Omega(2,2)*.
double LennardJonesOmega22(double reducedTemperature);

}  // namespace quillet
