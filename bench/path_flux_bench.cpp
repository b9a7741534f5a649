// One path-flux selection against one rate evaluation, and the fast selection against the
// literal one, on the methane and the n-heptane mechanism. The argument is the case number in
// the case library (1-based, counting case lines only).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/core/analysis_tables.h"
#include "analysis/core/path_flux.h"
#include "analysis/core/rate_kernel.h"
#include "kinetics/linking_file.h"
#include "kinetics/queries.h"
#include "support/case_library.h"
#include "support/memory_console.h"
#include "support/path_flux_oracle.h"
#include "support/shared_data.h"

namespace {

// A mechanism with its tables, the driver's selection and one state of its case library.
struct Workload {
  test_support::MemoryConsole console;
  kinetics::LoadedKinetics kinetics;
  std::int32_t KK = 0;
  std::unique_ptr<analysis::AnalysisTables> tables;
  std::vector<std::int32_t> start;
  double threshold = 0.0;
  double pressure = 0.0;
  double temperature = 0.0;
  std::vector<double> massFractions;
  std::vector<double> forward;
  std::vector<double> reverse;
  std::vector<std::int32_t> keptFlags;
  std::vector<std::int32_t> keptList;
  std::int32_t keptCount = 0;

  Workload(const std::string& folder, int caseNumber) {
    const std::string base = test_support::SharedData(folder);
    kinetics = kinetics::LoadKineticsFile(base + "/chem.bin", console);
    tables = std::make_unique<analysis::AnalysisTables>(
        analysis::BuildAnalysisTables(kinetics.state, kinetics.IKWORK));
    KK = tables->KK;

    const test_support::SelectionFile selection =
        test_support::ReadSelectionFile(base + "/selection.dat");
    start = selection.start;
    threshold = selection.threshold;

    const std::vector<double> values =
        test_support::ReadCaseLines(base + "/libdata.asc", caseNumber).back();
    pressure = values[1];
    temperature = values[6];
    massFractions.resize(KK);
    kinetics::MoleToMassFractions(kinetics.state,
                                  std::vector<double>(values.begin() + 7, values.end()),
                                  kinetics.RKWORK, massFractions);
    forward.assign(tables->NR, 0.0);
    reverse.assign(tables->NR, 0.0);
    rates();
    keptFlags.assign(tables->NS, 0);
    keptList.assign(tables->NS, 0);
  }

  void rates() {
    const std::array<double, 4> temperatures{temperature, temperature, temperature, temperature};
    analysis::CaseRates(kinetics.state, 4, pressure, temperatures, massFractions, kinetics.IKWORK,
                        kinetics.RKWORK, forward, reverse, console);
  }

  // The analysis program's per-case call.
  void select() {
    const analysis::AnalysisTables& t = *tables;
    analysis::PathFluxSelect(t.stoichDimension, t.NS, t.NR, 1, 1, kinetics.IKWORK, kinetics.RKWORK,
                             pressure, temperature, massFractions, KK,
                             static_cast<std::int32_t>(start.size()), start, threshold,
                             t.StoichiometryMatrix, t.SpeciesReactionIndex, keptCount, keptFlags,
                             keptList, tables->scratch, console);
  }

  void selectFast() {
    analysis::SelectionOutput output{1, keptFlags, keptList};
    analysis::SelectFromRates({forward, reverse, start, threshold}, tables->scratch, output);
    keptCount = output.KeptCount;
  }

  void selectLiteral() {
    analysis::SelectionOutput output{1, keptFlags, keptList};
    analysis::oracle::LiteralSelectFromRates(*tables, {forward, reverse, start, threshold}, output);
    keptCount = output.KeptCount;
  }
};

Workload& workload(const std::string& folder, int caseNumber) {
  static std::map<std::pair<std::string, int>, std::unique_ptr<Workload>> loaded;
  auto& slot = loaded[{folder, caseNumber}];
  if (!slot) slot = std::make_unique<Workload>(folder, caseNumber);
  return *slot;
}

template <void (Workload::*Step)()>
void runStep(benchmark::State& state, const char* folder) {
  if (!test_support::SharedDataFound()) {
    state.SkipWithError(test_support::SharedDataMissing().c_str());
    return;
  }
  Workload& w = workload(folder, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    (w.*Step)();
    benchmark::ClobberMemory();
  }
  w.selectFast();
  state.counters["kept"] = w.keptCount;
}

void CaseRates(benchmark::State& state, const char* folder) {
  runStep<&Workload::rates>(state, folder);
}
void PathFluxSelect(benchmark::State& state, const char* folder) {
  runStep<&Workload::select>(state, folder);
}
void FastSelection(benchmark::State& state, const char* folder) {
  runStep<&Workload::selectFast>(state, folder);
}
void LiteralSelection(benchmark::State& state, const char* folder) {
  runStep<&Workload::selectLiteral>(state, folder);
}

// Early, mid-ignition and burnt states of the first block.
#define PATHFLUX_CASES ->Arg(1)->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond)

BENCHMARK_CAPTURE(CaseRates, methane, "gri30") PATHFLUX_CASES;
BENCHMARK_CAPTURE(PathFluxSelect, methane, "gri30") PATHFLUX_CASES;
BENCHMARK_CAPTURE(FastSelection, methane, "gri30") PATHFLUX_CASES;
BENCHMARK_CAPTURE(LiteralSelection, methane, "gri30") PATHFLUX_CASES;
BENCHMARK_CAPTURE(CaseRates, heptane, "llnl_nheptane_v2") PATHFLUX_CASES;
BENCHMARK_CAPTURE(PathFluxSelect, heptane, "llnl_nheptane_v2") PATHFLUX_CASES;
BENCHMARK_CAPTURE(FastSelection, heptane, "llnl_nheptane_v2") PATHFLUX_CASES;
// Seconds per call: one timed call each.
BENCHMARK_CAPTURE(LiteralSelection, heptane, "llnl_nheptane_v2")
    ->Arg(1)
    ->Arg(10)
    ->Arg(20)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
