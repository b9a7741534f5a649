// Pair well depths and collision diameters of every species pair.
//
// A polar species meeting a non-polar one is bound more strongly than the plain combining rules
// say: the dipole of the one induces a dipole in the other. The factor xi carries that, from
// the reduced polarizability of the non-polar species and the reduced dipole of the polar one;
// it shrinks the pair diameter and deepens the pair well. Two polar or two non-polar species
// combine by the arithmetic mean diameter and the geometric mean depth.
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "transport/linking_file.h"

namespace transport {
namespace {

// 1.0e-20 held in single precision, as the reference stores the polarity threshold.
constexpr double kPolarThreshold = static_cast<double>(1.0e-20f);
// Converts debye^2 over (kelvin * cubic angstrom) into the reduced, dimensionless dipole.
constexpr double kReducedDipoleFactor = 7243.438411119646;
constexpr double kDiameterExponent = -1.0 / 6.0;

double cube(double value) {
  return value * value * value;
}

// xi of the polar species p with the non-polar species n.
double inductionFactor(double alphaN, double sigmaN, double epsilonN, double muP, double sigmaP,
                       double epsilonP) {
  return 1.0 + 0.25 * kReducedDipoleFactor * (alphaN / cube(sigmaN)) *
                   (muP * muP / (cube(sigmaP) * epsilonP)) * std::sqrt(epsilonP / epsilonN);
}

// True when the K elements from 1-based `start` lie inside an array of `size`.
bool inside(std::int64_t start, std::int64_t count, std::size_t size) {
  return start >= 1 && count >= 0 && start - 1 <= static_cast<std::int64_t>(size) - count;
}

}  // namespace

void CombinePairParameters(const TransportState& state, std::span<double> RTWORK) {
  const std::int64_t K = state.KK;
  if (K < 0) throw std::out_of_range("negative species count for the pair parameters");
  const std::int64_t KSquared = K * K;
  const std::size_t size = RTWORK.size();
  if (!inside(state.WellDepths, K, size) || !inside(state.CollisionDiameters, K, size) ||
      !inside(state.DipoleMoments, K, size) || !inside(state.Polarizabilities, K, size) ||
      !inside(state.PairWellDepths, KSquared, size) ||
      !inside(state.PairDiameters, KSquared, size)) {
    throw std::out_of_range("a pair-parameter section lies outside RTWORK");
  }

  auto species = [&](std::int64_t start, std::int64_t k) -> double {
    return RTWORK[static_cast<std::size_t>(start - 1 + k - 1)];
  };
  auto pair = [&](std::int64_t start, std::int64_t a, std::int64_t b) -> double& {
    return RTWORK[static_cast<std::size_t>(start - 1 + (a - 1) + (b - 1) * K)];
  };

  for (std::int64_t j = 1; j <= K; ++j) {
    const double epsilonJ = species(state.WellDepths, j);
    const double sigmaJ = species(state.CollisionDiameters, j);
    const double muJ = species(state.DipoleMoments, j);
    const double alphaJ = species(state.Polarizabilities, j);
    for (std::int64_t k = 1; k <= j; ++k) {
      const double epsilonK = species(state.WellDepths, k);
      const double sigmaK = species(state.CollisionDiameters, k);
      const double muK = species(state.DipoleMoments, k);
      const double alphaK = species(state.Polarizabilities, k);

      double xi = 0.0;
      bool induced = false;
      if (muK > kPolarThreshold && muJ < kPolarThreshold) {
        xi = inductionFactor(alphaJ, sigmaJ, epsilonJ, muK, sigmaK, epsilonK);
        induced = true;
      } else if (muJ > kPolarThreshold && muK < kPolarThreshold) {
        xi = inductionFactor(alphaK, sigmaK, epsilonK, muJ, sigmaJ, epsilonJ);
        induced = true;
      }

      double diameter = 0.5 * (sigmaJ + sigmaK);
      double depth = std::sqrt(epsilonJ * epsilonK);
      if (induced) {
        diameter = diameter * std::pow(xi, kDiameterExponent);
        depth = xi * xi * depth;
      }
      pair(state.PairWellDepths, j, k) = depth;
      pair(state.PairWellDepths, k, j) = depth;
      pair(state.PairDiameters, j, k) = diameter;
      pair(state.PairDiameters, k, j) = diameter;
    }
  }
}

}  // namespace transport
