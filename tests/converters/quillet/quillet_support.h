// Fixtures of the transport converter tests: small kinetics files written with the project's
// writer. Scratch folders, whole-file reads and the data folders come from tests/support.
#pragma once

#include <string>
#include <vector>

namespace quillet_test {

struct TestSpecies {
  std::string name;
  double weight;
  double heatCapacity;  // constant Cp/R over 300..5000 K
};

// The nine species of the hydrogen-oxygen test files: AR H H2 H2O H2O2 HO2 O O2 OH.
std::vector<TestSpecies> HydrogenOxygenSpecies();

// Writes a kinetics linking file with these species and no reactions.
void WriteKinetics(const std::string& path, const std::vector<TestSpecies>& species,
                   double highestTemperature = 5000.0);

}  // namespace quillet_test
