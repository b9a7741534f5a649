// Fixtures of the transport converter tests: small kinetics files written with the project's
// writer. Scratch folders, whole-file reads and the data folders come from tests/support.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillet_test {

struct TestSpecies {
  std::string name;
  double weight;
  double heatCapacity;  // Cp/R, constant over the species' range but for the slope below
  std::vector<std::int32_t> composition = {};  // atoms of H, O and AR; none given when empty
  double highTemperature = 0.0;                // top of its range; 0: the file's highest
  double heatCapacitySlope = 0.0;              // d(Cp/R)/dT above 1000 K
};

// The nine species of the hydrogen-oxygen test files: AR H H2 H2O H2O2 HO2 O O2 OH.
std::vector<TestSpecies> HydrogenOxygenSpecies();

// Writes a kinetics linking file with these species and no reactions; each species' thermo
// runs from 300 K to 1000 K and on to its own highest temperature.
void WriteKinetics(const std::string& path, const std::vector<TestSpecies>& species,
                   double highestTemperature = 5000.0);

}  // namespace quillet_test
