// tarnwick-rates on GRI-Mech 3.0 against rates of progress from an independent kinetics
// toolkit. That toolkit's gas constant differs in the sixth digit (8.314462618 against
// 8.31451 J/(mol K)), which moves exp(-E/RT) by up to a few 1e-4 where E/RT is large.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "program_runner.h"
#include "support/shared_data.h"

namespace integration {
namespace {

using Key = std::tuple<int, int, int>;  // block, case, reaction

std::map<Key, std::pair<double, double>> readRates(std::istream& in) {
  std::map<Key, std::pair<double, double>> rates;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    int block = 0, caseNumber = 0, reaction = 0;
    double forward = 0, reverse = 0;
    char comma = 0;
    fields >> block >> comma >> caseNumber >> comma >> reaction >> comma >> forward >> comma >>
        reverse;
    rates[{block, caseNumber, reaction}] = {forward, reverse};
  }
  return rates;
}

TEST(RatesProgram, AgreesWithAnIndependentToolkitOnGriMech) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  Workspace workspace("rates-gri30");
  const std::string data = test_support::SharedData("gri30/");
  const ProgramRun run = workspace.run("tarnwick-rates", {data + "chem.bin", data + "libdata.asc"});
  ASSERT_EQ(run.status, 0) << run.console.substr(0, 500);
  std::istringstream ours(run.console);
  const auto computed = readRates(ours);
  EXPECT_EQ(computed.size(), 120u * 325u);  // every case of the six blocks

  std::ifstream referenceFile(data + "rates-reference.csv");
  const auto reference = readRates(referenceFile);
  std::map<std::pair<int, int>, double> largest;
  for (const auto& [key, rates] : reference) {
    double& top = largest[{std::get<0>(key), std::get<1>(key)}];
    top = std::max({top, rates.first, rates.second});
  }
  double worst = 0.0;
  for (const auto& [key, expected] : reference) {
    const auto found = computed.find(key);
    ASSERT_NE(found, computed.end());
    const double floor = 1e-12 * largest[{std::get<0>(key), std::get<1>(key)}];
    for (const auto& [value, want] : {std::pair{found->second.first, expected.first},
                                      std::pair{found->second.second, expected.second}}) {
      if (want > floor) worst = std::max(worst, std::abs(value - want) / want);
    }
  }
  RecordProperty("worst_relative_difference", std::to_string(worst));
  EXPECT_LT(worst, 1e-3);
}

}  // namespace
}  // namespace integration
