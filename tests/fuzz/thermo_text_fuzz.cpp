// Fuzz target of the thermo data reader: the input is the thermo file of a fixed mechanism that
// carries no thermo of its own, so every entry of the input is read and matched.
#include <cstddef>
#include <cstdint>

#include "converters/vordane/vordane.h"
#include "fuzz_input.h"

namespace {

constexpr const char* kMechanism =
    "ELEMENTS O H C N AR END\n"
    "SPECIES H2 H O O2 OH H2O HO2 H2O2 C CH CH4 CO CO2 N2 AR END\n"
    "REACTIONS\n"
    "H2+O2<=>2OH  1.0E13 0.0 45000.0\n"
    "CH4+O2=>CO+H2O+H2  1.0E10 0.5 30000.0\n"
    "END\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const vordane::SourceText mechanism{"mech.inp", kMechanism};
  const vordane::SourceText thermo{"therm.dat", std::string(fuzz::AsText(data, size))};
  const vordane::Interpretation result = vordane::Interpret(mechanism, &thermo);
  for (const vordane::Diagnostic& diagnostic : result.diagnostics) {
    (void)vordane::FormatDiagnostic(diagnostic);
  }
  return 0;
}
