#include "program_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <string_view>

namespace integration {
namespace {

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

}  // namespace

ProgramRun Workspace::run(const std::string& program,
                          const std::vector<std::string>& arguments) const {
  std::string command = "cd " + quoted(folder().string()) + " && " +
                        quoted(std::string(PATHFLUX_BIN_DIR) + "/" + program);
  for (const std::string& argument : arguments) command += " " + quoted(argument);
  command += " </dev/null >console.txt 2>&1";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.console = read("console.txt");
  std::filesystem::remove(folder() / "console.txt");
  return run;
}

std::string MaskCpuTimes(const std::string& console) {
  // "CPU TIME:" right-aligned in 20 columns, the seconds in 10 columns, then " S".
  static const std::string kHead = std::string(11, ' ') + "CPU TIME:";
  std::string masked;
  std::size_t start = 0;
  while (start < console.size()) {
    std::size_t end = console.find('\n', start);
    if (end == std::string::npos) end = console.size();
    const std::string_view line(console.data() + start, end - start);
    if (line.size() == 32 && line.substr(0, 20) == kHead && line.substr(30) == " S") {
      masked += kHead + "      #.## S";
    } else {
      masked += line;
    }
    if (end < console.size()) masked += '\n';
    start = end + 1;
  }
  return masked;
}

}  // namespace integration
