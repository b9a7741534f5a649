#include "analysis/core/analysis_tables.h"

#include <stdexcept>
#include <utility>

#include "analysis/core/species_reaction_index.h"
#include "kinetics/queries.h"

namespace analysis {

AnalysisTables BuildAnalysisTables(const kinetics::KineticsState& state,
                                   std::span<const std::int32_t> IKWORK) {
  const std::int64_t NS = SpeciesDimension(state.counts.KK);
  const std::int64_t NR = ReactionDimension(state.counts.ReactionCount);
  if (NS > 0x7FFFFFFF || NR > 0x7FFFFFFF) {
    throw std::invalid_argument("BuildAnalysisTables: dimensions beyond 32 bits");
  }
  std::vector<std::int32_t> matrix(static_cast<std::size_t>(NS) * static_cast<std::size_t>(NR), 0);
  kinetics::QueryStoichMatrix(state, static_cast<std::int32_t>(NS), IKWORK, matrix);
  return BuildAnalysisTables(state.counts.KK, state.counts.ReactionCount,
                             static_cast<std::int32_t>(NS), static_cast<std::int32_t>(NR),
                             static_cast<std::int32_t>(NS), std::move(matrix));
}

AnalysisTables BuildAnalysisTables(std::int32_t KK, std::int32_t ReactionCount, std::int32_t NS,
                                   std::int32_t NR, std::int32_t stoichDimension,
                                   std::vector<std::int32_t> StoichiometryMatrix) {
  if (KK < 0 || ReactionCount < 0 || NS < KK || NR <= ReactionCount || stoichDimension < KK ||
      StoichiometryMatrix.size() <
          static_cast<std::size_t>(stoichDimension) * static_cast<std::size_t>(NR)) {
    throw std::invalid_argument("BuildAnalysisTables: dimensions do not hold the mechanism");
  }
  std::vector<std::int32_t> index(static_cast<std::size_t>(NS) * (static_cast<std::size_t>(NR) + 1),
                                  0);
  BuildSpeciesReactionIndex(NS, NR, stoichDimension, KK, ReactionCount, StoichiometryMatrix, index);
  PathFluxScratch scratch(NS, NR, StoichiometryMatrix, stoichDimension, index, KK);
  return AnalysisTables{KK,
                        ReactionCount,
                        NS,
                        NR,
                        stoichDimension,
                        std::move(StoichiometryMatrix),
                        std::move(index),
                        std::move(scratch)};
}

}  // namespace analysis
