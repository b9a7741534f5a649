// The sampler's pure parts: mixtures at an equivalence ratio, the states chosen from a run, and
// a library that the analysis's own reader reads back value for value.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/driver/case_library.h"
#include "sample/conditions.h"
#include "sample/library.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"

namespace sample {
namespace {

// Species CH4, CH3OH, O2, N2, AR with elements C, H, O, N, AR.
SpeciesTable Table() {
  return {{"CH4", "CH3OH", "O2", "N2", "AR"},
          {"C", "H", "O", "N", "AR"},
          {{1, 4, 0, 0, 0}, {1, 4, 1, 0, 0}, {0, 0, 2, 0, 0}, {0, 0, 0, 2, 0}, {0, 0, 0, 0, 1}}};
}

TEST(SampleMixture, EquivalenceRatioAndRefusals) {
  struct Case {
    const char* fuel;
    const char* oxidizer;
    double phi;
    std::vector<double> expected;  // empty: refused with `problem`
    const char* problem;
  };
  // CH4 + 2 (O2 + 3.76 N2); CH3OH needs 1.5 O2.
  const double air = 1.0 + 2.0 * 4.76;
  const Case kCases[] = {
      {"CH4", "O2:1,N2:3.76", 1.0, {1 / air, 0, 2 / air, 7.52 / air, 0}, ""},
      {"CH4", "O2:1,N2:3.76", 0.5, {1 / (1 + 2 * air - 2), 0, 4 / (2 * air - 1), 0, 0}, ""},
      {"CH3OH", "O2", 1.0, {0, 1 / 2.5, 1.5 / 2.5, 0, 0}, ""},
      {"CH4:1,CH3OH:1",
       "O2:1,AR:1",
       2.0,
       {0.5 / 2.75, 0.5 / 2.75, 0.875 / 2.75, 0, 0.875 / 2.75},
       ""},
      {"CH4", "N2", 1.0, {}, "the oxidizer brings no oxygen"},
      {"N2", "O2", 1.0, {}, "the fuel needs no oxygen"},
      {"CH5", "O2", 1.0, {}, "unknown species CH5 in the fuel"},
      {"CH4:0", "O2", 1.0, {}, "the fuel's amounts sum to zero"},
      {"CH4", "O2", 0.0, {}, "the equivalence ratio must be a positive number"},
  };
  for (const Case& c : kCases) {
    std::string problem;
    const Blend fuel = ReadBlend(c.fuel, problem);
    const Blend oxidizer = ReadBlend(c.oxidizer, problem);
    const std::vector<double> x = MixtureAt(Table(), fuel, oxidizer, c.phi, problem);
    if (c.expected.empty()) {
      EXPECT_TRUE(x.empty()) << c.fuel << " / " << c.oxidizer;
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
      continue;
    }
    ASSERT_EQ(x.size(), c.expected.size()) << c.fuel << " / " << c.oxidizer << ": " << problem;
    // The second row: N2 is what is left.
    std::vector<double> expected = c.expected;
    if (c.phi == 0.5) expected[3] = 1.0 - expected[0] - expected[2];
    for (std::size_t k = 0; k < x.size(); ++k) {
      EXPECT_NEAR(x[k], expected[k], 1e-15) << c.fuel << " / " << c.oxidizer << " species " << k;
    }
  }
  std::string problem;
  EXPECT_TRUE(ReadBlend("O2:x", problem).empty());
  EXPECT_NE(problem.find("malformed amount 'x'"), std::string::npos);
}

TEST(SampleStates, InductionAndHeatReleaseAreBothRepresented) {
  // A run of 1000 steps, T rising from 1000 K to 2500 K at t = 0.6 s (two stages: 100 K at
  // 0.3 s, the rest at 0.6 s).
  std::vector<double> times;
  std::vector<double> temperatures;
  for (int i = 0; i <= 1000; ++i) {
    const double t = i * 1e-3;
    times.push_back(t);
    temperatures.push_back(1000.0 + 100.0 / (1.0 + std::exp(-(t - 0.3) / 0.002)) +
                           1400.0 / (1.0 + std::exp(-(t - 0.6) / 0.004)));
  }
  const std::vector<std::size_t> chosen = ChooseStates(times, temperatures, 0.6, 20);
  ASSERT_EQ(chosen.size(), 20u);
  int induction = 0;
  int firstStage = 0;
  int release = 0;
  for (std::size_t n = 0; n < chosen.size(); ++n) {
    if (n > 0) {
      EXPECT_LT(chosen[n - 1], chosen[n]);  // ascending and distinct
    }
    const double T = temperatures[chosen[n]];
    induction += times[chosen[n]] < 0.6 ? 1 : 0;
    firstStage += T > 1050.0 && T < 1100.0 ? 1 : 0;
    release += T > 1150.0 && T < 2450.0 ? 1 : 0;
  }
  EXPECT_GE(induction, 10);
  EXPECT_GE(firstStage, 1);
  EXPECT_GE(release, 8);
  // No ignition: equal fractions of the run; fewer states than asked: all of them.
  const std::vector<std::size_t> flat = ChooseStates(times, times, std::nan(""), 4);
  EXPECT_EQ(flat, (std::vector<std::size_t>{250, 500, 750, 1000}));
  EXPECT_EQ(ChooseStates(std::span(times).first(3), temperatures, 0.6, 20).size(), 3u);
}

TEST(SampleLibrary, TheAnalysisReadsItBackValueForValue) {
  const std::vector<Block> blocks = {
      {1.23456789e-3,
       "first",
       {{0.0, 1013250.0, 1.1e-3, 1000.0, {0.5, 0.5, 0.0}},
        {2.5e-3, 1013250.0, 4.2e-4, 2400.123456, {1e-12, -1e-20, 1.0}}}},
      {7.5, "second", {{3.0, 4.053e7, 2e-2, 1500.0, {0.2, 0.3, 0.5}}}},
  };
  test_support::ScratchFolder folder;
  const std::string path =
      folder.write("libdata.asc", LibraryText("SENLIB test", 3, {"a comment"}, blocks));
  test_support::MemoryConsole console;
  driver::CaseLibrary library(path, 3, console);
  std::vector<double> tau0s;
  std::vector<std::vector<double>> cases;
  for (;;) {
    const driver::LibraryLine line = library.next();
    if (line.kind == driver::LibraryLine::Kind::BlockHeader) tau0s.push_back(line.tau0);
    if (line.kind == driver::LibraryLine::Kind::Case) {
      const auto values = library.caseValues();
      cases.emplace_back(values.begin(), values.end());
    }
    if (line.kind == driver::LibraryLine::Kind::End) break;
    ASSERT_NE(line.kind, driver::LibraryLine::Kind::BlankStart);
  }
  EXPECT_EQ(console.text(), "");
  ASSERT_EQ(tau0s.size(), 2u);
  EXPECT_NEAR(tau0s[0], 1.23456789e-3, 1e-11);
  EXPECT_EQ(tau0s[1], 7.5);
  ASSERT_EQ(cases.size(), 3u);
  std::size_t n = 0;
  for (const Block& block : blocks) {
    for (const CaseState& state : block.cases) {
      std::vector<double> expected = {state.time, state.pressure,   state.density, 0, 0,
                                      0,          state.temperature};
      for (const double x : state.moleFractions) expected.push_back(x > 0 ? x : 0.0);
      ASSERT_EQ(cases[n].size(), expected.size());
      for (std::size_t v = 0; v < expected.size(); ++v) {
        EXPECT_NEAR(cases[n][v], expected[v], 1e-8 * std::abs(expected[v])) << n << " " << v;
      }
      ++n;
    }
  }
}

}  // namespace
}  // namespace sample
