// The configuration of `sorvane reduce`: what to reduce, for which targets, at which
// conditions, within which error. Read from a YAML file; the command line may set any of it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace reduction {

struct ReduceOptions {
  // The mechanism's text files (thermo and transport optional), and optionally a kinetics
  // linking file made from them, which spares their conversion.
  std::string mechanism, thermo, transport, kinetics;
  std::vector<std::string> targets;   // the start species of the analysis
  std::vector<std::string> retained;  // kept whatever the analysis finds
  std::string method = "path-flux";
  // Ignitions over the grid phi x pressure x temperature; stirred reactors over phi x pressure
  // x residence time at one inlet temperature.
  std::string fuel;
  std::string oxidizer = "O2:1,N2:3.76";
  std::vector<double> phis{1.0};
  std::vector<double> pressures{1.0};  // atm
  std::vector<double> temperatures;    // K
  bool constantVolume = false;
  double endTime = 10.0;  // s
  double inletTemperature = 300.0;
  std::vector<double> residenceTimes;  // s; empty: no stirred reactors
  double relativeTolerance = 1e-9;
  double absoluteTolerance = 1e-15;
  std::size_t states = 20;   // per ignition
  double errorLimit = 10.0;  // percent
  std::string outputFolder;  // required
  unsigned threads = 0;      // 0: every core
};

// Reads a configuration; `name` is the file's name in messages. Throws common::Stop naming the
// key at fault: an unknown key, a value of the wrong kind, a missing required key.
ReduceOptions ReadReduceConfig(const std::string& text, const std::string& name);

// Checks what can be checked without the mechanism (lists, limits, the method); throws
// common::Stop naming the key.
void CheckReduceOptions(const ReduceOptions& options);

// A commented configuration that, run from the repository root, reduces the shipped GRI-Mech
// sample.
std::string ExampleReduceConfig();

}  // namespace reduction
