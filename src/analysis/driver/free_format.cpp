#include "analysis/driver/free_format.h"

#include <charconv>

namespace driver {

std::string_view FirstWord(std::string_view line) {
  const auto isDelimiter = [](char c) { return c == ' ' || c == ',' || c == '/'; };
  std::size_t begin = 0;
  while (begin < line.size() && line[begin] == ' ') ++begin;
  std::size_t end = begin;
  while (end < line.size() && !isDelimiter(line[end])) ++end;
  return line.substr(begin, end - begin);
}

std::optional<double> ReadFreeReal(std::string_view word) {
  std::string text(word);
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  for (char& c : text) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  if (text.empty()) return std::nullopt;
  // The digits proper: from_chars accepts "inf" and "nan", which free-format input does not.
  for (char c : text) {
    const bool allowed =
        (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
    if (!allowed) return std::nullopt;
  }
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace driver
