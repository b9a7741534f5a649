// The tables the path-flux analysis needs from a mechanism, made once per run: the dimensions
// NS and NR, StoichiometryMatrix, SpeciesReactionIndex and the selection's scratch made from
// them. Nothing here reads a file or writes to the console, so every program that holds a
// loaded mechanism (the analysis, the rates program, the tools to come, the tests and the
// benchmarks) makes the same tables the same way.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "analysis/core/path_flux.h"
#include "kinetics/work_arrays.h"

namespace analysis {

// The dimensions of a run: room for ten species and one reaction beyond the mechanism's.
constexpr std::int64_t SpeciesDimension(std::int64_t KK) {
  return KK + 10;
}
constexpr std::int64_t ReactionDimension(std::int64_t ReactionCount) {
  return ReactionCount + 1;
}

struct AnalysisTables {
  std::int32_t KK = 0;               // species of the mechanism
  std::int32_t ReactionCount = 0;    // reactions of the mechanism
  std::int32_t NS = 0;               // species dimension
  std::int32_t NR = 0;               // reaction dimension
  std::int32_t stoichDimension = 0;  // leading dimension of the matrix, at least KK
  // Column-major, StoichiometryMatrix[(k - 1) + (i - 1) stoichDimension] the net coefficient of
  // species k in reaction i, products positive; NR columns.
  std::vector<std::int32_t> StoichiometryMatrix;
  // NS rows of NR + 1: entry 1 of row k the count n of reactions of species k, entries 2..n+1
  // their numbers ascending.
  std::vector<std::int32_t> SpeciesReactionIndex;
  PathFluxScratch scratch;

  // Net coefficient of species k in reaction i (1-based).
  std::int32_t coefficient(std::int32_t k, std::int32_t i) const {
    return StoichiometryMatrix[static_cast<std::size_t>(k - 1) +
                               static_cast<std::size_t>(i - 1) *
                                   static_cast<std::size_t>(stoichDimension)];
  }
};

// The tables of the mechanism loaded into IKWORK as `state` describes it, with the run's
// dimensions. The caller has checked that they fit 32 bits (the analysis program's dimension
// check); arrays shorter than the state requires are a caller error (std::invalid_argument).
AnalysisTables BuildAnalysisTables(const kinetics::KineticsState& state,
                                   std::span<const std::int32_t> IKWORK);

// The tables of a matrix given directly (mechanisms made in code), with the given dimensions:
// `StoichiometryMatrix` holds NR columns of `stoichDimension` entries.
AnalysisTables BuildAnalysisTables(std::int32_t KK, std::int32_t ReactionCount, std::int32_t NS,
                                   std::int32_t NR, std::int32_t stoichDimension,
                                   std::vector<std::int32_t> StoichiometryMatrix);

}  // namespace analysis
