// Fixtures of the transport converter tests: temporary folders, small kinetics files written with
// the project's writer, and text files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillet_test {

// A fresh folder, removed with its contents at the end of the test.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  std::string path(const std::string& name) const { return (root_ / name).string(); }

 private:
  std::filesystem::path root_;
};

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

void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);

// tests/data and data/ of the source tree.
std::string TestData(const std::string& relative);
std::string ShippedData(const std::string& relative);

}  // namespace quillet_test
