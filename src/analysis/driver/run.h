// The run of the path-flux analysis program, from its arguments to its result files.
#pragma once

#include <array>
#include <string>

#include "common/console.h"

namespace driver {

// The six file names in their fixed order.
enum FileRole {
  kKineticsFile,
  kTransportFile,
  kCaseLibrary,
  kSelectionFile,
  kResultFile,
  kTrimFile
};

// Six arguments name the six files; without them the six defaults hold (ReadCommandLine refuses
// other counts). A name longer than 100 characters is cut to 100.
std::array<std::string, 6> ResolveFileNames(int argc, const char* const* argv);

// What the command line asks for: a run (no argument, or the six names), the usage (--help or
// -h anywhere), or the usage because the arguments are neither.
enum class CommandLine { Run, Help, Wrong };
CommandLine ReadCommandLine(int argc, const char* const* argv);

// The usage text of the program.
extern const char* const kTarnwickUsage;

// The whole run. Returns the exit status of a normal end: kExitResults when the trim file was
// written, kExitNoResults when the run ended without it. A failure throws common::Stop.
int RunTarnwick(common::Console& console, int argc, char** argv);

}  // namespace driver
