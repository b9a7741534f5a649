#include "analysis/driver/case_library.h"

#include "analysis/driver/free_format.h"
#include "analysis/driver/number_fields.h"

namespace driver {
namespace {

// The first six characters of the heading word, as a six-character field holds them.
bool isHeading(std::string_view word) {
  const std::string_view six = word.substr(0, 6);
  return six == "SENLIB" || six == "PSRLIB";
}

}  // namespace

CaseLibrary::CaseLibrary(const std::string& path, std::int32_t speciesCount,
                         common::Console& console)
    : console_(console), speciesCount_(speciesCount), values_(kValueCapacity) {
  if (!lines_.open(path)) {
    common::stopRun(console_, {" Cannot open the case library " + path + "."}, true);
  }
  // The heading word is read in free format, which passes over blank lines.
  std::string_view word;
  while (word.empty()) {
    if (!lines_.next()) {
      common::stopRun(console_, {" End of file reading the heading of " + path + "."}, false);
    }
    word = FirstWord(lines_.buffer());
  }
  if (!isHeading(word)) {
    common::stopRun(console_, {" wrong start file without SENLIB or PSRLIB heading"}, true);
  }
  if (!lines_.next()) {
    common::stopRun(console_, {" End of file reading the KK line of " + path + "."}, false);
  }
  if (lines_.buffer().compare(0, 2, "KK") != 0) {
    common::stopRun(console_, {" Warn!! wrong start file without KK for species Num."}, true);
  }
  if (readNumbers(3, 10) == 0) {
    common::stopRun(console_,
                    {" No species count in columns 3 to 10 of line " +
                     std::to_string(lines_.origin().lineNumber) + " of " + path + "."},
                    true);
  }
  const double shifted = values_[0] + 0.1;
  librarySpeciesCount_ =
      shifted > -2147483648.0 && shifted < 2147483640.0 ? static_cast<std::int32_t>(shifted) : -7;
  if (librarySpeciesCount_ + 7 != speciesCount_ + 7) {
    console_.freeLine({"Wrong KK number in data file, KK=", std::int64_t{speciesCount_},
                       std::int64_t{librarySpeciesCount_} + 7});
  }
}

std::int32_t CaseLibrary::readNumbers(std::int32_t first, std::int32_t last) {
  std::int32_t count = 0;
  ParseNumberFields(kValueCapacity, lines_.buffer(), first, last, count, values_, lines_.origin(),
                    console_);
  return count;
}

LibraryLine CaseLibrary::next() {
  if (!lines_.next()) {
    common::stopRun(console_, {" End of file in " + lines_.path() + " before its end line."},
                    false);
  }
  LibraryLine line;
  line.origin = lines_.origin();
  const std::string& text = lines_.buffer();
  const char first = text[0];
  if (first == '!' || first == '/') {
    line.kind = LibraryLine::Kind::Comment;
    return line;
  }
  if (first == 'T' || first == 'E' || first == 'e') {
    line.closesBlock = true;
    if (first != 'T') {
      line.kind = LibraryLine::Kind::End;
      return line;
    }
  }
  if (text.compare(0, 4, "TAU0") == 0) {
    if (readNumbers(5, 20) == 0) {
      common::stopRun(console_,
                      {" No TAU0 value in columns 5 to 20 of line " +
                       std::to_string(line.origin.lineNumber) + " of " + lines_.path() + "."},
                      true);
    }
    line.kind = LibraryLine::Kind::BlockHeader;
    line.tau0 = values_[0];
    return line;
  }
  if (first == ' ') {
    line.kind = LibraryLine::Kind::BlankStart;
    line.firstFive = text.substr(0, 5);
    return line;
  }
  line.kind = LibraryLine::Kind::Case;
  return line;
}

std::span<const double> CaseLibrary::caseValues() {
  const std::int32_t count = readNumbers(1, NChar);
  if (count != speciesCount_ + 7) {
    common::stopRun(
        console_,
        {common::freeFormat({"data number is not KK+7", std::int64_t{librarySpeciesCount_} + 7,
                             std::int64_t{count}})},
        false);
  }
  return std::span<const double>(values_).first(static_cast<std::size_t>(count));
}

}  // namespace driver
