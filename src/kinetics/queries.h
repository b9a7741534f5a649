// Queries the driver makes on the loaded kinetics work arrays. Each reads KineticsState and
// the arrays and writes only its outputs. Some take an array they do not read, to keep one
// calling pattern. The forms with a KineticsState argument serve programs that hold more than
// one mechanism; the others read the state of the last load.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/console.h"
#include "kinetics/work_arrays.h"

namespace kinetics {

void QueryCounts(std::span<const std::int32_t> IKWORK, std::span<const double> RKWORK,
                 std::int32_t& elementCount, std::int32_t& speciesCount,
                 std::int32_t& reactionCount, std::int32_t& coefficientsPerRange);

// Copies the species names into `names` (each `nameLength` characters, blank-padded). A name
// that does not fit prints its message and stays blank. Returns the error flag.
bool QuerySpeciesNames(std::span<const std::string> SKWORK, std::int32_t skworkElementLength,
                       common::Console& messages, std::span<std::string> names,
                       std::int32_t nameLength);

void QueryMolecularWeights(std::span<const std::int32_t> IKWORK, std::span<const double> RKWORK,
                           std::span<double> weights);

void QueryGasConstants(std::span<const std::int32_t> IKWORK, std::span<const double> RKWORK,
                       double& gasConstant, double& gasConstantCal, double& standardPressure);

// Net stoichiometric coefficient of species k in reaction i at (k, i) of a column-major matrix
// with leading dimension `leadingDimension` (at least KK).
void QueryStoichMatrix(std::int32_t leadingDimension, std::span<const std::int32_t> IKWORK,
                       std::span<const double> RKWORK, std::span<std::int32_t> matrix);
void QueryStoichMatrix(const KineticsState& state, std::int32_t leadingDimension,
                       std::span<const std::int32_t> IKWORK, std::span<std::int32_t> matrix);

// y(k) = x(k) W(k) / sum_j x(j) W(j). Returns false, leaving `massFractions` untouched, when
// the sum is not positive (the caller reports it).
bool MoleToMassFractions(std::span<const double> moleFractions,
                         std::span<const std::int32_t> IKWORK, std::span<const double> RKWORK,
                         std::span<double> massFractions);
bool MoleToMassFractions(const KineticsState& state, std::span<const double> moleFractions,
                         std::span<const double> RKWORK, std::span<double> massFractions);

// Position (1-based) of the last non-blank character; 0 for an empty or all-blank text.
std::int32_t TrimmedLength(std::string_view text);

}  // namespace kinetics
