// Messages of a conversion, each tied to the file (and line) it is about, and the one form in
// which every converter lists them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace common {

enum class Severity { Warning, Error };

struct Diagnostic {
  Severity severity = Severity::Error;
  std::string file;       // empty when the message is about no file
  std::int64_t line = 0;  // 1-based; 0 when it is about the whole file
  std::string text;
};

// The messages of one run, in the order they were found.
class Diagnostics {
 public:
  void error(std::string file, std::int64_t line, std::string text);
  void warning(std::string file, std::int64_t line, std::string text);
  // Adds `later` after the messages already held.
  void append(const Diagnostics& later);
  // Orders the messages by the files and lines they concern, whichever pass found them: files in
  // the order of their first message, lines ascending within a file, messages of one line as
  // they were found.
  void orderByFileAndLine();

  const std::vector<Diagnostic>& items() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  bool empty() const { return items_.empty(); }
  std::size_t errorCount() const;
  std::size_t warningCount() const { return items_.size() - errorCount(); }

 private:
  std::vector<Diagnostic> items_;
};

// "file:line: error: text", the form compilers use, so that editors can jump to the line; the
// line is left out when it is 0, the file and its colon when there is no file.
std::string FormatDiagnostic(const Diagnostic& diagnostic);

}  // namespace common
