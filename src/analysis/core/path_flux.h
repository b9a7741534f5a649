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
#include <limits>
#include <memory>
#include <span>

#include "common/console.h"
#include "kinetics/work_arrays.h"

namespace analysis {

// Working storage of the selection, made once per run from the mechanism's tables and reused
// for every case: nothing is allocated per case. The tables given here must be the ones later
// passed to PathFluxSelect; the per-call tables are not read again. AnalysisTables
// (analysis_tables.h) makes one with the tables it belongs to.
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

// The input of one selection: the rates of progress (reaction i at index i - 1), the start
// species (1-based, may repeat) and the threshold.
struct SelectionInput {
  std::span<const double> forwardProgress;
  std::span<const double> reverseProgress;
  std::span<const std::int32_t> startSpecies;
  double threshold = 0.0;
};

// Where a selection writes: row `caseNumber` (1-based) of KeptFlags (columns 1..KK: -1 kept,
// 0 not) and of KeptList (the kept species ascending from column 1; later columns left as they
// were), rows of NS entries; and the number kept. Tables too short for the row are a caller
// error (std::invalid_argument).
struct SelectionOutput {
  std::int32_t caseNumber = 1;
  std::span<std::int32_t> KeptFlags;
  std::span<std::int32_t> KeptList;
  std::int32_t KeptCount = 0;
};

// The selection proper, from given rates of progress, on a scratch made for the mechanism.
void SelectFromRates(const SelectionInput& input, PathFluxScratch& scratch,
                     SelectionOutput& output);

// The state of one case: pressure (dyn/cm2), temperature (K), mass fractions (KK entries).
struct CaseState {
  double pressure = 0.0;
  double temperature = 0.0;
  std::span<const double> massFractions;
};

// One case of the mechanism held in IKWORK and RKWORK as `state` describes it: the rates of
// progress from CaseRates (which uses the scratch sections of RKWORK), then SelectFromRates.
void SelectCase(const kinetics::KineticsState& state, std::span<const std::int32_t> IKWORK,
                std::span<double> RKWORK, const CaseState& at,
                std::span<const std::int32_t> startSpecies, double threshold,
                PathFluxScratch& scratch, SelectionOutput& output, common::Console& console);

// Critical values: the selection for every threshold at once.
//
// R(A, B) depends on the state, A and B only, so B is kept at threshold t exactly when some
// chain of links from a start species to B has every R above t. The critical value c(B) is the
// largest, over such chains, of the smallest R along the chain (+inf for a start species, -inf
// when no chain exists, 0 when only links of value 0 reach B: those count at thresholds below
// zero, as in the selection). The values come from the selection's own sums, so KeptAt(c(B), t)
// decides exactly as SelectFromRates does at t.
//
// Values at or below `floor` are written as `floor` itself, which spares the search of every
// weak link: thresholds at or above the floor are still decided exactly. A floor below zero
// costs the full search. `critical` receives KK values, species k at index k - 1.
struct CriticalValueInput {
  std::span<const double> forwardProgress;
  std::span<const double> reverseProgress;
  std::span<const std::int32_t> startSpecies;
  double floor = 0.0;
};

// Whether a species of critical value `critical` is kept at `threshold`. The start species are
// kept at every threshold, +inf and NaN included.
inline bool KeptAt(double critical, double threshold) {
  return critical > threshold || critical == std::numeric_limits<double>::infinity();
}

// Tables too short, start species outside 1..KK or a floor of NaN or +inf are a caller error
// (std::invalid_argument).
void CriticalValuesFromRates(const CriticalValueInput& input, PathFluxScratch& scratch,
                             std::span<double> critical);

// The rates of one case from CaseRates, then CriticalValuesFromRates.
void CriticalValuesOfCase(const kinetics::KineticsState& state,
                          std::span<const std::int32_t> IKWORK, std::span<double> RKWORK,
                          const CaseState& at, std::span<const std::int32_t> startSpecies,
                          double floor, PathFluxScratch& scratch, std::span<double> critical,
                          common::Console& console);

// SelectCase on the loaded mechanism, with the analysis program's argument list. The scratch
// carries the tables; StoichiometryMatrix, SpeciesReactionIndex and the dimensions that only
// describe them stay in the list for the driver's calling pattern.
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

}  // namespace analysis
