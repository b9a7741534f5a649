// Interpretation of a mechanism text.
//
// The reader runs in three passes. The first walks the lines of the mechanism and sorts them
// into sections: element and species declarations are free-form word lists; thermo entries are
// fixed-column blocks of four lines; every reaction line (an equation and three numbers) opens
// a reaction that the following auxiliary lines add to. The second pass reads thermo from the
// separate file for the species that still lack it. The third checks each reaction (species,
// balance, duplicates, the kinds the linking file can hold) and maps everything onto the
// records of the linking file. Every problem becomes a diagnostic with its file and line; the
// reader never stops at the first one, so one run shows all of them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "converters/vordane/periodic_table.h"
#include "converters/vordane/text_fields.h"
#include "converters/vordane/vordane.h"

namespace vordane {
namespace {

// Gas constants of the work arrays, so that E/R matches what the analysis assumes.
constexpr double kGasConstantCal = 1.9872155831739962;  // cal/(mol K)
constexpr double kGasConstantJoule = 8.31451;           // J/(mol K)
// CODATA 2018 exact values.
constexpr double kAvogadro = 6.02214076e23;            // 1/mol
constexpr double kElementaryCharge = 1.602176634e-19;  // C
constexpr double kBoltzmann = 1.380649e-23;            // J/K

constexpr std::size_t kNameWidth = 16;  // names of the linking file
// Larger coefficients are taken for typing errors; they could not be stored as integers.
constexpr double kMaxCoefficient = 1000.0;
constexpr int kNasaCoefficients = 7;

enum class EnergyUnit { Cal, Kcal, Joule, Kjoule, Kelvin, Evolt };

struct Units {
  EnergyUnit energy = EnergyUnit::Cal;
  bool molecules = false;
};

const char* EnergyUnitName(EnergyUnit unit) {
  switch (unit) {
    case EnergyUnit::Cal:
      return "CAL/MOLE";
    case EnergyUnit::Kcal:
      return "KCAL/MOLE";
    case EnergyUnit::Joule:
      return "JOULES/MOLE";
    case EnergyUnit::Kjoule:
      return "KJOULES/MOLE";
    case EnergyUnit::Kelvin:
      return "KELVINS";
    case EnergyUnit::Evolt:
      return "EVOLTS";
  }
  return "";
}

// E/R in kelvin of an activation energy in `unit`.
double EnergyToKelvin(double energy, EnergyUnit unit) {
  switch (unit) {
    case EnergyUnit::Cal:
      return energy / kGasConstantCal;
    case EnergyUnit::Kcal:
      return energy * 1000.0 / kGasConstantCal;
    case EnergyUnit::Joule:
      return energy / kGasConstantJoule;
    case EnergyUnit::Kjoule:
      return energy * 1000.0 / kGasConstantJoule;
    case EnergyUnit::Kelvin:
      return energy;
    case EnergyUnit::Evolt:
      return energy * (kElementaryCharge / kBoltzmann);
  }
  return energy;
}

// Reads one unit word; false when the word is not a unit.
bool ApplyUnitWord(std::string_view word, Units& units) {
  const std::string upper = ToUpper(word);
  static const std::map<std::string, EnergyUnit, std::less<>> kEnergy = {
      {"CAL/MOLE", EnergyUnit::Cal},        {"CAL/MOL", EnergyUnit::Cal},
      {"KCAL/MOLE", EnergyUnit::Kcal},      {"KCAL/MOL", EnergyUnit::Kcal},
      {"KCAL", EnergyUnit::Kcal},           {"JOULES/MOLE", EnergyUnit::Joule},
      {"JOULES/MOL", EnergyUnit::Joule},    {"JOUL/MOLE", EnergyUnit::Joule},
      {"JOULES", EnergyUnit::Joule},        {"J/MOL", EnergyUnit::Joule},
      {"KJOULES/MOLE", EnergyUnit::Kjoule}, {"KJOULES/MOL", EnergyUnit::Kjoule},
      {"KJOU/MOLE", EnergyUnit::Kjoule},    {"KJOULES", EnergyUnit::Kjoule},
      {"KJ/MOL", EnergyUnit::Kjoule},       {"KELVINS", EnergyUnit::Kelvin},
      {"KELVIN", EnergyUnit::Kelvin},       {"EVOLTS", EnergyUnit::Evolt},
      {"EVOLT", EnergyUnit::Evolt},         {"EV", EnergyUnit::Evolt},
  };
  if (const auto found = kEnergy.find(upper); found != kEnergy.end()) {
    units.energy = found->second;
    return true;
  }
  if (upper == "MOLES" || upper == "MOLE" || upper == "MOL") {
    units.molecules = false;
    return true;
  }
  if (upper == "MOLECULES" || upper == "MOLECULE" || upper == "MOLEC") {
    units.molecules = true;
    return true;
  }
  return false;
}

std::string FormatReal(double value, const char* format = "%.4E") {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

struct Line {
  int number = 0;
  std::string text;  // without the comment, tabs and carriage returns made blanks
  std::string raw;   // as read, for the fixed columns of thermo entries
};

// Splits a text into lines. Bytes outside ASCII are kept as they are: they can only belong
// to comments or names, and neither is changed by them.
std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  int number = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    Line line;
    line.number = ++number;
    line.raw = text.substr(start, end - start);
    if (!line.raw.empty() && line.raw.back() == '\r') line.raw.pop_back();
    for (char& c : line.raw) {
      if (c == '\t' || c == '\r') c = ' ';
    }
    const std::size_t comment = line.raw.find('!');
    line.text = line.raw.substr(0, comment);
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

enum class Section { None, Elements, Species, Thermo, Reactions, Ignored, End };

Section SectionOfWord(std::string_view word) {
  const std::string upper = ToUpper(word);
  if (upper == "END") return Section::End;
  if (IsAbbreviation(upper, "ELEMENTS", 4)) return Section::Elements;
  if (IsAbbreviation(upper, "SPECIES", 4)) return Section::Species;
  if (IsAbbreviation(upper, "THERMO", 4)) return Section::Thermo;
  if (IsAbbreviation(upper, "REACTIONS", 4)) return Section::Reactions;
  if (IsAbbreviation(upper, "TRANSPORT", 4)) return Section::Ignored;
  return Section::None;
}

struct ElementEntry {
  std::string name;  // upper case
  double weight = 0.0;
  int line = 0;
};

struct ThermoEntry {
  std::string file;
  int line = 0;
  std::vector<std::pair<std::string, double>> composition;  // element (upper case), atoms
  char phase = 'G';
  double lowTemperature = 0.0;
  double highTemperature = 0.0;
  double commonTemperature = 0.0;
  std::array<double, kNasaCoefficients> low{};
  std::array<double, kNasaCoefficients> high{};
};

struct SpeciesEntry {
  std::string name;
  int line = 0;
  std::optional<ThermoEntry> thermo;
  bool thermoFromMechanism = false;
};

enum class ThirdBodyKind { None, Mixture, FallOffMixture, FallOffSpecies };

struct Participant {
  int species = 0;  // 0-based
  double coefficient = 0.0;
};

// One auxiliary keyword as written, for the listing.
struct AuxiliaryNote {
  std::string keyword;
  std::string text;
  bool efficiency = false;  // a third-body efficiency: listed together on one line
};

struct ReactionEntry {
  std::string file;
  int line = 0;
  std::string equation;
  bool reversible = true;
  ThirdBodyKind thirdBody = ThirdBodyKind::None;
  int fallOffSpecies = -1;
  bool photon = false;
  std::vector<Participant> reactants;
  std::vector<Participant> products;
  std::array<double, 3> rate{};  // as written
  Units units;
  std::optional<std::array<double, 3>> low;
  std::optional<std::array<double, 3>> reverse;
  std::optional<std::vector<double>> troe;
  std::optional<std::vector<double>> sri;
  std::optional<std::array<double, 2>> landauTeller;
  std::optional<std::array<double, 2>> reverseLandauTeller;
  std::optional<double> wavelength;
  std::optional<double> excitation;
  std::optional<std::vector<double>> janev;
  std::optional<std::vector<double>> fit;
  bool electronImpact = false;
  std::vector<std::pair<int, double>> forwardOrders;
  std::vector<std::pair<int, double>> reverseOrders;
  std::vector<std::pair<int, double>> efficiencies;
  bool duplicate = false;
  bool chemicallyActivated = false;  // HIGH: refused, but no further fall-off complaints
  bool valid = true;                 // the equation could be read
  std::vector<AuxiliaryNote> notes;
};

bool IsIntegral(double value) {
  return std::abs(value - std::round(value)) < 1e-9;
}

class Interpreter {
 public:
  Interpretation run(const SourceText& mechanism, const SourceText* thermo);

 private:
  void error(const std::string& file, int line, std::string message) {
    result_.diagnostics.push_back({Severity::Error, file, line, std::move(message)});
  }
  void warning(const std::string& file, int line, std::string message) {
    result_.diagnostics.push_back({Severity::Warning, file, line, std::move(message)});
  }

  // Pass 1.
  void readMechanism(const SourceText& source);
  void readElementWords(const std::string& file, const Line& line, std::string_view text);
  void readSpeciesWords(const std::string& file, const Line& line, std::string_view text);
  // Reads thermo entries from lines[start..] up to END; returns the index after the section.
  std::size_t readThermo(const std::string& file, const std::vector<Line>& lines, std::size_t start,
                         bool fromMechanism);
  void readThermoEntry(const std::string& file, const std::vector<Line>& lines, std::size_t at,
                       const std::array<double, 3>& defaults, int speciesIndex, bool fromMechanism);
  void readReactionUnits(const std::string& file, const Line& line, std::string_view text);
  void readReactionLine(const std::string& file, const Line& line);
  void readAuxiliaryLine(const std::string& file, const Line& line);
  void applyAuxiliary(const std::string& file, int line, ReactionEntry& reaction,
                      const std::string& keyword, std::optional<std::string_view> parameters);

  // Equation reading.
  struct Side {
    std::vector<Participant> participants;
    bool mixture = false;
    bool photon = false;
    ThirdBodyKind fallOff = ThirdBodyKind::None;
    int fallOffSpecies = -1;
  };
  bool readSide(std::string_view text, Side& side, std::string& problem) const;
  int findSpecies(std::string_view name) const;
  bool readEquation(const std::string& equation, ReactionEntry& reaction, std::string& problem);

  // Pass 3.
  void checkReactions();
  void checkDuplicates();
  void buildMechanism();
  void writeListing();

  std::vector<double> numbersOf(const std::string& file, int line, const std::string& keyword,
                                std::string_view text);

  Interpretation result_;
  std::vector<ElementEntry> elements_;
  std::vector<SpeciesEntry> species_;
  std::unordered_map<std::string, int> speciesIndex_;
  std::vector<ReactionEntry> reactions_;
  Units sectionUnits_;
  bool mechanismHasAllThermo_ = false;
  bool sawReactions_ = false;
  std::string mechanismFile_;
  std::string thermoFile_;
};

int Interpreter::findSpecies(std::string_view name) const {
  const auto found = speciesIndex_.find(std::string(name));
  return found == speciesIndex_.end() ? -1 : found->second;
}

void Interpreter::readElementWords(const std::string& file, const Line& line,
                                   std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    if (text[at] == '/') {
      const std::size_t close = text.find('/', at + 1);
      if (close == std::string_view::npos) {
        error(file, line.number, "atomic weight without its closing '/'");
        return;
      }
      double weight = 0.0;
      if (elements_.empty() || !ParseReal(text.substr(at + 1, close - at - 1), weight) ||
          weight <= 0.0) {
        error(file, line.number,
              "malformed atomic weight '" + std::string(text.substr(at, close - at + 1)) + "'");
      } else {
        elements_.back().weight = weight;
      }
      at = close + 1;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '/') ++end;
    const std::string name = ToUpper(text.substr(at, end - at));
    at = end;
    // A weight given with the name makes a custom element.
    std::size_t next = at;
    while (next < text.size() && text[next] == ' ') ++next;
    const bool hasWeight = next < text.size() && text[next] == '/';
    if (std::any_of(elements_.begin(), elements_.end(),
                    [&](const ElementEntry& e) { return e.name == name; })) {
      warning(file, line.number, "element " + name + " declared twice; kept once");
      if (hasWeight) {
        // Skip the repeated weight.
        const std::size_t close = text.find('/', next + 1);
        at = close == std::string_view::npos ? text.size() : close + 1;
      }
      continue;
    }
    const auto weight = BuiltInAtomicWeight(name);
    if (!weight && !hasWeight) {
      error(file, line.number, "unknown element " + name + " (no atomic weight)");
    }
    if (name.size() > kNameWidth) {
      error(file, line.number, "element name " + name + " longer than 16 characters");
    }
    elements_.push_back({name, weight.value_or(0.0), line.number});
  }
}

void Interpreter::readSpeciesWords(const std::string& file, const Line& line,
                                   std::string_view text) {
  for (const std::string_view word : SplitWords(text)) {
    const std::string name(word);
    if (speciesIndex_.count(name) != 0) {
      warning(file, line.number, "species " + name + " declared twice; kept once");
      continue;
    }
    if (name.size() > kNameWidth) {
      error(file, line.number, "species name " + name + " longer than 16 characters");
    }
    speciesIndex_.emplace(name, static_cast<int>(species_.size()));
    species_.push_back({name, line.number, std::nullopt, false});
  }
}

void Interpreter::readReactionUnits(const std::string& file, const Line& line,
                                    std::string_view text) {
  for (const std::string_view word : SplitWords(text)) {
    if (!ApplyUnitWord(word, sectionUnits_)) {
      warning(file, line.number,
              "unusual units '" + std::string(word) + "' on the reaction section line; ignored");
    }
  }
}

void Interpreter::readMechanism(const SourceText& source) {
  const std::vector<Line> lines = SplitLines(source.text);
  const std::string& file = source.name;
  Section section = Section::None;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    std::string_view text = Trim(line.text);
    if (section == Section::Reactions) {
      if (text.empty()) continue;
      const auto words = SplitWords(text);
      const Section opened = SectionOfWord(words.front());
      const bool hasEqual = text.find('=') != std::string_view::npos;
      const bool hasSlash = text.find('/') != std::string_view::npos;
      // A line ending in three numbers after some other text reads as a reaction line.
      bool endsInRate = words.size() >= 4;
      for (std::size_t k = words.size() >= 3 ? words.size() - 3 : 0; endsInRate && k < words.size();
           ++k) {
        double value = 0.0;
        endsInRate = ParseReal(words[k], value);
      }
      if (opened == Section::End) {
        section = Section::None;
      } else if (IsAbbreviation(ToUpper(words.front()), "REACTIONS", 4)) {
        sectionUnits_ = Units{};
        readReactionUnits(file, line, text.substr(words.front().size()));
      } else if (opened != Section::None && !hasEqual && !hasSlash) {
        warning(file, line.number, "reaction section without END");
        section = Section::None;
        --i;  // read the line again as a section line
      } else if ((hasEqual && !hasSlash) || endsInRate) {
        readReactionLine(file, line);
      } else {
        readAuxiliaryLine(file, line);
      }
      continue;
    }
    // Element and species lists are free-form: they may share lines with their keyword and
    // with END, and a list whose END is missing ends at the next section keyword.
    while (!text.empty()) {
      const std::vector<std::string_view> words = SplitWords(text);
      if (section == Section::Elements || section == Section::Species) {
        std::size_t cut = text.size();
        Section found = Section::None;
        for (const std::string_view word : words) {
          found = SectionOfWord(word);
          if (found != Section::None) {
            cut = static_cast<std::size_t>(word.data() - text.data());
            break;
          }
        }
        if (section == Section::Elements) {
          readElementWords(file, line, text.substr(0, cut));
        } else {
          readSpeciesWords(file, line, text.substr(0, cut));
        }
        if (found == Section::None) break;
        section = Section::None;
        text = Trim(text.substr(cut));
        if (found == Section::End) {
          text = Trim(text.substr(SplitWords(text).front().size()));
        } else {
          warning(file, line.number,
                  "section without END before " + ToUpper(SplitWords(text).front()));
        }
        continue;
      }
      if (section == Section::Ignored) {
        if (SectionOfWord(words.front()) == Section::End) section = Section::None;
        break;
      }
      const Section opened = SectionOfWord(words.front());
      const std::string_view afterKeyword = Trim(text.substr(words.front().size()));
      if (opened == Section::Elements || opened == Section::Species) {
        section = opened;
        text = afterKeyword;
        continue;
      }
      if (opened == Section::Thermo) {
        if (ToUpper(afterKeyword).rfind("ALL", 0) == 0) mechanismHasAllThermo_ = true;
        i = readThermo(file, lines, i, true) - 1;
      } else if (opened == Section::Reactions) {
        section = Section::Reactions;
        sawReactions_ = true;
        readReactionUnits(file, line, afterKeyword);
      } else if (opened == Section::Ignored) {
        warning(file, line.number, "section " + ToUpper(words.front()) + " ignored");
        section = Section::Ignored;
      } else if (opened == Section::None) {
        error(file, line.number,
              "unknown section or text outside a section: '" + std::string(words.front()) + "'");
      }
      break;
    }
  }
  if (section == Section::Elements || section == Section::Species) {
    warning(file, lines.empty() ? 0 : lines.back().number, "section without END at the end");
  }
}

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
        readThermoEntry(file, lines, i, defaults, index, fromMechanism);
      }
      seenHere.insert(index);
    }
    i += 4;
  }
  return i;
}

