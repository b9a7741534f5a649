// Fuzz target of the kinetics linking-file reader: the header query, then the whole load into
// arrays of the declared lengths, then the counts query on what was loaded.
#include <cstddef>
#include <cstdint>

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
    const kinetics::LoadedKinetics loaded = kinetics::LoadKineticsFile(path, console);
    std::int32_t elements = 0, species = 0, reactions = 0, coefficients = 0;
    kinetics::QueryCounts(loaded.IKWORK, loaded.RKWORK, elements, species, reactions, coefficients);
  } catch (const common::Stop& stop) {
    fuzz::RequireReason(stop);
  }
  return 0;
}
