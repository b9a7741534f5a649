// Fuzz target of the transport data reader, for the species of the seed mechanisms.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "converters/quillet/transport_data.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::string> names = {"H2",  "H",    "O",   "O2",  "OH", "H2O",
                                                 "HO2", "H2O2", "AR",  "N2",  "HE", "CO",
                                                 "CO2", "CH4",  "CH3", "C2H2"};
  std::istringstream input{std::string(fuzz::AsText(data, size))};
  quillet::Diagnostics diagnostics;
  const quillet::TransportData result =
      quillet::ParseTransportData(input, "tran.dat", names, diagnostics);
  if (result.entries.size() != names.size()) __builtin_trap();
  for (const quillet::Diagnostic& diagnostic : diagnostics.items()) {
    (void)quillet::FormatDiagnostic(diagnostic);
  }
  return 0;
}
