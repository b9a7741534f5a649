#include "common/console.h"

#include <charconv>
#include <exception>
#include <istream>
#include <new>
#include <ostream>

namespace common {

std::string Stop::reason() const {
  if (lines_.empty()) return silentReason_;
  std::string text;
  for (const std::string& line : lines_) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    if (!text.empty()) text += '\n';
    text.append(line, first);
  }
  return text;
}

Stop Stop::Silent(std::string reason, bool pause) {
  Stop stop({}, pause);
  stop.silentReason_ = std::move(reason);
  return stop;
}

void stopRun(Console& console, std::vector<std::string> lines, bool pause, int exitStatus) {
  for (const std::string& line : lines) console.line(line);
  throw Stop(std::move(lines), pause, exitStatus);
}

std::string formatRoundTrip(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string freeFormat(std::initializer_list<FreeItem> items) {
  std::string text = " ";
  for (const FreeItem& item : items) {
    if (const auto* words = std::get_if<std::string_view>(&item)) {
      text += *words;
      continue;
    }
    if (text.back() != ' ') text += ' ';
    if (const auto* whole = std::get_if<std::int64_t>(&item)) {
      text += std::to_string(*whole);
    } else {
      text += formatRoundTrip(std::get<double>(item));
    }
  }
  return text;
}

void Console::line(std::string_view text) {
  out_ << text << '\n';
}

void Console::freeLine(std::initializer_list<FreeItem> items) {
  line(freeFormat(items));
}

void Console::pause() {
  out_ << kPausePrompt << std::endl;
  std::string ignored;
  std::getline(in_, ignored);
}

int runProgram(Console& console, int (*body)(Console&, int, char**), int argc, char** argv) {
  int status = kExitStopped;
  try {
    status = body(console, argc, argv);
  } catch (const Stop& stop) {
    if (stop.pauses()) console.pause();
    status = stop.exitStatus();
  } catch (const std::bad_alloc&) {
    console.line(" Out of memory.");
  } catch (const std::exception& error) {
    console.line(std::string(" Error: ") + error.what());
  }
  console.out().flush();
  return status;
}

}  // namespace common
