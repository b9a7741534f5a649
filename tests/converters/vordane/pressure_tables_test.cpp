// Published mechanisms with pressure tables and Chebyshev fits, converted and evaluated by the
// rate kernel: the rate constants of those reactions against the oracle of tests/support at a
// grid of states, and the same file read as a reader that stops after record 17 reads it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/core/rate_kernel.h"
#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"
#include "support/memory_console.h"
#include "support/pressure_rate_oracle.h"
#include "support/record_files.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"
#include "vordane_support.h"

namespace vordane {
namespace {

using test_support::SharedData;

struct Published {
  const char* name;
  const char* mechanism;
  const char* thermo;  // "" when the mechanism carries it
};

kinetics::LinkMechanism Convert(const Published& p) {
  const SourceText mechanism{p.mechanism, test_support::ReadText(SharedData(p.mechanism))};
  const SourceText thermo{p.thermo, *p.thermo ? test_support::ReadText(SharedData(p.thermo)) : ""};
  Interpretation result = Interpret(mechanism, *p.thermo ? &thermo : nullptr);
  EXPECT_TRUE(result.ok()) << p.name << "\n" << result.listing;
  return result.mechanism;
}

std::string Write(const std::string& name, const kinetics::LinkMechanism& m) {
  const std::string path = test_support::ScratchPath(name);
  std::string error;
  EXPECT_TRUE(kinetics::WriteKineticsLink(path, m, error)) << error;
  return path;
}

// The forward rate constants of every reaction at T (K) and P (atm), as the kernel leaves them.
std::vector<double> RateConstants(const kinetics::LoadedKinetics& loaded, double T, double P) {
  const kinetics::KineticsState& state = loaded.state;
  std::vector<std::int32_t> IKWORK = loaded.IKWORK;
  std::vector<double> RKWORK = loaded.RKWORK;
  const auto reactions = static_cast<std::size_t>(state.counts.ReactionCount);
  std::vector<double> forward(reactions), reverse(reactions);
  const std::vector<double> massFractions(static_cast<std::size_t>(state.counts.KK),
                                          1.0 / state.counts.KK);
  const std::vector<double> temperatures{T, T};
  test_support::MemoryConsole console;
  try {
    analysis::CaseRates(state, 2, P * kinetics::kStandardPressure, temperatures, massFractions,
                        IKWORK, RKWORK, forward, reverse, console);
  } catch (const common::Stop& stop) {
    ADD_FAILURE() << stop.reason() << console.text();
    return {};
  }
  // Reactions without third body and multiplier keep k in its section.
  const auto start = static_cast<std::size_t>(state.layout.real.ForwardRateCoefficients - 1);
  return {RKWORK.begin() + static_cast<std::ptrdiff_t>(start),
          RKWORK.begin() + static_cast<std::ptrdiff_t>(start + reactions)};
}

TEST(VordanePressureTables, PublishedTablesAgreeWithTheirDefinitions) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const Published files[] = {
      {"keyword test", "keyword_tests/cantera/pdep-test.inp", ""},
      {"CRECK NH3", "corpus/creck_nh3/chem.dat", "corpus/creck_nh3/therm.dat"},
      {"Glarborg 2018", "corpus/glarborg2018/mech.dat", "corpus/glarborg2018/thermo.dat"},
  };
  const double temperatures[] = {300.0, 650.0, 1000.0, 1500.0, 2200.0, 3200.0};
  const double pressures[] = {0.0005, 0.01, 0.3, 1.0, 4.5, 60.0, 500.0};  // atm
  for (const Published& p : files) {
    SCOPED_TRACE(p.name);
    const kinetics::LinkMechanism m = Convert(p);
    ASSERT_FALSE(m.pressureTables.empty());
    test_support::MemoryConsole console;
    const kinetics::LoadedKinetics loaded =
        kinetics::LoadKineticsFile(Write("tables.bin", m), console);
    for (const double T : temperatures) {
      for (const double P : pressures) {
        const std::vector<double> k = RateConstants(loaded, T, P);
        const auto expect = [&](std::int32_t reaction, double oracle) {
          const double got = k[static_cast<std::size_t>(reaction - 1)];
          EXPECT_LE(std::abs(got - oracle), 1e-12 * std::abs(oracle))
              << "reaction " << reaction << " at " << T << " K, " << P << " atm: " << got
              << " against " << oracle;
        };
        for (const auto& table : m.pressureTables) {
          expect(table.reaction, test_support::TableRateOracle(table, P, T));
        }
        for (const auto& fit : m.chebyshev) {
          expect(fit.reaction, test_support::ChebyshevRateOracle(fit, P, T));
        }
      }
    }
  }
}

// A reader that stops after the last record the counts give sees the rates at one atmosphere
// in record 5: exact for a table with a single row at 1 atm (or beyond its end), fitted for the
// rest.
TEST(VordanePressureTables, ReadersThatStopAtRecord17GetTheRateAtOneAtmosphere) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const kinetics::LinkMechanism m =
      Convert({"keyword test", "keyword_tests/cantera/pdep-test.inp", ""});
  const std::string full = Write("full.bin", m);
  std::vector<test_support::Payload> records = test_support::ReadRecords(full);
  records.pop_back();
  const std::string plain =
      test_support::WriteRecords(test_support::ScratchPath("plain.bin"), records);
  test_support::MemoryConsole console;
  const kinetics::LoadedKinetics withTables = kinetics::LoadKineticsFile(full, console);
  const kinetics::LoadedKinetics withoutTables = kinetics::LoadKineticsFile(plain, console);
  ASSERT_EQ(withoutTables.state.tables.PressureTableReactionCount, 0);
  const std::int32_t exact[] = {1, 3, 4};  // single rows at 1 atm, or a single row in all
  for (const double T : {400.0, 1000.0, 2000.0}) {
    const std::vector<double> tabulated = RateConstants(withTables, T, 1.0);
    const std::vector<double> reference = RateConstants(withoutTables, T, 1.0);
    for (const std::int32_t i : exact) {
      const auto at = static_cast<std::size_t>(i - 1);
      EXPECT_LE(std::abs(reference[at] - tabulated[at]), 1e-12 * tabulated[at])
          << "reaction " << i << " at " << T << " K";
    }
    for (std::size_t at = 0; at < reference.size(); ++at) {
      EXPECT_GT(reference[at], 0.0) << "reaction " << at + 1;
      EXPECT_TRUE(std::isfinite(reference[at])) << "reaction " << at + 1;
    }
  }
}

