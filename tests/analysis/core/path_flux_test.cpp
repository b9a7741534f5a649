#include "analysis/core/path_flux.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/core/analysis_tables.h"
#include "analysis/core/rate_kernel.h"
#include "kinetics/linking_file.h"
#include "kinetics/queries.h"
#include "support/case_library.h"
#include "support/memory_console.h"
#include "support/path_flux_oracle.h"
#include "support/shared_data.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kFlagSentinel = 77;
constexpr std::int32_t kListSentinel = -5;

using analysis::AnalysisTables;

// A stoichiometric matrix filled in code, then made into the tables as the driver makes them.
struct Matrix {
  std::int32_t N = 0;
  std::int32_t reactionCount = 0;
  std::int32_t NS = 0;
  std::int32_t NR = 0;
  std::int32_t stoichDimension = 0;
  std::vector<std::int32_t> entries;  // column-major, leading dimension stoichDimension

  Matrix(std::int32_t species, std::int32_t reactions, std::int32_t speciesDimension,
         std::int32_t reactionDimension, std::int32_t leadingDimension)
      : N(species),
        reactionCount(reactions),
        NS(speciesDimension),
        NR(reactionDimension),
        stoichDimension(leadingDimension),
        entries(static_cast<std::size_t>(leadingDimension) * reactionDimension, 0) {}

  std::int32_t& nu(std::int32_t k, std::int32_t i) {
    return entries[(k - 1) + static_cast<std::size_t>(i - 1) * stoichDimension];
  }
  AnalysisTables tables() const {
    return analysis::BuildAnalysisTables(N, reactionCount, NS, NR, stoichDimension, entries);
  }
};

struct Result {
  std::int32_t keptCount = -1;
  std::vector<std::int32_t> flags;
  std::vector<std::int32_t> list;
};

struct Selection {
  std::int32_t caseDimension = 3;
  std::int32_t caseNumber = 2;
  std::vector<std::int32_t> start;
  double threshold = 0.1;
};

Result blankResult(const AnalysisTables& t, const Selection& s) {
  const auto size = static_cast<std::size_t>(s.caseDimension) * t.NS;
  return {-1, std::vector<std::int32_t>(size, kFlagSentinel),
          std::vector<std::int32_t>(size, kListSentinel)};
}

// Runs `select` on a blank result and returns it.
template <class Select>
Result selectInto(const AnalysisTables& t, const Selection& s, Select&& select) {
  Result r = blankResult(t, s);
  analysis::SelectionOutput output{s.caseNumber, r.flags, r.list};
  select(output);
  r.keptCount = output.KeptCount;
  return r;
}

Result selectFast(AnalysisTables& t, const Selection& s, std::span<const double> forward,
                  std::span<const double> reverse) {
  return selectInto(t, s, [&](analysis::SelectionOutput& output) {
    analysis::SelectFromRates({forward, reverse, s.start, s.threshold}, t.scratch, output);
  });
}

Result selectLiteral(const AnalysisTables& t, const Selection& s, std::span<const double> forward,
                     std::span<const double> reverse,
                     const analysis::oracle::CoefficientObserver& observer = {}) {
  return selectInto(t, s, [&](analysis::SelectionOutput& output) {
    analysis::oracle::LiteralSelectFromRates(t, {forward, reverse, s.start, s.threshold}, output,
                                             observer);
  });
}

std::vector<std::int32_t> keptRow(const AnalysisTables& t, const Selection& s, const Result& r) {
  const auto begin = r.list.begin() + static_cast<std::ptrdiff_t>(s.caseNumber - 1) * t.NS;
  return {begin, begin + std::max(r.keptCount, 0)};
}

// ---------------------------------------------------------------------------------------------
// Critical values against the selection itself.

std::vector<double> criticalValues(AnalysisTables& t, std::span<const std::int32_t> start,
                                   std::span<const double> forward, std::span<const double> reverse,
                                   double floor) {
  std::vector<double> critical(t.KK, 12345.0);
  analysis::CriticalValuesFromRates({forward, reverse, start, floor}, t.scratch, critical);
  return critical;
}

