// Acceptance against linking files written independently from the same published mechanisms:
// both files are loaded with the analysis' own reader and compared section by section.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/console.h"
#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"
#include "kinetics/work_arrays.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"
#include "vordane_support.h"

namespace vordane {
namespace {

using test_support::SharedData;

struct Loaded {
  kinetics::LoadedKinetics arrays;
  kinetics::KineticsState state;

  std::span<const std::int32_t> integers(std::int64_t start, std::int64_t length) const {
    return std::span<const std::int32_t>(arrays.IKWORK)
        .subspan(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length));
  }
  std::span<const double> reals(std::int64_t start, std::int64_t length) const {
    return std::span<const double>(arrays.RKWORK)
        .subspan(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length));
  }
  std::int32_t integer(std::int64_t start, std::int64_t j) const {
    return arrays.IKWORK[static_cast<std::size_t>(start + j - 2)];
  }
  double real(std::int64_t start, std::int64_t j) const {
    return arrays.RKWORK[static_cast<std::size_t>(start + j - 2)];
  }
};

Loaded Load(const std::string& path) {
  test_support::MemoryConsole console;
  Loaded loaded;
  loaded.arrays = kinetics::LoadKineticsFile(path, console);
  loaded.state = kinetics::CurrentKineticsState();
  return loaded;
}

bool Close(double a, double b) {
  return a == b || std::abs(a - b) <= 1e-12 * std::max(std::abs(a), std::abs(b));
}

void ExpectSameIntegers(std::span<const std::int32_t> mine, std::span<const std::int32_t> theirs,
                        const char* section) {
  ASSERT_EQ(mine.size(), theirs.size()) << section;
  for (std::size_t i = 0; i < mine.size(); ++i) {
    ASSERT_EQ(mine[i], theirs[i]) << section << " entry " << i + 1;
  }
}

void ExpectSameReals(std::span<const double> mine, std::span<const double> theirs,
                     const char* section) {
  ASSERT_EQ(mine.size(), theirs.size()) << section;
  for (std::size_t i = 0; i < mine.size(); ++i) {
    ASSERT_TRUE(Close(mine[i], theirs[i]))
        << section << " entry " << i + 1 << ": " << mine[i] << " vs " << theirs[i];
  }
}

std::vector<std::int32_t> CountsList(const kinetics::KineticsCounts& c) {
  return {c.ElementCount,
          c.KK,
          c.ReactionCount,
          c.MaxReactionSpecies,
          c.MaxThirdBodies,
          c.MaxTemperatures,
          c.CpCoefficientCount,
          c.RateParameterCount,
          c.LandauTellerParameterCount,
          c.FallOffParameterCount,
          c.ReverseReactionCount,
          c.FallOffReactionCount,
          c.ThirdBodyReactionCount,
          c.LandauTellerReactionCount,
          c.ReverseLandauTellerReactionCount,
          c.WavelengthReactionCount,
          c.ElectronImpactReactionCount,
          c.JanevParameterCount,
          c.JanevReactionCount,
          c.FitParameterCount,
          c.FitReactionCount,
          c.ExcitationReactionCount,
          c.RealStoichReactionCount,
          c.OrderReactionCount,
          c.MaxOrderSpecies};
}

