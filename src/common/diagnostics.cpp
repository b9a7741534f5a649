#include "common/diagnostics.h"

#include <algorithm>
#include <utility>

namespace common {

void Diagnostics::error(std::string file, std::int64_t line, std::string text) {
  items_.push_back({Severity::Error, std::move(file), line, std::move(text)});
}

void Diagnostics::warning(std::string file, std::int64_t line, std::string text) {
  items_.push_back({Severity::Warning, std::move(file), line, std::move(text)});
}

void Diagnostics::append(const Diagnostics& later) {
  items_.insert(items_.end(), later.items_.begin(), later.items_.end());
}

void Diagnostics::orderByFileAndLine() {
  std::vector<std::string> files;
  for (const Diagnostic& diagnostic : items_) {
    if (std::find(files.begin(), files.end(), diagnostic.file) == files.end()) {
      files.push_back(diagnostic.file);
    }
  }
  const auto fileRank = [&files](const Diagnostic& diagnostic) {
    return std::find(files.begin(), files.end(), diagnostic.file) - files.begin();
  };
  std::stable_sort(items_.begin(), items_.end(), [&](const Diagnostic& a, const Diagnostic& b) {
    return fileRank(a) != fileRank(b) ? fileRank(a) < fileRank(b) : a.line < b.line;
  });
}

std::size_t Diagnostics::errorCount() const {
  return static_cast<std::size_t>(std::count_if(
      items_.begin(), items_.end(),
      [](const Diagnostic& diagnostic) { return diagnostic.severity == Severity::Error; }));
}

std::string FormatDiagnostic(const Diagnostic& diagnostic) {
  std::string text;
  if (!diagnostic.file.empty()) {
    text += diagnostic.file;
    if (diagnostic.line > 0) text += ":" + std::to_string(diagnostic.line);
    text += ": ";
  }
  text += diagnostic.severity == Severity::Error ? "error: " : "warning: ";
  text += diagnostic.text;
  return text;
}

}  // namespace common
