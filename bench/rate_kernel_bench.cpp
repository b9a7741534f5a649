// One rate-kernel evaluation on a loaded mechanism at a state of its case library: the cost
// the analysis pays per case before the path-flux selection.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/core/rate_kernel.h"
#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"
#include "kinetics/work_arrays.h"
#include "support/case_library.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

void RunCaseRates(benchmark::State& benchmarkState, const std::string& folder, int caseNumber) {
  if (!test_support::SharedDataFound()) {
    benchmarkState.SkipWithError(test_support::SharedDataMissing().c_str());
    return;
  }
  test_support::MemoryConsole console;
  const std::string data = test_support::SharedData(folder);
  kinetics::LoadedKinetics loaded;
  try {
    loaded = kinetics::LoadKineticsFile(data + "/chem.bin", console);
  } catch (const common::Stop&) {
    benchmarkState.SkipWithError(("cannot load " + data + "/chem.bin:" + console.text()).c_str());
    return;
  }
  const kinetics::KineticsState& state = kinetics::CurrentKineticsState();
  const auto speciesCount = static_cast<std::size_t>(state.counts.KK);
  // Case line `caseNumber` of the first block.
  const std::vector<double> values =
      test_support::ReadCaseLines(data + "/libdata.asc", caseNumber).back();
  if (values.size() != speciesCount + 7) {
    benchmarkState.SkipWithError("case line does not hold KK + 7 values");
    return;
  }

  // Mass fractions from the mole fractions of the case line.
  std::vector<double> y(speciesCount);
  const double* weights = loaded.RKWORK.data() + state.layout.real.MolecularWeights - 1;
  double sum = 0.0;
  for (std::size_t k = 0; k < speciesCount; ++k) sum += values[7 + k] * weights[k];
  for (std::size_t k = 0; k < speciesCount; ++k) y[k] = values[7 + k] * weights[k] / sum;
  const std::vector<double> temperatures(4, values[6]);
  std::vector<double> forward(static_cast<std::size_t>(state.counts.ReactionCount) + 1);
  std::vector<double> reverse(forward.size());

  for (auto _ : benchmarkState) {
    analysis::CaseRates(4, values[1], temperatures, y, loaded.IKWORK, loaded.RKWORK, forward,
                        reverse, console);
    benchmark::DoNotOptimize(forward.data());
    benchmark::DoNotOptimize(reverse.data());
  }
  benchmarkState.counters["reactions"] = static_cast<double>(state.counts.ReactionCount);
  benchmarkState.counters["species"] = static_cast<double>(speciesCount);
}

void BM_CaseRatesGriMech30(benchmark::State& state) {
  RunCaseRates(state, "gri30", 10);
}
void BM_CaseRatesNHeptane(benchmark::State& state) {
  RunCaseRates(state, "llnl_nheptane_v2", 10);
}

// A mechanism with pressure tables (Glarborg 2018: 1397 reactions, 177 of them PLOG),
// converted here, at 1500 K and 10 atm (between table rows), equal mass fractions.
void BM_CaseRatesPressureTables(benchmark::State& benchmarkState) {
  if (!test_support::SharedDataFound()) {
    benchmarkState.SkipWithError(test_support::SharedDataMissing().c_str());
    return;
  }
  const std::string data = test_support::SharedData("corpus/glarborg2018/");
  const test_support::ScratchFolder folder("rate-kernel-bench");
  if (!vordane::ConvertFiles(data + "mech.dat", data + "thermo.dat", folder.path("chem.bin"),
                             folder.path("chem.out"))
           .success) {
    benchmarkState.SkipWithError("the conversion failed");
    return;
  }
  test_support::MemoryConsole console;
  const kinetics::LoadedKinetics loaded =
      kinetics::LoadKineticsFile(folder.path("chem.bin"), console);
  const auto speciesCount = static_cast<std::size_t>(loaded.state.counts.KK);
  const std::vector<double> y(speciesCount, 1.0 / static_cast<double>(speciesCount));
  const std::vector<double> temperatures(4, 1500.0);
  std::vector<double> forward(static_cast<std::size_t>(loaded.state.counts.ReactionCount) + 1);
  std::vector<double> reverse(forward.size());
  std::vector<std::int32_t> IKWORK = loaded.IKWORK;
  std::vector<double> RKWORK = loaded.RKWORK;
  for (auto _ : benchmarkState) {
    analysis::CaseRates(loaded.state, 4, 10.0 * 1013250.0, temperatures, y, IKWORK, RKWORK, forward,
                        reverse, console);
    benchmark::DoNotOptimize(forward.data());
    benchmark::DoNotOptimize(reverse.data());
  }
  benchmarkState.counters["reactions"] = static_cast<double>(loaded.state.counts.ReactionCount);
}

BENCHMARK(BM_CaseRatesGriMech30)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaseRatesPressureTables)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaseRatesNHeptane)->Unit(benchmark::kMicrosecond);

}  // namespace
