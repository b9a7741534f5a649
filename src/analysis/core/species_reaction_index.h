// SpeciesReactionIndex: for every species, the reactions in which its net stoichiometric
// coefficient is not zero. The path-flux selection walks these lists instead of whole rows of
// the stoichiometric matrix.
#pragma once

#include <cstdint>
#include <span>

namespace analysis {

// Fills `index` (NS rows of NR + 1 entries, row-major): entry 1 of row k the count n of
// reactions of species k, entries 2..n+1 their numbers in ascending order; rows beyond
// `speciesCount` get count 0. `StoichiometryMatrix` is column-major with leading dimension
// `stoichDimension` (at least `speciesCount`).
void BuildSpeciesReactionIndex(std::int32_t NS, std::int32_t NR, std::int32_t stoichDimension,
                               std::int32_t speciesCount, std::int32_t reactionCount,
                               std::span<const std::int32_t> StoichiometryMatrix,
                               std::span<std::int32_t> index);

}  // namespace analysis
