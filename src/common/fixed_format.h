// Fixed-column fields of the result lines: Iw and Fw.d. A value too wide for its field
// fills the field with asterisks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// Integer right-aligned in `width` columns.
std::string formatInteger(std::int64_t value, int width);
void appendInteger(std::string& line, std::int64_t value, int width);

// Fixed-point real in `width` columns with `decimals` decimals, right-aligned; a leading
// zero before the point is dropped when only it would overflow the field.
std::string formatFixed(double value, int width, int decimals);

// `text` right-aligned in `width` columns (a longer text keeps its first `width` characters).
std::string rightAligned(std::string_view text, int width);

}  // namespace common
