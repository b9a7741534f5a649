// What the transport fit needs from the kinetics linking file: species names, molecular weights
// and the heat-capacity polynomials.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/console.h"
#include "converters/quillet/diagnostics.h"

namespace quillet {

// Cp/R of one species as piecewise polynomials: range l holds between bounds[l] and
// bounds[l + 1], and its first cpCoefficientCount coefficients give
// Cp/R = sum a_i T^(i-1) (the rest of the range's coefficients are the enthalpy and entropy
// constants, not needed here).
struct SpeciesThermo {
  std::vector<double> bounds;        // ascending
  std::vector<double> coefficients;  // (bounds.size() - 1) ranges of coefficientsPerRange
  std::int32_t coefficientsPerRange = 0;
  std::int32_t cpCoefficientCount = 0;

  // Cp/R at `temperature`. Outside the species' own range the temperature is held at the
  // nearest bound: the polynomials are not meant to be extrapolated, and a heat capacity held
  // at its last value stays physical, whereas an extrapolated polynomial soon does not.
  double heatCapacity(double temperature) const;
  // Cp/R of range `range` (0-based) at `temperature`, whatever range the temperature is in.
  double rangeHeatCapacity(std::size_t range, double temperature) const;
};

// The values Cp/R of an ideal gas of molecules of N atoms can take. The least is 2.5, the
// translation alone, less 2% for the rounding of fitted polynomials. The most is the classical
// limit, every degree of freedom fully excited: 3N - 1.5 for a linear molecule (3N - 2 for a
// non-linear one; 2.5 for an atom). Real gases exceed it by anharmonic terms, which grow with
// the number of modes, and by electronic excitation, which does not: O2, CN and the N atom
// reach 17-23% above their limits at 6000 K. Hence 15% plus one (R) on top of the limit.
struct HeatCapacityBand {
  double lower = 0.0;
  double upper = 0.0;
};
inline constexpr double kAnharmonicMargin = 0.15;
inline constexpr double kElectronicMargin = 1.0;
inline constexpr double kLeastHeatCapacity = 2.5 * (1.0 - 0.02);
HeatCapacityBand PhysicalHeatCapacityBand(std::int64_t atomCount);

// Where a species' Cp/R leaves its band inside the species' own range: the value farthest out
// (by its ratio to the band edge) and its temperature.
struct BandExcursion {
  double heatCapacity = 0.0;
  double temperature = 0.0;
};
std::optional<BandExcursion> FindBandExcursion(const SpeciesThermo& thermo,
                                               const HeatCapacityBand& band);

struct MechanismSpecies {
  std::string name;  // trailing blanks removed
  double molecularWeight = 0.0;
  // Atoms of the species' formula, electrons not counted; 0 when the file gives no composition.
  std::int64_t atomCount = 0;
  SpeciesThermo thermo;
};

struct Mechanism {
  std::vector<MechanismSpecies> species;
};

// Reads the kinetics linking file at `path` with the kinetics library. The library's messages
// go to `messages`; a common::Stop it throws passes through to the caller. Species whose data
// are unusable (weight not positive, temperature bounds not ascending, coefficients not finite)
// are reported in `diagnostics` as errors against `path`.
Mechanism ReadMechanism(const std::string& path, common::Console& messages,
                        Diagnostics& diagnostics);

// Checks one species' data; false with an error in `diagnostics` when it cannot be used.
bool CheckSpecies(const MechanismSpecies& species, const std::string& path,
                  Diagnostics& diagnostics);

}  // namespace quillet
