// sorvane reduce as a whole (conversion, sampling, ranking, search, writing) at the anchor
// conditions: the shipped GRI-Mech 3.0 sample (CH4/air, phi 1, 1 and 10 atm, 1200 and 1500 K)
// and LLNL n-heptane (phi 1, 10 atm, 900 and 1200 K), both within 10 % of the detailed delays.
// The counters give the species, reactions and largest error of the mechanism found.
#include <benchmark/benchmark.h>

#include <sstream>

#include "common/console.h"
#include "reduction/reduce_command.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

void runReduction(benchmark::State& state, const reduction::ReduceOptions& options) {
  reduction::ReduceSummary summary;
  for (auto _ : state) {
    std::ostringstream progress;
    try {
      summary = reduction::Reduce(options, progress, false);
    } catch (const common::Stop& stop) {
      state.SkipWithError(stop.reason().c_str());
      return;
    }
  }
  state.counters["species"] = static_cast<double>(summary.speciesAfter);
  state.counters["reactions"] = static_cast<double>(summary.reactionsAfter);
  state.counters["error_pct"] = 100.0 * summary.largestError;
  state.counters["probes"] = static_cast<double>(summary.probes.size());
}

void BM_ReduceGriMech30(benchmark::State& state) {
  reduction::ReduceOptions o;
  o.mechanism = test_support::ShippedData("gri30/gri30.inp");
  o.thermo = test_support::ShippedData("gri30/gri30_thermo.dat");
  o.transport = test_support::ShippedData("gri30/gri30_tran.dat");
  o.targets = {"CH4", "O2"};
  o.retained = {"N2"};
  o.fuel = "CH4";
  o.pressures = {1.0, 10.0};
  o.temperatures = {1200.0, 1500.0};
  o.endTime = 1.0;
  o.outputFolder = test_support::ScratchPath("reduced-gri30");
  runReduction(state, o);
}
BENCHMARK(BM_ReduceGriMech30)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReduceNHeptane(benchmark::State& state) {
  if (!test_support::SharedDataFound()) {
    state.SkipWithError(test_support::SharedDataMissing().c_str());
    return;
  }
  reduction::ReduceOptions o;
  o.mechanism = test_support::SharedData("llnl_nheptane_v2/chem.inp");
  o.thermo = test_support::SharedData("llnl_nheptane_v2/thermo.dat");
  o.transport = test_support::SharedData("llnl_nheptane_v2/trans.dat");
  o.targets = {"C7H16", "O2"};
  o.retained = {"N2"};
  o.fuel = "C7H16";
  o.pressures = {10.0};
  o.temperatures = {900.0, 1200.0};
  o.endTime = 0.05;
  o.outputFolder = test_support::ScratchPath("reduced-nheptane");
  runReduction(state, o);
}
BENCHMARK(BM_ReduceNHeptane)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
