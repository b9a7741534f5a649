#include "converters/quillet/transport_data.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unordered_map>

namespace quillet {
namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t position = 0;
  auto isBlank = [](char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
  };
  while (position < line.size()) {
    while (position < line.size() && isBlank(line[position])) ++position;
    const std::size_t start = position;
    while (position < line.size() && !isBlank(line[position])) ++position;
    if (position > start) fields.push_back(line.substr(start, position - start));
  }
  return fields;
}

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// `word` is `keyword` (upper case) in any case, or its abbreviation to `shortest` letters or more.
bool abbreviates(std::string_view word, std::string_view keyword, std::size_t shortest) {
  if (word.size() < shortest || word.size() > keyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (upper(word[i]) != keyword[i]) return false;
  }
  return true;
}

bool isEnd(std::string_view field) {
  return abbreviates(field, "END", 3);
}

// TRANSPORT or TRANSPORT ALL: a line of one or two fields, which no species line is.
bool opensTransportSection(const std::vector<std::string_view>& fields) {
  return (fields.size() == 1 || (fields.size() == 2 && abbreviates(fields[1], "ALL", 3))) &&
         abbreviates(fields[0], "TRANSPORT", 4);
}

bool isOtherSectionKeyword(std::string_view field) {
  return abbreviates(field, "ELEMENTS", 4) || abbreviates(field, "SPECIES", 4) ||
         abbreviates(field, "THERMO", 4) || abbreviates(field, "REACTIONS", 4);
}

// The fields of a line, its comment cut off.
std::vector<std::string_view> lineFields(std::string_view text) {
  if (const auto comment = text.find('!'); comment != std::string_view::npos) {
    text = text.substr(0, comment);
  }
  return splitFields(text);
}

// 0, 1 or 2, optionally followed by a point and only zeros.
std::optional<std::int32_t> parseGeometry(std::string_view field) {
  if (field.empty() || field[0] < '0' || field[0] > '2') return std::nullopt;
  if (field.size() > 1) {
    if (field[1] != '.') return std::nullopt;
    for (char c : field.substr(2)) {
      if (c != '0') return std::nullopt;
    }
  }
  return field[0] - '0';
}

// A finite real filling the whole field; a Fortran D exponent reads as E.
std::optional<double> parseReal(std::string_view field) {
  if (field.empty() || field.size() > 64) return std::nullopt;
  std::string text(field);
  for (char& c : text) {
    if (c == 'D' || c == 'd') c = 'E';
  }
  const char* begin = text.data();
  if (*begin == '+') ++begin;  // from_chars takes no plus sign
  double value = 0.0;
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::string quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

}  // namespace