// The selection at every threshold where its answer can change (each distinct critical value
// and its neighbours) keeps exactly the species whose critical value is above it; with a floor,
// the values above it are unchanged and the others read as the floor. Returns the full values.
std::vector<double> expectCriticalValuesDecideAsTheSelection(AnalysisTables& t,
                                                             const std::vector<std::int32_t>& start,
                                                             std::span<const double> forward,
                                                             std::span<const double> reverse) {
  const std::vector<double> full = criticalValues(t, start, forward, reverse, -kInfinity);
  std::vector<double> thresholds{0.0, -0.0, -1.0, 0.05, 0.3, kInfinity, -kInfinity, kNaN};
  std::vector<double> floors{-1.0, 0.0, 1.0e-302, 1.0e-9, 0.01, 0.05, 0.3};
  for (const double c : full) {
    for (const double threshold :
         {c, std::nextafter(c, -kInfinity), std::nextafter(c, kInfinity)}) {
      if (std::find(thresholds.begin(), thresholds.end(), threshold) == thresholds.end()) {
        thresholds.push_back(threshold);
        if (threshold > 0.0 && threshold < kInfinity && floors.size() < 14) {
          floors.push_back(threshold);
        }
      }
    }
  }
  Selection s{1, 1, start, 0.0};
  for (const double threshold : thresholds) {
    s.threshold = threshold;
    const Result kept = selectFast(t, s, forward, reverse);
    std::vector<std::int32_t> predicted(kept.flags);
    for (std::int32_t k = 0; k < t.KK; ++k)
      predicted[k] = analysis::KeptAt(full[k], threshold) ? -1 : 0;
    EXPECT_EQ(kept.flags, predicted) << "threshold " << threshold;
  }
  for (const double floor : floors) {
    std::vector<double> expected(full);
    for (double& c : expected) c = c > floor ? c : floor;
    EXPECT_EQ(criticalValues(t, start, forward, reverse, floor), expected) << "floor " << floor;
  }
  return full;
}

// ---------------------------------------------------------------------------------------------
// Small mechanisms whose coefficients can be worked out by hand.

struct Reaction {
  std::vector<std::pair<std::int32_t, std::int32_t>> nu;  // (species, net coefficient)
  double forward;
  double reverse;
};

struct HandCase {
  const char* behaviour;
  std::int32_t speciesCount;
  std::vector<Reaction> reactions;
  std::vector<std::int32_t> start;
  double threshold;
  std::vector<std::int32_t> kept;
};

// One reaction 1 -> 2 at net rate q: R(1, 2) = q / (q + 1.0e-12 in single precision).
double directShare(double q) {
  return q / (q + static_cast<double>(1.0e-12f));
}

// 1 -> 2 and 1 -> 3 at rate q1, then 2 -> 4 and 3 -> 4 at rate q3: species 4 shares no reaction
// with 1, and R(1, 4) is the sum of the second-generation terms through 2 and through 3.
double twoPathShare(double q1, double q3) {
  const double rcon = q1 / (q1 + q1 + static_cast<double>(1.0e-12f));
  const double term = q3 * rcon / (q3 + static_cast<double>(1.0e-13f));
  return term + term;
}

const std::vector<Reaction> kTwoPaths{{{{1, -1}, {2, 1}}, 1.0e-13, 0.0},
                                      {{{1, -1}, {3, 1}}, 1.0e-13, 0.0},
                                      {{{2, -1}, {4, 1}}, 1.0e-12, 0.0},
                                      {{{3, -1}, {4, 1}}, 1.0e-12, 0.0}};

const Reaction kOneToTwo{{{1, -1}, {2, 1}}, 1.0e-12, 0.0};

