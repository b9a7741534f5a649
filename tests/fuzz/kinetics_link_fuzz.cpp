// Fuzz target of the kinetics linking-file reader: the header query, then the whole load into
// arrays of the declared lengths (the pressure-table record included), then the counts query
// and one evaluation of the rate kernel on what was loaded, which must stay inside the arrays
// whatever the file held.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "analysis/core/rate_kernel.h"
#include "fuzz_input.h"
#include "kinetics/linking_file.h"
#include "kinetics/queries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput(data, size);
  test_support::MemoryConsole console;
  try {
    common::RecordReader unit;
    if (unit.open(path)) kinetics::QueryLinkSizes(unit, console);
  } catch (const common::Stop& stop) {
    fuzz::RequireReason(stop);
  }
  try {
    kinetics::LoadedKinetics loaded = kinetics::LoadKineticsFile(path, console);
    std::int32_t elements = 0, species = 0, reactions = 0, coefficients = 0;
    kinetics::QueryCounts(loaded.IKWORK, loaded.RKWORK, elements, species, reactions, coefficients);
    // Large mechanisms are left out so that the runs stay fast.
    const auto speciesCount = static_cast<std::size_t>(loaded.state.counts.KK);
    const auto reactionCount = static_cast<std::size_t>(loaded.state.counts.ReactionCount);
    if (speciesCount <= 1000 && reactionCount <= 5000) {
      const std::vector<double> temperatures{1200.0, 1200.0};
      const std::vector<double> massFractions(speciesCount, 1.0);
      std::vector<double> forward(reactionCount), reverse(reactionCount);
      analysis::CaseRates(loaded.state, 2, 2.0e6, temperatures, massFractions, loaded.IKWORK,
                          loaded.RKWORK, forward, reverse, console);
    }
  } catch (const common::Stop& stop) {
    fuzz::RequireReason(stop);
  }
  return 0;
}
