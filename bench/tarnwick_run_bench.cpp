// A whole tarnwick run, start-up to trim file, on the shipped libraries of GRI-Mech 3.0
// (120 cases) and the LLNL n-heptane mechanism (80 cases, 561 species).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "analysis/driver/run.h"
#include "analysis/driver/sweep.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

void runLibrary(benchmark::State& state, const std::string& folder) {
  if (!test_support::SharedDataFound()) {
    state.SkipWithError(test_support::SharedDataMissing().c_str());
    return;
  }
  const std::string data = test_support::SharedData(folder + "/");
  const test_support::ScratchFolder out("pathflux-bench");
  std::vector<std::string> arguments = {"tarnwick",
                                        data + "chem.bin",
                                        data + "tran.bin",
                                        data + "libdata.asc",
                                        data + "selection.dat",
                                        out.path("output.dat"),
                                        out.path("fortrim.txt")};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  for (auto _ : state) {
    test_support::MemoryConsole console;
    const int status = driver::RunTarnwick(console, static_cast<int>(argv.size()), argv.data());
    if (status != 0) state.SkipWithError("the run did not write its results");
    benchmark::DoNotOptimize(console.text().size());
  }
}

void BM_TarnwickRun_GriMech30(benchmark::State& state) {
  runLibrary(state, "gri30");
}
void BM_TarnwickRun_NHeptane(benchmark::State& state) {
  runLibrary(state, "llnl_nheptane_v2");
}

// A whole tarnwick-sweep run (no curve file) down to the floor given as the argument in
// thousandths.
void sweepLibrary(benchmark::State& state, const std::string& folder) {
  if (!test_support::SharedDataFound()) {
    state.SkipWithError(test_support::SharedDataMissing().c_str());
    return;
  }
  const std::string data = test_support::SharedData(folder + "/");
  const driver::SweepOptions options{data + "chem.bin", data + "libdata.asc",
                                     data + "selection.dat",
                                     static_cast<double>(state.range(0)) / 1000.0, ""};
  for (auto _ : state) {
    test_support::MemoryConsole console;
    if (driver::RunSweep(console, options) != 0) state.SkipWithError("the sweep ended early");
    benchmark::DoNotOptimize(console.text().size());
  }
}

void BM_SweepRun_GriMech30(benchmark::State& state) {
  sweepLibrary(state, "gri30");
}
void BM_SweepRun_NHeptane(benchmark::State& state) {
  sweepLibrary(state, "llnl_nheptane_v2");
}

BENCHMARK(BM_TarnwickRun_GriMech30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepRun_GriMech30)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepRun_NHeptane)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TarnwickRun_NHeptane)->Unit(benchmark::kMillisecond);

}  // namespace
