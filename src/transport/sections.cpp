// Section starts of ITWORK and RTWORK, and the lengths a producer declares.
//
// The counts come from a file, so every product is formed with saturating arithmetic: a count
// of two billion species must yield a huge length that the checks refuse, never a length that
// wrapped around to something small enough to pass.
#include <algorithm>
#include <cstdint>

#include "transport/linking_file.h"

namespace transport {
namespace {

// Every intermediate stays at or below this cap, so the sum of two never overflows.
constexpr std::int64_t kSaturated = std::int64_t{1} << 61;

std::int64_t add(std::int64_t a, std::int64_t b) {
  return std::min(a + b, kSaturated);
}

std::int64_t multiply(std::int64_t a, std::int64_t b) {
  if (a == 0 || b == 0) return 0;
  if (a > kSaturated / b) return kSaturated;
  return std::min(a * b, kSaturated);
}

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
  return {std::clamp<std::int64_t>(K, 0, kSaturated), std::clamp<std::int64_t>(N, 0, kSaturated),
          std::clamp<std::int64_t>(L, 0, kSaturated)};
}

}  // namespace

void ComputeTransportSections(TransportState& state) {
  const Counts c = clamped(state.KK, state.FitOrder, state.LightCount);
  const std::int64_t K = c.K;
  const std::int64_t KSquared = c.KSquared();
  const std::int64_t S = c.pairStart();

  state.WorkspaceOrder = multiply(3, K);
  state.GeometryCodes = 1;
  state.LightSpecies = add(K, 1);
  state.IntWorkspace = add(add(K, c.L), 1);

  state.SpeciesWeights = 1;
  state.WellDepths = add(K, 1);
  state.CollisionDiameters = add(multiply(2, K), 1);
  state.DipoleMoments = add(multiply(3, K), 1);
  state.Polarizabilities = add(multiply(4, K), 1);
  state.RotationalRelaxation = add(multiply(5, K), 1);
  state.ConductivityFits = add(multiply(6, K), 1);
  state.ViscosityFits = add(state.ConductivityFits, c.NK());
  state.DiffusionFits = add(state.ViscosityFits, c.NK());
  state.ThermalDiffusionFits = add(state.DiffusionFits, c.NKSquared());
  state.SpeciesWorkspace = add(state.ThermalDiffusionFits, c.NKL());
  state.PairWorkspace = S;
  state.PairWellDepths = add(S, KSquared);
  state.PairDiameters = add(S, multiply(2, KSquared));
  state.PairWorkspace2 = add(S, multiply(3, KSquared));
  state.SquareWorkspace = add(S, multiply(6, KSquared));
  state.VectorWorkspace = add(S, multiply(15, KSquared));
  state.LastWorkspace = add(state.VectorWorkspace, multiply(3, K));
}

std::int64_t RequiredTransportIntLength(std::int64_t K, std::int64_t N, std::int64_t L) {
  const Counts c = clamped(K, N, L);
  return add(multiply(4, c.K), c.L);
}

std::int64_t RequiredTransportRealLength(std::int64_t K, std::int64_t N, std::int64_t L) {
  const Counts c = clamped(K, N, L);
  // The last workspace section of a producer's file is 4K long.
  return add(add(c.pairStart() - 1, multiply(15, c.KSquared())), multiply(7, c.K));
}

}  // namespace transport