TransportData ParseTransportData(std::istream& input, const std::string& fileName,
                                 std::span<const std::string> names, Diagnostics& diagnostics) {
  TransportData data;
  data.entries.resize(names.size());
  std::unordered_map<std::string_view, std::vector<std::size_t>> speciesByName;
  for (std::size_t k = 0; k < names.size(); ++k) speciesByName[names[k]].push_back(k);

  // The whole file first: whether it has TRANSPORT sections decides how each line reads.
  std::vector<std::string> lines;
  for (std::string line; std::getline(input, line);) lines.push_back(std::move(line));
  bool sections = false;
  for (const std::string& line : lines) {
    if (opensTransportSection(lineFields(line))) {
      sections = true;
      break;
    }
  }

  bool inSection = false;
  std::int64_t lineNumber = 0;
  for (const std::string& line : lines) {
    ++lineNumber;
    const std::vector<std::string_view> fields = lineFields(line);
    if (fields.empty()) continue;
    if (sections) {
      if (opensTransportSection(fields)) {
        inSection = true;
        if (data.sectionLine == 0) data.sectionLine = lineNumber;
        continue;
      }
      if (!inSection) continue;
      if (isOtherSectionKeyword(fields[0]) && !speciesByName.contains(fields[0])) {
        diagnostics.warning(fileName, lineNumber,
                            "TRANSPORT section without END before " + std::string(fields[0]));
        inSection = false;
        continue;
      }
    }
    if (isEnd(fields[0])) {
      data.endSeen = true;
      if (!sections) break;
      inSection = false;
      continue;
    }
    const auto found = speciesByName.find(fields[0]);
    if (found == speciesByName.end()) {
      ++data.skippedLines;
      continue;
    }
    const std::string name(fields[0]);
    auto fail = [&](const std::string& why) {
      diagnostics.error(fileName, lineNumber, "species " + name + ": " + why);
    };
    if (fields.size() != 7) {
      fail(
          "expected 7 fields (name, geometry, well depth, diameter, dipole, polarizability, "
          "rotational relaxation number), found " +
          std::to_string(fields.size()));
      continue;
    }
    const std::optional<std::int32_t> geometry = parseGeometry(fields[1]);
    if (!geometry) {
      fail("geometry " + quoted(fields[1]) + " is not 0 (atom), 1 (linear) or 2 (non-linear)");
      continue;
    }
    static constexpr const char* kFieldNames[] = {"well depth", "collision diameter",
                                                  "dipole moment", "polarizability",
                                                  "rotational relaxation number"};
    double values[5] = {};
    bool valid = true;
    for (int i = 0; i < 5 && valid; ++i) {
      const std::optional<double> value = parseReal(fields[static_cast<std::size_t>(i) + 2]);
      if (!value) {
        fail(std::string(kFieldNames[i]) + " " + quoted(fields[static_cast<std::size_t>(i) + 2]) +
             " is not a number");
        valid = false;
      } else if (i < 2 && !(*value > 0.0)) {
        fail(std::string(kFieldNames[i]) + " " + quoted(fields[static_cast<std::size_t>(i) + 2]) +
             " must be positive");
        valid = false;
      } else if (*value < 0.0) {
        fail(std::string(kFieldNames[i]) + " " + quoted(fields[static_cast<std::size_t>(i) + 2]) +
             " must not be negative");
        valid = false;
      } else {
        values[i] = *value;
      }
    }
    if (!valid) continue;

    TransportEntry entry;
    entry.line = lineNumber;
    entry.parameters.geometry = *geometry;
    entry.parameters.wellDepth = values[0];
    entry.parameters.diameter = values[1];
    entry.parameters.dipole = values[2];
    entry.parameters.polarizability = values[3];
    entry.parameters.rotationalRelaxation = values[4];
    for (std::size_t k : found->second) {
      if (!data.entries[k]) {
        data.entries[k] = entry;
        continue;
      }
      auto repeat = std::find_if(data.repeats.begin(), data.repeats.end(),
                                 [&name](const RepeatedEntry& r) { return r.name == name; });
      if (repeat == data.repeats.end()) {
        repeat = data.repeats.insert(repeat, {name, data.entries[k]->line, {}});
      }
      repeat->ignoredLines.push_back(lineNumber);
    }
  }
  if (input.bad()) diagnostics.error(fileName, lineNumber, "reading the file failed");
  // Files pasted together repeat hundreds of species: one warning, the names in the listing.
  if (!data.repeats.empty()) {
    const std::size_t n = data.repeats.size();
    diagnostics.warning(fileName, data.repeats.front().ignoredLines.front(),
                        std::to_string(n) + (n == 1 ? " species has" : " species have") +
                            " more than one entry in " + fileName +
                            "; the first is used; see the list of repeated entries");
  }

  for (std::size_t k = 0; k < names.size(); ++k) {
    if (!data.entries[k]) {
      // A malformed line already has its own error; this one says the species is left without.
      diagnostics.error(fileName, 0, "no usable transport data for species " + names[k]);
    }
  }
  return data;
}

TransportData ReadTransportData(const std::string& path, std::span<const std::string> names,
                                Diagnostics& diagnostics) {
  std::error_code ignored;
  std::ifstream file;
  if (!std::filesystem::is_directory(path, ignored)) file.open(path, std::ios::binary);
  if (!file.is_open()) {
    diagnostics.error(path, 0, "the transport data file cannot be opened");
    TransportData data;
    data.entries.resize(names.size());
    return data;
  }
  return ParseTransportData(file, path, names, diagnostics);
}

}  // namespace quillet
