#include "support/memory_console.h"

namespace test_support {

Captured RunCaptured(const std::function<void(common::Console&)>& body) {
  MemoryConsole console;
  Captured captured;
  try {
    body(console);
  } catch (const common::Stop& stop) {
    captured.stopped = true;
    captured.paused = stop.pauses();
  }
  captured.text = console.text();
  return captured;
}

}  // namespace test_support
