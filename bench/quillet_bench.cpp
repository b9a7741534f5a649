// The transport fit of the n-heptane mechanism (561 species, every pair): the computation alone,
// and the whole conversion with its files.
#include <benchmark/benchmark.h>

#include "converters/quillet/converter.h"
#include "converters/quillet/transport_data.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

const std::string kFolder = test_support::SharedData("llnl_nheptane_v2/");

// Skips a benchmark when the shared data folder is absent.
bool SkipWithoutSharedData(benchmark::State& state) {
  if (test_support::SharedDataFound()) return false;
  state.SkipWithError(test_support::SharedDataMissing().c_str());
  return true;
}

void FitNHeptane(benchmark::State& state) {
  if (SkipWithoutSharedData(state)) return;
  test_support::MemoryConsole console;
  quillet::Diagnostics diagnostics;
  const quillet::Mechanism mechanism =
      quillet::ReadMechanism(kFolder + "chem.bin", console, diagnostics);
  std::vector<std::string> names;
  for (const auto& s : mechanism.species) names.push_back(s.name);
  const quillet::TransportData data =
      quillet::ReadTransportData(kFolder + "trans.dat", names, diagnostics);
  std::vector<quillet::FitSpecies> species;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (!data.entries[k]) {
      state.SkipWithError("transport data missing");
      return;
    }
    species.push_back({names[k], mechanism.species[k].molecularWeight, &mechanism.species[k].thermo,
                       data.entries[k]->parameters, data.entries[k]->line,
                       quillet::PhysicalHeatCapacityBand(mechanism.species[k].atomCount)});
  }
  for (auto _ : state) {
    quillet::Diagnostics fitDiagnostics;
    const quillet::TransportFits fits =
        quillet::FitTransport(species, "chem.bin", "trans.dat", fitDiagnostics);
    benchmark::DoNotOptimize(fits.diffusion.data());
  }
  state.counters["species"] = static_cast<double>(species.size());
}
BENCHMARK(FitNHeptane)->Unit(benchmark::kMillisecond)->Iterations(3);

void ConvertNHeptane(benchmark::State& state) {
  if (SkipWithoutSharedData(state)) return;
  const test_support::ScratchFolder folder("quillet-bench");
  for (auto _ : state) {
    const quillet::ConversionResult result =
        quillet::ConvertTransport({kFolder + "chem.bin", folder.path("tran.bin"),
                                   kFolder + "trans.dat", folder.path("tran.out")});
    if (result.errorFlag != quillet::kSuccess) state.SkipWithError(result.summary.c_str());
  }
}
BENCHMARK(ConvertNHeptane)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