void Interpreter::readThermoEntry(const std::string& file, const std::vector<Line>& lines,
                                  std::size_t at, const std::array<double, 3>& defaults,
                                  int speciesIndex, bool fromMechanism) {
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
  if (!good) {
    // Keep an empty record so that the species is not reported as missing its thermo too.
    species.thermo = ThermoEntry{};
    species.thermo->file = file;
    species.thermo->line = lineNumber;
    species.thermoFromMechanism = fromMechanism;
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
  species.thermoFromMechanism = fromMechanism;
}

bool Interpreter::readSide(std::string_view text, Side& side, std::string& problem) const {
  // A fall-off third body closes the side: "(+M)" or "(+species)".
  if (!text.empty() && text.back() == ')') {
    std::size_t search = text.size();
    while (search > 0) {
      const std::size_t open = text.rfind("(+", search - 1);
      if (open == std::string_view::npos) break;
      const std::string inner(text.substr(open + 2, text.size() - open - 3));
      const int index = findSpecies(inner);
      if (index < 0 && ToUpper(inner) == "M") {
        side.fallOff = ThirdBodyKind::FallOffMixture;
      } else if (index >= 0) {
        side.fallOff = ThirdBodyKind::FallOffSpecies;
        side.fallOffSpecies = index;
      }
      if (side.fallOff != ThirdBodyKind::None) {
        text = text.substr(0, open);
        break;
      }
      search = open;
    }
  }
  if (text.empty()) {
    problem = "a side of the equation is empty";
    return false;
  }
  std::size_t at = 0;
  while (at < text.size()) {
    // The longest known name from here that ends at a '+' or at the end of the side.
    const auto matchName = [&](std::size_t from, std::size_t& end) -> int {
      for (std::size_t e = text.size(); e > from; --e) {
        if (e != text.size() && text[e] != '+') continue;
        const std::string_view candidate = text.substr(from, e - from);
        const int index = findSpecies(candidate);
        if (index >= 0) {
          end = e;
          return index;
        }
        const std::string upper = ToUpper(candidate);
        if (upper == "M") {
          end = e;
          return -2;
        }
        if (upper == "HV") {
          end = e;
          return -3;
        }
      }
      return -1;
    };
    std::size_t end = at;
    double coefficient = 1.0;
    int index = matchName(at, end);
    if (index == -1) {
      // A leading coefficient: the longest number whose remainder is a name.
      for (std::size_t e = text.size(); e > at && index == -1; --e) {
        double value = 0.0;
        const std::string_view number = text.substr(at, e - at);
        if (!std::isdigit(static_cast<unsigned char>(number.front())) && number.front() != '.') {
          break;
        }
        if (!ParseReal(number, value) || value <= 0.0 || value > kMaxCoefficient) continue;
        std::size_t nameEnd = e;
        const int found = matchName(e, nameEnd);
        if (found != -1) {
          index = found;
          coefficient = value;
          end = nameEnd;
        }
      }
    }
    if (index == -1) {
      std::size_t stop = text.find('+', at);
      if (stop == at) stop = text.find('+', at + 1);
      problem = "unknown species '" +
                std::string(text.substr(
                    at, stop == std::string_view::npos ? text.size() - at : stop - at)) +
                "'";
      return false;
    }
    if (index == -2) {
      if (side.mixture || coefficient != 1.0) {
        problem = "third body M given more than once on a side";
        return false;
      }
      side.mixture = true;
    } else if (index == -3) {
      side.photon = true;
    } else {
      auto existing = std::find_if(side.participants.begin(), side.participants.end(),
                                   [&](const Participant& p) { return p.species == index; });
      if (existing != side.participants.end()) {
        existing->coefficient += coefficient;
      } else {
        side.participants.push_back({index, coefficient});
      }
    }
    at = end;
    if (at < text.size()) {
      ++at;  // the '+' between terms
      if (at == text.size()) {
        problem = "the equation ends with '+'";
        return false;
      }
    }
  }
  return true;
}

bool Interpreter::readEquation(const std::string& equation, ReactionEntry& reaction,
                               std::string& problem) {
  std::string compact;
  for (const char c : equation) {
    if (c != ' ') compact.push_back(c);
  }
  reaction.equation = compact;
  std::string firstProblem;
  bool anyArrow = false;
  for (std::size_t equal = compact.find('='); equal != std::string::npos;
       equal = compact.find('=', equal + 1)) {
    anyArrow = true;
    std::size_t leftEnd = equal;
    std::size_t rightStart = equal + 1;
    bool reversible = true;
    if (equal + 1 < compact.size() && compact[equal + 1] == '>') {
      rightStart = equal + 2;
      if (equal > 0 && compact[equal - 1] == '<') {
        leftEnd = equal - 1;
      } else {
        reversible = false;
      }
    }
    Side left;
    Side right;
    std::string leftProblem;
    std::string rightProblem;
    const bool leftOk = readSide(std::string_view(compact).substr(0, leftEnd), left, leftProblem);
    const bool rightOk =
        readSide(std::string_view(compact).substr(rightStart), right, rightProblem);
    if (!leftOk || !rightOk) {
      if (firstProblem.empty()) firstProblem = leftOk ? rightProblem : leftProblem;
      continue;
    }
    if (left.participants.empty()) {
      problem = "reaction without reactants";
      return false;
    }
    if (right.participants.empty() && !right.photon) {
      problem = "reaction without products";
      return false;
    }
    if (left.mixture != right.mixture) {
      problem = "third body M on one side only";
      return false;
    }
    if (left.fallOff != right.fallOff || left.fallOffSpecies != right.fallOffSpecies) {
      problem = "fall-off third bodies of the two sides differ";
      return false;
    }
    if (left.mixture && left.fallOff != ThirdBodyKind::None) {
      problem = "both +M and a fall-off third body";
      return false;
    }
    reaction.reversible = reversible;
    reaction.reactants = left.participants;
    reaction.products = right.participants;
    reaction.photon = left.photon || right.photon;
    if (left.mixture) reaction.thirdBody = ThirdBodyKind::Mixture;
    if (left.fallOff != ThirdBodyKind::None) {
      reaction.thirdBody = left.fallOff;
      reaction.fallOffSpecies = left.fallOffSpecies;
    }
    return true;
  }
  problem = anyArrow ? firstProblem : "no reaction arrow ('=', '=>' or '<=>')";
  return false;
}

void Interpreter::readReactionLine(const std::string& file, const Line& line) {
  ReactionEntry reaction;
  reaction.file = file;
  reaction.line = line.number;
  reaction.units = sectionUnits_;
  const std::string_view text = Trim(line.text);
  const std::vector<std::string_view> words = SplitWords(text);
  if (words.size() < 4) {
    error(file, line.number, "reaction line without its three rate parameters");
    reaction.valid = false;
    reaction.equation = std::string(text);
    reactions_.push_back(std::move(reaction));
    return;
  }
  bool numbers = true;
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string_view word = words[words.size() - 3 + k];
    if (!ParseReal(word, reaction.rate[k])) {
      error(file, line.number,
            "malformed number '" + std::string(word) + "' in the rate parameters");
      numbers = false;
    }
  }
  const std::size_t equationEnd =
      static_cast<std::size_t>(words[words.size() - 3].data() - text.data());
  std::string problem;
  if (!readEquation(std::string(text.substr(0, equationEnd)), reaction, problem)) {
    error(file, line.number, problem + " in '" + reaction.equation + "'");
    reaction.valid = false;
  }
  if (!numbers) reaction.valid = false;
  reactions_.push_back(std::move(reaction));
}

