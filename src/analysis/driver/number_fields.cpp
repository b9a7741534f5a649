#include "analysis/driver/number_fields.h"

#include <cmath>
#include <limits>
#include <string>

namespace driver {
namespace {

[[noreturn]] void rejectAt(const char* what, const LineOrigin& origin, std::int32_t column,
                           common::Console& console) {
  common::stopRun(console,
                  {std::string(" ") + what + " at line " + std::to_string(origin.lineNumber) +
                   ", column " + std::to_string(column) + " of " +
                   (origin.path ? *origin.path : std::string("the input")) + "."},
                  true);
}

}  // namespace

void ParseNumberFields(std::int32_t capacity, std::string_view line, std::int32_t firstColumn,
                       std::int32_t lastColumn, std::int32_t& count, std::span<double> values,
                       const LineOrigin& origin, common::Console& console) {
  count = 0;
  std::int32_t mantissa = 0;
  std::int32_t mantissaDigits = 0;
  bool decimalPoint = false;
  std::int32_t fractionCounter = 0;
  bool minus = false;
  bool exponentFlag = false;
  std::int32_t exponent = 0;
  std::int32_t exponentDigits = 0;
  bool exponentMinus = false;
  double scale = 1.0;

  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const auto limit = static_cast<std::int32_t>(line.size());
  for (std::int32_t column = firstColumn < 1 ? 1 : firstColumn;
       column <= lastColumn && column <= limit; ++column) {
    const char c = line[static_cast<std::size_t>(column - 1)];
    if (c == 'E' || c == 'e') {
      exponentFlag = true;
    } else if (c == '+' || c == '-') {
      if (c == '-') (exponentFlag ? exponentMinus : minus) = true;
    } else if (c == ' ' || c == ',') {
      if (exponentDigits > 0) {
        // 10^exponent in double precision, or its reciprocal.
        scale = std::pow(10.0, static_cast<double>(exponent));
        if (exponentMinus) scale = 1.0 / scale;
        exponent = 0;
        exponentDigits = 0;
        exponentFlag = false;
        exponentMinus = false;
      }
      if (mantissaDigits > 0) {
        ++count;
        if (count > capacity || count > static_cast<std::int32_t>(values.size())) {
          common::stopRun(console, {" dimension of Nchar is too small"}, true);
        }
        double value = mantissa;
        if (decimalPoint) {
          // 10^(fraction digits), exact in double for every count a 32-bit mantissa allows.
          double divisor = 1.0;
          for (std::int32_t i = 1; i < fractionCounter; ++i) divisor *= 10.0;
          value = static_cast<double>(mantissa) / divisor;
        }
        value = value * scale;
        values[static_cast<std::size_t>(count - 1)] = minus ? -value : value;
        mantissa = 0;
        mantissaDigits = 0;
        fractionCounter = 0;
        exponent = 0;
        decimalPoint = false;
        minus = false;
        exponentMinus = false;
        scale = 1.0;
      }
    } else if (c >= '0' && c <= '9') {
      const std::int32_t digit = c - '0';
      if (exponentFlag) {
        if (exponent > (kMax - digit) / 10)
          rejectAt("Exponent out of range", origin, column, console);
        ++exponentDigits;
        exponent = exponent * 10 + digit;
      } else {
        if (mantissa > (kMax - digit) / 10) {
          rejectAt("Number with too many digits (nine at most)", origin, column, console);
        }
        ++mantissaDigits;
        mantissa = mantissa * 10 + digit;
        if (decimalPoint) ++fractionCounter;
      }
    } else if (c == '.' && !exponentFlag) {
      decimalPoint = true;
      ++fractionCounter;
    } else {
      rejectAt((std::string("Character \"") + c + "\" is not part of a number").c_str(), origin,
               column, console);
    }
  }
}

}  // namespace driver
