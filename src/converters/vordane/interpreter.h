// The mechanism reader's own model: what it keeps of elements, species, thermo and reactions
// while it reads, and the reader itself, whose passes live in separate files:
//
//   mechanism_reader.cpp  sections, element and species lists, the order of the passes
//   thermo_reader.cpp     fixed-column NASA entries
//   reaction_reader.cpp   reaction lines, equations and auxiliary keywords
//   reaction_checks.cpp   balance, fall-off consistency, duplicates
//   pressure_tables.cpp   PLOG, Chebyshev and HIGH: checks, records, listing section
//   link_builder.cpp      the records of the linking file
//   listing.cpp           the listing text
//
// The first pass walks the lines of the mechanism and sorts them into sections: element and
// species declarations are free-form word lists; thermo entries are fixed-column blocks of
// four lines; every reaction line (an equation and three numbers) opens a reaction that the
// following auxiliary lines add to. The second pass reads thermo from the separate file for
// the species that still lack it. The third checks each reaction and maps everything onto the
// records of the linking file. Every problem becomes a diagnostic with its file and line; the
// reader never stops at the first one, so one run shows all of them.
#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "converters/vordane/vordane.h"

namespace vordane::detail {

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

const char* EnergyUnitName(EnergyUnit unit);
// E/R in kelvin of an activation energy in `unit`.
double EnergyToKelvin(double energy, EnergyUnit unit);
// Reads one unit word; false when the word is not a unit.
bool ApplyUnitWord(std::string_view word, Units& units);
std::string FormatReal(double value, const char* format = "%.4E");

struct Line {
  int number = 0;
  std::string text;  // without the comment, tabs and carriage returns made blanks
  std::string raw;   // as read, for the fixed columns of thermo entries
};

// Splits a text into lines. Bytes outside ASCII are kept as they are: they can only belong
// to comments or names, and neither is changed by them.
std::vector<Line> SplitLines(const std::string& text);

enum class Section { None, Elements, Species, Thermo, Reactions, Ignored, End };

Section SectionOfWord(std::string_view word);

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
  // Read but unusable (reported once): its species' reactions are not checked for balance.
  bool refused = false;
};

// A species with more than one thermo entry in one file: the first is used.
struct ThermoRepeat {
  std::string file;
  std::string species;
  int usedLine = 0;
  std::vector<int> ignoredLines;
};

struct SpeciesEntry {
  std::string name;
  int line = 0;
  std::optional<ThermoEntry> thermo;
};

enum class ThirdBodyKind { None, Mixture, FallOffMixture, FallOffSpecies };

struct Participant {
  int species = 0;  // 0-based
  double coefficient = 0.0;
};

// One PLOG line as written.
struct PressureRow {
  double pressure = 0.0;         // atm
  std::array<double, 3> rate{};  // A, beta, E in the reaction's units
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
  int lastLine = 0;  // of its last auxiliary line
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
  std::optional<std::array<double, 3>> high;  // HIGH: chemically activated
  std::vector<PressureRow> pressureRows;      // PLOG, in the order written
  std::vector<double> chebyshev;              // CHEB values: the term counts, coefficients
  std::optional<std::array<double, 2>> chebyshevTemperatures;  // TCHEB, K
  std::optional<std::array<double, 2>> chebyshevPressures;     // PCHEB, atm
  bool tableRefused = false;   // one error per reaction about its PLOG, CHEB or HIGH
  bool fallOffInside = false;  // "(+M)" was not written at the end of a side
  bool valid = true;           // the equation could be read
  std::vector<AuxiliaryNote> notes;
  int electronSpecies = -1;  // TDEP
  std::vector<std::pair<int, SourceSpan>> efficiencySpans;
  std::vector<SourceSpan> duplicateSpans;
  int duplicateGroup = -1;
};

// Appends the fall-off form's parameters of `reaction` to `values` (SRI's d and e default to 1
// and 0) and returns the form: 1 Lindemann, 2 SRI, 3 or 4 Troe with 3 or 4 parameters.
int AppendFallOffForm(const ReactionEntry& reaction, std::vector<double>& values);

// Coefficients and element counts within this distance of an integer are integers.
inline bool IsIntegral(double value) {
  return std::abs(value - std::round(value)) < 1e-9;
}

class Interpreter {
 public:
  Interpretation run(const SourceText& mechanism, const SourceText* thermo);
  MechanismSource locateThermo(const std::vector<std::string>& names, const SourceText& thermo);

 private:
  void error(const std::string& file, int line, std::string message) {
    result_.diagnostics.error(file, line, std::move(message));
  }
  void warning(const std::string& file, int line, std::string message) {
    result_.diagnostics.warning(file, line, std::move(message));
  }

  // Pass 1.
  void readMechanism(const SourceText& source);
  void readElementWords(const std::string& file, const Line& line, std::string_view text);
  void readSpeciesWords(const std::string& file, const Line& line, std::string_view text);
  // Reads thermo entries from lines[start..] up to END; returns the index after the section.
  std::size_t readThermo(const std::string& file, const std::vector<Line>& lines, std::size_t start,
                         bool fromMechanism);
  void readThermoEntry(const std::string& file, const std::vector<Line>& lines, std::size_t at,
                       const std::array<double, 3>& defaults, int speciesIndex);
  void readReactionUnits(const std::string& file, const Line& line, std::string_view text);
  void readReactionLine(const std::string& file, const Line& line);
  void readAuxiliaryLine(const std::string& file, const Line& line);
  void recordSource();
  void applyAuxiliary(const std::string& file, int line, ReactionEntry& reaction,
                      const std::string& keyword, std::optional<std::string_view> parameters);

  // Equation reading.
  struct Side {
    std::vector<Participant> participants;
    bool mixture = false;
    bool photon = false;
    ThirdBodyKind fallOff = ThirdBodyKind::None;
    int fallOffSpecies = -1;
    bool fallOffInside = false;  // "(+M)" written after a species inside the side
    std::string rest;            // the side without it
  };
  bool readSide(std::string_view text, Side& side, std::string& problem) const;
  int findSpecies(std::string_view name) const;
  bool readEquation(const std::string& equation, ReactionEntry& reaction, std::string& problem);

  // Pass 3.
  void checkReactions();
  void checkTables(ReactionEntry& reaction, const std::string& number);
  void tableError(ReactionEntry& reaction, int line, const std::string& message);
  void checkDuplicates();
  void buildMechanism();
  void buildTables(const ReactionEntry& reaction, int number, double reactantOrder);
  void writeListing();
  void writeAppendix();
  void writeTableListing();

  std::vector<double> numbersOf(const std::string& file, int line, const std::string& keyword,
                                std::string_view text);

  Interpretation result_;
  std::vector<ElementEntry> elements_;
  std::vector<SpeciesEntry> species_;
  std::unordered_map<std::string, int> speciesIndex_;
  std::vector<ReactionEntry> reactions_;
  std::vector<ThermoRepeat> thermoRepeats_;  // for the listing's appendix
  Units sectionUnits_;
  bool mechanismHasAllThermo_ = false;
  bool reactionsEnded_ = false;  // what follows the reaction section's END outside a section
                                 // is notes, not read
  std::string mechanismFile_;
  std::string thermoFile_;
  // Reactions of the pressure-table record, with the largest relative deviation of their
  // one-atmosphere form in record 5 (0 when exact).
  std::vector<std::pair<int, double>> referenceDeviations_;
};

}  // namespace vordane::detail
