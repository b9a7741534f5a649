// Fuzz target of the mechanism text reader: the input is a whole mechanism (elements, species,
// optional thermo section, reactions and their auxiliary lines), interpreted without a thermo file.
#include <cstddef>
#include <cstdint>

#include "converters/vordane/vordane.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const vordane::SourceText mechanism{"mech.inp", std::string(fuzz::AsText(data, size))};
  const vordane::Interpretation result = vordane::Interpret(mechanism, nullptr);
  for (const vordane::Diagnostic& diagnostic : result.diagnostics) {
    (void)vordane::FormatDiagnostic(diagnostic);
  }
  return 0;
}