// What the pressure-table record stores of each form, in the units of record 5: rows sorted by
// pressure, E in the reaction's units made E/R, A per molecule made per mole with the order of
// the limit (HIGH: one less than the reaction's), a Chebyshev fit's log10 k shifted likewise.
TEST(VordanePressureTables, EachFormIsStoredInTheUnitsOfRecord5) {
  constexpr double kAvogadro = 6.02214076e23;
  constexpr double kCalories = 1.9872155831739962;
  const Interpretation result = Interpret(
      {"inline", fixture::Mechanism("H+O2<=>HO2 1.0 0.0 0.0\n UNITS / KCAL /\n"
                                    " PLOG / 10.0 3.0E12 0.5 2.0 /\n PLOG / 0.1 1.0E12 0.0 1.0 /\n"
                                    "H+OH(+M)<=>H2O(+M) 1.0 0.0 0.0\n UNITS / MOLEC /\n"
                                    " TCHEB / 300 2000 / PCHEB / 0.01 100 / CHEB / 1 1 -10.0 /\n"
                                    "O+OH(+M)<=>HO2(+M) 2.0E-30 0.0 0.0\n UNITS / MOLEC /\n"
                                    " HIGH / 3.0E-11 0.0 0.0 / TROE / 0.5 100 1000 /\n"
                                    " H2O / 5.0 /\n")},
      nullptr);
  ASSERT_TRUE(result.ok()) << result.listing;
  const kinetics::LinkMechanism& m = result.mechanism;
  ASSERT_EQ(m.pressureTables.size(), 1u);
  const auto& rows = m.pressureTables[0].rows;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].pressure, 0.1);
  EXPECT_EQ(rows[0].rate[2], 1000.0 / kCalories);
  EXPECT_EQ(rows[1].rate[0], 3.0e12);
  ASSERT_EQ(m.chebyshev.size(), 1u);
  EXPECT_NEAR(m.chebyshev[0].coefficients[0], -10.0 + std::log10(kAvogadro), 1e-12);
  ASSERT_EQ(m.activated.size(), 1u);
  const kinetics::LinkActivated& high = m.activated[0];
  EXPECT_EQ(high.form, 3);
  EXPECT_NEAR(high.values[0], 2.0e-30 * kAvogadro, 1e-12 * 2.0e-30 * kAvogadro);
  EXPECT_EQ(high.high[0], 3.0e-11);  // order 1: nothing to scale
  EXPECT_EQ(high.species, std::vector<std::int32_t>{6});
  // Neither a fall-off nor a third-body entry: readers without the record see 1-atm rates.
  EXPECT_TRUE(m.fallOff.empty());
  EXPECT_TRUE(m.thirdBody.empty());
  // Between two single rows the 1-atm form is exact: the geometric mean here.
  EXPECT_NEAR(m.reactions[0].rateParameters[0], std::sqrt(3.0e24), 1e-9 * std::sqrt(3.0e24));
  EXPECT_NEAR(m.reactions[0].rateParameters[1], 0.25, 1e-15);
}

}  // namespace
}  // namespace vordane
