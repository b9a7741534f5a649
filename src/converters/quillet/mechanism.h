// What the transport fit needs from the kinetics linking file: species names, molecular weights
// and the heat-capacity polynomials.
#pragma once

#include <cstdint>
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
};

struct MechanismSpecies {
  std::string name;  // trailing blanks removed
  double molecularWeight = 0.0;
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
