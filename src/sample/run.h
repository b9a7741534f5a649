// tarnwick-sample: reactor runs over a grid of conditions, written as a case library.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "reactor/reactor.h"
#include "sample/conditions.h"

namespace sample {

struct Settings {
  std::string kineticsFile;
  std::string fuel;
  std::string oxidizer = "O2:1,N2:3.76";
  std::vector<double> phis{1.0};
  std::vector<double> pressures{1.0};  // atm
  std::vector<double> temperatures;    // K: initial temperatures of the ignitions
  bool constantVolume = false;
  std::size_t states = 20;
  double endTime = 10.0;  // s
  double relativeTolerance = 1e-9;
  double absoluteTolerance = 1e-15;
  std::string output = "libdata.asc";
  std::string ignitionCsv;  // empty: none
  // Stirred reactors instead of ignitions: one block per residence time.
  bool stirredReactor = false;
  double inletTemperature = 300.0;  // K
  std::vector<double> residenceTimes;
  unsigned threads = 0;  // 0: every core
};

// Loads a kinetics linking file for the reactors: null, with `problem` set, when it cannot be
// read or holds reactions the reactors refuse.
std::unique_ptr<reactor::Mechanism> LoadReactorMechanism(const std::string& path,
                                                         std::string& problem);

// The names and element counts of a mechanism's species, as mixtures need them.
SpeciesTable SpeciesTableOf(const reactor::Mechanism& mechanism);

// Runs every condition and writes the library (and the delays' table) through temporary files.
// Messages go to `messages`; a progress line too when `progress`. Returns the exit status: 0
// when every file was written, 1 otherwise (nothing half-written is left).
int RunSampler(const Settings& settings, std::ostream& messages, bool progress);

}  // namespace sample