const HandCase kHandCases[] = {
    {"a repeated start species is kept and listed once",
     6,
     {kOneToTwo},
     {2, 5, 2},
     kInfinity,
     {2, 5}},
    {"a negative threshold keeps every species after the first pass",
     6,
     {kOneToTwo},
     {4},
     -1.0,
     {1, 2, 3, 4, 5, 6}},
    {"a coefficient equal to the threshold does not keep",
     2,
     {kOneToTwo},
     {1},
     directShare(1.0e-12),
     {1}},
    {"a coefficient just above the threshold keeps",
     2,
     {kOneToTwo},
     {1},
     std::nextafter(directShare(1.0e-12), 0.0),
     {1, 2}},
    {"the first-generation floor is 1.0e-12 in single precision", 2, {kOneToTwo}, {1}, 0.5, {1, 2}},
    {"a second-generation coefficient equal to the threshold does not keep",
     4,
     kTwoPaths,
     {1},
     twoPathShare(1.0e-13, 1.0e-12),
     {1}},
    {"second-generation terms add over the intermediates, with their own floor",
     4,
     kTwoPaths,
     {1},
     std::nextafter(twoPathShare(1.0e-13, 1.0e-12), 0.0),
     {1, 2, 3, 4}},
    {"equal forward and reverse rates link nothing",
     3,
     {{{{1, -1}, {2, 1}}, 5.0, 5.0}},
     {1},
     0.0,
     {1}},
    {"unequal forward and reverse rates link",
     3,
     {{{{1, -1}, {2, 1}}, 6.0, 5.0}},
     {1},
     0.0,
     {1, 2}},
    {"a species on both sides with equal coefficients is not linked",
     3,
     {{{{1, -1}, {2, 0}, {3, 1}}, 1.0, 0.0}},
     {1},
     0.0,
     {1, 3}},
    {"a species without reactions adds nothing, even with a threshold of zero",
     3,
     {kOneToTwo},
     {3},
     0.0,
     {3}},
    {"a NaN threshold keeps only the start species", 3, {kOneToTwo}, {1}, kNaN, {1}},
};

TEST(PathFluxSelect, HandWorkedCases) {
  for (const HandCase& c : kHandCases) {
    SCOPED_TRACE(c.behaviour);
    const auto reactionCount = static_cast<std::int32_t>(c.reactions.size());
    Matrix matrix(c.speciesCount, reactionCount, c.speciesCount + 2, reactionCount + 1,
                  c.speciesCount + 2);
    std::vector<double> forward(matrix.NR, 0.0);
    std::vector<double> reverse(matrix.NR, 0.0);
    for (std::int32_t i = 1; i <= reactionCount; ++i) {
      for (const auto& [k, nu] : c.reactions[i - 1].nu) matrix.nu(k, i) = nu;
      forward[i - 1] = c.reactions[i - 1].forward;
      reverse[i - 1] = c.reactions[i - 1].reverse;
    }
    AnalysisTables t = matrix.tables();
    const Selection s{3, 2, c.start, c.threshold};

    const Result fast = selectFast(t, s, forward, reverse);
    EXPECT_EQ(fast.keptCount, static_cast<std::int32_t>(c.kept.size()));
    EXPECT_EQ(keptRow(t, s, fast), c.kept);
    const Result literal = selectLiteral(t, s, forward, reverse);
    EXPECT_EQ(literal.keptCount, fast.keptCount);
    EXPECT_EQ(literal.list, fast.list);
    EXPECT_EQ(literal.flags, fast.flags);
  }
}

TEST(PathFluxSelect, WritesOnlyItsRowAndListsOnlyTheKept) {
  Matrix matrix(4, 1, 6, 2, 7);
  matrix.nu(1, 1) = -1;
  matrix.nu(3, 1) = 2;
  AnalysisTables t = matrix.tables();
  const std::vector<double> forward{2.0, 0.0};
  const std::vector<double> reverse{1.0, 0.0};

  const Selection kept{3, 3, {1}, 0.1};
  const Result r = selectFast(t, kept, forward, reverse);
  EXPECT_EQ(r.keptCount, 2);
  std::vector<std::int32_t> flags(3 * 6, kFlagSentinel);
  std::vector<std::int32_t> list(3 * 6, kListSentinel);
  std::copy_n(std::vector<std::int32_t>{-1, 0, -1, 0}.begin(), 4, flags.begin() + 12);
  std::copy_n(std::vector<std::int32_t>{1, 3}.begin(), 2, list.begin() + 12);
  EXPECT_EQ(r.flags, flags);
  EXPECT_EQ(r.list, list);

  // No start species: the flags row is cleared and the list row is left alone.
  const Selection none{3, 1, {}, 0.1};
  const Result empty = selectFast(t, none, forward, reverse);
  EXPECT_EQ(empty.keptCount, 0);
  std::vector<std::int32_t> clearedFlags(3 * 6, kFlagSentinel);
  std::fill_n(clearedFlags.begin(), 4, 0);
  EXPECT_EQ(empty.flags, clearedFlags);
  EXPECT_EQ(empty.list, std::vector<std::int32_t>(3 * 6, kListSentinel));
}

