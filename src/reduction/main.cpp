// sorvane: reduces a mechanism by the species that an analysis found unneeded.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "common/console.h"
#include "reduction/validate_command.h"
#include "reduction/write_command.h"

int main(int argc, char** argv) {
  CLI::App app{"sorvane: reduced mechanism, thermo and transport files"};
  app.require_subcommand(1);

  reduction::WriteOptions write;
  CLI::App* writeCommand = app.add_subcommand(
      "write", "write the reduced files and the listing sorvane.out into a folder");
  writeCommand->add_option("--mech", write.mechanism, "mechanism file")->required();
  writeCommand->add_option("--thermo", write.thermo, "thermo data file");
  writeCommand->add_option("--transport", write.transport, "transport data file");
  auto* trim =
      writeCommand->add_option("--trim", write.trimFile, "trim file of the species to remove");
  auto* remove =
      writeCommand->add_option("--remove", write.remove, "names of the species to remove")
          ->delimiter(',');
  trim->excludes(remove);
  writeCommand->add_option("--keep", write.keep, "names of species that stay whatever is removed")
      ->delimiter(',');
  writeCommand->add_option("-o,--output", write.outputFolder, "folder of the reduced files")
      ->required();

  reduction::ValidateOptions check;
  CLI::App* validateCommand = app.add_subcommand(
      "validate",
      "run the detailed and the reduced mechanism at every condition; writes validation.csv "
      "and validation.png");
  validateCommand->add_option("--detailed", check.detailed, "kinetics file of the detailed one")
      ->required()
      ->check(CLI::ExistingFile);
  validateCommand->add_option("--reduced", check.reduced, "kinetics file of the reduced one")
      ->required()
      ->check(CLI::ExistingFile);
  validateCommand->add_option("--fuel", check.fuel, "fuel species, e.g. CH4")->required();
  validateCommand->add_option("--oxidizer", check.oxidizer, "oxidizer species with amounts")
      ->capture_default_str();
  validateCommand->add_option("--phi", check.phis, "equivalence ratios")
      ->delimiter(',')
      ->capture_default_str();
  validateCommand->add_option("--pressure", check.pressures, "pressures in atm")
      ->delimiter(',')
      ->capture_default_str();
  auto* temperatures = validateCommand
                           ->add_option("--temperature", check.temperatures,
                                        "initial temperatures of the ignitions in K")
                           ->delimiter(',');
  validateCommand->add_flag("--constant-volume", check.constantVolume,
                            "constant volume instead of pressure");
  validateCommand->add_option("--end-time", check.endTime, "end of each ignition in s")
      ->capture_default_str();
  validateCommand->add_option("--rtol", check.relativeTolerance, "relative tolerance")
      ->capture_default_str();
  validateCommand->add_option("--atol", check.absoluteTolerance, "absolute tolerance")
      ->capture_default_str();
  auto* psr = validateCommand->add_flag("--psr", check.stirredReactor,
                                        "perfectly stirred reactors instead of ignitions");
  validateCommand
      ->add_option("--inlet-temperature", check.inletTemperature, "stirred-reactor inlet in K")
      ->capture_default_str();
  validateCommand
      ->add_option("--residence-time", check.residenceTimes, "stirred-reactor residence times in s")
      ->delimiter(',');
  validateCommand->add_option("-o,--output", check.outputFolder, "folder of the table and plot")
      ->capture_default_str();
  validateCommand->add_option("--threads", check.threads, "threads (default: every core)");
  temperatures->excludes(psr);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : common::kExitWrongUsage;
  }
  try {
    if (writeCommand->parsed()) {
      const reduction::WriteSummary summary = reduction::WriteReducedFiles(write);
      std::cout << " species " << summary.speciesBefore << " -> " << summary.speciesAfter
                << ", reactions " << summary.reactionsBefore << " -> " << summary.reactionsAfter
                << "; written:";
      for (const std::string& path : summary.written) std::cout << ' ' << path;
      std::cout << '\n';
    }
    if (validateCommand->parsed()) {
      const reduction::ValidationSummary summary =
          reduction::Validate(check, std::cerr, isatty(STDERR_FILENO) != 0);
      std::cout << " " << summary.conditions << " conditions; largest error "
                << summary.largestError * 100.0 << " % at " << summary.where << "; table "
                << summary.table;
      if (!summary.plot.empty()) {
        std::cout << ", plot " << summary.plot << '\n';
      } else {
        std::cout << "; " << summary.plotNote << '\n';
      }
    }
  } catch (const common::Stop& stop) {
    for (const std::string& line : stop.lines()) std::cerr << line << '\n';
    return stop.exitStatus();
  }
  return 0;
}
