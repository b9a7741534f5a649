// Path-flux selection: which species a set of start species needs in one case.
//
// Starting from the start species, the kept set grows breadth first. For a kept species A and a
// candidate B the interaction coefficient R(A, B) adds the first-generation consumption and
// production shares of A that pass through reactions of B, and the second-generation shares
// that pass from A through one intermediate species M to B; B joins when R(A, B) is strictly
// above the threshold.
//
// Evaluated as written, every frontier species costs N^2 x (reactions per species). Here the
// flux coefficients of every species pair that shares a reaction are formed once per case, most
// decisions are settled by estimates with proven error bounds, and the few close to the
// threshold are settled by the sums as written, in the same order: the kept sets are the same
// bit for bit (see path_flux.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "common/console.h"

namespace analysis {

// Working storage of the selection, made once per run from the mechanism's tables and reused
// for every case: nothing is allocated per case. The tables given here must be the ones later
// passed to PathFluxSelect / SelectFromRates; the per-call tables are not read again.
class PathFluxScratch {
 public:
  PathFluxScratch(std::int32_t NS, std::int32_t NR,
                  std::span<const std::int32_t> StoichiometryMatrix, std::int32_t stoichDimension,
                  std::span<const std::int32_t> SpeciesReactionIndex, std::int32_t speciesCount);
  ~PathFluxScratch();
  PathFluxScratch(PathFluxScratch&&) noexcept;
  PathFluxScratch& operator=(PathFluxScratch&&) noexcept;

  struct Storage;  // laid out and explained in path_flux.cpp

 private:
  friend struct PathFluxPass;
  std::unique_ptr<Storage> storage_;
};

// One case: the rates of progress at (pressure, temperature, massFractions) from CaseRates,
// then SelectFromRates. Writes row `caseNumber` of KeptFlags (columns 1..speciesCount, -1 kept,
// 0 not) and of KeptList (kept species ascending from column 1; later columns left as they
// were); rows are NS entries long. Species numbers in startSpecies are 1-based and may repeat.
void PathFluxSelect(std::int32_t stoichDimension, std::int32_t NS, std::int32_t NR,
                    std::int32_t caseDimension, std::int32_t caseNumber,
                    std::span<const std::int32_t> IKWORK, std::span<double> RKWORK, double pressure,
                    double temperature, std::span<const double> massFractions,
                    std::int32_t speciesCount, std::int32_t startCount,
                    std::span<const std::int32_t> startSpecies, double threshold,
                    std::span<const std::int32_t> StoichiometryMatrix,
                    std::span<const std::int32_t> SpeciesReactionIndex, std::int32_t& KeptCount,
                    std::span<std::int32_t> KeptFlags, std::span<std::int32_t> KeptList,
                    PathFluxScratch& scratch, common::Console& console);

// The selection proper, from given rates of progress (reaction i at index i - 1).
void SelectFromRates(std::int32_t stoichDimension, std::int32_t NS, std::int32_t NR,
                     std::int32_t caseDimension, std::int32_t caseNumber,
                     std::span<const double> forwardProgress,
                     std::span<const double> reverseProgress, std::int32_t speciesCount,
                     std::int32_t startCount, std::span<const std::int32_t> startSpecies,
                     double threshold, std::span<const std::int32_t> StoichiometryMatrix,
                     std::span<const std::int32_t> SpeciesReactionIndex, std::int32_t& KeptCount,
                     std::span<std::int32_t> KeptFlags, std::span<std::int32_t> KeptList,
                     PathFluxScratch& scratch, common::Console& console);

}  // namespace analysis