TEST(PathFluxSelect, ScratchOfAnotherMechanismStops) {
  AnalysisTables t = Matrix(2, 1, 4, 2, 4).tables();
  test_support::MemoryConsole console;
  std::int32_t keptCount = 0;
  std::vector<std::int32_t> flags(4), list(4);
  const std::vector<std::int32_t> start{1};
  EXPECT_THROW(
      analysis::PathFluxSelect(t.stoichDimension, t.NS, t.NR, 1, 1, {}, {}, 1.0e6, 1000.0, {}, 3, 1,
                               start, 0.1, t.StoichiometryMatrix, t.SpeciesReactionIndex, keptCount,
                               flags, list, t.scratch, console),
      common::Stop);
  EXPECT_NE(console.text().find("scratch"), std::string::npos);
  // The selection refuses tables too short for its row and start species it does not know.
  Selection beyond{1, 2, {1}, 0.1};
  EXPECT_THROW(selectFast(t, beyond, {}, {}), std::invalid_argument);
  Selection unknown{1, 1, {3}, 0.1};
  EXPECT_THROW(selectFast(t, unknown, std::vector<double>(2), std::vector<double>(2)),
               std::invalid_argument);
}

// ---------------------------------------------------------------------------------------------
// Random mechanisms and states, literal against fast.

Matrix randomMatrix(std::mt19937_64& rng) {
  auto uniform = [&](std::int32_t lo, std::int32_t hi) {
    return std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
  };
  const std::int32_t N = uniform(1, 28);
  const std::int32_t NS = N + uniform(0, 3);
  const std::int32_t reactionCount = uniform(0, 45);
  const std::int32_t NR = reactionCount + uniform(1, 3);
  Matrix t(N, reactionCount, NS, NR, NS + uniform(0, 2));
  // A few hub species take part in many reactions, as radicals do in real mechanisms.
  const std::int32_t hubs = std::min(t.N, uniform(0, 3));
  for (std::int32_t i = 1; i <= reactionCount; ++i) {
    const std::int32_t slots = uniform(1, 6);
    for (std::int32_t n = 0; n < slots; ++n) {
      const std::int32_t k = (hubs > 0 && uniform(0, 2) == 0) ? uniform(1, hubs) : uniform(1, t.N);
      // Coefficients may cancel: a species on both sides with equal coefficients has net 0.
      t.nu(k, i) += uniform(-3, 3);
    }
  }
  return t;
}

enum class RateKind { Moderate, Wide, NonFinite };

void randomRates(std::mt19937_64& rng, RateKind kind, std::int32_t reactionCount,
                 std::vector<double>& forward, std::vector<double>& reverse) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto magnitude = [&] {
    switch (kind) {
      case RateKind::Moderate:
        return std::pow(10.0, -14.0 + 18.0 * unit(rng));
      case RateKind::Wide:  // products and quotients underflow, subnormals included
        return std::pow(10.0, -322.0 + 330.0 * unit(rng));
      case RateKind::NonFinite: {
        const double pick = unit(rng);
        if (pick < 0.06) return kInfinity;
        if (pick < 0.12) return kNaN;
        if (pick < 0.20) return std::numeric_limits<double>::max() * unit(rng);
        return std::pow(10.0, -20.0 + 40.0 * unit(rng));
      }
    }
    return 0.0;
  };
  for (std::size_t i = 0; i < forward.size(); ++i) {
    if (static_cast<std::int32_t>(i) >= reactionCount) {
      forward[i] = reverse[i] = 12345.0;  // beyond the reactions: never read
      continue;
    }
    const double pick = unit(rng);
    if (pick < 0.12) {
      forward[i] = reverse[i] = 0.0;
    } else if (pick < 0.24) {
      forward[i] = reverse[i] = magnitude();
    } else if (pick < 0.34) {
      forward[i] = magnitude();
      reverse[i] = 0.0;
    } else {
      forward[i] = magnitude();
      reverse[i] = magnitude();
    }
  }
}

