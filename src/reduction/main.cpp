// sorvane: reduces a mechanism by the species that an analysis found unneeded.
#include <CLI/CLI.hpp>
#include <iostream>

#include "common/console.h"
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
  } catch (const common::Stop& stop) {
    for (const std::string& line : stop.lines()) std::cerr << line << '\n';
    return stop.exitStatus();
  }
  return 0;
}
