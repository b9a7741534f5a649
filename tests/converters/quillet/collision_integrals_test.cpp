#include "converters/quillet/collision_integrals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "support/shared_data.h"

namespace quillet {
namespace {

using tables::kDeltaCount;
using tables::kTemperatureCount;

std::vector<std::vector<double>> readCsv(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::vector<double>> rows;
  std::string line;
  std::getline(file, line);  // heading with the delta* values
  while (std::getline(file, line)) {
    std::vector<double> row;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) row.push_back(std::stod(field));
    rows.push_back(row);
  }
  return rows;
}

// The compiled tables are the published tables' CSV files, digit for digit.
TEST(CollisionTables, EqualThePublishedCsvFiles) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const struct {
    const char* file;
    const tables::Table& table;
  } kTables[] = {{"omega22.csv", tables::kOmega22},
                 {"omega11_derived.csv", tables::kOmega11},
                 {"astar.csv", tables::kAStar},
                 {"bstar.csv", tables::kBStar},
                 {"cstar.csv", tables::kCStar}};
  for (const auto& entry : kTables) {
    const auto rows = readCsv(test_support::SharedData("collision-integrals/") + entry.file);
    ASSERT_EQ(rows.size(), kTemperatureCount) << entry.file;
    for (std::size_t i = 0; i < kTemperatureCount; ++i) {
      ASSERT_EQ(rows[i].size(), kDeltaCount + 1) << entry.file;
      EXPECT_EQ(rows[i][0], tables::kReducedTemperatures[i]) << entry.file;
      for (std::size_t d = 0; d < kDeltaCount; ++d) {
        EXPECT_EQ(rows[i][d + 1], entry.table[i][d]) << entry.file << " row " << i;
      }
    }
  }
}

TEST(CollisionIntegrals, ReproduceEveryGridPoint) {
  const CollisionQuantity kQuantities[] = {CollisionQuantity::Omega22, CollisionQuantity::Omega11,
                                           CollisionQuantity::AStar, CollisionQuantity::BStar,
                                           CollisionQuantity::CStar};
  const tables::Table* kTables[] = {&tables::kOmega22, &tables::kOmega11, &tables::kAStar,
                                    &tables::kBStar, &tables::kCStar};
  for (std::size_t q = 0; q < 5; ++q) {
    for (std::size_t d = 0; d < kDeltaCount; ++d) {
      const CollisionIntegral integral(kQuantities[q], tables::kReducedDipoles[d]);
      for (std::size_t i = 0; i < kTemperatureCount; ++i) {
        EXPECT_NEAR(integral(tables::kReducedTemperatures[i]), (*kTables[q])[i][d],
                    1e-12 * (*kTables[q])[i][d])
            << "quantity " << q << " T* " << tables::kReducedTemperatures[i] << " delta* "
            << tables::kReducedDipoles[d];
      }
    }
  }
}

// Between the grid points the value lies between its neighbours where the table is monotone,
// and the extension beyond the table joins it without a step.
TEST(CollisionIntegrals, InterpolateAndExtendSmoothly) {
  for (double delta : {0.0, 0.3, 1.22, 2.5}) {
    const CollisionIntegral omega22(CollisionQuantity::Omega22, delta);
    const CollisionIntegral omega11(CollisionQuantity::Omega11, delta);
    for (std::size_t i = 0; i + 1 < kTemperatureCount; ++i) {
      const double low = tables::kReducedTemperatures[i];
      const double high = tables::kReducedTemperatures[i + 1];
      const double middle = std::sqrt(low * high);
      EXPECT_LT(omega22(middle), omega22(low) * 1.001) << delta << " " << middle;
      EXPECT_GT(omega22(middle), omega22(high) * 0.999) << delta << " " << middle;
    }
    for (const auto* integral : {&omega22, &omega11}) {
      EXPECT_NEAR((*integral)(100.0 * (1 + 1e-9)), (*integral)(100.0), 1e-7);
      EXPECT_NEAR((*integral)(0.1 * (1 - 1e-9)), (*integral)(0.1), 1e-6);
      EXPECT_LT((*integral)(500.0), (*integral)(100.0));
      EXPECT_GT((*integral)(0.05), (*integral)(0.1));
    }
    const CollisionIntegral aStar(CollisionQuantity::AStar, delta);
    EXPECT_NEAR(aStar(100.0 * (1 + 1e-9)), aStar(100.0), 1e-7);
    EXPECT_NEAR(aStar(1000.0), 1.142, 0.01);  // the repulsive-wall limit
    EXPECT_NEAR(omega22(1000.0) / omega11(1000.0), aStar(1000.0), 0.001);
  }
}

// The Lennard-Jones fit that extends the tables agrees with the delta* = 0 column well inside
// its range of validity.
TEST(CollisionIntegrals, LennardJonesFitMatchesTheTable) {
  for (std::size_t i = 3; i < kTemperatureCount; ++i) {
    const double t = tables::kReducedTemperatures[i];
    EXPECT_NEAR(LennardJonesOmega22(t) / tables::kOmega22[i][0], 1.0, 0.006) << t;
  }
}

TEST(CollisionIntegrals, DipolesBeyondTheTableUseItsLastColumn) {
  EXPECT_EQ(ReducedCollisionIntegral(CollisionQuantity::Omega22, 1.0, 4.0),
            ReducedCollisionIntegral(CollisionQuantity::Omega22, 1.0, 2.5));
}

}  // namespace
}  // namespace quillet