std::vector<std::int32_t> randomStart(std::mt19937_64& rng, std::int32_t N) {
  std::vector<std::int32_t> start(std::uniform_int_distribution<std::int32_t>(0, 4)(rng));
  for (auto& k : start) k = std::uniform_int_distribution<std::int32_t>(1, N)(rng);
  return start;
}

// Runs both selections on one mechanism for several states and thresholds, reusing one
// scratch throughout. Returns how many runs kept some but not all of the species.
int compareOnRandomMechanism(std::uint64_t seed, RateKind kind) {
  std::mt19937_64 rng(seed);
  const Matrix matrix = randomMatrix(rng);
  const std::int32_t reactionCount = matrix.reactionCount;
  AnalysisTables t = matrix.tables();
  std::vector<double> forward(t.NR), reverse(t.NR);
  int informative = 0;
  for (int state = 0; state < 3; ++state) {
    randomRates(rng, kind, reactionCount, forward, reverse);
    Selection s;
    s.caseNumber = std::uniform_int_distribution<std::int32_t>(1, s.caseDimension)(rng);
    s.start = randomStart(rng, t.KK);
    if (s.start.empty()) s.start.push_back(1);

    // Coefficients of the start species are evaluated whatever the threshold; ties on them
    // must not keep.
    // Thresholds near zero leave the error bounds of the estimates too wide to use.
    std::vector<double> thresholds{0.0,    -0.0,     -1.0,     0.05,     0.3,
                                   1.0e-9, 1.0e-302, 5.0e-320, kInfinity};
    std::vector<double> firstPass;
    s.threshold = kInfinity;
    selectLiteral(t, s, forward, reverse,
                  [&](std::int32_t, std::int32_t, double r) { firstPass.push_back(r); });
    std::shuffle(firstPass.begin(), firstPass.end(), rng);
    for (std::size_t i = 0; i < firstPass.size() && i < 4; ++i) {
      thresholds.push_back(firstPass[i]);
    }

    for (const double threshold : thresholds) {
      s.threshold = threshold;
      SCOPED_TRACE(testing::Message()
                   << "seed " << seed << " state " << state << " threshold " << threshold);
      const Result literal = selectLiteral(t, s, forward, reverse);
      const Result fast = selectFast(t, s, forward, reverse);
      EXPECT_EQ(fast.keptCount, literal.keptCount);
      EXPECT_EQ(fast.flags, literal.flags);
      EXPECT_EQ(fast.list, literal.list);
      if (literal.keptCount > static_cast<std::int32_t>(s.start.size()) &&
          literal.keptCount < t.KK) {
        ++informative;
      }
    }
    // No start species at all.
    const std::vector<std::int32_t> start = s.start;
    s.start.clear();
    const Result literal = selectLiteral(t, s, forward, reverse);
    const Result fast = selectFast(t, s, forward, reverse);
    EXPECT_EQ(fast.keptCount, 0);
    EXPECT_EQ(fast.flags, literal.flags);
    EXPECT_EQ(fast.list, literal.list);
    s.start = start;
  }
  return informative;
}

TEST(PathFluxSelect, RandomMechanismsKeepWhatTheLiteralSelectionKeeps) {
  struct Batch {
    const char* rates;
    RateKind kind;
    std::uint64_t firstSeed;
  };
  const Batch kBatches[] = {
      {"moderate rates", RateKind::Moderate, 1000},
      {"rates over the whole exponent range", RateKind::Wide, 2000},
      {"infinite, NaN and overflowing rates", RateKind::NonFinite, 3000},
  };
  for (const Batch& batch : kBatches) {
    SCOPED_TRACE(batch.rates);
    int informative = 0;
    for (std::uint64_t seed = batch.firstSeed; seed < batch.firstSeed + 150; ++seed) {
      informative += compareOnRandomMechanism(seed, batch.kind);
      if (HasFailure()) return;
    }
    // Guard against a generator that only ever keeps nothing or everything.
    EXPECT_GT(informative, 100);
  }
}

