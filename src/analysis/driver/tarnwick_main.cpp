// tarnwick: path-flux analysis of a kinetic mechanism over a library of combustion states.
#include <iostream>

#include "analysis/driver/run.h"
#include "common/console.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  switch (driver::ReadCommandLine(argc, argv)) {
    case driver::CommandLine::Help:
      std::cout << driver::kTarnwickUsage;
      return common::kExitResults;
    case driver::CommandLine::Wrong:
      std::cerr << "tarnwick: give no file names or all six\n" << driver::kTarnwickUsage;
      return common::kExitWrongUsage;
    case driver::CommandLine::Run:
      break;
  }
  common::Console console(std::cout, std::cin);
  return common::runProgram(console, driver::RunTarnwick, argc, argv);
}
