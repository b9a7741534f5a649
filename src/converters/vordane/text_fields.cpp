#include "converters/vordane/text_fields.h"

#include <cctype>
#include <charconv>
#include <string>
#include <system_error>

namespace vordane {

bool ParseReal(std::string_view text, double& value) {
  text = Trim(text);
  std::string normal(text);
  std::size_t at = 0;
  if (at < normal.size() && (normal[at] == '+' || normal[at] == '-')) ++at;
  std::size_t digits = 0;
  while (at < normal.size() && std::isdigit(static_cast<unsigned char>(normal[at]))) {
    ++at;
    ++digits;
  }
  if (at < normal.size() && normal[at] == '.') {
    ++at;
    while (at < normal.size() && std::isdigit(static_cast<unsigned char>(normal[at]))) {
      ++at;
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (at < normal.size()) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(normal[at])));
    if (letter != 'E' && letter != 'D') return false;
    normal[at] = 'E';
    ++at;
    if (at < normal.size() && (normal[at] == '+' || normal[at] == '-')) ++at;
    std::size_t exponentDigits = 0;
    while (at < normal.size() && std::isdigit(static_cast<unsigned char>(normal[at]))) {
      ++at;
      ++exponentDigits;
    }
    if (exponentDigits == 0 || at != normal.size()) return false;
  }
  // from_chars takes no leading '+'.
  const std::size_t start = (!normal.empty() && normal[0] == '+') ? 1 : 0;
  const char* first = normal.data() + start;
  const char* last = normal.data() + normal.size();
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last;
}

bool ParseCoefficient(std::string_view field, double& value) {
  field = Trim(field);
  const std::size_t letter = field.find_first_of("EeDd");
  if (letter == std::string_view::npos || letter + 2 >= field.size() || field[letter + 1] != ' ' ||
      !std::isdigit(static_cast<unsigned char>(field[letter + 2]))) {
    return ParseReal(field, value);
  }
  std::string withSign(field);
  withSign[letter + 1] = '+';
  return ParseReal(withSign, value);
}

std::string ToUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Columns(std::string_view line, std::size_t first, std::size_t last) {
  if (first == 0 || first > line.size() || last < first) return {};
  return line.substr(first - 1, std::min(last, line.size()) - (first - 1));
}

std::vector<std::string_view> SplitWords(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < text.size() && text[at] != ' ' && text[at] != '\t') ++at;
    if (at > start) words.push_back(text.substr(start, at - start));
  }
  return words;
}

bool IsAbbreviation(std::string_view word, std::string_view keyword, std::size_t minimum) {
  return word.size() >= minimum && word.size() <= keyword.size() &&
         keyword.substr(0, word.size()) == word;
}

}  // namespace vordane
