// Pair well depths and collision diameters of every species pair.
//
// A polar species meeting a non-polar one is bound more strongly than the plain combining rules
// say: the dipole of the one induces a dipole in the other. The factor xi carries that, from
// the reduced polarizability of the non-polar species and the reduced dipole of the polar one;
// it shrinks the pair diameter and deepens the pair well. Two polar or two non-polar species
// combine by the arithmetic mean diameter and the geometric mean depth.
#include "transport/pair_parameters.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "common/work_array.h"
#include "transport/linking_file.h"

namespace transport {
namespace {

// Converts debye^2 over (kelvin * cubic angstrom) into the reduced, dimensionless dipole.
constexpr double kReducedDipoleFactor = 7243.438411119646;
constexpr double kDiameterExponent = -1.0 / 6.0;

double cube(double value) {
  return value * value * value;
}

// xi of the polar species p with the non-polar species n.
double inductionFactor(const PairRuleSpecies& n, const PairRuleSpecies& p) {
  return 1.0 + 0.25 * kReducedDipoleFactor * (n.polarizability / cube(n.diameter)) *
                   (p.dipole * p.dipole / (cube(p.diameter) * p.wellDepth)) *
                   std::sqrt(p.wellDepth / n.wellDepth);
}

}  // namespace

CombinedPair CombinePairRule(const PairRuleSpecies& j, const PairRuleSpecies& k) {
  double xi = 0.0;
  bool induced = false;
  if (k.dipole > kPolarThreshold && j.dipole < kPolarThreshold) {
    xi = inductionFactor(j, k);
    induced = true;
  } else if (j.dipole > kPolarThreshold && k.dipole < kPolarThreshold) {
    xi = inductionFactor(k, j);
    induced = true;
  }
  CombinedPair pair;
  pair.diameter = 0.5 * (j.diameter + k.diameter);
  pair.wellDepth = std::sqrt(j.wellDepth * k.wellDepth);
  if (induced) {
    pair.diameter = pair.diameter * std::pow(xi, kDiameterExponent);
    pair.wellDepth = xi * xi * pair.wellDepth;
  }
  return pair;
}

void CombinePairParameters(const TransportState& state, std::span<double> RTWORK) {
  const std::int64_t K = state.KK;
  if (K < 0) throw std::out_of_range("negative species count for the pair parameters");
  const std::int64_t KSquared = K * K;
  const std::size_t size = RTWORK.size();
  if (!common::SectionInside(state.WellDepths, K, size) ||
      !common::SectionInside(state.CollisionDiameters, K, size) ||
      !common::SectionInside(state.DipoleMoments, K, size) ||
      !common::SectionInside(state.Polarizabilities, K, size) ||
      !common::SectionInside(state.PairWellDepths, KSquared, size) ||
      !common::SectionInside(state.PairDiameters, KSquared, size)) {
    throw std::out_of_range("a pair-parameter section lies outside RTWORK");
  }

  auto species = [&](std::int64_t k) {
    return PairRuleSpecies{common::Entry(RTWORK, state.WellDepths, k),
                           common::Entry(RTWORK, state.CollisionDiameters, k),
                           common::Entry(RTWORK, state.DipoleMoments, k),
                           common::Entry(RTWORK, state.Polarizabilities, k)};
  };
  // Entry (a, b) of a pair matrix is entry a of block b, blocks of K.
  auto pair = [&](std::int64_t start, std::int64_t a, std::int64_t b) -> double& {
    return common::BlockEntry(RTWORK, start, K, b, a);
  };
  for (std::int64_t j = 1; j <= K; ++j) {
    const PairRuleSpecies speciesJ = species(j);
    for (std::int64_t k = 1; k <= j; ++k) {
      const CombinedPair combined = CombinePairRule(speciesJ, species(k));
      pair(state.PairWellDepths, j, k) = combined.wellDepth;
      pair(state.PairWellDepths, k, j) = combined.wellDepth;
      pair(state.PairDiameters, j, k) = combined.diameter;
      pair(state.PairDiameters, k, j) = combined.diameter;
    }
  }
}

}  // namespace transport
