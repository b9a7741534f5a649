#include "quillet_support.h"

#include <gtest/gtest.h>

#include "kinetics/linking_file.h"

namespace quillet_test {

std::vector<TestSpecies> HydrogenOxygenSpecies() {
  return {{"AR", 39.948, 2.5},  {"H", 1.008, 2.5},     {"H2", 2.016, 3.5},
          {"H2O", 18.015, 4.0}, {"H2O2", 34.014, 4.5}, {"HO2", 33.006, 4.2},
          {"O", 15.999, 2.5},   {"O2", 31.998, 3.6},   {"OH", 17.007, 3.5}};
}

void WriteKinetics(const std::string& path, const std::vector<TestSpecies>& species,
                   double highestTemperature) {
  kinetics::LinkMechanism mechanism;
  mechanism.elements = {{"H", 1.008}, {"O", 15.999}, {"AR", 39.948}};
  for (const TestSpecies& s : species) {
    kinetics::LinkSpecies out;
    out.name = s.name;
    out.composition = s.composition.empty() ? std::vector<std::int32_t>{0, 0, 0} : s.composition;
    out.molecularWeight = s.weight;
    out.temperatureCount = 3;
    out.temperatureBounds = {300.0, 1000.0,
                             s.highTemperature > 0.0 ? s.highTemperature : highestTemperature};
    out.coefficients.assign(2 * 7, 0.0);
    out.coefficients[0] = s.heatCapacity;
    out.coefficients[7] = s.heatCapacity - 1000.0 * s.heatCapacitySlope;
    out.coefficients[8] = s.heatCapacitySlope;
    mechanism.species.push_back(out);
  }
  std::string error;
  ASSERT_TRUE(kinetics::WriteKineticsLink(path, mechanism, error)) << error;
}

}  // namespace quillet_test
