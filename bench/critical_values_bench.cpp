// The critical values of one state down to a floor against one selection at that threshold,
// and the critical values of every state of a case library (rates included). The argument of
// the per-state measurements is the case number (1-based, case lines only).
#include <benchmark/benchmark.h>

#include <algorithm>
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
#include "support/shared_data.h"

namespace {

constexpr double kFloor = 0.01;

struct State {
  double pressure = 0.0;
  double temperature = 0.0;
  std::vector<double> massFractions;
};

// A mechanism with its tables, the start species of its selection file and the states of its
// case library.
struct Library {
  test_support::MemoryConsole console;
  kinetics::LoadedKinetics kinetics;
  std::unique_ptr<analysis::AnalysisTables> tables;
  std::vector<std::int32_t> start;
  std::vector<State> states;
  std::vector<double> forward, reverse, critical, libraryCritical;
  std::vector<std::int32_t> keptFlags, keptList;

  explicit Library(const std::string& folder) {
    const std::string base = test_support::SharedData(folder);
    kinetics = kinetics::LoadKineticsFile(base + "/chem.bin", console);
    tables = std::make_unique<analysis::AnalysisTables>(
        analysis::BuildAnalysisTables(kinetics.state, kinetics.IKWORK));
    const std::int32_t KK = tables->KK;
    start = test_support::ReadSelectionFile(base + "/selection.dat").start;
    for (const std::vector<double>& values :
         test_support::ReadCaseLines(base + "/libdata.asc", 100000)) {
      if (values.size() != static_cast<std::size_t>(KK) + 7) continue;
      State state{values[1], values[6], std::vector<double>(KK)};
      kinetics::MoleToMassFractions(kinetics.state,
                                    std::vector<double>(values.begin() + 7, values.end()),
                                    kinetics.RKWORK, state.massFractions);
      states.push_back(std::move(state));
    }
    forward.assign(tables->NR, 0.0);
    reverse.assign(tables->NR, 0.0);
    critical.assign(KK, 0.0);
    libraryCritical.assign(KK, 0.0);
    keptFlags.assign(tables->NS, 0);
    keptList.assign(tables->NS, 0);
  }

  void rates(const State& s) {
    const std::array<double, 4> temperatures{s.temperature, s.temperature, s.temperature,
                                             s.temperature};
    analysis::CaseRates(kinetics.state, 4, s.pressure, temperatures, s.massFractions,
                        kinetics.IKWORK, kinetics.RKWORK, forward, reverse, console);
  }
  std::int32_t select() {
    analysis::SelectionOutput output{1, keptFlags, keptList};
    analysis::SelectFromRates({forward, reverse, start, kFloor}, tables->scratch, output);
    return output.KeptCount;
  }
  void sweep() {
    analysis::CriticalValuesFromRates({forward, reverse, start, kFloor}, tables->scratch, critical);
  }
};

Library* library(benchmark::State& state, const std::string& folder) {
  if (!test_support::SharedDataFound()) {
    state.SkipWithError(test_support::SharedDataMissing().c_str());
    return nullptr;
  }
  static std::map<std::string, std::unique_ptr<Library>> loaded;
  auto& slot = loaded[folder];
  if (!slot) slot = std::make_unique<Library>(folder);
  return slot.get();
}

// One selection at threshold kFloor, from the rates of the state.
void SelectionAtFloor(benchmark::State& state, const char* folder) {
  Library* l = library(state, folder);
  if (l == nullptr) return;
  l->rates(l->states.at(state.range(0) - 1));
  std::int32_t kept = 0;
  for (auto _ : state) {
    kept = l->select();
    benchmark::ClobberMemory();
  }
  state.counters["kept"] = kept;
}

// Every species' critical value down to kFloor, from the same rates.
void CriticalValuesToFloor(benchmark::State& state, const char* folder) {
  Library* l = library(state, folder);
  if (l == nullptr) return;
  l->rates(l->states.at(state.range(0) - 1));
  for (auto _ : state) {
    l->sweep();
    benchmark::ClobberMemory();
  }
  state.counters["above_floor"] = static_cast<double>(
      std::count_if(l->critical.begin(), l->critical.end(), [](double c) { return c > kFloor; }));
}

// The per-state operations of the two programs, rates included: tarnwick's selection and
// tarnwick-sweep's search.
void SelectCaseAtFloor(benchmark::State& state, const char* folder) {
  Library* l = library(state, folder);
  if (l == nullptr) return;
  const State& s = l->states.at(state.range(0) - 1);
  for (auto _ : state) {
    analysis::SelectionOutput output{1, l->keptFlags, l->keptList};
    analysis::SelectCase(l->kinetics.state, l->kinetics.IKWORK, l->kinetics.RKWORK,
                         {s.pressure, s.temperature, s.massFractions}, l->start, kFloor,
                         l->tables->scratch, output, l->console);
    benchmark::ClobberMemory();
  }
}
void CriticalValuesOfCase(benchmark::State& state, const char* folder) {
  Library* l = library(state, folder);
  if (l == nullptr) return;
  const State& s = l->states.at(state.range(0) - 1);
  for (auto _ : state) {
    analysis::CriticalValuesOfCase(l->kinetics.state, l->kinetics.IKWORK, l->kinetics.RKWORK,
                                   {s.pressure, s.temperature, s.massFractions}, l->start, kFloor,
                                   l->tables->scratch, l->critical, l->console);
    benchmark::ClobberMemory();
  }
}

// Rates and critical values of every state of the library, merged into the library's maxima.
void WholeLibrary(benchmark::State& state, const char* folder) {
  Library* l = library(state, folder);
  if (l == nullptr) return;
  for (auto _ : state) {
    std::fill(l->libraryCritical.begin(), l->libraryCritical.end(), kFloor);
    for (const State& s : l->states) {
      l->rates(s);
      l->sweep();
      for (std::size_t k = 0; k < l->critical.size(); ++k) {
        l->libraryCritical[k] = std::max(l->libraryCritical[k], l->critical[k]);
      }
    }
    benchmark::ClobberMemory();
  }
  state.counters["states"] = static_cast<double>(l->states.size());
}

#define PATHFLUX_CASES ->Arg(1)->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond)

BENCHMARK_CAPTURE(SelectionAtFloor, methane, "gri30") PATHFLUX_CASES;
BENCHMARK_CAPTURE(CriticalValuesToFloor, methane, "gri30") PATHFLUX_CASES;
BENCHMARK_CAPTURE(SelectionAtFloor, heptane, "llnl_nheptane_v2") PATHFLUX_CASES;
BENCHMARK_CAPTURE(CriticalValuesToFloor, heptane, "llnl_nheptane_v2") PATHFLUX_CASES;
BENCHMARK_CAPTURE(SelectCaseAtFloor, heptane, "llnl_nheptane_v2") PATHFLUX_CASES;
BENCHMARK_CAPTURE(CriticalValuesOfCase, heptane, "llnl_nheptane_v2") PATHFLUX_CASES;
BENCHMARK_CAPTURE(WholeLibrary, methane, "gri30")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WholeLibrary, heptane, "llnl_nheptane_v2")->Unit(benchmark::kMillisecond);

}  // namespace
