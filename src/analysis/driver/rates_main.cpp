// tarnwick-rates: the forward and reverse rates of progress of every reaction at every case
// of a case library, as CSV with round-trip precision.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/core/rate_kernel.h"
#include "analysis/driver/case_library.h"
#include "common/console.h"
#include "kinetics/linking_file.h"
#include "kinetics/queries.h"

namespace {

int printRates(common::Console& console, int argc, char** argv) {
  if (argc != 3 || std::string(argv[1]) == "--help") {
    console.line("usage: tarnwick-rates CHEM.BIN LIBDATA.ASC");
    console.line("Prints block,case,reaction,forward,reverse for every case line of the library:");
    console.line("the forward and reverse rates of progress in mol/(cm3 s).");
    return argc == 2 ? common::kExitResults : common::kExitStopped;
  }
  kinetics::LoadedKinetics mechanism = kinetics::LoadKineticsFile(argv[1], console);
  const std::int32_t species = mechanism.state.counts.KK;
  const std::int32_t reactions = mechanism.state.counts.ReactionCount;
  if (!std::filesystem::exists(argv[2])) {
    common::stopRun(console, {std::string(" FILE ") + argv[2] + " not found."}, false);
  }
  driver::CaseLibrary library(argv[2], species, console);

  std::vector<double> massFractions(species);
  std::vector<double> forward(reactions), reverse(reactions);
  std::vector<double> temperatures(4);
  std::int32_t block = 0, caseNumber = 0;
  std::string text = "block,case,reaction,forward,reverse\n";
  char row[128];
  for (;;) {
    const driver::LibraryLine line = library.next();
    using Kind = driver::LibraryLine::Kind;
    if (line.kind == Kind::End || line.kind == Kind::BlankStart) break;
    if (line.kind == Kind::BlockHeader) {
      ++block;
      caseNumber = 0;
    }
    if (line.kind != Kind::Case) continue;
    ++caseNumber;
    const std::span<const double> values = library.caseValues();
    if (!kinetics::MoleToMassFractions(mechanism.state, driver::CaseMoleFractions(values),
                                       mechanism.RKWORK, massFractions)) {
      common::stopRun(console,
                      {" The mole fractions at line " + std::to_string(line.origin.lineNumber) +
                       " do not give a positive mass."},
                      false);
    }
    temperatures.assign(4, driver::CaseTemperature(values));
    analysis::CaseRates(mechanism.state, 4, driver::CasePressure(values), temperatures,
                        massFractions, mechanism.IKWORK, mechanism.RKWORK, forward, reverse,
                        console);
    for (std::int32_t i = 0; i < reactions; ++i) {
      const int length = std::snprintf(row, sizeof row, "%d,%d,%d,%.17g,%.17g\n", block, caseNumber,
                                       i + 1, forward[i], reverse[i]);
      text.append(row, static_cast<std::size_t>(length));
    }
    console.out() << text;
    text.clear();
  }
  return common::kExitResults;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  common::Console console(std::cout, std::cin);
  return common::runProgram(console, printRates, argc, argv);
}
