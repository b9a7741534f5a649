// Runs a built program in a folder of its own, without a terminal, and keeps what it wrote.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace integration {

struct ProgramRun {
  std::string console;  // standard output and standard error
  int status = -1;
};

class Workspace {
 public:
  // A fresh, empty folder for one test.
  explicit Workspace(const std::string& name);

  const std::filesystem::path& folder() const { return folder_; }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  void write(const std::string& name, const std::string& text) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;

  // Runs `program` (a file name in the build's program folder) with `arguments`, standard
  // input at end of file.
  ProgramRun run(const std::string& program, const std::vector<std::string>& arguments = {}) const;

 private:
  std::filesystem::path folder_;
};

// The console text with the processor time of each case replaced by "#.##".
std::string MaskCpuTimes(const std::string& console);

}  // namespace integration
