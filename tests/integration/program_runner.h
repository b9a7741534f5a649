// Runs a built program in a folder of its own, without a terminal, and keeps what it wrote.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace integration {

struct ProgramRun {
  std::string console;  // standard output and standard error
  int status = -1;
};

class Workspace {
 public:
  // A fresh, empty folder for one test, removed at its end.
  explicit Workspace(const std::string& name) : scratch_("pathflux-" + name) {}

  const std::filesystem::path& folder() const { return scratch_.folder(); }
  std::string path(const std::string& name) const { return scratch_.path(name); }
  void write(const std::string& name, const std::string& text) const { scratch_.write(name, text); }
  std::string read(const std::string& name) const { return test_support::ReadText(path(name)); }
  bool exists(const std::string& name) const { return std::filesystem::exists(folder() / name); }

  // Runs `program` (a file name in the build's program folder) with `arguments`, standard
  // input at end of file.
  ProgramRun run(const std::string& program, const std::vector<std::string>& arguments = {}) const;

 private:
  test_support::ScratchFolder scratch_;
};

// The console text with the processor time of each case replaced by "#.##".
std::string MaskCpuTimes(const std::string& console);

}  // namespace integration
