// tarnwick: path-flux analysis of a kinetic mechanism over a library of combustion states.
#include <iostream>

#include "analysis/driver/run.h"
#include "common/console.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  common::Console console(std::cout, std::cin);
  return common::runProgram(console, driver::RunTarnwick, argc, argv);
}