std::vector<double> Interpreter::numbersOf(const std::string& file, int line,
                                           const std::string& keyword, std::string_view text) {
  std::vector<double> values;
  for (const std::string_view word : SplitWords(text)) {
    double value = 0.0;
    if (!ParseReal(word, value)) {
      error(file, line, "malformed number '" + std::string(word) + "' in " + keyword);
      return {};
    }
    values.push_back(value);
  }
  return values;
}

void Interpreter::readAuxiliaryLine(const std::string& file, const Line& line) {
  if (reactions_.empty()) {
    error(file, line.number,
          "'" + std::string(Trim(line.text)) + "' before the first reaction line");
    return;
  }
  ReactionEntry& reaction = reactions_.back();
  const std::string& text = line.text;
  const std::vector<std::string_view> words = SplitWords(text);
  if (text.find('/') == std::string::npos &&
      std::none_of(words.begin(), words.end(), [](std::string_view w) {
        const std::string upper = ToUpper(w);
        return IsAbbreviation(upper, "DUPLICATE", 3) || upper == "MOME" || upper == "XSMI";
      })) {
    error(file, line.number,
          "unreadable line in the reaction section: '" + std::string(Trim(text)) + "'");
    return;
  }
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '/') ++end;
    const std::string word = text.substr(at, end - at);
    if (word.empty()) {
      error(file, line.number, "'/' without a keyword or species before it");
      return;
    }
    std::size_t next = end;
    while (next < text.size() && text[next] == ' ') ++next;
    std::optional<std::string_view> parameters;
    at = next;
    if (next < text.size() && text[next] == '/') {
      std::size_t close = text.find('/', next + 1);
      // Units are written with a slash of their own ("UNITS / CAL/MOLE /"): the parameters
      // then run to the last slash of the line.
      if (ToUpper(word) == "UNITS") close = text.rfind('/');
      if (close == std::string::npos || close == next) {
        error(file, line.number, "'" + word + "' parameters without the closing '/'");
        return;
      }
      parameters = std::string_view(text).substr(next + 1, close - next - 1);
      at = close + 1;
    }
    applyAuxiliary(file, line.number, reaction, word, parameters);
  }
}

