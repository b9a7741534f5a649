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

// The electron is an element of the linking file (negative for cations); it is no atom.
bool isElectron(const std::string& element) {
  return element == "E" || element == "e";
}

}  // namespace

double SpeciesThermo::heatCapacity(double temperature) const {
  const std::size_t ranges = bounds.size() - 1;
  const double heldTemperature = std::clamp(temperature, bounds.front(), bounds.back());
  std::size_t range = 0;
  while (range + 1 < ranges && heldTemperature >= bounds[range + 1]) ++range;
  return rangeHeatCapacity(range, heldTemperature);
}

double SpeciesThermo::rangeHeatCapacity(std::size_t range, double temperature) const {
  const double* rangeCoefficients =
      &coefficients[range * static_cast<std::size_t>(coefficientsPerRange)];
  double value = 0.0;
  for (std::int32_t i = cpCoefficientCount; i-- > 0;)
    value = value * temperature + rangeCoefficients[i];
  return value;
}

HeatCapacityBand PhysicalHeatCapacityBand(std::int64_t atomCount) {
  const double classical = atomCount <= 1 ? 2.5 : 3.0 * static_cast<double>(atomCount) - 1.5;
  return {kLeastHeatCapacity, (1.0 + kAnharmonicMargin) * classical + kElectronicMargin};
}

std::optional<BandExcursion> FindBandExcursion(const SpeciesThermo& thermo,
                                               const HeatCapacityBand& band) {
  // Each range at its ends and at points 1% of its width apart, fine enough for a quartic: an
  // excursion missed between two of them is a small one.
  constexpr int kSteps = 100;
  std::optional<BandExcursion> farthest;
  double farthestExcursion = 0.0;  // relative to the edge it passes
  for (std::size_t range = 0; range + 1 < thermo.bounds.size(); ++range) {
    const double low = thermo.bounds[range];
    const double width = thermo.bounds[range + 1] - low;
    for (int step = 0; step <= kSteps; ++step) {
      const double temperature = low + width * step / kSteps;
      const double value = thermo.rangeHeatCapacity(range, temperature);
      const double excursion = value > band.upper   ? (value - band.upper) / band.upper
                               : value < band.lower ? (band.lower - value) / band.lower
                                                    : 0.0;
      if (excursion > farthestExcursion) {
        farthestExcursion = excursion;
        farthest = BandExcursion{value, temperature};
      }
    }
  }
  return farthest;
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
  const std::int64_t elementCount = state.counts.ElementCount;
  const std::int64_t maxTemperatures = state.counts.MaxTemperatures;
  const std::int64_t coefficientsPerRange = state.CoefficientsPerRange;
  const std::int64_t coefficientsPerSpecies = state.CoefficientsPerSpecies;

  Mechanism mechanism;
  // The reader places the sections from the file's counts; check that they lie in the arrays
  // before trusting them.
  if (speciesCount < 0 || elementCount < 0 || maxTemperatures < 0 || coefficientsPerRange < 0 ||
      coefficientsPerSpecies < 0 ||
      !common::SectionInside(layout.real.MolecularWeights, speciesCount, loaded.RKWORK.size()) ||
      !common::SectionInside(layout.real.TemperatureBounds, maxTemperatures * speciesCount,
                             loaded.RKWORK.size()) ||
      !common::SectionInside(layout.real.ThermoCoefficients, coefficientsPerSpecies * speciesCount,
                             loaded.RKWORK.size()) ||
      !common::SectionInside(layout.integer.TemperatureCount, speciesCount, loaded.IKWORK.size()) ||
      !common::SectionInside(layout.integer.ElementComposition, elementCount * speciesCount,
                             loaded.IKWORK.size()) ||
      !common::SectionInside(layout.character.ElementNames, elementCount, loaded.SKWORK.size()) ||
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
  std::vector<bool> electron(static_cast<std::size_t>(elementCount));
  for (std::int64_t m = 1; m <= elementCount; ++m) {
    electron[static_cast<std::size_t>(m - 1)] =
        isElectron(trimmed(common::Entry(names, layout.character.ElementNames, m)));
  }
  mechanism.species.resize(static_cast<std::size_t>(speciesCount));
  for (std::int64_t k = 1; k <= speciesCount; ++k) {
    MechanismSpecies& species = mechanism.species[static_cast<std::size_t>(k - 1)];
    species.name = trimmed(common::Entry(names, layout.character.SpeciesNames, k));
    species.molecularWeight = common::Entry(real, layout.real.MolecularWeights, k);
    std::int64_t atoms = 0;
    for (std::int64_t m = 1; m <= elementCount; ++m) {
      const std::int32_t count =
          common::BlockEntry(integer, layout.integer.ElementComposition, elementCount, k, m);
      if (!electron[static_cast<std::size_t>(m - 1)] && count > 0) atoms += count;
    }
    species.atomCount = atoms;
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
