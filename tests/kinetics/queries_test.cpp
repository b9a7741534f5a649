// Queries on loaded work arrays: stoichiometry derived by hand from the mechanism input of the
// independent producer's file, species names, mass fractions and trimmed lengths.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "kinetics/linking_file.h"
#include "kinetics/queries.h"
#include "kinetics/work_arrays.h"
#include "kinetics_support.h"
#include "support/memory_console.h"
#include "support/shared_data.h"

namespace kinetics {
namespace {

using test_support::Captured;
using test_support::RunCaptured;
using testing::WriteFixture;

LoadedKinetics LoadOrFail(const std::string& path) {
  LoadedKinetics loaded;
  const Captured run =
      RunCaptured([&](common::Console& console) { loaded = LoadKineticsFile(path, console); });
  EXPECT_FALSE(run.stopped) << run.text;
  return loaded;
}

// A mechanism of the given species without reactions.
LinkMechanism SpeciesOnly(const std::vector<std::pair<std::string, double>>& species) {
  LinkMechanism m;
  m.elements = {{"H", 1.0}};
  for (const auto& [name, weight] : species) {
    LinkSpecies one;
    one.name = name;
    one.molecularWeight = weight;
    one.temperatureCount = 3;
    m.species.push_back(one);
  }
  return m;
}

// Species of the file: 1 H2, 2 H, 3 O, 4 O2, 6 H2O, 7 HO2, 15 CO, 28 HCCO.
TEST(QueryStoichMatrix, ReactionsOfTheProducersFile) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const LoadedKinetics loaded = LoadOrFail(test_support::SharedData("gri30/chem.bin"));
  constexpr std::int32_t kSpecies = 53, kReactions = 325, kRows = kSpecies + 10;
  constexpr std::int32_t kUntouched = 99;
  std::vector<std::int32_t> matrix(static_cast<std::size_t>(kRows) * kReactions, kUntouched);
  QueryStoichMatrix(kRows, loaded.IKWORK, loaded.RKWORK, matrix);
  auto at = [&](int k, int i) { return matrix[static_cast<std::size_t>((i - 1) * kRows + k - 1)]; };

