// The stirred reactor against the independent reactor code's steady states (methane/air at
// phi 1, 300 K, 1 atm): temperature within 2 K, the burning flag, and the major products.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reactor_fixtures.h"

namespace reactor {
namespace {

TEST(StirredReactorTest, MatchesTheReferenceSteadyStates) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const Mechanism& mechanism = testing::Gri30();
  std::ifstream file(test_support::SharedData("gri30/psr-reference.csv"));
  std::string line;
  std::getline(file, line);
  std::replace(line.begin(), line.end(), ',', ' ');
  std::istringstream header(line);
  std::vector<std::string> columns;
  for (std::string column; header >> column;) columns.push_back(column);
  int rows = 0;
  while (std::getline(file, line)) {
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream fields(line);
    std::vector<double> values;
    for (double value; fields >> value;) values.push_back(value);
    ASSERT_EQ(values.size(), columns.size());
    ++rows;
    const double tau = values[0];
    const PsrResult run =
        RunPsr(mechanism, 300.0, 1013250.0, testing::MethaneAir(mechanism, 1.0), tau);
    ASSERT_TRUE(run.ok) << "tau " << tau << ": " << run.failure;
    EXPECT_NEAR(run.temperature, values[1], 2.0) << "tau " << tau;
    EXPECT_EQ(run.burning, values[1] > 1000.0) << "tau " << tau;
    // Mole fractions above 1e-3 within 2 % (the gas constants of the two codes differ).
    for (std::size_t c = 2; c < columns.size(); ++c) {
      if (values[c] < 1e-3) continue;
      const int k = mechanism.speciesIndex(columns[c].substr(2));
      ASSERT_GE(k, 0) << columns[c];
      EXPECT_NEAR(run.moleFractions[static_cast<std::size_t>(k)] / values[c], 1.0, 0.02)
          << "tau " << tau << ", " << columns[c];
    }
  }
  EXPECT_EQ(rows, 4);
}

}  // namespace
}  // namespace reactor
