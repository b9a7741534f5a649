// Built-in atomic weights of the element names a mechanism may declare without a weight.
#pragma once

#include <optional>
#include <string_view>

namespace vordane {

// The weight in g/mol of an element symbol given in upper case ("AR", "D", "E"), or nothing
// when the symbol is not known.
std::optional<double> BuiltInAtomicWeight(std::string_view upperSymbol);

}  // namespace vordane
