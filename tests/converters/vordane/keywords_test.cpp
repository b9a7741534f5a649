// What each keyword of the mechanism format puts into the linking-file records, on small
// mechanisms whose expected records are worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "converters/vordane/vordane.h"
#include "vordane_support.h"

namespace vordane {
namespace {

using fixture::Mechanism;

constexpr double kCal = 1.9872155831739962;
constexpr double kJoule = 8.31451;
constexpr double kAvogadro = 6.02214076e23;

Interpretation Convert(const std::string& text) {
  return Interpret({"test.inp", text}, nullptr);
}

std::string Messages(const Interpretation& result) {
  std::string text;
  for (const auto& d : result.diagnostics) text += FormatDiagnostic(d) + "\n";
  return text;
}

void ExpectClose(const std::vector<double>& actual, const std::vector<double>& expected,
                 const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(actual[i], expected[i], 1e-13 * std::abs(expected[i])) << what << " entry " << i;
  }
}

using Slots = std::vector<std::pair<int, int>>;  // coefficient, species

Slots SlotsOf(const kinetics::LinkReaction& reaction) {
  Slots slots;
  for (const auto& slot : reaction.slots) slots.emplace_back(slot.coefficient, slot.species);
  return slots;
}

TEST(VordaneReactions, SlotsAndCountsFollowTheEquation) {
  struct Case {
    const char* behaviour;
    const char* reaction;
    int speciesCount;
    int auxCount;
    Slots slots;
    bool thirdBody;
  };
  const Case kCases[] = {
      {"a repeated product takes one slot with the summed coefficient",
       "H2+O2<=>OH+OH 1.0E13 0.5 1000.0",
       3,
       2,
       {{-1, 4}, {-1, 5}, {0, 0}, {2, 3}, {0, 0}, {0, 0}},
       false},
      {"+M is a third-body reaction; => is irreversible",
       "2O+M=>O2+M 1.2E17 -1.0 0.0",
       -2,
       1,
       {{-2, 2}, {0, 0}, {0, 0}, {1, 5}, {0, 0}, {0, 0}},
       true},
      {"an explicit collider is an ordinary participant on both sides",
       "H+H+H2O<=>H2+H2O 6.0E19 -1.25 0.0",
       4,
       2,
       {{-2, 1}, {-1, 6}, {0, 0}, {1, 4}, {1, 6}, {0, 0}},
       false},
      {"a species on both sides keeps a reactant and a product slot",
       "H2O2+OH=OH+OH+OH 1.0E13 0.0 0.0",
       3,
       2,
       {{-1, 8}, {-1, 3}, {0, 0}, {3, 3}, {0, 0}, {0, 0}},
       false},
      {"names ending in '+' split at the right '+'",
       "AR++AR=>AR++AR 1.0E-9 0.0 0.0",
       -4,
       2,
       {{-1, 12}, {-1, 9}, {0, 0}, {1, 12}, {1, 9}, {0, 0}},
       false},
      {"mixed-case names are names as written",
       "iH2+O<=>OH+H 1.0E13 0.0 0.0",
       4,
       2,
       {{-1, 13}, {-1, 2}, {0, 0}, {1, 3}, {1, 1}, {0, 0}},
       false},
      {"blanks inside the equation do not matter",
       "2 H + O2 = H2O2   1.0E13 0.0 0.0",
       3,
       2,
       {{-2, 1}, {-1, 5}, {0, 0}, {1, 8}, {0, 0}, {0, 0}},
       false},
  };
  for (const Case& c : kCases) {
    const Interpretation result = Convert(Mechanism(std::string(c.reaction) + "\n"));
    ASSERT_TRUE(result.ok()) << c.behaviour << "\n" << Messages(result);
    const auto& link = result.mechanism;
    ASSERT_EQ(link.reactions.size(), 1u) << c.behaviour;
    EXPECT_EQ(link.reactions[0].speciesCount, c.speciesCount) << c.behaviour;
    EXPECT_EQ(link.reactions[0].auxCount, c.auxCount) << c.behaviour;
    EXPECT_EQ(SlotsOf(link.reactions[0]), c.slots) << c.behaviour;
    EXPECT_EQ(link.thirdBody.size(), c.thirdBody ? 1u : 0u) << c.behaviour;
  }
}

TEST(VordaneReactions, FourDistinctProductsWidenEveryReactionToEightSlots) {
  const Interpretation result =
      Convert(Mechanism("H2O2+H2O=>H+OH+O+H2O 1.0E10 0.0 0.0\nH2+O2<=>OH+OH 1.0E13 0.0 0.0\n"));
  ASSERT_TRUE(result.ok()) << Messages(result);
  const auto& link = result.mechanism;
  EXPECT_EQ(link.MaxReactionSpecies, 8);
  EXPECT_EQ(SlotsOf(link.reactions[0]),
            (Slots{{-1, 8}, {-1, 6}, {0, 0}, {0, 0}, {1, 1}, {1, 3}, {1, 2}, {1, 6}}));
  EXPECT_EQ(link.reactions[0].speciesCount, -6);
  // Reactants stay in the first half of every reaction.
  EXPECT_EQ(SlotsOf(link.reactions[1]),
            (Slots{{-1, 4}, {-1, 5}, {0, 0}, {0, 0}, {2, 3}, {0, 0}, {0, 0}, {0, 0}}));
}

TEST(VordaneReactions, UnitsConvertToMolesCentimetresAndKelvin) {
  struct Case {
    const char* reactionLine;
    const char* reaction;
    double a;
    double energyOverR;
  };
  const Case kCases[] = {
      {"REACTIONS", "O+H2<=>H+OH 3.87E4 2.7 6260.0", 3.87e4, 6260.0 / kCal},
      {"REACTIONS CAL/MOLE MOLES", "O+H2<=>H+OH 3.87E4 2.7 6260.0", 3.87e4, 6260.0 / kCal},
      {"reactions kcal/mole", "O+H2<=>H+OH 3.87E4 2.7 6.26", 3.87e4, 6260.0 / kCal},
      {"REACTIONS JOULES/MOLE", "O+H2<=>H+OH 3.87E4 2.7 26191.8", 3.87e4, 26191.8 / kJoule},
      {"REACTIONS KJOULES/MOLE", "O+H2<=>H+OH 3.87E4 2.7 26.1918", 3.87e4, 26191.8 / kJoule},
      {"REACTIONS KELVINS", "O+H2<=>H+OH 3.87E4 2.7 3150.0", 3.87e4, 3150.0},
      {"REACTIONS KJOU/MOL KELVIN", "O+H2<=>H+OH 3.87E4 2.7 3150.0", 3.87e4, 3150.0},
      {"REACTIONS KJOU/MOL", "O+H2<=>H+OH 3.87E4 2.7 26.1918", 3.87e4, 26191.8 / kJoule},
      {"REACTIONS EVOLTS", "O+H2<=>H+OH 3.87E4 2.7 0.5", 3.87e4,
       0.5 * 1.602176634e-19 / 1.380649e-23},
      {"REACTIONS MOLECULES", "O+H2<=>H+OH 1.0E-11 0.0 0.0", 1.0e-11 * kAvogadro, 0.0},
      {"REACTIONS MOLECULES KELVINS", "O+O+M<=>O2+M 1.0E-33 0.0 100.0",
       1.0e-33 * kAvogadro * kAvogadro, 100.0},
      {"REACTIONS KELVINS MOLECULES", "O+O+M<=>O2+M 1.0E-33 0.0 100.0",
       1.0e-33 * kAvogadro * kAvogadro, 100.0},
      {"REACTIONS", "O+H2<=>H+OH 3.87E4 2.7 26191.8\n UNITS / JOULES/MOLE /", 3.87e4,
       26191.8 / kJoule},
      {"REACTIONS KELVINS", "O+H2<=>H+OH 1.0E-11 2.7 1000.0\n UNITS / CAL/MOL MOLECULES /",
       1.0e-11 * kAvogadro, 1000.0 / kCal},
  };
  for (const Case& c : kCases) {
    const Interpretation result =
        Convert(Mechanism(std::string(c.reaction) + "\n", c.reactionLine));
    ASSERT_TRUE(result.ok()) << c.reactionLine << "\n" << Messages(result);
    EXPECT_EQ(result.warningCount(), 0) << c.reactionLine;
    const auto& rate = result.mechanism.reactions.at(0).rateParameters;
    ExpectClose(rate, {c.a, rate[1], c.energyOverR}, c.reactionLine);
  }
}

TEST(VordaneReactions, FallOffFormsAndTheirThirdBodies) {
  const double lowE = 48749.0 / kCal;
  struct Case {
    const char* behaviour;
    const char* reaction;
    int form;
    int thirdBody;
    std::vector<double> values;
    bool listedAsThirdBody;
  };
  const Case kCases[] = {
      {"Lindemann",
       "H2O2(+M)<=>2OH(+M) 2.0E12 0.9 48749.0\n LOW / 2.49E24 -2.3 48749.0 /\n",
       1,
       0,
       {2.49e24, -2.3, lowE, 0, 0, 0, 0, 0},
       true},
      {"Troe with three parameters, blanks inside (+ M )",
       "H + O2 (+ M ) <=> HO2 (+M) 4.65E12 0.44 0.0\n low/6.366E20 -1.72 524.8/\n"
       " troe/0.5 1.0E-30 1.0E+30/\n",
       3,
       0,
       {6.366e20, -1.72, 524.8 / kCal, 0.5, 1e-30, 1e30, 0, 0},
       true},
      {"Troe with four parameters",
       "H+O2(+M)<=>HO2(+M) 4.65E12 0.44 0.0\n LOW/3.8E22 -2.0 0.0/ TROE/0.8 100.0 1000.0 5000.0/\n",
       4,
       0,
       {3.8e22, -2.0, 0.0, 0.8, 100.0, 1000.0, 5000.0, 0},
       true},
      {"SRI with three parameters gets d = 1 and e = 0",
       "H2O2(+M)<=>2OH(+M) 2.0E12 0.9 48749.0\n LOW / 2.49E24 -2.3 48749.0 /\n"
       " SRI / 0.54 201.0 1024.0 /\n",
       2,
       0,
       {2.49e24, -2.3, lowE, 0.54, 201.0, 1024.0, 1.0, 0.0},
       true},
      {"SRI with five parameters",
       "O+O(+M)<=>O2(+M) 1.0E13 0.0 0.0\n LOW / 1.2E17 -1.0 0.0 /\n"
       " SRI / 1.1 700.0 1234.0 56.0 0.7 /\n",
       2,
       0,
       {1.2e17, -1.0, 0.0, 1.1, 700.0, 1234.0, 56.0, 0.7},
       true},
      {"a named fall-off third body is that species and no third-body reaction",
       "H+O2(+AR)<=>HO2(+AR) 4.65E12 0.44 0.0\n LOW / 9.04E19 -1.5 490.4 /\n",
       1,
       9,
       {9.04e19, -1.5, 490.4 / kCal, 0, 0, 0, 0, 0},
       false},
  };
  for (const Case& c : kCases) {
    const Interpretation result = Convert(Mechanism(c.reaction));
    ASSERT_TRUE(result.ok()) << c.behaviour << "\n" << Messages(result);
    const auto& link = result.mechanism;
    ASSERT_EQ(link.fallOff.size(), 1u) << c.behaviour;
    EXPECT_EQ(link.fallOff[0].reaction, 1) << c.behaviour;
    EXPECT_EQ(link.fallOff[0].form, c.form) << c.behaviour;
    EXPECT_EQ(link.fallOff[0].thirdBody, c.thirdBody) << c.behaviour;
    ExpectClose(link.fallOff[0].values, c.values, c.behaviour);
    EXPECT_EQ(link.thirdBody.size(), c.listedAsThirdBody ? 1u : 0u) << c.behaviour;
  }
}

TEST(VordaneReactions, EfficienciesGoToTheThirdBodyRecordInInputOrder) {
  const Interpretation result =
      Convert(Mechanism("O+H+M<=>OH+M 5.0E17 -1.0 0.0\n H2O/6.0/ H2/ 2.0/  AR/.7/\n"
                        "H2O2(+M)<=>2OH(+M) 2.0E12 0.9 48749.0\n LOW / 2.49E24 -2.3 48749.0 /\n"
                        " H2O/7.5/ N2/1.5/\n"));
  ASSERT_TRUE(result.ok()) << Messages(result);
  const auto& link = result.mechanism;
  ASSERT_EQ(link.thirdBody.size(), 2u);
  EXPECT_EQ(link.thirdBody[0].reaction, 1);
  EXPECT_EQ(link.thirdBody[0].species, (std::vector<int>{6, 4, 9}));
  EXPECT_EQ(link.thirdBody[0].efficiencies, (std::vector<double>{6.0, 2.0, 0.7}));
  EXPECT_EQ(link.thirdBody[1].reaction, 2);
  EXPECT_EQ(link.thirdBody[1].species, (std::vector<int>{6, 10}));
  EXPECT_EQ(link.MaxThirdBodies, 3);
}

TEST(VordaneReactions, ReverseAndLandauTellerParameters) {
  const Interpretation result = Convert(Mechanism(
      "O2+AR=>O+O+AR 1.8E18 -1.0 118000.0\n LT / 43.2 -3.3 /\n"
      "O2+N2<=>O+O+N2 1.8E18 -1.0 118000.0\n LT/43.2 -3.3/ REV/1.0E17 -1.0 100.0/ RLT/20.0 -1.5/\n"
      "O+H2<=>H+OH 3.87E4 2.7 6260.0\n REV / 0.0 0.0 0.0 /\n"));
  ASSERT_TRUE(result.ok()) << Messages(result);
  const auto& link = result.mechanism;
  ASSERT_EQ(link.landauTeller.size(), 2u);
  EXPECT_EQ(link.landauTeller[0].reaction, 1);
  EXPECT_EQ(link.landauTeller[1].values, (std::vector<double>{43.2, -3.3}));
  ASSERT_EQ(link.reverseLandauTeller.size(), 1u);
  EXPECT_EQ(link.reverseLandauTeller[0].reaction, 2);
  EXPECT_EQ(link.reverseLandauTeller[0].values, (std::vector<double>{20.0, -1.5}));
  // A reverse rate of zero leaves no reverse entry and makes the reaction irreversible.
  ASSERT_EQ(link.reverse.size(), 1u);
  EXPECT_EQ(link.reverse[0].reaction, 2);
  ExpectClose(link.reverse[0].values, {1.0e17, -1.0, 100.0 / kCal}, "REV");
  EXPECT_EQ(link.reactions[1].speciesCount, 4);
  EXPECT_EQ(link.reactions[2].speciesCount, -4);
}

TEST(VordaneReactions, PhotonsAndPlasmaKeywords) {
  const Interpretation result = Convert(Mechanism(
      "H2O2+HV=>OH+OH 1.0E-5 0.0 0.0\n HV / 248.0 /\n"
      "E+AR=>E+E+AR+ 2.3E-14 0.68 1.82E5\n TDEP/E/ EXCI/15.76/\n"
      " JAN / -3.27 1.42 -0.53 0.11 -1.5E-2 1.2E-3 -5.0E-5 1.0E-6 -1.0E-8 /\n"
      "E+AR=>E+AR 1.0E-7 0.0 0.0\n TDEP / E /\n FIT1 / 1.0E3 -2.0E5 1.0E7 -1.0E9 /\n MOME\n"
      "AR++AR=>AR++AR 1.0E-9 0.0 0.0\n XSMI\n",
      "REACTIONS MOLECULES KELVINS"));
  ASSERT_TRUE(result.ok()) << Messages(result);
  EXPECT_EQ(result.warningCount(), 2);  // MOME and XSMI have no record
  EXPECT_EQ(result.mechanism.reactions.size(), 4u);
  const auto& link = result.mechanism;
  ASSERT_EQ(link.wavelength.size(), 1u);
  EXPECT_EQ(link.wavelength[0].reaction, 1);
  EXPECT_EQ(link.wavelength[0].values, (std::vector<double>{248.0}));
  // The photon takes no slot.
  EXPECT_EQ(link.reactions[0].speciesCount, -2);
  ASSERT_EQ(link.electronImpact.size(), 2u);
  EXPECT_EQ(link.electronImpact[0].reaction, 2);
  EXPECT_EQ(link.electronImpact[0].temperatureIndex, 2);
  EXPECT_EQ(link.electronImpact[1].reaction, 3);
  ASSERT_EQ(link.excitation.size(), 1u);
  EXPECT_EQ(link.excitation[0].values, (std::vector<double>{15.76}));
  ASSERT_EQ(link.janev.size(), 1u);
  EXPECT_EQ(link.janev[0].values, (std::vector<double>{-3.27, 1.42, -0.53, 0.11, -1.5e-2, 1.2e-3,
                                                       -5.0e-5, 1.0e-6, -1.0e-8}));
  ASSERT_EQ(link.fit.size(), 1u);
  EXPECT_EQ(link.fit[0].reaction, 3);
  EXPECT_EQ(link.fit[0].values, (std::vector<double>{1.0e3, -2.0e5, 1.0e7, -1.0e9}));
  // E and AR+ carry charge.
  EXPECT_EQ(link.species[10].charge, -1);
  EXPECT_EQ(link.species[11].charge, 1);
  EXPECT_EQ(link.IgnoredCount, 2);
}

TEST(VordaneReactions, OrderRecordsHoldEveryParticipantAndTheOverrides) {
  const Interpretation result = Convert(Mechanism(
      "2H2+O2<=>2H2O 1.0E13 0.0 30000.0\n FORD / H2 1.0 /\n FORD / O2 0.5 /\n RORD / H2O 1.5 /\n"
      "H2+O2=>OH+OH 1.0E13 0.0 0.0\n FORD/O2 1.3/ FORD/AR 0.2/\n"));
  ASSERT_TRUE(result.ok()) << Messages(result);
  EXPECT_EQ(result.warningCount(), 1);  // AR is no reactant
  const auto& link = result.mechanism;
  ASSERT_EQ(link.order.size(), 2u);
  EXPECT_EQ(link.order[0].reaction, 1);
  EXPECT_EQ(link.order[0].species, (std::vector<int>{-4, -5, 6}));
  EXPECT_EQ(link.order[0].values, (std::vector<double>{1.0, 0.5, 1.5}));
  EXPECT_EQ(link.order[1].species, (std::vector<int>{-4, -5, 3, -9}));
  EXPECT_EQ(link.order[1].values, (std::vector<double>{1.0, 1.3, 2.0, 0.2}));
  EXPECT_EQ(link.MaxOrderSpecies, 4);
}

TEST(VordaneReactions, RealCoefficientsGoToTheRealCoefficientRecord) {
  const Interpretation result =
      Convert(Mechanism("1.5H2+0.5O2=>H2O+0.5H2 1.0E10 0.0 20000.0\nH2+O2<=>OH+OH 1.0 0.0 0.0\n"));
  ASSERT_TRUE(result.ok()) << Messages(result);
  const auto& link = result.mechanism;
  ASSERT_EQ(link.realStoich.size(), 1u);
  EXPECT_EQ(link.realStoich[0].reaction, 1);
  EXPECT_EQ(link.realStoich[0].values, (std::vector<double>{-1.5, -0.5, 0, 1.0, 0.5, 0}));
  // The integer slots round away from zero and never drop to an empty coefficient.
  EXPECT_EQ(SlotsOf(link.reactions[0]), (Slots{{-2, 4}, {-1, 5}, {0, 0}, {1, 6}, {1, 4}, {0, 0}}));
}

TEST(VordaneReactions, DeclaredDuplicatesAreAccepted) {
  const Interpretation result =
      Convert(Mechanism("HO2+HO2<=>O2+H2O2 1.3E11 0.0 -1630.0\n DUP\n"
                        "HO2+HO2<=>O2+H2O2 4.2E14 0.0 12000.0\n DUPLICATE\n"
                        // Written the other way round, still the same reaction.
                        "O2+H2O2<=>HO2+HO2 1.0E10 0.0 0.0\n dup\n"
                        // Same species as a +M reaction: a different reaction.
                        "H+O2<=>HO2 1.0E12 0.0 0.0\nH+O2+M<=>HO2+M 1.0E12 0.0 0.0\n"));
  EXPECT_TRUE(result.ok()) << Messages(result);
  EXPECT_EQ(result.mechanism.reactions.size(), 5u);
}

TEST(VordaneSpecies, ThermoRangesWeightsAndElements) {
  // Continuous at 1000 K: cp/R 3.5 from both, h and s matched through a6 and a7.
  const fixture::Coefficients low = {3.5, 0.0, 0.0, 0.0, 0.0, -1000.0, 4.0};
  const fixture::Coefficients high = {
      3.0, 0.0005, 0.0, 0.0, 0.0, -750.0, 4.0 + 0.5 * std::log(1000.0) - 0.5};
  const std::string text =
      "ELEM H O\n D / 2.5 / X/7.0/ END\nSPECIES H2O HDO XO END\nTHERMO\n"
      "   300.000  1000.000  5000.000\n" +
      fixture::ThermoEntry("H2O", {{"H", 2}, {"O", 1}}, low, high) +
      fixture::ThermoEntry("HDO", {{"H", 1}, {"D", 1}, {"O", 1}}) +
      fixture::ThermoEntry("XO", {{"X", 1}, {"O", 1}}, low, high, 200.0, 1382.0, 3500.0) +
      "END\nREACTIONS\nEND\n";
  const Interpretation result = Convert(text);
  ASSERT_TRUE(result.ok()) << Messages(result);
  const auto& link = result.mechanism;
  ASSERT_EQ(link.elements.size(), 4u);
  EXPECT_EQ(link.elements[0].name, "H");
  EXPECT_EQ(link.elements[0].atomicWeight, 1.008);
  EXPECT_EQ(link.elements[1].atomicWeight, 15.999);
  EXPECT_EQ(link.elements[2].atomicWeight, 2.5);  // the user weight replaces the built-in one
  EXPECT_EQ(link.elements[3].atomicWeight, 7.0);
  const auto& water = link.species[0];
  EXPECT_EQ(water.composition, (std::vector<int>{2, 1, 0, 0}));
  EXPECT_DOUBLE_EQ(water.molecularWeight, 2 * 1.008 + 15.999);
  EXPECT_EQ(water.temperatureCount, 3);
  EXPECT_EQ(water.temperatureBounds, (std::vector<double>{300.0, 1000.0, 5000.0}));
  ASSERT_EQ(water.coefficients.size(), 14u);
  EXPECT_EQ(water.coefficients[0], 3.5);  // range 1 is the low range
  EXPECT_EQ(water.coefficients[7], 3.0);  // range 2 the high one
  EXPECT_EQ(water.coefficients[12], -750.0);
  // Identical ranges make one range that closes at the high temperature.
  EXPECT_EQ(link.species[1].temperatureCount, 2);
  EXPECT_EQ(link.species[1].temperatureBounds, (std::vector<double>{300.0, 5000.0, 5000.0}));
  EXPECT_DOUBLE_EQ(link.species[1].molecularWeight, 1.008 + 2.5 + 15.999);
  EXPECT_EQ(link.species[2].temperatureBounds, (std::vector<double>{200.0, 1382.0, 3500.0}));
}

TEST(VordaneSpecies, TheCommonTemperatureMaySpillPastColumn73) {
  std::string entry = fixture::ThermoEntry("H2", {{"H", 2}});
  // Columns 66-75 hold "  1382.000", as some published thermo files write it.
  entry.replace(65, 10, "  1382.000");
  const Interpretation result =
      Convert("ELEMENTS H END\nSPECIES H2 END\nTHERMO\n 300. 1000. 5000.\n" + entry + "END\n");
  ASSERT_TRUE(result.ok()) << Messages(result);
  EXPECT_EQ(result.mechanism.species[0].temperatureCount, 2);
  const auto withRanges = fixture::ThermoEntry("H2", {{"H", 2}}, fixture::kFlat,
                                               {3.5, 0.0, 0.0, 0.0, 0.0, -1000.0, 4.00001});
  std::string spilled = withRanges;
  spilled.replace(65, 10, "  1382.000");
  const Interpretation second =
      Convert("ELEMENTS H END\nSPECIES H2 END\nTHERMO\n 300. 1000. 5000.\n" + spilled + "END\n");
  ASSERT_TRUE(second.ok()) << Messages(second);
  EXPECT_EQ(second.mechanism.species[0].temperatureBounds[1], 1382.0);
}

TEST(VordaneSpecies, MechanismThermoGoesBeforeTheThermoFile) {
  const std::string mechanism =
      "ELEMENTS H O END\nSPECIES H O H2\nEND\nTHERMO\n" +
      fixture::ThermoEntry("H", {{"H", 1}}, {2.5, 0, 0, 0, 0, 25000.0, 1.0},
                           {2.5, 0, 0, 0, 0, 25000.0, 1.0}) +
      "END\nREACTIONS\nH+H<=>H2 1.0 0.0 0.0\nEND\n";
  const SourceText thermo{"therm.dat", "THERMO ALL\n   300.000  1000.000  5000.000\n" +
                                           fixture::ThermoEntry("H", {{"H", 1}}) +
                                           fixture::ThermoEntry("O", {{"O", 1}}) +
                                           fixture::ThermoEntry("H2", {{"H", 2}}) + "END\n"};
  const Interpretation result = Interpret({"test.inp", mechanism}, &thermo);
  ASSERT_TRUE(result.ok()) << Messages(result);
  EXPECT_EQ(result.warningCount(), 0);
  EXPECT_EQ(result.mechanism.species[0].coefficients[5], 25000.0);
  EXPECT_EQ(result.mechanism.species[1].coefficients[5], -1000.0);
  // THERMO ALL in the mechanism: the thermo file is not read at all.
  const std::string all = "ELEMENTS H END\nSPECIES H END\nTHERMO ALL\n 300 1000 5000\n" +
                          fixture::ThermoEntry("H", {{"H", 1}}) + "END\n";
  const SourceText broken{"therm.dat", "garbage that is not thermo\n"};
  EXPECT_TRUE(Interpret({"test.inp", all}, &broken).ok());
}

// Thermo files as researchers publish them: each variation gives the same water entry as the
// tidy form, with a warning only where the file is really odd; a broken entry is one error.
TEST(VordaneSpecies, PublishedThermoVariationsAreRead) {
  const fixture::Coefficients low = {3.5, 0.0, 0.0, 0.0, 0.0, -1000.0, 4.0};
  const fixture::Coefficients high = {
      3.0, 0.0005, 0.0, 0.0, 0.0, -750.0, 4.0 + 0.5 * std::log(1000.0) - 0.5};
  const std::string tidy =
      fixture::ThermoEntry("H2O", {{"H", 2}, {"O", 1}}, low, high, 200.0, 1000.0, 3500.0);
  const std::string other = fixture::ThermoEntry("H2O", {{"H", 2}, {"O", 1}});
  // Columns of the entry's line (1-4) replaced by `text`.
  const auto edited = [&tidy](std::vector<std::tuple<int, int, std::string>> edits) {
    std::string entry = tidy;
    for (const auto& [line, column, text] : edits) {
      entry.replace(static_cast<std::size_t>((line - 1) * 81 + column - 1), text.size(), text);
    }
    return entry;
  };
  std::string shifted = tidy;  // line 1 from column 45 on moved one column left
  shifted.erase(43, 1).insert(78, " ");
  std::string broken = edited({{2, 31, "    1.0E+ 01   "}, {3, 1, " -0.7500000 E03"}});
  const std::string header = "THERMO ALL\n   300.000  1000.000  5000.000\n";
  struct Case {
    const char* behaviour;
    std::string thermo;
    int errors;
    int warnings;
    const char* message;
    std::string appendix;
  };
  const std::string repeats =
      "APPENDIX: SPECIES WITH MORE THAN ONE THERMO ENTRY (the first is used)\n  therm.dat\n"
      "    H2O              line 3 used; lines 7, 11 ignored\n";
  const Case kCases[] = {
      {"the tidy entry", header + tidy + "END\n", 0, 0, "", ""},
      {"zero counts behind any name, counts written as reals",
       header + edited({{1, 25, "H  2.O 1.00   000  0"}}) + "END\n", 0, 0, "", ""},
      {"line 1 shifted one column left: phase letter in column 44", header + shifted + "END\n", 0,
       1, "therm.dat:3: warning: thermo of H2O: phase letter in column 44 instead of 45; line 1",
       ""},
      {"a blank for the exponent's sign, a D exponent",
       header + edited({{2, 1, " 0.30000000E 01 5.00000000D-04"}, {3, 1, "-0.75000000E 03"}}) +
           "END\n",
       0, 0, "", ""},
      {"a second header with its temperatures before the entry",
       header + "! appended file\nTHERMO\n 250 1000 4000\n" + tidy + "END\n", 0, 1,
       "therm.dat:4: warning: THERMO header (with its temperature line) inside the thermo data",
       ""},
      {"notes and entries after END", header + tidy + "END\nnotes: " + other + broken + other, 0, 0,
       "", ""},
      {"one summary for the repeated entries", header + tidy + other + broken + "END\n", 0, 1,
       "therm.dat:7: warning: 1 species has more than one entry in therm.dat; the first is used; "
       "see the appendix",
       repeats},
      // Really broken: a blank inside the number, an entry cut short by END.
      {"a refused entry is one error, its reaction unchecked",
       header + broken + fixture::ThermoEntry("H2", {{"H", 2}}).substr(0, 162) + "END\n", 2, 0,
       "therm.dat:4: error: malformed number '1.0E+ 01' in the thermo of H2O", ""},
  };
  // O2 and, unless the case expects errors, H2 have their thermo in the mechanism: the file is
  // read for H2O (and H2).
  for (const Case& c : kCases) {
    const std::string mechanism =
        "ELEMENTS H O END\nSPECIES H2O H2 O2 END\nTHERMO\n" +
        fixture::ThermoEntry("O2", {{"O", 2}}) +
        (c.errors == 0 ? fixture::ThermoEntry("H2", {{"H", 2}}) : std::string()) +
        "END\nREACTIONS\n2H2+O2=>2H2O 1.0 0.0 0.0\nEND\n";
    const SourceText thermo{"therm.dat", c.thermo};
    const Interpretation result = Interpret({"test.inp", mechanism}, &thermo);
    EXPECT_EQ(result.errorCount(), c.errors) << c.behaviour << "\n" << Messages(result);
    EXPECT_EQ(result.warningCount(), c.warnings) << c.behaviour << "\n" << Messages(result);
    EXPECT_NE(Messages(result).find(c.message), std::string::npos) << c.behaviour << "\n"
                                                                   << Messages(result);
    EXPECT_EQ(result.appendix, c.appendix) << c.behaviour;
    if (c.errors != 0) continue;
    const auto& water = result.mechanism.species[0];
    EXPECT_EQ(water.composition, (std::vector<int>{2, 1})) << c.behaviour;
    EXPECT_EQ(water.temperatureBounds, (std::vector<double>{200.0, 1000.0, 3500.0})) << c.behaviour;
    std::vector<double> expected(low.begin(), low.end());
    expected.insert(expected.end(), high.begin(), high.end());
    EXPECT_EQ(water.coefficients.size(), expected.size()) << c.behaviour;
    for (std::size_t i = 0; i < expected.size() && i < water.coefficients.size(); ++i) {
      EXPECT_NEAR(water.coefficients[i], expected[i], 1e-8 * std::abs(expected[i]))
          << c.behaviour << ", coefficient " << i;
    }
  }
}

TEST(VordaneSpecies, UntidyInputIsAccepted) {
  struct Case {
    const char* behaviour;
    std::string text;
    int warnings;
  };
  const std::string thermo = "THERMO\n 300 1000 5000\n" + fixture::ThermoEntry("H", {{"H", 1}}) +
                             fixture::ThermoEntry("H2", {{"H", 2}});
  const Case kCases[] = {
      {"a species declared twice is kept once",
       "ELEMENTS H END\nSPECIES H H2 H END\n" + thermo + "END\nREAC\nH+H=>H2 1 0 0\nEND\n", 1},
      {"a second thermo entry: the first one wins",
       "ELEMENTS H END\nSPECIES H H2 END\n" + thermo +
           fixture::ThermoEntry("H", {{"H", 1}}, {9, 0, 0, 0, 0, 0, 0}, {9, 0, 0, 0, 0, 0, 0}) +
           "END\nREACTIONS\nH+H=>H2 1 0 0\nEND\n",
       1},
      {"CR LF line ends, tabs and Latin-1 bytes in comments",
       "ELEMENTS H END\r\nSPECIES H H2 END ! caf\xe9\r\n" + thermo +
           "END\r\nreactions\t! \xe9t\xe9\r\nH+H=>H2\t1 0 0 ! \x96 dash\r\nend\r\n",
       0},
      {"keywords abbreviated and in lower case, elements on one line",
       "elem h end\nspeci h h2\nend\n" + std::string("thermo\n 300 1000 5000\n") +
           fixture::ThermoEntry("h", {{"H", 1}}) + fixture::ThermoEntry("h2", {{"h", 2}}) +
           "end\nreac\nh+h=>h2 1 0 0\nend\n",
       0},
  };
  for (const Case& c : kCases) {
    const Interpretation result = Convert(c.text);
    ASSERT_TRUE(result.ok()) << c.behaviour << "\n" << Messages(result);
    EXPECT_EQ(result.warningCount(), c.warnings) << c.behaviour << "\n" << Messages(result);
    ASSERT_EQ(result.mechanism.species.size(), 2u) << c.behaviour;
    EXPECT_EQ(result.mechanism.reactions.size(), 1u) << c.behaviour;
    EXPECT_EQ(result.mechanism.species[0].coefficients[0], 3.5) << c.behaviour;
  }
}

TEST(VordaneSpecies, BuiltInAtomicWeights) {
  struct Case {
    const char* element;
    double weight;
  };
  const Case kCases[] = {
      {"H", 1.008},     {"c", 12.011}, {"N", 14.007},        {"O", 15.999},           {"Ar", 39.95},
      {"HE", 4.002602}, {"CL", 35.45}, {"D", 2.01410177812}, {"E", 5.48579909065e-4},
  };
  for (const Case& c : kCases) {
    const Interpretation result =
        Convert("ELEMENTS " + std::string(c.element) + " END\nSPECIES\nEND\n");
    ASSERT_EQ(result.mechanism.elements.size(), 1u) << c.element;
    EXPECT_EQ(result.mechanism.elements[0].atomicWeight, c.weight) << c.element;
  }
}

}  // namespace
}  // namespace vordane
