// Queries on the loaded kinetics work arrays.
//
// The loader has checked every index the arrays hold, so the queries only make sure that the
// arrays they are handed are as long as the loaded layout says and that the outputs can hold
// what is asked of them. Handing shorter arrays is a programming error, reported with an
// exception rather than read or written past an end.
#include "kinetics/queries.h"

#include <stdexcept>
#include <string>

#include "kinetics/work_arrays.h"

namespace kinetics {

namespace {

constexpr std::string_view kNameTooLongMessage =
    " Error in QuerySpeciesNames...character string length too small ";

// Throws when an array of `held` entries cannot reach 1-based position `last`.
void requireReach(std::size_t held, std::int64_t last, const char* what) {
  if (last > 0 && static_cast<std::uint64_t>(last) > held) throw std::invalid_argument(what);
}

}  // namespace

void QueryCounts(std::span<const std::int32_t>, std::span<const double>, std::int32_t& elementCount,
                 std::int32_t& speciesCount, std::int32_t& reactionCount,
                 std::int32_t& coefficientsPerRange) {
  const KineticsState& state = CurrentKineticsState();
  elementCount = state.counts.ElementCount;
  speciesCount = state.counts.KK;
  reactionCount = state.counts.ReactionCount;
  coefficientsPerRange = state.CoefficientsPerRange;
}

bool QuerySpeciesNames(std::span<const std::string> SKWORK, std::int32_t skworkElementLength,
                       common::Console& messages, std::span<std::string> names,
                       std::int32_t nameLength) {
  const KineticsState& state = CurrentKineticsState();
  const std::int64_t speciesCount = state.counts.KK;
  const std::int64_t start = state.layout.character.SpeciesNames;
  requireReach(SKWORK.size(), start + speciesCount - 1,
               "QuerySpeciesNames: SKWORK is shorter than the loaded species names");
  requireReach(names.size(), speciesCount, "QuerySpeciesNames: fewer output names than species");

  const std::size_t outputLength = nameLength > 0 ? static_cast<std::size_t>(nameLength) : 0;
  const std::size_t storedLength =
      skworkElementLength > 0 ? static_cast<std::size_t>(skworkElementLength) : 0;
  bool error = false;
  for (std::int64_t k = 1; k <= speciesCount; ++k) {
    const std::string& stored = Entry(SKWORK, start, k);
    const std::string_view name = std::string_view(stored).substr(0, storedLength);
    const auto length = static_cast<std::size_t>(TrimmedLength(name));
    std::string& out = names[static_cast<std::size_t>(k - 1)];
    out.assign(outputLength, ' ');
    if (outputLength < length) {
      messages.line(kNameTooLongMessage);
      error = true;
      continue;
    }
    out.replace(0, length, name.substr(0, length));
  }
  return error;
}

void QueryMolecularWeights(std::span<const std::int32_t>, std::span<const double> RKWORK,
                           std::span<double> weights) {
  const KineticsState& state = CurrentKineticsState();
  const std::int64_t speciesCount = state.counts.KK;
  const std::int64_t start = state.layout.real.MolecularWeights;
  requireReach(RKWORK.size(), start + speciesCount - 1,
               "QueryMolecularWeights: RKWORK is shorter than the loaded layout");
  requireReach(weights.size(), speciesCount, "QueryMolecularWeights: fewer weights than species");
  for (std::int64_t k = 1; k <= speciesCount; ++k) {
    weights[static_cast<std::size_t>(k - 1)] = Entry(RKWORK, start, k);
  }
}

void QueryGasConstants(std::span<const std::int32_t>, std::span<const double> RKWORK,
                       double& gasConstant, double& gasConstantCal, double& standardPressure) {
  const RealSections& real = CurrentKineticsState().layout.real;
  requireReach(RKWORK.size(), real.StandardPressure,
               "QueryGasConstants: RKWORK is shorter than the loaded layout");
  gasConstant = Entry(RKWORK, real.GasConstant, 1);
  gasConstantCal = Entry(RKWORK, real.GasConstantCal, 1);
  standardPressure = Entry(RKWORK, real.StandardPressure, 1);
}

void QueryStoichMatrix(std::int32_t leadingDimension, std::span<const std::int32_t> IKWORK,
                       std::span<const double>, std::span<std::int32_t> matrix) {
  QueryStoichMatrix(CurrentKineticsState(), leadingDimension, IKWORK, matrix);
}

void QueryStoichMatrix(const KineticsState& state, std::int32_t leadingDimension,
                       std::span<const std::int32_t> IKWORK, std::span<std::int32_t> matrix) {
  const std::int64_t speciesCount = state.counts.KK;
  const std::int64_t reactionCount = state.counts.ReactionCount;
  const std::int64_t slots = state.counts.MaxReactionSpecies;
  const IntegerSections& integer = state.layout.integer;
  if (leadingDimension < speciesCount) {
    throw std::invalid_argument("QueryStoichMatrix: leading dimension below the species count");
  }
  const std::int64_t rows = leadingDimension;
  requireReach(matrix.size(), rows * reactionCount,
               "QueryStoichMatrix: the matrix has fewer columns than reactions");
  requireReach(IKWORK.size(), integer.StoichSpecies + slots * reactionCount - 1,
               "QueryStoichMatrix: IKWORK is shorter than the loaded layout");

  auto cell = [&](std::int64_t k, std::int64_t i) -> std::int32_t& {
    return matrix[static_cast<std::size_t>((i - 1) * rows + (k - 1))];
  };
  for (std::int64_t i = 1; i <= reactionCount; ++i) {
    for (std::int64_t k = 1; k <= speciesCount; ++k) cell(k, i) = 0;
  }
  for (std::int64_t s = 1; s <= slots; ++s) {
    for (std::int64_t i = 1; i <= reactionCount; ++i) {
      const std::int32_t k = BlockEntry(IKWORK, integer.StoichSpecies, slots, i, s);
      if (k == 0) continue;
      if (k < 0 || k > speciesCount) {
        throw std::invalid_argument(
            "QueryStoichMatrix: IKWORK holds a species number out of "
            "range");
      }
      cell(k, i) += BlockEntry(IKWORK, integer.StoichCoefficients, slots, i, s);
    }
  }
}

bool MoleToMassFractions(std::span<const double> moleFractions, std::span<const std::int32_t>,
                         std::span<const double> RKWORK, std::span<double> massFractions) {
  return MoleToMassFractions(CurrentKineticsState(), moleFractions, RKWORK, massFractions);
}

bool MoleToMassFractions(const KineticsState& state, std::span<const double> moleFractions,
                         std::span<const double> RKWORK, std::span<double> massFractions) {
  const std::int64_t speciesCount = state.counts.KK;
  const std::int64_t start = state.layout.real.MolecularWeights;
  requireReach(RKWORK.size(), start + speciesCount - 1,
               "MoleToMassFractions: RKWORK is shorter than the loaded layout");
  requireReach(moleFractions.size(), speciesCount,
               "MoleToMassFractions: fewer mole fractions than species");
  requireReach(massFractions.size(), speciesCount,
               "MoleToMassFractions: fewer mass fractions than species");

  double sum = 0.0;
  for (std::int64_t k = 1; k <= speciesCount; ++k) {
    sum += moleFractions[static_cast<std::size_t>(k - 1)] * Entry(RKWORK, start, k);
  }
  // Also false for a sum that is not a number.
  if (!(sum > 0.0)) return false;
  for (std::int64_t k = 1; k <= speciesCount; ++k) {
    const auto index = static_cast<std::size_t>(k - 1);
    massFractions[index] = moleFractions[index] * Entry(RKWORK, start, k) / sum;
  }
  return true;
}

std::int32_t TrimmedLength(std::string_view text) {
  // Only the blank counts as trailing; any other character ends the scan.
  const std::size_t last = text.find_last_not_of(' ');
  if (last == std::string_view::npos) return 0;
  return static_cast<std::int32_t>(last + 1);
}

}  // namespace kinetics
