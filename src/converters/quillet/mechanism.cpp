#include "converters/quillet/mechanism.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "common/work_array.h"
#include "kinetics/linking_file.h"
#include "kinetics/work_arrays.h"

namespace quillet {
namespace {

std::string trimmed(const std::string& name) {
  const std::size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

}  // namespace

double SpeciesThermo::heatCapacity(double temperature) const {
  const std::size_t ranges = bounds.size() - 1;
  const double heldTemperature = std::clamp(temperature, bounds.front(), bounds.back());
  std::size_t range = 0;
  while (range + 1 < ranges && heldTemperature >= bounds[range + 1]) ++range;
  const double* rangeCoefficients =
      &coefficients[range * static_cast<std::size_t>(coefficientsPerRange)];
  double value = 0.0;
  for (std::int32_t i = cpCoefficientCount; i-- > 0;)
    value = value * heldTemperature + rangeCoefficients[i];
  return value;
}

bool CheckSpecies(const MechanismSpecies& species, const std::string& path,
                  Diagnostics& diagnostics) {
  auto fail = [&](const std::string& why) {
    diagnostics.error(path, 0, "species " + species.name + ": " + why);
    return false;
  };
  if (!(species.molecularWeight > 0.0) || !std::isfinite(species.molecularWeight)) {
    return fail("molecular weight is not a positive number");
  }
  const SpeciesThermo& thermo = species.thermo;
  if (thermo.bounds.size() < 2) return fail("fewer than two temperature bounds");
  if (thermo.cpCoefficientCount < 1 || thermo.coefficientsPerRange < thermo.cpCoefficientCount ||
      thermo.coefficients.size() !=
          (thermo.bounds.size() - 1) * static_cast<std::size_t>(thermo.coefficientsPerRange)) {
    return fail("heat-capacity coefficients do not match the temperature ranges");
  }
  for (std::size_t i = 0; i < thermo.bounds.size(); ++i) {
    if (!std::isfinite(thermo.bounds[i]) || !(thermo.bounds[i] > 0.0) ||
        (i > 0 && !(thermo.bounds[i] > thermo.bounds[i - 1]))) {
      return fail("temperature bounds are not positive and ascending");
    }
  }
  for (double coefficient : thermo.coefficients) {
    if (!std::isfinite(coefficient)) return fail("a heat-capacity coefficient is not finite");
  }
  return true;
}

Mechanism ReadMechanism(const std::string& path, common::Console& messages,
                        Diagnostics& diagnostics) {
  const kinetics::LoadedKinetics loaded = kinetics::LoadKineticsFile(path, messages);
  const kinetics::KineticsState& state = kinetics::CurrentKineticsState();
  const kinetics::WorkArrayLayout& layout = state.layout;
  const std::int64_t speciesCount = state.counts.KK;
  const std::int64_t maxTemperatures = state.counts.MaxTemperatures;
  const std::int64_t coefficientsPerRange = state.CoefficientsPerRange;
  const std::int64_t coefficientsPerSpecies = state.CoefficientsPerSpecies;

  Mechanism mechanism;
  // The reader places the sections from the file's counts; check that they lie in the arrays
  // before trusting them.
  if (speciesCount < 0 || maxTemperatures < 0 || coefficientsPerRange < 0 ||
      coefficientsPerSpecies < 0 ||
      !common::SectionInside(layout.real.MolecularWeights, speciesCount, loaded.RKWORK.size()) ||
      !common::SectionInside(layout.real.TemperatureBounds, maxTemperatures * speciesCount,
                             loaded.RKWORK.size()) ||
      !common::SectionInside(layout.real.ThermoCoefficients, coefficientsPerSpecies * speciesCount,
                             loaded.RKWORK.size()) ||
      !common::SectionInside(layout.integer.TemperatureCount, speciesCount, loaded.IKWORK.size()) ||
      !common::SectionInside(layout.character.SpeciesNames, speciesCount, loaded.SKWORK.size())) {
    diagnostics.error(path, 0, "the species sections of the kinetics file do not fit its arrays");
    return mechanism;
  }
  if (speciesCount == 0) {
    diagnostics.error(path, 0, "the mechanism has no species");
    return mechanism;
  }

  const std::span<const double> real(loaded.RKWORK);
  const std::span<const std::int32_t> integer(loaded.IKWORK);
  const std::span<const std::string> names(loaded.SKWORK);
  mechanism.species.resize(static_cast<std::size_t>(speciesCount));
  for (std::int64_t k = 1; k <= speciesCount; ++k) {
    MechanismSpecies& species = mechanism.species[static_cast<std::size_t>(k - 1)];
    species.name = trimmed(common::Entry(names, layout.character.SpeciesNames, k));
    species.molecularWeight = common::Entry(real, layout.real.MolecularWeights, k);
    const std::int64_t boundCount = common::Entry(integer, layout.integer.TemperatureCount, k);
    SpeciesThermo& thermo = species.thermo;
    thermo.coefficientsPerRange = static_cast<std::int32_t>(coefficientsPerRange);
    thermo.cpCoefficientCount = state.counts.CpCoefficientCount;
    if (boundCount < 2 || boundCount > maxTemperatures) {
      diagnostics.error(path, 0,
                        "species " + species.name + ": temperature bound count " +
                            std::to_string(boundCount) + " is outside 2.." +
                            std::to_string(maxTemperatures));
      continue;
    }
    const double* bounds =
        &common::BlockEntry(real, layout.real.TemperatureBounds, maxTemperatures, k, 1);
    thermo.bounds.assign(bounds, bounds + boundCount);
    const double* coefficients =
        &common::BlockEntry(real, layout.real.ThermoCoefficients, coefficientsPerSpecies, k, 1);
    thermo.coefficients.assign(coefficients,
                               coefficients + (boundCount - 1) * coefficientsPerRange);
    CheckSpecies(species, path, diagnostics);
  }
  return mechanism;
}

}  // namespace quillet
