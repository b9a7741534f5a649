// Helpers shared by the fuzz targets: the readers under test take file names, so each input is
// written to a file in a directory private to the fuzzing process, and every console goes to
// memory.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "common/console.h"

namespace fuzz {

// A directory of this process under the temporary directory, made on first use.
inline const std::filesystem::path& WorkDirectory() {
  static const std::filesystem::path directory = [] {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("pathflux-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(WorkDirectory(), ignored);
    });
    return path;
  }();
  return directory;
}

// Writes `size` bytes to `name` in the work directory and returns its path.
inline std::string WriteInput(const std::uint8_t* data, std::size_t size,
                              std::string_view name = "input") {
  const std::filesystem::path path = WorkDirectory() / name;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  file.close();
  if (!file) std::abort();  // a full disk must not pass for a clean run
  return path.string();
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A console whose lines go to memory and whose Enter prompt returns at once.
class QuietConsole {
 public:
  QuietConsole() : console_(out_, in_) {}
  common::Console& get() { return console_; }

 private:
  std::ostringstream out_;
  std::istringstream in_;
  common::Console console_;
};

}  // namespace fuzz
