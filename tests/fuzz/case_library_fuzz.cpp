// Fuzz target of the case-library reader: the header, then every body line classified and every
// case line parsed, as the analysis loop reads them, up to the end line.
#include <cstddef>
#include <cstdint>

#include "analysis/driver/case_library.h"
#include "fuzz_input.h"

namespace {
constexpr std::int32_t kSpeciesCount = 53;  // the species count of the seed libraries
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput(data, size);
  test_support::MemoryConsole console;
  try {
    driver::CaseLibrary library(path, kSpeciesCount, console);
    for (;;) {
      const driver::LibraryLine line = library.next();
      if (line.kind == driver::LibraryLine::Kind::End) break;
      if (line.kind != driver::LibraryLine::Kind::Case) continue;
      const std::span<const double> values = library.caseValues();
      if (values.size() != static_cast<std::size_t>(kSpeciesCount) + 7) __builtin_trap();
      // What the analysis reads of a case.
      volatile double sink = driver::CasePressure(values) + driver::CaseTemperature(values);
      for (const double fraction : driver::CaseMoleFractions(values)) sink = sink + fraction;
    }
  } catch (const common::Stop& stop) {
    fuzz::RequireReason(stop);
  }
  return 0;
}
