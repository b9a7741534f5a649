// Reactor runs at the tolerances of the reference code (rtol 1e-9, atol 1e-15): GRI-Mech 3.0
// ignition at the 27 conditions of the shared reference (median per condition), n-heptane
// ignition at phi 1, 10 atm, 900 K, and a GRI-Mech stirred reactor. Integrator steps,
// right-hand-side and Jacobian evaluations are reported beside the times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kinetics/linking_file.h"
#include "reactor/reactor.h"
#include "support/memory_console.h"
#include "support/shared_data.h"

namespace {

bool load(benchmark::State& state, const std::string& folder,
          std::unique_ptr<reactor::Mechanism>& mechanism) {
  if (!test_support::SharedDataFound()) {
    state.SkipWithError(test_support::SharedDataMissing().c_str());
    return false;
  }
  test_support::MemoryConsole console;
  try {
    mechanism = std::make_unique<reactor::Mechanism>(
        kinetics::LoadKineticsFile(test_support::SharedData(folder + "/chem.bin"), console));
  } catch (const common::Stop&) {
    state.SkipWithError(("cannot load " + folder + "/chem.bin").c_str());
    return false;
  }
  return true;
}

std::vector<double> fuelAir(const reactor::Mechanism& mechanism, const std::string& fuel,
                            double oxygenPerFuel, double phi) {
  std::vector<double> x(static_cast<std::size_t>(mechanism.speciesCount()), 0.0);
  x[static_cast<std::size_t>(mechanism.speciesIndex(fuel))] = phi;
  x[static_cast<std::size_t>(mechanism.speciesIndex("O2"))] = oxygenPerFuel;
  x[static_cast<std::size_t>(mechanism.speciesIndex("N2"))] = oxygenPerFuel * 3.76;
  return x;
}

void report(benchmark::State& state, const reactor::RunCounts& counts, double runs) {
  state.counters["steps"] = static_cast<double>(counts.steps) / runs;
  state.counters["rhs"] = static_cast<double>(counts.rightHandSides) / runs;
  state.counters["jacobians"] = static_cast<double>(counts.jacobians) / runs;
}

// Every condition of the reference once per iteration; the counters give the median and the
// largest wall time of one condition and the mean counts per condition.
void BM_IgnitionGriMech30AllConditions(benchmark::State& state) {
  std::unique_ptr<reactor::Mechanism> mechanism;
  if (!load(state, "gri30", mechanism)) return;
  std::ifstream file(test_support::SharedData("gri30/ignition-reference.csv"));
  std::vector<std::vector<double>> conditions;
  std::string line;
  std::getline(file, line);
  while (std::getline(file, line)) {
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream fields(line);
    std::vector<double> c(4);
    if (fields >> c[0] >> c[1] >> c[2] >> c[3]) conditions.push_back(c);
  }
  std::vector<double> seconds;
  reactor::RunCounts counts;
  for (auto _ : state) {
    for (const auto& c : conditions) {
      const auto run =
          reactor::RunIgnition(*mechanism, reactor::Model::ConstantPressure, c[2], c[1] * 1013250.0,
                               fuelAir(*mechanism, "CH4", 2.0, c[0]), c[3]);
      if (!run.ok) {
        state.SkipWithError(run.failure.c_str());
        return;
      }
      seconds.push_back(run.seconds);
      counts.steps += run.counts.steps;
      counts.rightHandSides += run.counts.rightHandSides;
      counts.jacobians += run.counts.jacobians;
    }
  }
  std::sort(seconds.begin(), seconds.end());
  state.counters["median_s"] = seconds[seconds.size() / 2];
  state.counters["max_s"] = seconds.back();
  report(state, counts, static_cast<double>(seconds.size()));
}
BENCHMARK(BM_IgnitionGriMech30AllConditions)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_IgnitionNHeptane(benchmark::State& state) {
  std::unique_ptr<reactor::Mechanism> mechanism;
  if (!load(state, "llnl_nheptane_v2", mechanism)) return;
  const auto x = fuelAir(*mechanism, "C7H16", 11.0, 1.0);
  reactor::RunCounts counts;
  double runs = 0.0;
  for (auto _ : state) {
    const auto run = reactor::RunIgnition(*mechanism, reactor::Model::ConstantPressure, 900.0,
                                          10 * 1013250.0, x, 0.05);
    if (!run.ok) {
      state.SkipWithError(run.failure.c_str());
      return;
    }
    counts = run.counts;
    runs = 1.0;
    state.counters["delay_s"] = run.delayMaxSlope;
  }
  report(state, counts, runs);
}
BENCHMARK(BM_IgnitionNHeptane)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StirredReactorGriMech30(benchmark::State& state) {
  std::unique_ptr<reactor::Mechanism> mechanism;
  if (!load(state, "gri30", mechanism)) return;
  const auto x = fuelAir(*mechanism, "CH4", 2.0, 1.0);
  reactor::RunCounts counts;
  for (auto _ : state) {
    const auto run = reactor::RunPsr(*mechanism, 300.0, 1013250.0, x, 1e-4);
    if (!run.ok) {
      state.SkipWithError(run.failure.c_str());
      return;
    }
    counts = run.counts;
  }
  report(state, counts, 1.0);
}
BENCHMARK(BM_StirredReactorGriMech30)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
