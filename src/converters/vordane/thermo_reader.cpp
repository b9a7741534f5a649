// Thermo entries: NASA seven-coefficient polynomials in their fixed columns.
//
// Published files carry the marks of the Fortran programs that wrote them: element fields such
// as "0   0" or "H  1.", exponents written "E 01", a phase letter one column off, a THERMO
// header repeated inside the data, the same species more than once. These are read as those
// programs read them; a line that could be read two ways, or not at all, refuses the entry with
// one error, and the species is then spared every later complaint about its thermo.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "converters/vordane/interpreter.h"
#include "converters/vordane/text_fields.h"

namespace vordane::detail {
namespace {

// The section keyword a line starts with, if any.
Section sectionOf(const Line& line) {
  const auto words = SplitWords(Trim(line.text));
  return words.empty() ? Section::None : SectionOfWord(words.front());
}

// Line 1 of an entry carries 1 in column 80; a section keyword line never does.
bool numberedFirstLine(const Line& line) {
  return line.raw.size() >= 80 && line.raw[79] == '1';
}

// After a THERMO keyword (from lines[i] on, blank lines passed over), a line of two or three
// numbers gives the default temperatures: low, common[, high]. Returns the index after it.
std::size_t readDefaultTemperatures(const std::vector<Line>& lines, std::size_t i,
                                    std::array<double, 3>& defaults) {
  while (i < lines.size() && Trim(lines[i].text).empty()) ++i;
  if (i >= lines.size()) return i;
  const auto words = SplitWords(Trim(lines[i].text));
  std::array<double, 3> values{};
  bool numbers = words.size() == 3 || words.size() == 2;
  for (std::size_t w = 0; numbers && w < words.size(); ++w) {
    numbers = ParseReal(words[w], values[w]);
  }
  if (!numbers) return i;
  defaults = {values[0], values[1], words.size() == 3 ? values[2] : defaults[2]};
  return i + 1;
}

bool phaseLetter(char c) {
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return c == 'G' || c == 'L' || c == 'S';
}

// The temperatures of line 1 read with its fields moved by `shift` columns; a blank field takes
// the section's default.
struct LineTemperatures {
  double low = 0.0;
  double high = 0.0;
  double common = 0.0;
  std::size_t commonEnd = 0;  // last column of the common temperature
  std::string problem;        // the first field that is not a positive number
};

LineTemperatures readLineTemperatures(std::string_view first, int shift,
                                      const std::array<double, 3>& defaults) {
  LineTemperatures read;
  const auto column = [shift](int c) { return static_cast<std::size_t>(c + shift); };
  const auto readField = [&read](std::string_view field, double fallback, double& value) {
    if (!read.problem.empty()) return;
    if (Trim(field).empty()) {
      value = fallback;
    } else if (!ParseReal(field, value) || value <= 0.0) {
      read.problem = "malformed temperature '" + std::string(Trim(field)) + "'";
    }
  };
  readField(Columns(first, column(46), column(55)), defaults[0], read.low);
  readField(Columns(first, column(56), column(65)), defaults[2], read.high);
  // Some files write the common temperature in a wider field that runs past its last column;
  // the number then continues into the columns of the fifth composition field.
  const auto numeric = [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'E' || c == 'e' ||
           c == '+' || c == '-';
  };
  std::size_t end = column(73);
  if (first.size() > end && numeric(first[end - 1])) {
    while (end < first.size() && end < 79 && numeric(first[end])) ++end;
  }
  read.commonEnd = end;
  readField(Columns(first, column(66), end), defaults[1], read.common);
  return read;
}

}  // namespace

// Reads a thermo section whose keyword line is lines[start] (or, for a thermo file without
// one, whose first entry is lines[start]).
std::size_t Interpreter::readThermo(const std::string& file, const std::vector<Line>& lines,
                                    std::size_t start, bool fromMechanism) {
  std::array<double, 3> defaults = {300.0, 1000.0, 5000.0};
  std::size_t i = start;
  if (sectionOf(lines[start]) == Section::Thermo) ++i;
  i = readDefaultTemperatures(lines, i, defaults);

  // Species whose entry was read here, with its line; later entries of theirs are repeats.
  std::unordered_map<int, int> readHere;
  std::vector<ThermoRepeat> repeats;
  std::unordered_map<int, std::size_t> repeatOf;
  // One warning for all repeats, at the first ignored entry; the names go to the appendix.
  const auto finish = [&](std::size_t next) {
    if (!repeats.empty()) {
      const std::size_t n = repeats.size();
      warning(file, repeats.front().ignoredLines.front(),
              std::to_string(n) + (n == 1 ? " species has" : " species have") +
                  " more than one entry in " + file + "; the first is used; see the appendix");
      for (ThermoRepeat& repeat : repeats) thermoRepeats_.push_back(std::move(repeat));
    }
    return next;
  };

  while (i < lines.size()) {
    const Line& line = lines[i];
    if (Trim(line.text).empty()) {
      ++i;
      continue;
    }
    const Section section = sectionOf(line);
    // Whatever follows END (notes, further entries) is not thermo data of this section.
    if (section == Section::End) {
      if (!fromMechanism) result_.source.thermoFileEnd = line.number;
      return finish(i + 1);
    }
    if (fromMechanism && section == Section::Reactions) {
      warning(file, line.number, "thermo section without END");
      return finish(i);
    }
    if (section == Section::Thermo && !numberedFirstLine(line)) {
      // Files pasted together repeat the header; its temperatures would change the defaults
      // of the entries that follow only by accident, so they are not taken either.
      warning(file, line.number,
              "THERMO header (with its temperature line) inside the thermo data; skipped");
      std::array<double, 3> ignored = defaults;
      i = readDefaultTemperatures(lines, i + 1, ignored);
      continue;
    }
    // Column 80 numbers the lines of an entry: a line numbered 2 to 4 cannot start one. Such
    // a stray line is passed over so that the entries after it are read in step again.
    if (line.raw.size() >= 80 && line.raw[79] >= '2' && line.raw[79] <= '4') {
      ++i;
      continue;
    }
    // The name is the first word of columns 1-18, longer when it fills them.
    const std::string_view head = Columns(line.raw, 1, 18);
    const auto headWords = SplitWords(head);
    std::string name(headWords.empty() ? std::string_view() : headWords.front());
    if (head.size() == 18 && head.find(' ') == std::string_view::npos) {
      name = std::string(SplitWords(line.raw).front());
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
    SpeciesEntry* species = index < 0 ? nullptr : &species_[static_cast<std::size_t>(index)];
    const bool repeated = species != nullptr && readHere.count(index) != 0;
    const bool wanted = species != nullptr && !repeated && !species->thermo;

    // An entry has four lines; a section line or the end of the text among them cuts it short.
    std::size_t next = i + 1;
    while (next < lines.size() && next <= i + 3 && sectionOf(lines[next]) == Section::None) {
      ++next;
    }
    if (next <= i + 3) {
      if (wanted) {
        error(file, line.number, "thermo entry of " + species->name + " is cut short");
        species->thermo = ThermoEntry{};
        species->thermo->file = file;
        species->thermo->line = line.number;
        species->thermo->refused = true;
      }
      if (next >= lines.size()) return finish(lines.size());
      i = next;
      continue;
    }
    result_.source.thermoBlocks.push_back({file, line.number, index, wanted});
    if (repeated) {
      auto [at, added] = repeatOf.try_emplace(index, repeats.size());
      if (added) repeats.push_back({file, species->name, readHere[index], {}});
      repeats[at->second].ignoredLines.push_back(line.number);
    } else if (wanted) {
      readThermoEntry(file, lines, i, defaults, index);
      readHere.emplace(index, line.number);
    }
    i += 4;
  }
  return finish(i);
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
  // The first problem refuses the entry; one message says why.
  std::string problem;
  int problemLine = lineNumber;
  const auto fail = [&](int line, std::string message) {
    if (!problem.empty()) return;
    problem = std::move(message);
    problemLine = line;
  };
  const std::string of = " in the thermo of " + species.name;

  // The phase letter belongs in column 45. Found in column 44 or 46 with 45 blank, it shows a
  // line shifted by one column; in both it is ambiguous.
  int shift = 0;
  const char phaseColumn = first.size() >= 45 ? first[44] : ' ';
  entry.phase = 'G';
  if (phaseColumn != ' ') {
    entry.phase = static_cast<char>(std::toupper(static_cast<unsigned char>(phaseColumn)));
  } else {
    const bool left = first.size() >= 44 && phaseLetter(first[43]);
    const bool right = first.size() >= 46 && phaseLetter(first[45]);
    if (left && right) {
      fail(lineNumber, "phase letters in columns 44 and 46 and none in column 45" + of);
    } else if (left || right) {
      shift = left ? -1 : 1;
      entry.phase = static_cast<char>(std::toupper(static_cast<unsigned char>(first[44 + shift])));
    }
  }

  // Element fields: two name columns, three count columns. A blank count reads as zero, as in
  // Fortran's integer fields, and a zero count leaves the field empty whatever its name columns
  // hold ("0   0", "00   0"); counts may be written as reals ("2.", "1.0").
  const auto readComposition = [&](std::string_view field) {
    if (Trim(field).empty()) return;
    const std::string_view symbol = Trim(Columns(field, 1, 2));
    const std::string_view count = Trim(Columns(field, 3, 5));
    double atoms = 0.0;
    const bool countRead = count.empty() || (ParseReal(count, atoms) && IsIntegral(atoms));
    // "C1" before a zero count is a number that ran into the name columns, not an element.
    const bool glued = symbol.size() == 2 && std::isalpha(static_cast<unsigned char>(symbol[0])) &&
                       std::isdigit(static_cast<unsigned char>(symbol[1]));
    const bool badName = atoms != 0.0 && !symbol.empty() &&
                         !std::isalpha(static_cast<unsigned char>(symbol.front()));
    if (!countRead || glued || badName) {
      fail(lineNumber, "malformed composition field '" + std::string(field) + "'" + of);
      return;
    }
    if (atoms == 0.0) return;
    if (symbol.empty()) {
      fail(lineNumber, "composition field without an element" + of);
      return;
    }
    entry.composition.emplace_back(ToUpper(symbol), std::round(atoms));
  };
  for (std::size_t column = 25; column <= 40; column += 5) {
    // A phase letter in column 44 is not part of the fourth field.
    const std::size_t last = column == 40 && shift < 0 ? 43 : column + 4;
    readComposition(Columns(first, column, last));
  }

  // The temperatures are read with the shift; when only the usual columns read, the phase
  // letter alone was misplaced. Two readings that disagree are ambiguous.
  LineTemperatures temperatures = readLineTemperatures(first, shift, defaults);
  bool usualColumns = false;
  if (shift != 0) {
    const LineTemperatures usual = readLineTemperatures(first, 0, defaults);
    if (!temperatures.problem.empty() && usual.problem.empty()) {
      temperatures = usual;
      usualColumns = true;
    } else if (temperatures.problem.empty() && usual.problem.empty() &&
               (temperatures.low != usual.low || temperatures.high != usual.high ||
                temperatures.common != usual.common)) {
      fail(lineNumber,
           "temperatures read differently with and without the shift of the phase"
           " letter" +
               of);
    }
  }
  if (!temperatures.problem.empty()) fail(lineNumber, temperatures.problem + of);
  entry.lowTemperature = temperatures.low;
  entry.highTemperature = temperatures.high;
  entry.commonTemperature = temperatures.common;
  const int fieldShift = usualColumns ? 0 : shift;
  if (temperatures.commonEnd == static_cast<std::size_t>(73 + fieldShift)) {
    readComposition(Columns(first, static_cast<std::size_t>(74 + fieldShift),
                            static_cast<std::size_t>(78 + fieldShift)));
  }

  // Lines 2 to 4: fifteen coefficients in fields of 15 columns: the upper range a1-a7 first.
  std::array<double, 15> values{};
  std::size_t count = 0;
  for (std::size_t row = 1; row <= 3; ++row) {
    const Line& line = lines[at + row];
    const std::string& text = line.raw;
    const char expected = static_cast<char>('1' + row);
    if (text.size() >= 80 && std::isdigit(static_cast<unsigned char>(text[79])) &&
        text[79] != expected) {
      fail(line.number, "malformed thermo entry of " + species.name + ": line number " + text[79] +
                            " in column 80 where " + expected + " belongs");
    }
    const std::size_t fields = row == 3 ? 4 : 5;
    for (std::size_t f = 0; f < fields; ++f) {
      const std::string_view field = Columns(text, 1 + 15 * f, 15 * (f + 1));
      if (!ParseCoefficient(field, values[count])) {
        fail(line.number, "malformed number '" + std::string(Trim(field)) + "'" + of);
      }
      ++count;
    }
  }
  std::copy(values.begin(), values.begin() + 7, entry.high.begin());
  std::copy(values.begin() + 7, values.begin() + 14, entry.low.begin());
  if (problem.empty() && !(entry.lowTemperature < entry.highTemperature &&
                           entry.commonTemperature >= entry.lowTemperature &&
                           entry.commonTemperature <= entry.highTemperature)) {
    fail(lineNumber, "temperature range " + FormatReal(entry.lowTemperature, "%g") + " " +
                         FormatReal(entry.commonTemperature, "%g") + " " +
                         FormatReal(entry.highTemperature, "%g") + " of the thermo of " +
                         species.name + " is not in order (low, common, high)");
  }
  if (!problem.empty()) {
    error(file, problemLine, problem);
    // Keep an empty record so that the species is not reported as missing its thermo too.
    species.thermo = ThermoEntry{};
    species.thermo->file = file;
    species.thermo->line = lineNumber;
    species.thermo->refused = true;
    return;
  }
  if (shift != 0) {
    warning(file, lineNumber,
            "thermo of " + species.name + ": phase letter in column " + std::to_string(45 + shift) +
                " instead of 45; " +
                (usualColumns ? "temperatures read in their usual columns"
                              : "line 1 read shifted by one column"));
  }
  if (entry.low != entry.high && (entry.commonTemperature == entry.lowTemperature ||
                                  entry.commonTemperature == entry.highTemperature)) {
    warning(file, lineNumber,
            "thermo of " + species.name + ": the common temperature " +
                FormatReal(entry.commonTemperature, "%g") +
                " K closes the range, so one set of coefficients is never used");
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
  // One warning per species, naming every property that jumps.
  static const char* const kNames[] = {"cp/R", "h/RT", "s/R"};
  std::string jumps;
  for (std::size_t p = 0; p < 3; ++p) {
    const double scale = std::max({std::abs(lowValues[p]), std::abs(highValues[p]), 1.0});
    if (std::abs(lowValues[p] - highValues[p]) > 1e-3 * scale) {
      jumps += std::string(jumps.empty() ? "" : "; ") + kNames[p] + " " +
               FormatReal(lowValues[p], "%.6g") + " below, " + FormatReal(highValues[p], "%.6g") +
               " above";
    }
  }
  if (!jumps.empty()) {
    warning(file, lineNumber,
            "thermo of " + species.name + " is discontinuous at " + FormatReal(t, "%g") +
                " K: " + jumps);
  }
  species.thermo = entry;
}

}  // namespace vordane::detail
