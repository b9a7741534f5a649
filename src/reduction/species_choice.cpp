#include "reduction/species_choice.h"

#include <charconv>
#include <string_view>

#include "common/console.h"

namespace reduction {
namespace {

[[noreturn]] void refuse(const std::string& message) {
  throw common::Stop({" " + message}, false, common::kExitStopped);
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool readInteger(std::string_view text, int& value) {
  text = trimmed(text);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// The fields of five columns the analysis writes; numbers separated by blanks otherwise, for a
// list written by hand.
bool readNumbers(std::string_view line, std::vector<int>& numbers) {
  numbers.clear();
  line = line.substr(0, line.find_last_not_of(" \t\r") + 1);
  bool columns = true;
  for (std::size_t at = 0; columns && at < line.size(); at += 5) {
    int value = 0;
    columns = readInteger(line.substr(at, 5), value);
    numbers.push_back(value);
  }
  if (columns) return true;
  numbers.clear();
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t", at)) != std::string_view::npos) {
    const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
    int value = 0;
    if (!readInteger(line.substr(at, end - at), value)) return false;
    numbers.push_back(value);
    at = end;
  }
  return true;
}

// The integer after `label` on the counts line.
bool countAfter(std::string_view line, std::string_view label, int& value) {
  const std::size_t at = line.find(label);
  if (at == std::string_view::npos) return false;
  std::string_view rest = line.substr(at + label.size());
  rest = rest.substr(0, rest.find_first_not_of(" 0123456789-") == std::string_view::npos
                            ? rest.size()
                            : rest.find_first_not_of(" 0123456789-"));
  return readInteger(rest, value);
}

}  // namespace

std::vector<int> ReadTrimNumbers(const std::string& text, const std::string& fileName,
                                 int speciesCount) {
  const std::size_t end = text.find('\n');
  const std::string_view counts(text.data(), end == std::string::npos ? text.size() : end);
  std::string_view list;
  if (end != std::string::npos) {
    list = std::string_view(text).substr(end + 1);
    list = list.substr(0, list.find('\n'));
  }
  int original = 0, trimmed = 0, kept = 0;
  if (counts.rfind("NOTE: Original SP#=", 0) != 0 ||
      !countAfter(counts, "Original SP#=", original) || !countAfter(counts, "Trim SP#=", trimmed) ||
      !countAfter(counts, "Keep SP#=", kept)) {
    refuse(fileName + " is not a trim file: its first line does not give the species counts");
  }
  if (original != speciesCount) {
    refuse(fileName + " was made for a mechanism of " + std::to_string(original) +
           " species; this mechanism has " + std::to_string(speciesCount));
  }
  std::vector<int> numbers;
  if (!readNumbers(list, numbers)) {
    refuse(fileName + " line 2: the species numbers do not read as integers");
  }
  if (static_cast<int>(numbers.size()) != trimmed || trimmed + kept != original) {
    refuse(fileName + ": the counts of line 1 (" + std::to_string(trimmed) + " trimmed, " +
           std::to_string(kept) + " kept) do not match the " + std::to_string(numbers.size()) +
           " numbers of line 2");
  }
  return numbers;
}

std::vector<bool> ChooseRemovedSpecies(std::span<const std::string> speciesNames,
                                       std::span<const int> trimNumbers,
                                       std::span<const std::string> removeNames,
                                       std::span<const std::string> keepNames) {
  const auto count = static_cast<int>(speciesNames.size());
  const auto indexOf = [&](const std::string& name, const char* option) {
    for (int k = 0; k < count; ++k) {
      if (speciesNames[static_cast<std::size_t>(k)] == name) return k;
    }
    refuse(std::string(option) + ": " + name + " is not a species of the mechanism");
  };
  std::vector<bool> removed(speciesNames.size(), false);
  for (const int number : trimNumbers) {
    if (number < 1 || number > count) {
      refuse("species number " + std::to_string(number) + " of the trim file is outside 1.." +
             std::to_string(count));
    }
    if (removed[static_cast<std::size_t>(number - 1)]) {
      refuse("species number " + std::to_string(number) + " is listed twice in the trim file");
    }
    removed[static_cast<std::size_t>(number - 1)] = true;
  }
  for (const std::string& name : removeNames)
    removed[static_cast<std::size_t>(indexOf(name, "--remove"))] = true;
  for (const std::string& name : keepNames)
    removed[static_cast<std::size_t>(indexOf(name, "--keep"))] = false;
  return removed;
}

}  // namespace reduction
