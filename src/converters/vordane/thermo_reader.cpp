// Thermo entries: NASA seven-coefficient polynomials in their fixed columns.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "converters/vordane/interpreter.h"
#include "converters/vordane/text_fields.h"

namespace vordane::detail {

// Reads a thermo section whose keyword line is lines[start] (or, for a thermo file without
// one, whose first entry is lines[start]).
std::size_t Interpreter::readThermo(const std::string& file, const std::vector<Line>& lines,
                                    std::size_t start, bool fromMechanism) {
  std::array<double, 3> defaults = {300.0, 1000.0, 5000.0};
  std::size_t i = start;
  const auto firstWords = SplitWords(Trim(lines[start].text));
  if (!firstWords.empty() && SectionOfWord(firstWords.front()) == Section::Thermo) ++i;
  // The line after the keyword holds the default temperatures.
  while (i < lines.size() && Trim(lines[i].text).empty()) ++i;
  if (i < lines.size()) {
    const auto words = SplitWords(Trim(lines[i].text));
    std::array<double, 3> values{};
    bool numbers = words.size() == 3 || words.size() == 2;
    for (std::size_t w = 0; numbers && w < words.size(); ++w) {
      numbers = ParseReal(words[w], values[w]);
    }
    if (numbers) {
      if (words.size() == 3) {
        defaults = {values[0], values[1], values[2]};
      } else {
        defaults = {values[0], values[1], defaults[2]};
      }
      ++i;
    }
  }
  std::set<int> seenHere;
  while (i < lines.size()) {
    const std::string_view text = Trim(lines[i].text);
    if (text.empty()) {
      ++i;
      continue;
    }
    const auto words = SplitWords(text);
    const Section s = SectionOfWord(words.front());
    if (s == Section::End) return i + 1;
    if (fromMechanism && s == Section::Reactions) {
      warning(file, lines[i].number, "thermo section without END");
      return i;
    }
    // Column 80 numbers the lines of an entry: a line numbered 2 to 4 cannot start one. Such
    // a stray line is passed over so that the entries after it are read in step again.
    if (lines[i].raw.size() >= 80 && lines[i].raw[79] >= '2' && lines[i].raw[79] <= '4') {
      ++i;
      continue;
    }
    // The name is the first word of columns 1-18, longer when it fills them.
    std::string_view head = Columns(lines[i].raw, 1, 18);
    std::string name(SplitWords(head).empty() ? std::string_view() : SplitWords(head).front());
    if (head.size() == 18 && head.find(' ') == std::string_view::npos) {
      name = std::string(SplitWords(lines[i].raw).front());
    }
    int index = findSpecies(name);
    if (index < 0) {
      // Thermo names are matched exactly, then without regard to case when that is unique.
      const std::string upper = ToUpper(name);
      int matches = 0;
      for (std::size_t k = 0; k < species_.size(); ++k) {
        if (ToUpper(species_[k].name) == upper) {
          index = static_cast<int>(k);
          ++matches;
        }
      }
      if (matches != 1) index = -1;
    }
    if (i + 3 >= lines.size()) {
      if (index >= 0) error(file, lines[i].number, "thermo entry of " + name + " is cut short");
      return lines.size();
    }
    if (index >= 0) {
      SpeciesEntry& entry = species_[static_cast<std::size_t>(index)];
      if (seenHere.count(index) != 0) {
        warning(file, lines[i].number,
                "second thermo entry for " + entry.name + "; the first one is used");
      } else if (!entry.thermo) {
        readThermoEntry(file, lines, i, defaults, index);
      }
      seenHere.insert(index);
    }
    i += 4;
  }
  return i;
}

void Interpreter::readThermoEntry(const std::string& file, const std::vector<Line>& lines,
                                  std::size_t at, const std::array<double, 3>& defaults,
                                  int speciesIndex) {
  SpeciesEntry& species = species_[static_cast<std::size_t>(speciesIndex)];
  const std::string& first = lines[at].raw;
  const int lineNumber = lines[at].number;
  ThermoEntry entry;
  entry.file = file;
  entry.line = lineNumber;
  bool good = true;

  const auto readComposition = [&](std::string_view field) {
    if (Trim(field).empty()) return;
    const std::string_view symbol = Trim(Columns(field, 1, 2));
    const std::string_view count = Trim(Columns(field, 3, 5));
    double atoms = 0.0;
    if (count.empty()) {
      if (!symbol.empty()) good = false;
      return;
    }
    if (!ParseReal(count, atoms) || !IsIntegral(atoms) ||
        (!symbol.empty() && !std::isalpha(static_cast<unsigned char>(symbol.front())))) {
      error(file, lineNumber,
            "malformed composition field '" + std::string(field) + "' in the thermo of " +
                species.name);
      good = false;
      return;
    }
    if (atoms == 0.0) return;
    if (symbol.empty()) {
      error(file, lineNumber,
            "composition field without an element in the thermo of " + species.name);
      good = false;
      return;
    }
    entry.composition.emplace_back(ToUpper(symbol), std::round(atoms));
  };
  for (std::size_t column = 25; column <= 40; column += 5) {
    readComposition(Columns(first, column, column + 4));
  }
  entry.phase = static_cast<char>(std::toupper(static_cast<unsigned char>(
      Columns(first, 45, 45).empty() ? 'G' : Columns(first, 45, 45).front())));
  if (entry.phase == ' ') entry.phase = 'G';

  const auto readTemperature = [&](std::string_view field, double fallback, double& value) {
    if (Trim(field).empty()) {
      value = fallback;
      return;
    }
    if (!ParseReal(field, value) || value <= 0.0) {
      error(file, lineNumber,
            "malformed temperature '" + std::string(Trim(field)) + "' in the thermo of " +
                species.name);
      good = false;
    }
  };
  readTemperature(Columns(first, 46, 55), defaults[0], entry.lowTemperature);
  readTemperature(Columns(first, 56, 65), defaults[2], entry.highTemperature);
  // Some files write the common temperature in a wider field that runs past column 73; the
  // number then continues into the columns of the fifth composition field.
  std::size_t commonEnd = 73;
  const auto numeric = [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'E' || c == 'e' ||
           c == '+' || c == '-';
  };
  if (first.size() > 73 && first[72] != ' ' && numeric(first[72])) {
    while (commonEnd < first.size() && commonEnd < 79 && numeric(first[commonEnd])) ++commonEnd;
  }
  readTemperature(Columns(first, 66, commonEnd), defaults[1], entry.commonTemperature);
  if (commonEnd == 73) readComposition(Columns(first, 74, 78));

  // Lines 2 to 4: fifteen coefficients in fields of 15 columns: the upper range a1-a7 first.
  std::array<double, 15> values{};
  std::size_t count = 0;
  for (std::size_t row = 1; row <= 3; ++row) {
    const std::string& text = lines[at + row].raw;
    const char expected = static_cast<char>('1' + row);
    if (text.size() >= 80 && std::isdigit(static_cast<unsigned char>(text[79])) &&
        text[79] != expected) {
      error(file, lines[at + row].number,
            "malformed thermo entry of " + species.name + ": line number " + text[79] +
                " in column 80 where " + expected + " belongs");
      good = false;
    }
    const std::size_t fields = row == 3 ? 4 : 5;
    for (std::size_t f = 0; f < fields; ++f) {
      const std::string_view field = Columns(text, 1 + 15 * f, 15 * (f + 1));
      if (!ParseReal(field, values[count])) {
        error(
            file, lines[at + row].number,
            "malformed number '" + std::string(Trim(field)) + "' in the thermo of " + species.name);
        good = false;
      }
      ++count;
    }
  }
  std::copy(values.begin(), values.begin() + 7, entry.high.begin());
  std::copy(values.begin() + 7, values.begin() + 14, entry.low.begin());
  if (good && !(entry.lowTemperature < entry.highTemperature &&
                entry.commonTemperature >= entry.lowTemperature &&
                entry.commonTemperature <= entry.highTemperature)) {
    error(file, lineNumber,
          "temperature range " + FormatReal(entry.lowTemperature, "%g") + " " +
              FormatReal(entry.commonTemperature, "%g") + " " +
              FormatReal(entry.highTemperature, "%g") + " of the thermo of " + species.name +
              " is not in order (low, common, high)");
    good = false;
  }
  if (good && entry.low != entry.high &&
      (entry.commonTemperature == entry.lowTemperature ||
       entry.commonTemperature == entry.highTemperature)) {
    warning(file, lineNumber,
            "thermo of " + species.name + ": the common temperature " +
                FormatReal(entry.commonTemperature, "%g") +
                " K closes the range, so one set of coefficients is never used");
  }
  if (!good) {
    // Keep an empty record so that the species is not reported as missing its thermo too.
    species.thermo = ThermoEntry{};
    species.thermo->file = file;
    species.thermo->line = lineNumber;
    species.thermo->refused = true;
    return;
  }
  // Continuity of cp, h and s at the common temperature.
  const double t = entry.commonTemperature;
  const auto properties = [t](const std::array<double, kNasaCoefficients>& a) {
    const double cp = a[0] + t * (a[1] + t * (a[2] + t * (a[3] + t * a[4])));
    const double h =
        a[0] + t * (a[1] / 2 + t * (a[2] / 3 + t * (a[3] / 4 + t * a[4] / 5))) + a[5] / t;
    const double s =
        a[0] * std::log(t) + t * (a[1] + t * (a[2] / 2 + t * (a[3] / 3 + t * a[4] / 4))) + a[6];
    return std::array<double, 3>{cp, h, s};
  };
  const auto lowValues = properties(entry.low);
  const auto highValues = properties(entry.high);
  static const char* const kNames[] = {"cp/R", "h/RT", "s/R"};
  for (std::size_t p = 0; p < 3; ++p) {
    const double scale = std::max({std::abs(lowValues[p]), std::abs(highValues[p]), 1.0});
    if (std::abs(lowValues[p] - highValues[p]) > 1e-3 * scale) {
      warning(file, lineNumber,
              "thermo of " + species.name + " is discontinuous at " + FormatReal(t, "%g") +
                  " K: " + kNames[p] + " " + FormatReal(lowValues[p], "%.6g") + " below, " +
                  FormatReal(highValues[p], "%.6g") + " above");
    }
  }
  species.thermo = entry;
}

}  // namespace vordane::detail
