// Time of one conversion of the n-heptane mechanism (561 species, 2539 reactions, separate
// thermo file), from reading the text to writing the linking file and the listing.
#include <benchmark/benchmark.h>

#include <string>

#include "converters/vordane/vordane.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

void ConvertHeptane(benchmark::State& state) {
  if (!test_support::SharedDataFound()) {
    state.SkipWithError(test_support::SharedDataMissing().c_str());
    return;
  }
  const std::string data = test_support::SharedData("llnl_nheptane_v2/");
  const test_support::ScratchFolder folder("vordane-bench");
  const std::string binary = folder.path("chem.bin");
  const std::string listing = folder.path("chem.out");
  for (auto _ : state) {
    const vordane::ConversionReport report =
        vordane::ConvertFiles(data + "chem.inp", data + "thermo.dat", binary, listing);
    if (!report.success) {
      state.SkipWithError("the conversion failed");
      break;
    }
    benchmark::DoNotOptimize(report.reactions);
  }
}
BENCHMARK(ConvertHeptane)->Unit(benchmark::kMillisecond);

}  // namespace
