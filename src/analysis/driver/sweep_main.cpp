// tarnwick-sweep: every species' critical threshold over a case library, and the kept count
// against the threshold.
#include <CLI/CLI.hpp>
#include <iostream>

#include "analysis/driver/sweep.h"
#include "common/console.h"

namespace {

driver::SweepOptions options;

int runSweep(common::Console& console, int, char**) {
  return driver::RunSweep(console, options);
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  CLI::App app(
      "For every species, the largest threshold at which the path-flux analysis still keeps it\n"
      "in some case of the library (its critical value), from one search per case. Prints the\n"
      "species by decreasing critical value with the block and case that reach it.",
      "tarnwick-sweep");
  app.add_option("chem.bin", options.kineticsFile, "kinetics linking file")->required();
  app.add_option("libdata.asc", options.caseLibrary, "case library")->required();
  app.add_option("selection.dat", options.selectionFile,
                 "start species (its threshold is not used)")
      ->required();
  app.add_option("--floor", options.floor,
                 "critical values at or below FLOOR are reported as such, which spares work; "
                 "below zero the search is complete")
      ->capture_default_str();
  app.add_option("--csv", options.curveFile,
                 "writes threshold,kept_species: the species kept over the library at each "
                 "distinct critical value and at the floor");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? common::kExitResults : common::kExitWrongUsage;
  }
  common::Console console(std::cout, std::cin);
  return common::runProgram(console, runSweep, argc, argv);
}
