#include "support/memory_console.h"

#include <stdexcept>

namespace test_support {

Captured RunCaptured(const std::function<void(common::Console&)>& body) {
  MemoryConsole console;
  Captured captured;
  try {
    body(console);
  } catch (const common::Stop& stop) {
    captured.stopped = true;
    captured.paused = stop.pauses();
    // The stop must carry exactly the lines its failure wrote, the last ones on the console.
    std::string carried;
    for (const std::string& line : stop.lines()) carried += line + "\n";
    if (!console.text().ends_with(carried)) {
      throw std::logic_error("a stop carries other lines than the ones written before it:\n" +
                             carried);
    }
    captured.reason = stop.reason();
  }
  captured.text = console.text();
  return captured;
}

}  // namespace test_support
