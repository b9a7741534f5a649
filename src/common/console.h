// The console of the programs: free-format lines, the Enter pause and the stop.
//
// Library code never ends the process. A failure writes its lines to the console and throws a
// Stop that carries them (stopRun); only a program's main catches it, pauses when the stop asks for
// it, flushes and ends with a non-zero status. Tests and fuzzers can therefore run many inputs in
// one process and still see exactly what a user sees.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace common {

// Exit statuses of the programs.
enum ExitStatus : int {
  kExitResults = 0,     // normal end that wrote its results
  kExitStopped = 1,     // a stop: a failure ended the run
  kExitNoResults = 2,   // the run ended normally but wrote no final results
  kExitWrongUsage = 2,  // a wrong command line: the usage was printed
};

// Thrown to end a run. It carries the message lines that the run wrote for it, so that a caller
// that is not a console program (the desktop program, a fuzz target, a tool that runs the
// analysis or a converter in-process) gets the reason as data.
class Stop {
 public:
  Stop(std::vector<std::string> lines, bool pause, int exitStatus = kExitStopped)
      : lines_(std::move(lines)), pause_(pause), exitStatus_(exitStatus) {}

  // The lines as the console shows them, in order ("" for an empty line).
  const std::vector<std::string>& lines() const { return lines_; }
  // The reason in one piece: the non-empty lines without their leading blanks, joined by
  // line ends; for a stop that writes nothing, the reason it was given.
  std::string reason() const;
  bool pauses() const { return pause_; }
  int exitStatus() const { return exitStatus_; }

  // A stop that writes nothing to the console, where the run must stay silent.
  static Stop Silent(std::string reason, bool pause);

 private:
  std::vector<std::string> lines_;
  std::string silentReason_;
  bool pause_;
  int exitStatus_;
};

class Console;

// Writes `lines` to the console and ends the run with a Stop that carries them.
[[noreturn]] void stopRun(Console& console, std::vector<std::string> lines, bool pause,
                          int exitStatus = kExitStopped);

// One item of a free-format line.
using FreeItem = std::variant<std::string_view, std::int64_t, double>;

// Formats a free-format line: one leading blank, then the items. Texts stand as they are;
// a number is preceded by one blank unless the line so far ends in a blank. Integers are
// written in full, doubles in the shortest form that reads back to the same value.
std::string freeFormat(std::initializer_list<FreeItem> items);

// Shortest decimal text that reads back to the same double.
std::string formatRoundTrip(double value);

class Console {
 public:
  Console(std::ostream& out, std::istream& in) : out_(out), in_(in) {}

  std::ostream& out() { return out_; }

  // Writes `text` and a line end.
  void line(std::string_view text);
  // Writes a free-format line (see freeFormat).
  void freeLine(std::initializer_list<FreeItem> items);

  // Asks for Enter and waits for it; returns at once at the end of input, so that a run
  // without a terminal never hangs.
  void pause();

 private:
  std::ostream& out_;
  std::istream& in_;
};

// The text of the Enter prompt.
inline constexpr std::string_view kPausePrompt = " Press Enter to end the run.";

// Runs `body` as a program's whole run: a Stop pauses when asked, then becomes its exit
// status; other exceptions end the run with a message and the stop status.
int runProgram(Console& console, int (*body)(Console&, int, char**), int argc, char** argv);

}  // namespace common
