// Variations that published mechanisms carry: each is read as its plain form would be (the
// linking files are identical), with a warning only where the text is really odd, and what is
// really broken is one error, not an avalanche.
#include <gtest/gtest.h>

#include <string>

#include "converters/vordane/vordane.h"
#include "support/scratch_folder.h"
#include "vordane_support.h"

namespace vordane {
namespace {

using fixture::Mechanism;

// H2 and a lumped H3, for fractional coefficients.
std::string Lumped(const std::string& reaction) {
  return "ELEMENTS H END\nSPECIES H2 H3 END\nTHERMO\n 300 1000 5000\n" +
         fixture::ThermoEntry("H2", {{"H", 2}}) + fixture::ThermoEntry("H3", {{"H", 3}}) +
         "END\nREACTIONS\n" + reaction + "\nEND\n";
}

struct Case {
  const char* behaviour;
  std::string text;
  std::string plain;    // the same mechanism as it is usually written; empty: none
  const char* message;  // the one message expected; empty: none
  int errors;
};

std::vector<Case> Cases() {
  const std::string falloff = " LOW / 1.0E16 0.0 0.0 /\n";
  const std::string efficiencies = "H2O / 6.0 / H2 / 2.5 /\n";
  return {
      {"fall-off third body after the first reactant",
       Mechanism("H(+M)+O2<=>HO2(+M) 1.0E12 0.0 0.0\n" + falloff),
       Mechanism("H+O2(+M)<=>HO2(+M) 1.0E12 0.0 0.0\n" + falloff),
       "warning: fall-off third body written inside a side", 0},
      {"commas between auxiliary parameters",
       Mechanism("H+O2(+M)<=>HO2(+M) 1.0E12 0.0 0.0\n" + falloff +
                 " TROE / 0.5, 100.0, 1000.0 /\n"),
       Mechanism("H+O2(+M)<=>HO2(+M) 1.0E12 0.0 0.0\n" + falloff + " TROE / 0.5 100.0 1000.0 /\n"),
       "", 0},
      {"last efficiency not closed before a comment",
       Mechanism("H+O2+M<=>HO2+M 1.0E12 0.0 0.0\nH2O / 6.0 / H2 / 2.5 ! note\n"),
       Mechanism("H+O2+M<=>HO2+M 1.0E12 0.0 0.0\n" + efficiencies),
       "warning: efficiency of H2 not closed by '/'", 0},
      {"notes after the final END",
       Mechanism("H+O2<=>HO2 1.0E12 0.0 0.0\n") + "References\n 1. Smith, J. (1999)\nH2 H2O\n",
       Mechanism("H+O2<=>HO2 1.0E12 0.0 0.0\n"), "", 0},
      {"coefficients rounded to seven digits", Lumped("H3=>1.499999H2 1.0 0.0 0.0"), "", "", 0},
      {"coefficients rounded to four digits", Lumped("H3=>1.4999H2 1.0 0.0 0.0"), "",
       "warning: element balance (H) of reaction 1 H3=>1.4999H2 holds only to 3.3e-05", 0},
      {"a real imbalance", Lumped("H3=>1.49H2 1.0 0.0 0.0"), "",
       "error: element imbalance (H) in reaction 1", 1},
      {"two elements out of balance: one error", Mechanism("H2+O2<=>OH 1.0 0.0 0.0\n"), "",
       "error: element imbalance (H, O) in reaction 1", 1},
      {"efficiencies on a reaction without M, on several lines",
       Mechanism("H+O2<=>HO2 1.0E12 0.0 0.0\n" + efficiencies + efficiencies), "",
       "error: third-body efficiencies on reaction 1, which has no M", 1},
      {"a pressure table of several lines",
       Mechanism("H+O2<=>HO2 1.0E12 0.0 0.0\n PLOG / 0.1 1.0E12 0.0 0.0 /\n"
                 " PLOG / 1.0 1.0E13 0.0 0.0 /\n PLOG / 10.0 1.0E14 0.0 0.0 /\n"),
       "", "", 0},
      {"a broken pressure table: one error",
       Mechanism("H+O2+M<=>HO2+M 1.0E12 0.0 0.0\n PLOG / 0 1.0E12 0.0 0.0 /\n"
                 " PLOG / -1.0 1.0E13 0.0 0.0 /\n"),
       "", "error: PLOG pressure 0 is not positive", 1},
      {"transport data inline",
       Mechanism("H+O2<=>HO2 1.0E12 0.0 0.0\n") +
           "TRANSPORT\nH2 1 38.000 2.920 0.000 0.790 280.000\nEND\n",
       Mechanism("H+O2<=>HO2 1.0E12 0.0 0.0\n"), "", 0},
  };
}

TEST(VordaneTolerantReading, VariantsReadAsTheirPlainForm) {
  for (const Case& c : Cases()) {
    test_support::ScratchFolder folder;
    const ConversionReport report = ConvertFiles(folder.write("chem.inp", c.text), "",
                                                 folder.path("chem.bin"), folder.path("chem.out"));
    const std::string listing = test_support::ReadText(folder.path("chem.out"));
    EXPECT_EQ(report.errors, c.errors) << c.behaviour << "\n" << listing;
    EXPECT_EQ(report.errors + report.warnings, *c.message ? 1 : 0) << c.behaviour << "\n"
                                                                   << listing;
    if (*c.message) {
      EXPECT_NE(listing.find(c.message), std::string::npos) << c.behaviour;
    }
    if (c.plain.empty()) continue;
    ASSERT_TRUE(ConvertFiles(folder.write("plain.inp", c.plain), "", folder.path("plain.bin"),
                             folder.path("plain.out"))
                    .success)
        << c.behaviour;
    EXPECT_EQ(test_support::ReadText(folder.path("chem.bin")),
              test_support::ReadText(folder.path("plain.bin")))
        << c.behaviour;
  }
}

}  // namespace
}  // namespace vordane
