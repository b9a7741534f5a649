// Line-by-line reading of the driver's text inputs (selection file, case library).
//
// Every line becomes one LineBuffer of exactly NChar characters: a shorter line is padded with
// blanks, a longer one cut. A carriage return before the line end (files written on the
// other desktop platform) is dropped, and a tab counts as a blank.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace driver {

inline constexpr std::int32_t NChar = 32000;

// Where a line came from, for messages.
struct LineOrigin {
  const std::string* path = nullptr;
  std::int64_t lineNumber = 0;
};

class TextLines {
 public:
  // False when the file cannot be opened.
  bool open(const std::string& path);
  // Reads the next line into buffer() (NChar characters); false at the end of the file.
  bool next();
  const std::string& buffer() const { return buffer_; }
  LineOrigin origin() const { return {&path_, lineNumber_}; }
  const std::string& path() const { return path_; }

 private:
  std::ifstream file_;
  std::string path_;
  std::string raw_;
  std::string buffer_;
  std::int64_t lineNumber_ = 0;
};

}  // namespace driver