TEST(CriticalValues, RandomMechanismsDecideAsTheSelectionAtEveryThreshold) {
  for (const RateKind kind : {RateKind::Moderate, RateKind::Wide, RateKind::NonFinite}) {
    int informative = 0;
    for (std::uint64_t seed = 5000; seed < 5150; ++seed) {
      std::mt19937_64 rng(seed + 1000 * static_cast<std::uint64_t>(kind));
      const Matrix matrix = randomMatrix(rng);
      AnalysisTables t = matrix.tables();
      std::vector<double> forward(t.NR), reverse(t.NR);
      for (int state = 0; state < 3; ++state) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << " seed " << seed
                                        << " state " << state);
        randomRates(rng, kind, matrix.reactionCount, forward, reverse);
        const std::vector<std::int32_t> start = randomStart(rng, t.KK);
        const std::vector<double> full =
            expectCriticalValuesDecideAsTheSelection(t, start, forward, reverse);
        informative += std::count_if(full.begin(), full.end(),
                                     [](double c) { return c > 0.0 && c < kInfinity; }) > 1;
        if (HasFailure()) return;
      }
    }
    EXPECT_GT(informative, 100);
  }
  AnalysisTables t = Matrix(2, 1, 4, 2, 4).tables();
  const std::vector<double> rates(2, 0.0);
  const std::vector<std::int32_t> start{1};
  for (const double floor : {kNaN, kInfinity}) {
    EXPECT_THROW(criticalValues(t, start, rates, rates, floor), std::invalid_argument);
  }
}

// ---------------------------------------------------------------------------------------------
// Real mechanisms and case libraries.

struct LibraryCase {
  double pressure;
  double temperature;
  std::vector<double> moleFractions;
};

// The cases among the first `limit` case lines of a case library (those with KK + 7 values).
std::vector<LibraryCase> readCases(const std::string& path, std::int32_t KK, std::size_t limit) {
  std::vector<LibraryCase> cases;
  for (const std::vector<double>& values : test_support::ReadCaseLines(path, limit)) {
    if (values.size() != static_cast<std::size_t>(KK) + 7) continue;
    cases.push_back({values[1], values[6], {values.begin() + 7, values.end()}});
  }
  return cases;
}

// Every case of the library through PathFluxSelect, against the literal selection on the rates
// of the same state.
void compareOnLibrary(const std::string& folder, std::size_t caseLimit) {
  test_support::MemoryConsole console;
  kinetics::LoadedKinetics k =
      kinetics::LoadKineticsFile(test_support::SharedData(folder + "/chem.bin"), console);
  AnalysisTables t = analysis::BuildAnalysisTables(k.state, k.IKWORK);
  const std::int32_t KK = t.KK;

  const test_support::SelectionFile selection =
      test_support::ReadSelectionFile(test_support::SharedData(folder + "/selection.dat"));
  const std::vector<LibraryCase> cases =
      readCases(test_support::SharedData(folder + "/libdata.asc"), KK, caseLimit);
  ASSERT_EQ(cases.size(), caseLimit);

  Selection s{2000, 1, selection.start, selection.threshold};
  std::vector<double> massFractions(KK), forward(t.NR), reverse(t.NR);
  std::int32_t smallest = KK, largest = 0;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE(testing::Message() << folder << " case " << c + 1);
    ASSERT_TRUE(
        kinetics::MoleToMassFractions(cases[c].moleFractions, k.IKWORK, k.RKWORK, massFractions));
    s.caseNumber = static_cast<std::int32_t>(c % 2000) + 1;
    Result fast = blankResult(t, s);
    analysis::PathFluxSelect(t.stoichDimension, t.NS, t.NR, s.caseDimension, s.caseNumber, k.IKWORK,
                             k.RKWORK, cases[c].pressure, cases[c].temperature, massFractions, t.KK,
                             static_cast<std::int32_t>(s.start.size()), s.start, s.threshold,
                             t.StoichiometryMatrix, t.SpeciesReactionIndex, fast.keptCount,
                             fast.flags, fast.list, t.scratch, console);

    const double temperature = cases[c].temperature;
    const std::vector<double> temperatures(4, temperature);
    analysis::CaseRates(k.state, 4, cases[c].pressure, temperatures, massFractions, k.IKWORK,
                        k.RKWORK, forward, reverse, console);
    const Result literal = selectLiteral(t, s, forward, reverse);
    ASSERT_EQ(fast.keptCount, literal.keptCount);
    EXPECT_EQ(keptRow(t, s, fast), keptRow(t, s, literal));
    EXPECT_TRUE(std::equal(fast.flags.begin(), fast.flags.end(), literal.flags.begin()));
    smallest = std::min(smallest, fast.keptCount);
    largest = std::max(largest, fast.keptCount);
  }
  // The library exercises real growth, not only the start species or everything.
  EXPECT_GT(largest, static_cast<std::int32_t>(selection.start.size()));
  EXPECT_LT(smallest, KK);
}