// The element and species sections, which do not depend on the reactions.
void ExpectSameElementsAndSpecies(const Loaded& mine, const Loaded& theirs) {
  const auto& c = mine.state.counts;
  const auto& a = mine.state.layout;
  const auto& b = theirs.state.layout;
  const std::int64_t kk = c.KK;
  ExpectSameIntegers(mine.integers(a.integer.ElementComposition, c.ElementCount * kk),
                     theirs.integers(b.integer.ElementComposition, c.ElementCount * kk),
                     "ElementComposition");
  ExpectSameIntegers(mine.integers(a.integer.SpeciesIntA, 3 * kk),
                     theirs.integers(b.integer.SpeciesIntA, 3 * kk),
                     "SpeciesIntA, SpeciesIntB, TemperatureCount");
  ExpectSameReals(mine.reals(a.real.AtomicWeights, c.ElementCount),
                  theirs.reals(b.real.AtomicWeights, c.ElementCount), "AtomicWeights");
  ExpectSameReals(mine.reals(a.real.MolecularWeights, kk),
                  theirs.reals(b.real.MolecularWeights, kk), "MolecularWeights");
  ExpectSameReals(mine.reals(a.real.TemperatureBounds, c.MaxTemperatures * kk),
                  theirs.reals(b.real.TemperatureBounds, c.MaxTemperatures * kk),
                  "TemperatureBounds");
  const std::int64_t perSpecies = mine.state.CoefficientsPerSpecies;
  ExpectSameReals(mine.reals(a.real.ThermoCoefficients, perSpecies * kk),
                  theirs.reals(b.real.ThermoCoefficients, perSpecies * kk), "ThermoCoefficients");
  ASSERT_EQ(mine.arrays.SKWORK, theirs.arrays.SKWORK) << "element and species names";
}

TEST(VordaneReference, GriMechMatchesTheIndependentLinkingFile) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  test_support::ScratchFolder folder;
  const ConversionReport report =
      ConvertFiles(SharedData("gri30/gri30.inp"), SharedData("gri30/gri30_thermo.dat"),
                   folder.path("chem.bin"), folder.path("chem.out"));
  ASSERT_TRUE(report.success) << test_support::ReadText(folder.path("chem.out"));
  EXPECT_EQ(report.elements, 5);
  EXPECT_EQ(report.species, 53);
  EXPECT_EQ(report.reactions, 325);

  const Loaded mine = Load(folder.path("chem.bin"));
  const Loaded theirs = Load(SharedData("gri30/chem.bin"));
  ASSERT_EQ(CountsList(mine.state.counts), CountsList(theirs.state.counts));
  EXPECT_EQ(mine.state.RequiredIntLength, theirs.state.RequiredIntLength);
  EXPECT_EQ(mine.state.RequiredRealLength, theirs.state.RequiredRealLength);
  EXPECT_EQ(mine.state.RequiredCharLength, theirs.state.RequiredCharLength);
  ExpectSameElementsAndSpecies(mine, theirs);

  // Equal counts give equal layouts: every other section compares entry by entry, from the
  // stoichiometry to the order species, and from the rate parameters to the gas constants.
  const auto& integer = mine.state.layout.integer;
  ExpectSameIntegers(
      mine.integers(integer.StoichCoefficients, integer.OrderSpecies - integer.StoichCoefficients),
      theirs.integers(integer.StoichCoefficients,
                      integer.OrderSpecies - integer.StoichCoefficients),
      "reaction integer sections");
  const auto& real = mine.state.layout.real;
  ExpectSameReals(
      mine.reals(real.RateParameters, real.ForwardRateCoefficients - real.RateParameters),
      theirs.reals(real.RateParameters, real.ForwardRateCoefficients - real.RateParameters),
      "reaction real sections");
}

// A reaction as a comparable whole: the slot contents as reactant and product sets.
struct ReactionView {
  std::int32_t speciesCount = 0;
  std::int32_t auxCount = 0;
  std::vector<double> rate;
  std::set<std::pair<int, int>> reactants;
  std::set<std::pair<int, int>> products;
};

ReactionView ReactionOf(const Loaded& file, std::int32_t i) {
  const auto& s = file.state;
  const std::int32_t slots = s.counts.MaxReactionSpecies;
  const std::int32_t stride = s.counts.RateParameterCount + 1;
  ReactionView view;
  view.speciesCount = file.integer(s.layout.integer.ReactionSpeciesCount, i);
  view.auxCount = file.integer(s.layout.integer.ReactionAuxCount, i);
  for (std::int32_t j = 1; j <= s.counts.RateParameterCount; ++j) {
    view.rate.push_back(file.real(s.layout.real.RateParameters, (i - 1) * stride + j));
  }
  for (std::int32_t slot = 1; slot <= slots; ++slot) {
    const std::int32_t species =
        file.integer(s.layout.integer.StoichSpecies, (i - 1) * slots + slot);
    const std::int32_t coefficient =
        file.integer(s.layout.integer.StoichCoefficients, (i - 1) * slots + slot);
    if (species == 0) continue;
    (slot <= slots / 2 ? view.reactants : view.products).insert({species, coefficient});
  }
  return view;
}