void Interpreter::applyAuxiliary(const std::string& file, int line, ReactionEntry& reaction,
                                 const std::string& word,
                                 std::optional<std::string_view> parameters) {
  const std::string keyword = ToUpper(word);
  const std::string params = parameters ? std::string(Trim(*parameters)) : std::string();
  reaction.notes.push_back({keyword, params, false});
  const auto numbers = [&](std::size_t minimum, std::size_t maximum) {
    std::optional<std::vector<double>> values;
    if (!parameters) {
      error(file, line, keyword + " without its parameters");
      return values;
    }
    std::vector<double> read = numbersOf(file, line, keyword, params);
    if (read.empty() && !params.empty()) return values;
    if (read.size() < minimum || read.size() > maximum) {
      error(file, line,
            keyword + " takes " +
                (minimum == maximum ? std::to_string(minimum)
                                    : std::to_string(minimum) + " to " + std::to_string(maximum)) +
                " parameters, not " + std::to_string(read.size()));
      return values;
    }
    values = std::move(read);
    return values;
  };
  const auto once = [&](bool given) {
    if (given) error(file, line, keyword + " given twice for one reaction");
    return !given;
  };
  const auto threeOf = [](const std::vector<double>& v) {
    return std::array<double, 3>{v[0], v[1], v[2]};
  };
  if (IsAbbreviation(keyword, "DUPLICATE", 3)) {
    reaction.duplicate = true;
  } else if (keyword == "LOW") {
    if (auto v = numbers(3, 3); v && once(reaction.low.has_value())) reaction.low = threeOf(*v);
  } else if (keyword == "TROE") {
    if (auto v = numbers(3, 4); v && once(reaction.troe.has_value())) reaction.troe = *v;
  } else if (keyword == "SRI") {
    if (auto v = numbers(3, 5); v && once(reaction.sri.has_value())) {
      if (v->size() == 4) {
        error(file, line, "SRI takes 3 or 5 parameters, not 4");
      } else {
        reaction.sri = *v;
      }
    }
  } else if (keyword == "REV") {
    if (auto v = numbers(3, 3); v && once(reaction.reverse.has_value())) {
      reaction.reverse = threeOf(*v);
    }
  } else if (keyword == "LT") {
    if (auto v = numbers(2, 2); v && once(reaction.landauTeller.has_value())) {
      reaction.landauTeller = std::array<double, 2>{(*v)[0], (*v)[1]};
    }
  } else if (keyword == "RLT") {
    if (auto v = numbers(2, 2); v && once(reaction.reverseLandauTeller.has_value())) {
      reaction.reverseLandauTeller = std::array<double, 2>{(*v)[0], (*v)[1]};
    }
  } else if (keyword == "HV") {
    if (auto v = numbers(1, 1); v && once(reaction.wavelength.has_value())) {
      reaction.wavelength = (*v)[0];
    }
  } else if (keyword == "EXCI") {
    if (auto v = numbers(1, 1); v && once(reaction.excitation.has_value())) {
      reaction.excitation = (*v)[0];
    }
  } else if (keyword == "JAN") {
    if (auto v = numbers(1, 9); v && once(reaction.janev.has_value())) {
      v->resize(9, 0.0);
      reaction.janev = *v;
    }
  } else if (keyword == "FIT1") {
    if (auto v = numbers(1, 4); v && once(reaction.fit.has_value())) {
      v->resize(4, 0.0);
      reaction.fit = *v;
    }
  } else if (keyword == "TDEP") {
    const int index = findSpecies(params);
    if (!parameters || index < 0) {
      error(file, line, "TDEP names no known species: '" + params + "'");
    } else if (once(reaction.electronImpact)) {
      reaction.electronImpact = true;
    }
  } else if (keyword == "FORD" || keyword == "RORD") {
    const auto words = SplitWords(params);
    double value = 0.0;
    if (!parameters || words.size() != 2) {
      error(file, line, keyword + " takes a species and an order");
      return;
    }
    const int index = findSpecies(words[0]);
    if (index < 0) {
      error(file, line, "unknown species '" + std::string(words[0]) + "' in " + keyword);
      return;
    }
    if (!ParseReal(words[1], value)) {
      error(file, line, "malformed number '" + std::string(words[1]) + "' in " + keyword);
      return;
    }
    auto& orders = keyword == "FORD" ? reaction.forwardOrders : reaction.reverseOrders;
    for (const auto& [species, order] : orders) {
      if (species == index) {
        error(file, line, keyword + " given twice for " + std::string(words[0]));
        return;
      }
    }
    orders.emplace_back(index, value);
  } else if (keyword == "UNITS") {
    if (!parameters) {
      error(file, line, "UNITS without its parameters");
      return;
    }
    for (const std::string_view unit : SplitWords(params)) {
      if (!ApplyUnitWord(unit, reaction.units)) {
        warning(file, line, "unusual units '" + std::string(unit) + "' in UNITS; ignored");
      }
    }
  } else if (keyword == "MOME" || keyword == "XSMI") {
    warning(file, line,
            keyword +
                ": the linking file has no place for it; the reaction is kept as an "
                "ordinary reaction");
  } else if (keyword == "HIGH") {
    reaction.chemicallyActivated = true;
    error(file, line, "chemically activated fall-off (HIGH) cannot be held in the linking file");
  } else if (keyword == "PLOG") {
    error(file, line, "pressure-dependent rate PLOG cannot be held in the linking file");
  } else if (keyword == "CHEB" || keyword == "TCHEB" || keyword == "PCHEB") {
    error(file, line, "Chebyshev rate " + keyword + " cannot be held in the linking file");
  } else if (const int index = findSpecies(word); index >= 0 && parameters) {
    double value = 0.0;
    if (!ParseReal(params, value) || value < 0.0) {
      error(file, line, "malformed third-body efficiency '" + params + "' of " + word);
      return;
    }
    for (const auto& [species, efficiency] : reaction.efficiencies) {
      if (species == index) {
        error(file, line, "third-body efficiency of " + word + " given twice");
        return;
      }
    }
    reaction.efficiencies.emplace_back(index, value);
    reaction.notes.back() = {word, params, true};
  } else if (parameters) {
    error(file, line, "unknown species or keyword '" + word + "'");
  } else {
    error(file, line, "unknown auxiliary keyword '" + word + "'");
  }
}

