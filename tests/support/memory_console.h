// Consoles for tests, benchmarks and fuzz targets: the lines go to memory, and the Enter prompt
// returns at once because the input is empty, so a stop that pauses never waits.
#pragma once

#include <functional>
#include <sstream>
#include <string>

#include "common/console.h"

namespace test_support {

namespace detail {
// The streams are a base of MemoryConsole so that they exist before the console refers to them.
struct MemoryStreams {
  std::ostringstream written;
  std::istringstream noInput;
};
}  // namespace detail

// A console whose lines are kept in memory; text() is everything written so far.
class MemoryConsole : private detail::MemoryStreams, public common::Console {
 public:
  MemoryConsole() : common::Console(written, noInput) {}
  MemoryConsole(const MemoryConsole&) = delete;
  MemoryConsole& operator=(const MemoryConsole&) = delete;

  std::string text() const { return written.str(); }
};

// What a body wrote to its console, and whether it ended with a stop that pauses.
struct Captured {
  std::string text;
  bool stopped = false;
  bool paused = false;
  std::string reason;  // of the stop
};

// Runs `body` with a fresh memory console and catches the stop that may end it; other
// exceptions pass through. A stop whose lines are not the last lines written throws
// std::logic_error, so every test that captures a stop also checks what the stop carries.
Captured RunCaptured(const std::function<void(common::Console&)>& body);

}  // namespace test_support
