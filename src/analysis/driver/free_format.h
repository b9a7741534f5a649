// The few free-format reads of the driver: the first word of a line and one real value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace driver {

// The first word of `line` (delimited by blanks, commas or a slash); empty when there is none.
std::string_view FirstWord(std::string_view line);

// Reads a real from `word` as free-format input does: optional sign, digits with an optional
// point, an optional exponent written with E or D. Empty when the word is not a real.
std::optional<double> ReadFreeReal(std::string_view word);

}  // namespace driver
