#include "analysis/core/species_reaction_index.h"

#include <algorithm>

namespace analysis {

void BuildSpeciesReactionIndex(std::int32_t NS, std::int32_t NR, std::int32_t stoichDimension,
                               std::int32_t speciesCount, std::int32_t reactionCount,
                               std::span<const std::int32_t> StoichiometryMatrix,
                               std::span<std::int32_t> index) {
  const auto ns = static_cast<std::size_t>(NS);
  const std::size_t stride = static_cast<std::size_t>(NR) + 1;
  const auto leading = static_cast<std::size_t>(stoichDimension);
  std::fill(index.begin(), index.begin() + static_cast<std::ptrdiff_t>(ns * stride), 0);
  for (std::size_t k = 0; k < static_cast<std::size_t>(speciesCount); ++k) {
    std::int32_t* row = &index[k * stride];
    std::int32_t n = 0;
    for (std::int32_t i = 1; i <= reactionCount; ++i) {
      if (StoichiometryMatrix[k + static_cast<std::size_t>(i - 1) * leading] != 0) row[++n] = i;
    }
    row[0] = n;
  }
}

}  // namespace analysis
