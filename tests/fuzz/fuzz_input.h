// Helpers shared by the fuzz targets: the readers under test take file names, so each input is
// written to a file in the scratch folder of the fuzzing process. Consoles are
// test_support::MemoryConsole, whose lines go to memory and whose Enter prompt returns at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/memory_console.h"
#include "support/scratch_folder.h"

namespace fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The scratch folder of this process, with a trailing separator.
inline std::string WorkDirectory() {
  return test_support::ScratchPath("");
}

// Writes `size` bytes to `name` in the scratch folder and returns its path. A write that fails
// throws, which ends the run: a full disk must not pass for a clean run.
inline std::string WriteInput(const std::uint8_t* data, std::size_t size,
                              const std::string& name = "input") {
  const std::string path = test_support::ScratchPath(name);
  test_support::WriteText(path, AsText(data, size));
  return path;
}

// A reader that stops must say why: a stop without a reason is a finding.
inline void RequireReason(const common::Stop& stop) {
  if (stop.reason().empty()) __builtin_trap();
}

}  // namespace fuzz