void Interpreter::checkReactions() {
  // Elements of each species, by element index; the electron element carries the charge.
  const auto electron = std::find_if(elements_.begin(), elements_.end(),
                                     [](const ElementEntry& e) { return e.name == "E"; });
  const std::size_t electronIndex =
      electron == elements_.end() ? elements_.size() : std::size_t(electron - elements_.begin());
  std::vector<std::vector<double>> atoms(species_.size(), std::vector<double>(elements_.size()));
  for (std::size_t k = 0; k < species_.size(); ++k) {
    if (!species_[k].thermo) continue;
    for (const auto& [symbol, count] : species_[k].thermo->composition) {
      for (std::size_t m = 0; m < elements_.size(); ++m) {
        if (elements_[m].name == symbol) atoms[k][m] += count;
      }
    }
  }
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    ReactionEntry& r = reactions_[i];
    if (!r.valid) continue;
    const std::string number = "reaction " + std::to_string(i + 1);
    std::vector<double> balance(elements_.size(), 0.0);
    for (const auto& p : r.reactants) {
      for (std::size_t m = 0; m < elements_.size(); ++m)
        balance[m] -= p.coefficient * atoms[p.species][m];
    }
    for (const auto& p : r.products) {
      for (std::size_t m = 0; m < elements_.size(); ++m)
        balance[m] += p.coefficient * atoms[p.species][m];
    }
    bool allThermo = true;
    for (const auto* side : {&r.reactants, &r.products}) {
      for (const auto& p : *side) allThermo = allThermo && species_[p.species].thermo.has_value();
    }
    for (std::size_t m = 0; allThermo && m < elements_.size(); ++m) {
      if (std::abs(balance[m]) < 1e-6) continue;
      if (m == electronIndex) {
        error(r.file, r.line, "charge imbalance in " + number + " " + r.equation);
      } else {
        error(r.file, r.line,
              "element imbalance (" + elements_[m].name + ") in " + number + " " + r.equation);
      }
    }
    const bool mixture =
        r.thirdBody == ThirdBodyKind::Mixture || r.thirdBody == ThirdBodyKind::FallOffMixture;
    const bool fallOff = r.thirdBody == ThirdBodyKind::FallOffMixture ||
                         r.thirdBody == ThirdBodyKind::FallOffSpecies;
    if (!r.efficiencies.empty() && !mixture) {
      error(r.file, r.line, "third-body efficiencies on " + number + ", which has no M");
    }
    if (fallOff && !r.low && !r.chemicallyActivated) {
      error(r.file, r.line, "fall-off " + number + " without LOW");
    }
    if (!fallOff && (r.low || r.troe || r.sri)) {
      error(r.file, r.line, "LOW, TROE or SRI on " + number + ", which is not a fall-off reaction");
    }
    if (r.troe && r.sri) error(r.file, r.line, "both TROE and SRI on " + number);
    if (r.reverse && !r.reversible) {
      error(r.file, r.line, "REV on the irreversible " + number);
    }
    if (r.reverseLandauTeller && !r.reverse) {
      error(r.file, r.line, "RLT on " + number + " without REV");
    }
    if (r.wavelength && !r.photon) {
      warning(r.file, r.line, "HV wavelength on " + number + ", which has no HV participant");
    }
    for (const auto& [species, order] : r.forwardOrders) {
      const bool isReactant =
          std::any_of(r.reactants.begin(), r.reactants.end(),
                      [&](const Participant& p) { return p.species == species; });
      if (!isReactant) {
        warning(r.file, r.line,
                "FORD for " + species_[static_cast<std::size_t>(species)].name +
                    ", which is not a reactant of " + number);
      }
    }
    for (const auto& [species, order] : r.reverseOrders) {
      const bool isProduct =
          std::any_of(r.products.begin(), r.products.end(),
                      [&](const Participant& p) { return p.species == species; });
      if (!isProduct) {
        warning(r.file, r.line,
                "RORD for " + species_[static_cast<std::size_t>(species)].name +
                    ", which is not a product of " + number);
      }
    }
  }
}

