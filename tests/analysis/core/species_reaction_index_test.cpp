#include "analysis/core/analysis_tables.h"

#include <gtest/gtest.h>

#include <vector>

#include "kinetics/linking_file.h"
#include "support/memory_console.h"
#include "support/shared_data.h"

namespace {

// GRI-Mech 3.0 as an independent producer wrote it; expected rows read off the mechanism text.
TEST(SpeciesReactionIndex, GriMechRows) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  test_support::MemoryConsole console;
  const kinetics::LoadedKinetics mechanism =
      kinetics::LoadKineticsFile(test_support::SharedData("gri30/chem.bin"), console);
  const analysis::AnalysisTables tables =
      analysis::BuildAnalysisTables(mechanism.state, mechanism.IKWORK);
  const std::int32_t NS = 53 + 10, NR = 325 + 1;
  ASSERT_EQ(tables.NS, NS);
  ASSERT_EQ(tables.NR, NR);
  const std::vector<std::int32_t>& matrix = tables.StoichiometryMatrix;
  const std::vector<std::int32_t>& index = tables.SpeciesReactionIndex;

  const auto row = [&](int species) {
    const std::int32_t* start = &index[(species - 1) * (NR + 1)];
    return std::vector<std::int32_t>(start + 1, start + 1 + start[0]);
  };
  // H2O2: every reaction that names it, among them the fall-off 2OH(+M)<=>H2O2(+M).
  EXPECT_EQ(row(8),
            (std::vector<std::int32_t>{5, 47, 48, 85, 88, 89, 115, 116, 121, 157, 302, 316}));
  // AR stands on both sides of its only two reactions (36 and 143): net zero, no entry.
  EXPECT_TRUE(row(49).empty());
  // O: 2O+M<=>O2+M, O+H+M<=>OH+M, O+H2<=>H+OH, O+HO2<=>OH+O2, O+H2O2<=>OH+HO2, ...
  const std::vector<std::int32_t> oxygen = row(3);
  ASSERT_GE(oxygen.size(), 5u);
  EXPECT_EQ(std::vector<std::int32_t>(oxygen.begin(), oxygen.begin() + 5),
            (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(matrix[(3 - 1) + (1 - 1) * NS], -2);  // 2O+M<=>O2+M
  EXPECT_EQ(matrix[(4 - 1) + (1 - 1) * NS], 1);
  // Rows beyond the species count are empty.
  EXPECT_EQ(index[53 * (NR + 1)], 0);
  EXPECT_EQ(index[(NS - 1) * (NR + 1)], 0);
}

}  // namespace
