// tarnwick-sample: reactor simulations that write the case library of the analysis.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "sample/run.h"

int main(int argc, char** argv) {
  sample::Settings s;
  CLI::App app{
      "Runs adiabatic ignitions (or perfectly stirred reactors) of a mechanism over a grid of "
      "conditions and writes their states as the case library of tarnwick.",
      "tarnwick-sample"};
  app.add_option("kinetics", s.kineticsFile, "kinetics linking file (chem.bin)")
      ->required()
      ->check(CLI::ExistingFile);
  app.add_option("--fuel", s.fuel, "fuel species, e.g. CH4 or CH4:0.9,C2H6:0.1")->required();
  app.add_option("--oxidizer", s.oxidizer, "oxidizer species with amounts")->capture_default_str();
  app.add_option("--phi", s.phis, "equivalence ratios")->delimiter(',')->capture_default_str();
  app.add_option("--pressure", s.pressures, "pressures in atm")
      ->delimiter(',')
      ->capture_default_str();
  auto* temperatures =
      app.add_option("--temperature", s.temperatures, "initial temperatures in K")->delimiter(',');
  app.add_flag("--constant-volume", s.constantVolume, "constant volume instead of pressure");
  app.add_option("--states", s.states, "states written per ignition")->capture_default_str();
  app.add_option("--end-time", s.endTime, "end of each ignition run in s")->capture_default_str();
  app.add_option("--rtol", s.relativeTolerance, "relative tolerance")->capture_default_str();
  app.add_option("--atol", s.absoluteTolerance, "absolute tolerance")->capture_default_str();
  app.add_option("-o,--output", s.output, "case library written")->capture_default_str();
  app.add_option("--ignition-csv", s.ignitionCsv,
                 "table of delays (or stirred-reactor temperatures) per condition");
  auto* psr = app.add_flag("--psr", s.stirredReactor,
                           "perfectly stirred reactors (PSRLIB) instead of ignitions");
  app.add_option("--inlet-temperature", s.inletTemperature, "stirred-reactor inlet in K")
      ->capture_default_str();
  app.add_option("--residence-time", s.residenceTimes, "stirred-reactor residence times in s")
      ->delimiter(',');
  app.add_option("--threads", s.threads, "threads (default: every core)");
  temperatures->excludes(psr);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : 2;
  }
  return sample::RunSampler(s, std::cerr, isatty(STDERR_FILENO) != 0);
}