// Critical values of the first `caseLimit` cases of a library against the fast selection.
void compareCriticalValuesOnLibrary(const std::string& folder, std::size_t caseLimit) {
  test_support::MemoryConsole console;
  kinetics::LoadedKinetics k =
      kinetics::LoadKineticsFile(test_support::SharedData(folder + "/chem.bin"), console);
  AnalysisTables t = analysis::BuildAnalysisTables(k.state, k.IKWORK);
  const test_support::SelectionFile selection =
      test_support::ReadSelectionFile(test_support::SharedData(folder + "/selection.dat"));
  const std::vector<LibraryCase> cases =
      readCases(test_support::SharedData(folder + "/libdata.asc"), t.KK, caseLimit);
  ASSERT_EQ(cases.size(), caseLimit);
  std::vector<double> massFractions(t.KK), forward(t.NR), reverse(t.NR), critical(t.KK);
  for (std::size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE(testing::Message() << folder << " case " << c + 1);
    ASSERT_TRUE(
        kinetics::MoleToMassFractions(cases[c].moleFractions, k.IKWORK, k.RKWORK, massFractions));
    const std::vector<double> temperatures(4, cases[c].temperature);
    analysis::CaseRates(k.state, 4, cases[c].pressure, temperatures, massFractions, k.IKWORK,
                        k.RKWORK, forward, reverse, console);
    const std::vector<double> full =
        expectCriticalValuesDecideAsTheSelection(t, selection.start, forward, reverse);
    // The driver's entry computes the same rates.
    analysis::CriticalValuesOfCase(k.state, k.IKWORK, k.RKWORK,
                                   {cases[c].pressure, cases[c].temperature, massFractions},
                                   selection.start, -kInfinity, t.scratch, critical, console);
    EXPECT_EQ(critical, full);
    if (testing::Test::HasFailure()) return;
  }
}

TEST(CriticalValues, EveryMethaneCaseAndFirstHeptaneCasesDecideAsTheSelection) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  compareCriticalValuesOnLibrary("gri30", 120);
#ifdef PATHFLUX_SANITIZED_BUILD
  compareCriticalValuesOnLibrary("llnl_nheptane_v2", 1);
#else
  compareCriticalValuesOnLibrary("llnl_nheptane_v2", 5);
#endif
}

TEST(PathFluxSelect, EveryMethaneCaseKeepsWhatTheLiteralSelectionKeeps) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  compareOnLibrary("gri30", 120);
}

// The literal selection takes seconds per n-heptane case, ten times that under the sanitizers.
TEST(PathFluxSelect, FirstHeptaneCasesKeepWhatTheLiteralSelectionKeeps) {
  PATHFLUX_REQUIRE_SHARED_DATA();
#ifdef PATHFLUX_SANITIZED_BUILD
  compareOnLibrary("llnl_nheptane_v2", 1);
#else
  compareOnLibrary("llnl_nheptane_v2", 5);
#endif
}

}  // namespace
