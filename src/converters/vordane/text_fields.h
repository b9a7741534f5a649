// Small text helpers of the mechanism reader: strict numbers, fixed columns, case folding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vordane {

// Reads a whole field as a real number: optional sign, digits with an optional point (at
// least one digit), optional exponent E or D with optional sign and at least one digit.
// Anything else, including an exponent written without its letter ("1.0+100") or a value
// out of the double range, is refused.
bool ParseReal(std::string_view text, double& value);

// Reads a coefficient field of a thermo entry: as ParseReal, and also in the form old Fortran
// output writes, with a blank where the exponent's sign belongs ("0.869E 01" is 8.69). Any other
// blank inside the number is refused.
bool ParseCoefficient(std::string_view field, double& value);

std::string ToUpper(std::string_view text);
std::string_view Trim(std::string_view text);

// Columns first..last (1-based, inclusive) of a line; shorter lines give what they have.
std::string_view Columns(std::string_view line, std::size_t first, std::size_t last);

// Splits at blanks and tabs.
std::vector<std::string_view> SplitWords(std::string_view text);

// True when `word` is at least `minimum` letters long and begins `keyword` (both upper case).
bool IsAbbreviation(std::string_view word, std::string_view keyword, std::size_t minimum);

}  // namespace vordane