// Reactions that are the same reaction must be marked DUP; a DUP reaction must have a
// partner. Two reactions are the same when they have the same reactants, products and third
// body, in the same direction or, when either is reversible, in opposite directions. A DUP
// partner is looser: the third body and species on both sides (explicit colliders) are left
// out, so that "A+B+M" and "A+B(+M)" or "A+B+X=C+D+X" may be declared partners.
void Interpreter::checkDuplicates() {
  const auto sideKey = [](std::vector<Participant> side) {
    std::sort(side.begin(), side.end(),
              [](const Participant& a, const Participant& b) { return a.species < b.species; });
    std::string key;
    for (const auto& p : side)
      key += std::to_string(p.species) + "*" + FormatReal(p.coefficient, "%.9g") + ";";
    return key;
  };
  const auto thirdKey = [](const ReactionEntry& r) {
    return std::to_string(static_cast<int>(r.thirdBody)) + "/" + std::to_string(r.fallOffSpecies);
  };
  std::map<std::string, std::vector<std::size_t>> strict;
  std::map<std::string, std::vector<std::size_t>> loose;
  std::vector<bool> hasPartner(reactions_.size(), false);
  std::vector<bool> reported(reactions_.size(), false);
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& r = reactions_[i];
    if (!r.valid) continue;
    const std::string left = sideKey(r.reactants);
    const std::string right = sideKey(r.products);
    const std::string forward = left + ">" + right + "|" + thirdKey(r);
    const std::string backward = right + ">" + left + "|" + thirdKey(r);
    const auto check = [&](const std::string& key, bool sameDirection) {
      const auto found = strict.find(key);
      if (found == strict.end()) return;
      for (const std::size_t j : found->second) {
        const ReactionEntry& other = reactions_[j];
        if (!sameDirection && !r.reversible && !other.reversible) continue;
        if (!(r.duplicate && other.duplicate) && !reported[i]) {
          error(r.file, r.line,
                "duplicate reaction without DUP: reaction " + std::to_string(i + 1) +
                    " repeats reaction " + std::to_string(j + 1) + " (line " +
                    std::to_string(other.line) + ")");
          reported[i] = true;
        }
      }
    };
    check(forward, true);
    if (backward != forward) check(backward, false);
    strict[forward].push_back(i);

    // Loose key: without spectators and third bodies.
    std::vector<Participant> reactants;
    std::vector<Participant> products = r.products;
    for (const auto& p : r.reactants) {
      const auto same = std::find_if(products.begin(), products.end(), [&](const Participant& q) {
        return q.species == p.species && q.coefficient == p.coefficient;
      });
      if (same != products.end()) {
        products.erase(same);
      } else {
        reactants.push_back(p);
      }
    }
    const std::string looseLeft = sideKey(reactants);
    const std::string looseRight = sideKey(products);
    const std::string looseKey =
        looseLeft < looseRight ? looseLeft + "=" + looseRight : looseRight + "=" + looseLeft;
    auto& partners = loose[looseKey];
    if (!partners.empty()) {
      hasPartner[i] = true;
      for (const std::size_t j : partners) hasPartner[j] = true;
    }
    partners.push_back(i);
  }
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& r = reactions_[i];
    if (r.valid && r.duplicate && !hasPartner[i]) {
      error(r.file, r.line,
            "DUP without partner: no other reaction " + r.equation + " (reaction " +
                std::to_string(i + 1) + ")");
    }
  }
}

