// Time of one conversion of the n-heptane mechanism (561 species, 2539 reactions, separate
// thermo file), from reading the text to writing the linking file and the listing.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "converters/vordane/vordane.h"

namespace {

void ConvertHeptane(benchmark::State& state) {
  const std::string data = PATHFLUX_TEST_DATA "/llnl_nheptane_v2/";
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vordane-bench";
  std::filesystem::create_directories(folder);
  const std::string binary = (folder / "chem.bin").string();
  const std::string listing = (folder / "chem.out").string();
  for (auto _ : state) {
    const vordane::ConversionReport report =
        vordane::ConvertFiles(data + "chem.inp", data + "thermo.dat", binary, listing);
    if (!report.success) {
      state.SkipWithError("the conversion failed");
      break;
    }
    benchmark::DoNotOptimize(report.reactions);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(ConvertHeptane)->Unit(benchmark::kMillisecond);

}  // namespace
