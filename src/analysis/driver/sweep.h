// The critical-threshold program: for every species the largest threshold at which some state
// of a case library still keeps it, from one search per state.
#pragma once

#include <string>

#include "common/console.h"

namespace driver {

struct SweepOptions {
  std::string kineticsFile;
  std::string caseLibrary;
  std::string selectionFile;  // its start species; its threshold is not used
  double floor = 0.0;         // critical values at or below it are reported as such
  std::string curveFile;      // CSV of the kept count against the threshold; none when empty
};

// The whole run: the species by decreasing library critical value on the console, and the
// curve file. Returns the exit status of a normal end (kExitResults, or kExitNoResults when the
// library ended without results); a failure throws common::Stop and writes no curve file.
int RunSweep(common::Console& console, const SweepOptions& options);

}  // namespace driver
