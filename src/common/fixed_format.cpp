#include "common/fixed_format.h"

#include <cmath>
#include <cstdio>

namespace common {

std::string formatInteger(std::int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) > width) return std::string(width, '*');
  return std::string(width - digits.size(), ' ') + digits;
}

void appendInteger(std::string& line, std::int64_t value, int width) {
  line += formatInteger(value, width);
}

std::string formatFixed(double value, int width, int decimals) {
  if (!std::isfinite(value)) return std::string(width, '*');
  char buffer[512];
  const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  if (length < 0 || length >= static_cast<int>(sizeof buffer)) return std::string(width, '*');
  std::string text(buffer, length);
  if (static_cast<int>(text.size()) > width) {
    // "0.5" may drop its leading zero to fit, as a fixed-point edit does.
    if (text.rfind("0.", 0) == 0) {
      text.erase(0, 1);
    } else if (text.rfind("-0.", 0) == 0) {
      text.erase(1, 1);
    }
  }
  if (static_cast<int>(text.size()) > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

std::string rightAligned(std::string_view text, int width) {
  // A text longer than its field keeps its leftmost characters.
  if (static_cast<int>(text.size()) >= width) return std::string(text.substr(0, width));
  return std::string(width - text.size(), ' ') + std::string(text);
}

}  // namespace common
