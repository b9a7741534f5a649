// The number-field reader of the selection file and the case library.
//
// It has its own syntax, not the language's free-format input: numbers are separated by
// blanks or commas, and a number is stored only when a separator follows it inside the column
// range, so a number touching the last column is dropped. "E" or "e" starts an exponent whose
// digits run to the next separator; an exponent letter without digits leaves the exponent
// open, so the digits of the following number count as exponent digits ("1.0E 5 2" gives 1.0
// and 200000.0). The mantissa is a 32-bit integer: at most nine digits are safe, and a number
// whose digits overflow it, or any character outside the syntax, stops the run with a message
// naming the file, line and column.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "analysis/driver/text_lines.h"
#include "common/console.h"

namespace driver {

inline constexpr std::int32_t kValueCapacity = 32000;

// Reads the numbers of columns first..last (1-based, inclusive) of `line` into `values`
// (entries beyond the count keep their old contents) and sets `count`.
void ParseNumberFields(std::int32_t capacity, std::string_view line, std::int32_t firstColumn,
                       std::int32_t lastColumn, std::int32_t& count, std::span<double> values,
                       const LineOrigin& origin, common::Console& console);

}  // namespace driver
