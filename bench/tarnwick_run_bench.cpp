// A whole tarnwick run, start-up to trim file, on the shipped libraries of GRI-Mech 3.0
// (120 cases) and the LLNL n-heptane mechanism (80 cases, 561 species).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/driver/run.h"

namespace {

void runLibrary(benchmark::State& state, const std::string& folder) {
  const std::string data = std::string(PATHFLUX_TEST_DATA) + "/" + folder + "/";
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "pathflux-bench";
  std::filesystem::create_directories(out);
  std::vector<std::string> arguments = {"tarnwick",
                                        data + "chem.bin",
                                        data + "tran.bin",
                                        data + "libdata.asc",
                                        data + "selection.dat",
                                        (out / "output.dat").string(),
                                        (out / "fortrim.txt").string()};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  for (auto _ : state) {
    std::ostringstream console;
    std::istringstream noInput;
    common::Console sink(console, noInput);
    const int status = driver::RunTarnwick(sink, static_cast<int>(argv.size()), argv.data());
    if (status != 0) state.SkipWithError("the run did not write its results");
    benchmark::DoNotOptimize(console.str().size());
  }
}

void BM_TarnwickRun_GriMech30(benchmark::State& state) { runLibrary(state, "gri30"); }
void BM_TarnwickRun_NHeptane(benchmark::State& state) { runLibrary(state, "llnl_nheptane_v2"); }

BENCHMARK(BM_TarnwickRun_GriMech30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TarnwickRun_NHeptane)->Unit(benchmark::kMillisecond);

}  // namespace