TEST(VordaneReference, HeptaneMatchesTheIndependentFileApartFromItsMissingReaction) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  constexpr std::int32_t kLeftOut = 1852;  // four products: no room in six slots
  test_support::ScratchFolder folder;
  const ConversionReport report = ConvertFiles(SharedData("llnl_nheptane_v2/chem.inp"),
                                               SharedData("llnl_nheptane_v2/thermo.dat"),
                                               folder.path("chem.bin"), folder.path("chem.out"));
  ASSERT_TRUE(report.success) << test_support::ReadText(folder.path("chem.out"));
  EXPECT_EQ(report.reactions, 2539);

  const Loaded mine = Load(folder.path("chem.bin"));
  const Loaded theirs = Load(SharedData("llnl_nheptane_v2/chem.bin"));
  auto ours = CountsList(mine.state.counts);
  auto other = CountsList(theirs.state.counts);
  EXPECT_EQ(mine.state.counts.MaxReactionSpecies, 8);
  EXPECT_EQ(mine.state.counts.ReactionCount, theirs.state.counts.ReactionCount + 1);
  ours[2] = other[2] = 0;  // ReactionCount
  ours[3] = other[3] = 0;  // MaxReactionSpecies
  EXPECT_EQ(ours, other);
  ExpectSameElementsAndSpecies(mine, theirs);

  const auto theirNumber = [](std::int32_t i) { return i > kLeftOut ? i - 1 : i; };
  const ReactionView leftOut = ReactionOf(mine, kLeftOut);
  EXPECT_EQ(leftOut.products.size(), 4u);
  EXPECT_EQ(leftOut.speciesCount, -5);
  for (std::int32_t i = 1; i <= mine.state.counts.ReactionCount; ++i) {
    if (i == kLeftOut) continue;
    const ReactionView a = ReactionOf(mine, i);
    const ReactionView b = ReactionOf(theirs, theirNumber(i));
    ASSERT_EQ(a.speciesCount, b.speciesCount) << "reaction " << i;
    ASSERT_EQ(a.auxCount, b.auxCount) << "reaction " << i;
    ASSERT_EQ(a.reactants, b.reactants) << "reaction " << i;
    ASSERT_EQ(a.products, b.products) << "reaction " << i;
    ExpectSameReals(a.rate, b.rate, "RateParameters");
  }

  // The per-reaction lists: reaction numbers shifted past the left-out one, values equal.
  const auto& sa = mine.state;
  const auto& sb = theirs.state;
  const std::int32_t rateStride = sa.counts.RateParameterCount + 1;
  for (std::int32_t n = 1; n <= sa.counts.ReverseReactionCount; ++n) {
    ASSERT_EQ(theirNumber(mine.integer(sa.layout.integer.ReverseReactions, n)),
              theirs.integer(sb.layout.integer.ReverseReactions, n))
        << "reverse entry " << n;
    ExpectSameReals(mine.reals(sa.layout.real.ReverseParameters + (n - 1) * rateStride, 3),
                    theirs.reals(sb.layout.real.ReverseParameters + (n - 1) * rateStride, 3),
                    "ReverseParameters");
  }
  const std::int32_t fallOffStride = sa.counts.FallOffParameterCount;
  for (std::int32_t n = 1; n <= sa.counts.FallOffReactionCount; ++n) {
    ASSERT_EQ(theirNumber(mine.integer(sa.layout.integer.FallOffReactions, n)),
              theirs.integer(sb.layout.integer.FallOffReactions, n));
    ASSERT_EQ(mine.integer(sa.layout.integer.FallOffForm, n),
              theirs.integer(sb.layout.integer.FallOffForm, n));
    ASSERT_EQ(mine.integer(sa.layout.integer.FallOffThirdBody, n),
              theirs.integer(sb.layout.integer.FallOffThirdBody, n));
    ExpectSameReals(
        mine.reals(sa.layout.real.FallOffParameters + (n - 1) * fallOffStride, fallOffStride),
        theirs.reals(sb.layout.real.FallOffParameters + (n - 1) * fallOffStride, fallOffStride),
        "FallOffParameters");
  }
  const std::int32_t bodies = sa.counts.MaxThirdBodies;
  for (std::int32_t n = 1; n <= sa.counts.ThirdBodyReactionCount; ++n) {
    ASSERT_EQ(theirNumber(mine.integer(sa.layout.integer.ThirdBodyReactions, n)),
              theirs.integer(sb.layout.integer.ThirdBodyReactions, n));
    ASSERT_EQ(mine.integer(sa.layout.integer.ThirdBodyCount, n),
              theirs.integer(sb.layout.integer.ThirdBodyCount, n));
    ExpectSameIntegers(
        mine.integers(sa.layout.integer.ThirdBodySpecies + (n - 1) * bodies, bodies),
        theirs.integers(sb.layout.integer.ThirdBodySpecies + (n - 1) * bodies, bodies),
        "ThirdBodySpecies");
    ExpectSameReals(mine.reals(sa.layout.real.ThirdBodyEfficiencies + (n - 1) * bodies, bodies),
                    theirs.reals(sb.layout.real.ThirdBodyEfficiencies + (n - 1) * bodies, bodies),
                    "ThirdBodyEfficiencies");
  }
}

