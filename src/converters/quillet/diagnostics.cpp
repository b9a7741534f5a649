#include "converters/quillet/diagnostics.h"

#include <algorithm>

namespace quillet {

std::size_t Diagnostics::errorCount() const {
  return static_cast<std::size_t>(std::count_if(
      items_.begin(), items_.end(), [](const auto& d) { return d.severity == Severity::Error; }));
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

}  // namespace quillet