void Interpreter::buildMechanism() {
  kinetics::LinkMechanism& link = result_.mechanism;
  link.errorFlag = false;
  for (const auto& element : elements_) link.elements.push_back({element.name, element.weight});
  int charged = 0;
  for (const auto& species : species_) {
    kinetics::LinkSpecies out;
    out.name = species.name;
    out.composition.assign(elements_.size(), 0);
    if (species.thermo) {
      const ThermoEntry& thermo = *species.thermo;
      for (const auto& [symbol, count] : thermo.composition) {
        for (std::size_t m = 0; m < elements_.size(); ++m) {
          if (elements_[m].name == symbol) out.composition[m] += static_cast<std::int32_t>(count);
        }
      }
      for (std::size_t m = 0; m < elements_.size(); ++m) {
        out.molecularWeight += out.composition[m] * elements_[m].weight;
        if (elements_[m].name == "E") out.intB = -out.composition[m];
      }
      out.intA = thermo.phase == 'G' ? 0 : thermo.phase == 'L' ? 1 : 2;
      // Identical ranges are one range: the bounds then close at the high temperature.
      const bool single = thermo.low == thermo.high;
      out.temperatureCount = single ? 2 : 3;
      out.temperatureBounds = {thermo.lowTemperature,
                               single ? thermo.highTemperature : thermo.commonTemperature,
                               thermo.highTemperature};
      out.coefficients.assign(thermo.low.begin(), thermo.low.end());
      out.coefficients.insert(out.coefficients.end(), thermo.high.begin(), thermo.high.end());
    }
    if (out.intB != 0) ++charged;
    link.species.push_back(std::move(out));
  }
  link.IgnoredCount = charged;

  int halfSlots = 3;
  int maxThirdBodies = 0;
  for (const auto& r : reactions_) {
    halfSlots = std::max(
        {halfSlots, static_cast<int>(r.reactants.size()), static_cast<int>(r.products.size())});
    maxThirdBodies = std::max(maxThirdBodies, static_cast<int>(r.efficiencies.size()));
  }
  link.MaxReactionSpecies = 2 * halfSlots;
  link.MaxThirdBodies = std::max(maxThirdBodies, 1);
  int maxOrders = 0;

  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& r = reactions_[i];
    const int number = static_cast<int>(i + 1);
    kinetics::LinkReaction out;
    out.slots.assign(static_cast<std::size_t>(link.MaxReactionSpecies), {});
    bool real = false;
    double reactantOrder = 0.0;
    double productOrder = 0.0;
    std::vector<double> realCoefficients(static_cast<std::size_t>(link.MaxReactionSpecies), 0.0);
    for (std::size_t s = 0; s < r.reactants.size(); ++s) {
      const double c = r.reactants[s].coefficient;
      real = real || !IsIntegral(c);
      reactantOrder += c;
      out.slots[s] = {-std::max(1, static_cast<int>(std::lround(c))), r.reactants[s].species + 1};
      realCoefficients[s] = -c;
    }
    for (std::size_t s = 0; s < r.products.size(); ++s) {
      const double c = r.products[s].coefficient;
      real = real || !IsIntegral(c);
      productOrder += c;
      const std::size_t slot = static_cast<std::size_t>(halfSlots) + s;
      out.slots[slot] = {std::max(1, static_cast<int>(std::lround(c))), r.products[s].species + 1};
      realCoefficients[slot] = c;
    }
    const bool mixture =
        r.thirdBody == ThirdBodyKind::Mixture || r.thirdBody == ThirdBodyKind::FallOffMixture;
    const bool fallOff = r.thirdBody == ThirdBodyKind::FallOffMixture ||
                         r.thirdBody == ThirdBodyKind::FallOffSpecies;
    if (r.thirdBody == ThirdBodyKind::Mixture) {
      reactantOrder += 1.0;
      productOrder += 1.0;
    }
    // A in MOLECULES units is per molecule: scale by N_A to the power of the order less one.
    const auto toMoles = [&](double a, double order, const Units& units) {
      return units.molecules ? a * std::pow(kAvogadro, order - 1.0) : a;
    };
    // A reverse rate of exactly zero leaves the reaction irreversible.
    const bool zeroReverse = r.reverse && (*r.reverse)[0] == 0.0;
    const bool reversible = r.reversible && !zeroReverse;
    const int used = static_cast<int>(r.reactants.size() + r.products.size());
    out.speciesCount = reversible ? used : -used;
    out.auxCount = static_cast<int>(r.reactants.size());
    out.rateParameters = {toMoles(r.rate[0], reactantOrder, r.units), r.rate[1],
                          EnergyToKelvin(r.rate[2], r.units.energy)};
    link.reactions.push_back(std::move(out));

    if (r.reverse && !zeroReverse) {
      const auto& rev = *r.reverse;
      link.reverse.push_back({number,
                              {toMoles(rev[0], productOrder, r.units), rev[1],
                               EnergyToKelvin(rev[2], r.units.energy)}});
    }
    if (fallOff && r.low) {
      kinetics::LinkFallOff entry;
      entry.reaction = number;
      entry.thirdBody = r.thirdBody == ThirdBodyKind::FallOffSpecies ? r.fallOffSpecies + 1 : 0;
      const auto& low = *r.low;
      entry.values = {toMoles(low[0], reactantOrder + 1.0, r.units), low[1],
                      EnergyToKelvin(low[2], r.units.energy)};
      if (r.troe) {
        entry.form = r.troe->size() == 4 ? 4 : 3;
        entry.values.insert(entry.values.end(), r.troe->begin(), r.troe->end());
      } else if (r.sri) {
        entry.form = 2;
        entry.values.insert(entry.values.end(), r.sri->begin(), r.sri->end());
        if (r.sri->size() == 3) {
          entry.values.push_back(1.0);
          entry.values.push_back(0.0);
        }
      } else {
        entry.form = 1;
      }
      entry.values.resize(8, 0.0);
      link.fallOff.push_back(std::move(entry));
    }
    if (mixture) {
      kinetics::LinkThirdBody entry;
      entry.reaction = number;
      for (const auto& [species, efficiency] : r.efficiencies) {
        entry.species.push_back(species + 1);
        entry.efficiencies.push_back(efficiency);
      }
      link.thirdBody.push_back(std::move(entry));
    }
    if (r.landauTeller) {
      link.landauTeller.push_back({number, {(*r.landauTeller)[0], (*r.landauTeller)[1]}});
    }
    if (r.reverseLandauTeller) {
      link.reverseLandauTeller.push_back(
          {number, {(*r.reverseLandauTeller)[0], (*r.reverseLandauTeller)[1]}});
    }
    if (r.wavelength) link.wavelength.push_back({number, {*r.wavelength}});
    if (r.electronImpact) link.electronImpact.push_back({number, 2});
    if (r.janev) link.janev.push_back({number, *r.janev});
    if (r.fit) link.fit.push_back({number, *r.fit});
    if (r.excitation) link.excitation.push_back({number, {*r.excitation}});
    if (real) link.realStoich.push_back({number, realCoefficients});
    if (!r.forwardOrders.empty() || !r.reverseOrders.empty()) {
      // Every reactant and product with its default order (its coefficient); the keywords
      // override them or add species that are not participants.
      kinetics::LinkOrder entry;
      entry.reaction = number;
      const auto put = [&](int code, double value) {
        const auto found = std::find(entry.species.begin(), entry.species.end(), code);
        if (found != entry.species.end()) {
          entry.values[static_cast<std::size_t>(found - entry.species.begin())] = value;
        } else {
          entry.species.push_back(code);
          entry.values.push_back(value);
        }
      };
      for (const auto& p : r.reactants) put(-(p.species + 1), p.coefficient);
      for (const auto& p : r.products) put(p.species + 1, p.coefficient);
      for (const auto& [species, order] : r.forwardOrders) put(-(species + 1), order);
      for (const auto& [species, order] : r.reverseOrders) put(species + 1, order);
      maxOrders = std::max(maxOrders, static_cast<int>(entry.species.size()));
      link.order.push_back(std::move(entry));
    }
  }
  link.MaxOrderSpecies = std::max(maxOrders, 1);
}