// Files that state the same rate constants in different units give the same parameters; the
// only differences come from the gas constant of the work arrays, which is 7.6e-6 relative
// away from the one those files were written with.
TEST(VordaneReference, UnitVariantsGiveTheSameRateParameters) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const std::string folderPath = SharedData("keyword_tests/synthetic/");
  const std::string thermo = SharedData("gri30/gri30_thermo.dat");
  struct Case {
    const char* file;
    double tolerance;
  };
  const Case kCases[] = {
      {"units_explicit_cal_moles.inp", 0.0}, {"units_kcal.inp", 0.0},
      {"units_joules.inp", 1e-14},           {"units_kjoules.inp", 1e-14},
      {"units_kelvins.inp", 1e-5},           {"units_evolts.inp", 1e-5},
      {"units_molecules.inp", 1e-9},         {"units_molecules_kjoules_reordered.inp", 1e-9},
  };
  test_support::ScratchFolder folder;
  ASSERT_TRUE(ConvertFiles(folderPath + "units_default_cal_moles.inp", thermo,
                           folder.path("base.bin"), folder.path("base.out"))
                  .success);
  const Loaded base = Load(folder.path("base.bin"));
  const auto& sb = base.state;
  const std::int64_t rateLength = sb.layout.real.ReverseParameters - sb.layout.real.RateParameters;
  const std::int64_t fallOffLength =
      sb.layout.real.ThirdBodyEfficiencies - sb.layout.real.FallOffParameters;
  for (const Case& c : kCases) {
    ASSERT_TRUE(ConvertFiles(folderPath + c.file, thermo, folder.path("variant.bin"),
                             folder.path("variant.out"))
                    .success)
        << c.file << test_support::ReadText(folder.path("variant.out"));
    const Loaded variant = Load(folder.path("variant.bin"));
    const auto& sv = variant.state;
    ASSERT_EQ(CountsList(sv.counts), CountsList(sb.counts)) << c.file;
    const auto compare = [&](std::span<const double> a, std::span<const double> b) {
      for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_LE(std::abs(a[i] - b[i]), c.tolerance * std::max(std::abs(a[i]), std::abs(b[i])))
            << c.file << " entry " << i + 1 << ": " << a[i] << " vs " << b[i];
      }
    };
    compare(variant.reals(sv.layout.real.RateParameters, rateLength),
            base.reals(sb.layout.real.RateParameters, rateLength));
    compare(variant.reals(sv.layout.real.FallOffParameters, fallOffLength),
            base.reals(sb.layout.real.FallOffParameters, fallOffLength));
  }
}

}  // namespace
}  // namespace vordane
