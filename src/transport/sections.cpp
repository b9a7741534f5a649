// Section starts of ITWORK and RTWORK, and the lengths a producer declares.
//
// The counts come from a file, so every sum and product saturates (common/saturating.h).
#include <algorithm>
#include <cstdint>

#include "common/saturating.h"
#include "transport/linking_file.h"

namespace transport {
namespace {

using common::kSaturationCap;
constexpr auto add = common::SaturatingAdd;
constexpr auto multiply = common::SaturatingMultiply;

struct Counts {
  std::int64_t K, N, L;
  std::int64_t NK() const { return multiply(N, K); }
  std::int64_t KSquared() const { return multiply(K, K); }
  std::int64_t NKSquared() const { return multiply(NK(), K); }
  std::int64_t NKL() const { return multiply(NK(), L); }
  // Start of the first pair section: 12K + 1 + 2NK + NK^2 + NKL.
  std::int64_t pairStart() const {
    return add(add(add(add(multiply(12, K), 1), multiply(2, NK())), NKSquared()), NKL());
  }
};

Counts clamped(std::int64_t K, std::int64_t N, std::int64_t L) {
  return {std::clamp<std::int64_t>(K, 0, kSaturationCap),
          std::clamp<std::int64_t>(N, 0, kSaturationCap),
          std::clamp<std::int64_t>(L, 0, kSaturationCap)};
}

}  // namespace

void ComputeTransportSections(TransportState& state) {
  const Counts counts = clamped(state.KK, state.FitOrder, state.LightCount);
  const std::int64_t K = counts.K;
  const std::int64_t KSquared = counts.KSquared();
  const std::int64_t S = counts.pairStart();

  state.WorkspaceOrder = multiply(3, K);
  state.GeometryCodes = 1;
  state.LightSpecies = add(K, 1);
  state.IntWorkspace = add(add(K, counts.L), 1);

  state.SpeciesWeights = 1;
  state.WellDepths = add(K, 1);
  state.CollisionDiameters = add(multiply(2, K), 1);
  state.DipoleMoments = add(multiply(3, K), 1);
  state.Polarizabilities = add(multiply(4, K), 1);
  state.RotationalRelaxation = add(multiply(5, K), 1);
  state.ConductivityFits = add(multiply(6, K), 1);
  state.ViscosityFits = add(state.ConductivityFits, counts.NK());
  state.DiffusionFits = add(state.ViscosityFits, counts.NK());
  state.ThermalDiffusionFits = add(state.DiffusionFits, counts.NKSquared());
  state.SpeciesWorkspace = add(state.ThermalDiffusionFits, counts.NKL());
  state.PairWorkspace = S;
  state.PairWellDepths = add(S, KSquared);
  state.PairDiameters = add(S, multiply(2, KSquared));
  state.PairWorkspace2 = add(S, multiply(3, KSquared));
  state.SquareWorkspace = add(S, multiply(6, KSquared));
  state.VectorWorkspace = add(S, multiply(15, KSquared));
  state.LastWorkspace = add(state.VectorWorkspace, multiply(3, K));
}

std::int64_t RequiredTransportIntLength(std::int64_t K, std::int64_t N, std::int64_t L) {
  const Counts counts = clamped(K, N, L);
  return add(multiply(4, counts.K), counts.L);
}

std::int64_t RequiredTransportRealLength(std::int64_t K, std::int64_t N, std::int64_t L) {
  const Counts counts = clamped(K, N, L);
  // The last workspace section of a producer's file is 4K long.
  return add(add(counts.pairStart() - 1, multiply(15, counts.KSquared())), multiply(7, counts.K));
}

}  // namespace transport
