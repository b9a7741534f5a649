// sorvane: reduces a mechanism by the species that an analysis found unneeded.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

#include "common/console.h"
#include "reduction/reduce_command.h"
#include "reduction/reduce_config.h"
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

  // sorvane reduce: the options given on the command line override the configuration's.
  reduction::ReduceOptions given;
  std::string configFile;
  bool printExample = false;
  CLI::App* reduceCommand = app.add_subcommand(
      "reduce",
      "search the smallest mechanism within an error limit; writes the reduced files, "
      "validation.csv/png, reduce.json and reduce.csv");
  reduceCommand->add_option("config", configFile, "YAML configuration (see --print-example)");
  reduceCommand->add_flag("--print-example", printExample,
                          "write a commented configuration for the shipped sample and stop");
  std::vector<std::pair<CLI::Option*, std::function<void(reduction::ReduceOptions&)>>> overrides;
  const auto add = [&](const std::string& name, auto member, const std::string& help,
                       bool list = false) {
    CLI::Option* option = reduceCommand->add_option(name, given.*member, help);
    if (list) option->delimiter(',');
    overrides.emplace_back(
        option, [member, &given](reduction::ReduceOptions& into) { into.*member = given.*member; });
  };
  using R = reduction::ReduceOptions;
  add("--mech", &R::mechanism, "mechanism file");
  add("--thermo", &R::thermo, "thermo data file");
  add("--transport", &R::transport, "transport data file");
  add("--kinetics", &R::kinetics, "kinetics linking file of the same mechanism");
  add("--targets", &R::targets, "target species", true);
  add("--retained", &R::retained, "species kept whatever the analysis finds", true);
  add("--method", &R::method, "path-flux");
  add("--fuel", &R::fuel, "fuel, e.g. CH4");
  add("--oxidizer", &R::oxidizer, "oxidizer, e.g. O2:1,N2:3.76");
  add("--phi", &R::phis, "equivalence ratios", true);
  add("--pressure", &R::pressures, "pressures in atm", true);
  add("--temperature", &R::temperatures, "initial temperatures in K", true);
  add("--end-time", &R::endTime, "end of each ignition in s");
  add("--inlet-temperature", &R::inletTemperature, "stirred-reactor inlet in K");
  add("--residence-time", &R::residenceTimes, "stirred-reactor residence times in s", true);
  add("--rtol", &R::relativeTolerance, "relative tolerance");
  add("--atol", &R::absoluteTolerance, "absolute tolerance");
  add("--states", &R::states, "states per ignition for the analysis");
  add("--error-limit", &R::errorLimit, "largest error allowed, percent");
  add("-o,--output", &R::outputFolder, "output folder");
  add("--threads", &R::threads, "threads (default: every core)");
  overrides.emplace_back(
      reduceCommand->add_flag("--constant-volume", given.constantVolume, "constant volume"),
      [&given](R& into) { into.constantVolume = given.constantVolume; });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : common::kExitWrongUsage;
  }
  try {
    if (reduceCommand->parsed()) {
      if (printExample) {
        std::cout << reduction::ExampleReduceConfig();
        return 0;
      }
      reduction::ReduceOptions options;
      if (!configFile.empty()) {
        std::ifstream in(configFile);
        if (!in) {
          std::cerr << "sorvane reduce: cannot read " << configFile << "; nothing written\n";
          return common::kExitStopped;
        }
        std::ostringstream text;
        text << in.rdbuf();
        options = reduction::ReadReduceConfig(text.str(), configFile);
      }
      for (const auto& [option, apply] : overrides) {
        if (option->count() > 0) apply(options);
      }
      const reduction::ReduceSummary summary =
          reduction::Reduce(options, std::cerr, isatty(STDERR_FILENO) != 0);
      std::cout << " species " << summary.speciesBefore << " -> " << summary.speciesAfter
                << ", reactions " << summary.reactionsBefore << " -> " << summary.reactionsAfter
                << "; largest error " << summary.largestError * 100.0 << " % at " << summary.where
                << "; " << summary.probes.size() << " probes in " << summary.seconds
                << " s\n written:";
      for (const std::string& path : summary.written) std::cout << ' ' << path;
      std::cout << '\n';
      if (!summary.plotNote.empty()) std::cout << " " << summary.plotNote << '\n';
    }
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