void Interpreter::writeListing() {
  std::string& out = result_.listing;
  char buffer[512];
  out += "Mechanism conversion listing\n";
  out += "  mechanism: " + mechanismFile_ + "\n";
  out += "  thermo data: " + (thermoFile_.empty() ? std::string("(none)") : thermoFile_) + "\n\n";
  out += "ELEMENTS\n";
  for (std::size_t m = 0; m < elements_.size(); ++m) {
    std::snprintf(buffer, sizeof buffer, "%5zu  %-16s %14.8f\n", m + 1, elements_[m].name.c_str(),
                  elements_[m].weight);
    out += buffer;
  }
  out += "\nSPECIES\n";
  out += "    #  name             weight        phase charge   T low   T high  composition\n";
  const auto& linkSpecies = result_.mechanism.species;
  for (std::size_t k = 0; k < species_.size() && k < linkSpecies.size(); ++k) {
    const auto& s = linkSpecies[k];
    const auto& thermo = species_[k].thermo;
    std::snprintf(buffer, sizeof buffer, "%5zu  %-16s %12.6f   %c   %5d %8.1f %8.1f ", k + 1,
                  s.name.c_str(), s.molecularWeight, thermo ? thermo->phase : '?', s.intB,
                  thermo ? thermo->lowTemperature : 0.0, thermo ? thermo->highTemperature : 0.0);
    out += buffer;
    for (std::size_t m = 0; m < elements_.size() && m < s.composition.size(); ++m) {
      if (s.composition[m] != 0) {
        out += " " + elements_[m].name + " " + std::to_string(s.composition[m]);
      }
    }
    out += "\n";
  }
  out += "\nREACTIONS (units: A in ";
  out += sectionUnits_.molecules ? "MOLECULES" : "MOLES";
  out += ", E in ";
  out += EnergyUnitName(sectionUnits_.energy);
  out += ")\n";
  out += "    #  equation                                            A        beta       E\n";
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const auto& r = reactions_[i];
    std::snprintf(buffer, sizeof buffer, "%5zu  %-44s %12.4E %8.3f %12.4E\n", i + 1,
                  r.equation.c_str(), r.rate[0], r.rate[1], r.rate[2]);
    out += buffer;
    std::string efficiencies;
    for (const auto& note : r.notes) {
      if (note.efficiency) {
        efficiencies += " " + note.keyword + "/" + note.text + "/";
        continue;
      }
      out += "         " + note.keyword;
      if (!note.text.empty()) out += " / " + note.text + " /";
      out += "\n";
    }
    if (!efficiencies.empty()) out += "         third-body efficiencies:" + efficiencies + "\n";
    if (r.reverse && (*r.reverse)[0] == 0.0 && r.reversible) {
      out += "         (REV with A = 0: stored as irreversible)\n";
    }
  }
  out += "\n";
}

Interpretation Interpreter::run(const SourceText& mechanism, const SourceText* thermo) {
  mechanismFile_ = mechanism.name;
  thermoFile_ = thermo ? thermo->name : std::string();
  readMechanism(mechanism);
  if (elements_.empty()) error(mechanism.name, 0, "no elements declared");
  if (species_.empty()) error(mechanism.name, 0, "no species declared");
  const bool needThermo = std::any_of(species_.begin(), species_.end(),
                                      [](const SpeciesEntry& s) { return !s.thermo; });
  result_.thermoFileNeeded = needThermo && !mechanismHasAllThermo_;
  if (needThermo && !mechanismHasAllThermo_ && thermo != nullptr) {
    const std::vector<Line> lines = SplitLines(thermo->text);
    std::size_t start = 0;
    while (start < lines.size() && Trim(lines[start].text).empty()) ++start;
    if (start < lines.size()) readThermo(thermo->name, lines, start, false);
  }
  for (const auto& species : species_) {
    if (!species.thermo) {
      error(mechanism.name, species.line, "missing thermo for species " + species.name);
    }
  }
  // Thermo compositions may only use declared elements.
  for (const auto& species : species_) {
    if (!species.thermo) continue;
    for (const auto& [symbol, count] : species.thermo->composition) {
      if (std::none_of(elements_.begin(), elements_.end(),
                       [&](const ElementEntry& e) { return e.name == symbol; })) {
        error(species.thermo->file, species.thermo->line,
              "unknown element " + symbol + " in the thermo of species " + species.name);
      }
    }
  }
  checkReactions();
  checkDuplicates();
  buildMechanism();
  writeListing();
  return std::move(result_);
}

}  // namespace

int Interpretation::errorCount() const {
  return static_cast<int>(
      std::count_if(diagnostics.begin(), diagnostics.end(),
                    [](const Diagnostic& d) { return d.severity == Severity::Error; }));
}

int Interpretation::warningCount() const {
  return static_cast<int>(diagnostics.size()) - errorCount();
}

std::string FormatDiagnostic(const Diagnostic& diagnostic) {
  std::string text;
  if (!diagnostic.file.empty()) {
    text += diagnostic.file;
    if (diagnostic.line > 0) text += ":" + std::to_string(diagnostic.line);
    text += ": ";
  }
  text += diagnostic.severity == Severity::Error ? "error: " : "warning: ";
  text += diagnostic.message;
  return text;
}

Interpretation Interpret(const SourceText& mechanism, const SourceText* thermo) {
  Interpreter interpreter;
  return interpreter.run(mechanism, thermo);
}

}  // namespace vordane
