// The case library: a heading line ("SENLIB" or "PSRLIB"), a "KK" line with the species count,
// then blocks of cases, each opened by a "TAU0" line, and an end line.
//
// The reader classifies each body line by its first characters, in this order: a comment ("!"
// or "/"), a block end ("T", "E" or "e" in column 1; "E" and "e" also end the library), a block
// header ("TAU0"), a line starting with a blank (a format error that ends the run), and
// otherwise a case: exactly KK + 7 numbers (2 the pressure, 7 the temperature, 8.. the mole
// fractions). A "T" line that is not "TAU0" closes the current block and is then read as a
// case line.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/driver/text_lines.h"
#include "common/console.h"

namespace driver {

struct LibraryLine {
  enum class Kind { Comment, End, BlockHeader, BlankStart, Case };
  Kind kind = Kind::Comment;
  bool closesBlock = false;        // first character "T", "E" or "e"
  double tau0 = 0.0;               // BlockHeader
  std::span<const double> values;  // Case: the KK + 7 values
  std::string firstFive;           // BlankStart: columns 1 to 5
  LineOrigin origin;
};

class CaseLibrary {
 public:
  // Opens the library (the caller has checked that it exists) and reads its two header lines,
  // warning when its species count differs from the mechanism's `speciesCount`.
  CaseLibrary(const std::string& path, std::int32_t speciesCount, common::Console& console);

  // Reads and classifies the next body line; stops the run at the end of the file, which
  // must come after an end line.
  LibraryLine next();

  // The KK + 7 numbers of the case line last classified; stops the run when the line holds
  // another number of values. Read only once the block end of a "T" line has been handled.
  std::span<const double> caseValues();

  std::int32_t librarySpeciesCount() const { return librarySpeciesCount_; }
  const std::string& path() const { return lines_.path(); }

 private:
  std::int32_t readNumbers(std::int32_t first, std::int32_t last);

  common::Console& console_;
  TextLines lines_;
  std::int32_t speciesCount_;
  std::int32_t librarySpeciesCount_ = 0;
  std::vector<double> values_;
};

// Pressure, temperature and mole fractions of a case line's values.
inline double CasePressure(std::span<const double> values) {
  return values[1];
}
inline double CaseTemperature(std::span<const double> values) {
  return values[6];
}
inline std::span<const double> CaseMoleFractions(std::span<const double> values) {
  return values.subspan(7);
}

}  // namespace driver
