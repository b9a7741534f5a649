// Messages of a conversion, each tied to the file (and line) it is about.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

enum class Severity { Warning, Error };

struct Diagnostic {
  Severity severity = Severity::Error;
  std::string file;       // empty when the message is about no file
  std::int64_t line = 0;  // 0 when it is about the whole file
  std::string text;
};

class Diagnostics {
 public:
  void error(std::string file, std::int64_t line, std::string text) {
    items_.push_back({Severity::Error, std::move(file), line, std::move(text)});
  }
  void warning(std::string file, std::int64_t line, std::string text) {
    items_.push_back({Severity::Warning, std::move(file), line, std::move(text)});
  }
  const std::vector<Diagnostic>& items() const { return items_; }
  std::size_t errorCount() const;
  std::size_t warningCount() const { return items_.size() - errorCount(); }

 private:
  std::vector<Diagnostic> items_;
};

// "file:line: error: text", the form compilers use, so that editors can jump to the line.
std::string FormatDiagnostic(const Diagnostic& diagnostic);

}  // namespace quillet
