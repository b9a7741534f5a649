// The path-flux selection evaluated exactly as written, with the full loops over every species
// pair and every intermediate species. Tests and benchmarks hold the fast selection against it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace analysis::oracle {

// Called with (A, B, R(A, B)) for every interaction coefficient evaluated (1-based species).
using CoefficientObserver = std::function<void(std::int32_t, std::int32_t, double)>;

// Same arguments and results as analysis::SelectFromRates, without the scratch: the working
// arrays are made per call.
void LiteralSelectFromRates(std::int32_t stoichDimension, std::int32_t NS, std::int32_t NR,
                            std::int32_t caseDimension, std::int32_t caseNumber,
                            std::span<const double> forwardProgress,
                            std::span<const double> reverseProgress, std::int32_t speciesCount,
                            std::int32_t startCount, std::span<const std::int32_t> startSpecies,
                            double threshold, std::span<const std::int32_t> StoichiometryMatrix,
                            std::span<const std::int32_t> SpeciesReactionIndex,
                            std::int32_t& KeptCount, std::span<std::int32_t> KeptFlags,
                            std::span<std::int32_t> KeptList,
                            const CoefficientObserver& observer = {});

}  // namespace analysis::oracle