  struct Case {
    int reaction;
    const char* equation;
    std::vector<std::pair<int, int>> nonZero;  // species, net coefficient
  };
  const Case cases[] = {
      {1, "2O+M<=>O2+M", {{3, -2}, {4, 1}}},
      {28, "O+HCCO<=>H+2CO", {{3, -1}, {28, -1}, {2, 1}, {15, 2}}},
      {34, "H+2O2<=>HO2+O2", {{2, -1}, {4, -1}, {7, 1}}},
      {35, "H+O2+H2O<=>HO2+H2O", {{2, -1}, {4, -1}, {7, 1}}},  // H2O on both sides: 0
      {40, "2H+H2<=>2H2", {{2, -2}, {1, 1}}},
  };
  for (const Case& c : cases) {
    for (int k = 1; k <= kSpecies; ++k) {
      int expected = 0;
      for (const auto& [species, coefficient] : c.nonZero) {
        if (species == k) expected = coefficient;
      }
      EXPECT_EQ(at(k, c.reaction), expected) << c.equation << ", species " << k;
    }
  }
  // Rows beyond KK are left as they were.
  for (int i = 1; i <= kReactions; ++i) {
    for (int k = kSpecies + 1; k <= kRows; ++k) ASSERT_EQ(at(k, i), kUntouched);
  }
}

TEST(QueryStoichMatrix, SpeciesInTwoSlotsGetsTheSum) {
  const LinkMechanism m = testing::FullMechanism();
  const LoadedKinetics loaded = LoadOrFail(WriteFixture("stoich.bin", m));
  std::vector<std::int32_t> matrix(3 * 4, 0);
  QueryStoichMatrix(3, loaded.IKWORK, loaded.RKWORK, matrix);
  // Reaction 4 names species 3 in slots 1 and 3, species 1 in slot 2 and species 2 in slot 4.
  const auto& slots = m.reactions[3].slots;
  EXPECT_EQ(matrix[3 * 3 + 2], slots[0].coefficient + slots[2].coefficient);
  EXPECT_EQ(matrix[3 * 3 + 0], slots[1].coefficient);
  EXPECT_EQ(matrix[3 * 3 + 1], slots[3].coefficient);
}

TEST(QueryStoichMatrix, RefusesOutputsTooSmall) {
  const LoadedKinetics loaded = LoadOrFail(WriteFixture("small.bin", testing::FullMechanism()));
  std::vector<std::int32_t> matrix(3 * 4, 0);
  EXPECT_THROW(QueryStoichMatrix(2, loaded.IKWORK, loaded.RKWORK, matrix), std::invalid_argument);
  std::vector<std::int32_t> tooFew(3 * 4 - 1, 0);
  EXPECT_THROW(QueryStoichMatrix(3, loaded.IKWORK, loaded.RKWORK, tooFew), std::invalid_argument);
}

TEST(QuerySpeciesNames, NamesLongerThanTheOutputAreReportedAndLeftBlank) {
  const LoadedKinetics loaded = LoadOrFail(WriteFixture(
      "names.bin",
      SpeciesOnly({{"ABCDEF", 1.0}, {"ABCDEFGHIJ", 1.0}, {"XY", 1.0}, {"", 1.0}, {"Q R", 1.0}})));
  const std::string message = " Error in QuerySpeciesNames...character string length too small \n";
  struct Case {
    std::int32_t length;
    std::vector<std::string> names;
    std::string lines;
    bool error;
  };
  const Case cases[] = {
      {8, {"ABCDEF  ", "        ", "XY      ", "        ", "Q R     "}, message, true},
      {16,
       {"ABCDEF          ", "ABCDEFGHIJ      ", "XY              ", std::string(16, ' '),
        "Q R             "},
       "",
       false},
      {2, {"  ", "  ", "XY", "  ", "  "}, message + message + message, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names(5, "old");
    bool error = false;
    const Captured run = RunCaptured([&](common::Console& console) {
      error = QuerySpeciesNames(loaded.SKWORK, 16, console, names, c.length);
    });
    EXPECT_FALSE(run.stopped);
    EXPECT_EQ(run.text, c.lines) << c.length;
    EXPECT_EQ(error, c.error) << c.length;
    EXPECT_EQ(names, c.names) << c.length;
  }
}

TEST(MoleToMassFractions, NormalisesByTheWeightedSum) {
  const LoadedKinetics loaded =
      LoadOrFail(WriteFixture("weights.bin", SpeciesOnly({{"A", 2.0}, {"B", 6.0}})));
  struct Case {
    std::vector<double> x;
    bool converted;
    std::vector<double> y;
  };
  const Case cases[] = {
      {{1.0, 1.0}, true, {0.25, 0.75}},   {{0.5, 0.5}, true, {0.25, 0.75}},   // need not sum to 1
      {{0.0, 1.0}, true, {0.0, 1.0}},     {{0.0, 0.0}, false, {-1.0, -1.0}},  // zero sum: untouched
      {{3.0, -1.0}, false, {-1.0, -1.0}},                                     // weights cancel
      {{1.0, -1.0}, false, {-1.0, -1.0}},                                     // negative sum
  };
  for (const Case& c : cases) {
    std::vector<double> y(2, -1.0);
    EXPECT_EQ(MoleToMassFractions(c.x, loaded.IKWORK, loaded.RKWORK, y), c.converted);
    EXPECT_EQ(y, c.y);
  }

  std::vector<double> weights(2, 0.0);
  QueryMolecularWeights(loaded.IKWORK, loaded.RKWORK, weights);
  EXPECT_EQ(weights, (std::vector<double>{2.0, 6.0}));
  double gas = 0, gasCal = 0, pressure = 0;
  QueryGasConstants(loaded.IKWORK, loaded.RKWORK, gas, gasCal, pressure);
  EXPECT_EQ(gas, 8.31451E+07);
  EXPECT_EQ(gasCal, 1.9872155831739962);
  EXPECT_EQ(pressure, 1013250.0);
}

TEST(TrimmedLength, OnlyBlanksAreTrailing) {
  struct Case {
    std::string_view text;
    std::int32_t length;
  };
  using namespace std::string_view_literals;
  const Case cases[] = {
      {""sv, 0},       {"    "sv, 0},   {"H2O"sv, 3},   {"H2O   "sv, 3},
      {" a b  "sv, 4}, {"ab\t  "sv, 3}, {"ab\0 "sv, 3}, {"ab\n"sv, 3},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimmedLength(c.text), c.length) << c.text;
}

}  // namespace
}  // namespace kinetics
