// Errors and warnings: each reaches the listing with its file and line, and an error leaves a
// linking file whose error flag makes the analysis refuse it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/console.h"
#include "common/record_file.h"
#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"
#include "vordane_support.h"

namespace vordane {
namespace {

using fixture::Mechanism;

// The line of the first reaction in Mechanism(): the section line is the one before it.
int FirstReactionLine() {
  const std::string empty = Mechanism("");
  return static_cast<int>(std::count(empty.begin(), empty.end(), '\n'));
}

std::string ThermoOf(const std::string& name, const fixture::Composition& composition) {
  return fixture::ThermoEntry(name, composition);
}

// The mechanism of a thermo test: species H and H2 with the given thermo lines.
std::string HydrogenWith(const std::string& thermoEntries) {
  return "ELEMENTS H END\nSPECIES H H2 END\nTHERMO\n 300 1000 5000\n" + thermoEntries +
         "END\nREACTIONS\nH+H=>H2 1.0 0.0 0.0\nEND\n";
}

bool ErrorFlagOf(const std::string& path) {
  common::RecordReader reader;
  if (!reader.open(path) || reader.next() != common::RecordStatus::Ok) return false;
  common::FieldReader fields(reader.payload());
  std::string version;
  std::string precision;
  bool flag = false;
  fields.readName(version);
  fields.readName(precision);
  fields.readLogical(flag);
  return fields.ok() && flag;
}

struct Case {
  const char* behaviour;
  std::string mechanism;
  int line;  // relative to the first reaction line when `inReactions`
  bool inReactions;
  const char* message;
  Severity severity;
};

std::vector<Case> Cases() {
  const int r = 0;
  std::string badComposition = ThermoOf("H2", {{"H", 2}});
  badComposition.replace(24, 10, "C 1250H 8");
  std::string badCoefficient = ThermoOf("H2", {{"H", 2}});
  badCoefficient.replace(81 + 15, 15, " 2.5000000+000 ");
  // A coefficient line given twice: the entry is out of step from its third line on.
  std::string outOfStep = ThermoOf("H2", {{"H", 2}});
  outOfStep.insert(81, outOfStep.substr(81, 81));
  // Phase letters on both sides of a blank column 45: the shift cannot be told.
  std::string bothShifts = ThermoOf("H2", {{"H", 2}});
  bothShifts.replace(43, 3, "G G");
  const fixture::Coefficients jump = {4.5, 0.0, 0.0, 0.0, 0.0, -1000.0, 4.0};
  return {
      {"unknown element", "ELEMENTS H XQ END\nSPECIES H END\n", 1, false,
       "error: unknown element XQ", Severity::Error},
      {"unknown species in an equation", Mechanism("H+XY<=>OH 1.0 0.0 0.0\n"), r, true,
       "error: unknown species 'XY'", Severity::Error},
      {"unknown species as fall-off third body",
       Mechanism("H+O2(+XY)<=>HO2(+XY) 1.0 0.0 0.0\n LOW/1.0 0.0 0.0/\n"), r, true,
       "error: unknown fall-off third body 'XY'", Severity::Error},
      {"unknown species as efficiency", Mechanism("H+O+M<=>OH+M 1.0 0.0 0.0\n XY/2.0/\n"), r + 1,
       true, "error: unknown species or keyword 'XY'", Severity::Error},
      {"a name too long for the linking file", "ELEMENTS H END\nSPECIES\nH H23456789ABCDEFGH END\n",
       3, false, "error: species name H23456789ABCDEFGH longer than 16 characters",
       Severity::Error},
      {"missing thermo", HydrogenWith(ThermoOf("H", {{"H", 1}})), 2, false,
       "error: missing thermo for species H2", Severity::Error},
      {"element imbalance", Mechanism("H+O2<=>OH 1.0 0.0 0.0\n"), r, true,
       "error: element imbalance (O) in reaction 1", Severity::Error},
      {"charge imbalance", Mechanism("AR+E=>AR+ 1.0 0.0 0.0\n"), r, true,
       "error: charge imbalance in reaction 1", Severity::Error},
      {"duplicate reaction without DUP",
       Mechanism("H2+O2<=>OH+OH 1.0 0.0 0.0\nOH+OH<=>H2+O2 2.0 0.0 0.0\n"), r + 1, true,
       "error: duplicate reaction without DUP: reaction 2 repeats reaction 1", Severity::Error},
      {"DUP without partner", Mechanism("H2+O2<=>OH+OH 1.0 0.0 0.0\n DUP\n"), r, true,
       "error: DUP without partner", Severity::Error},
      {"malformed rate parameter", Mechanism("H2+O2<=>OH+OH 1.0E13 0.0 1.0.0\n"), r, true,
       "error: malformed number '1.0.0' in the rate parameters", Severity::Error},
      {"exponent without its letter",
       Mechanism("H+O2(+M)<=>HO2(+M) 1.0 0.0 0.0\n LOW/1.0 0.0 0.0/\n TROE/0.5 1.00000+100 1.0/\n"),
       r + 2, true, "error: malformed number '1.00000+100' in TROE", Severity::Error},
      {"malformed composition columns", HydrogenWith(ThermoOf("H", {{"H", 1}}) + badComposition), 9,
       false, "error: malformed composition field", Severity::Error},
      {"malformed coefficient columns", HydrogenWith(ThermoOf("H", {{"H", 1}}) + badCoefficient),
       10, false, "error: malformed number '2.5000000+000' in the thermo of H2", Severity::Error},
      {"thermo lines out of step", HydrogenWith(ThermoOf("H", {{"H", 1}}) + outOfStep), 11, false,
       "error: malformed thermo entry of H2: line number 2 in column 80 where 3 belongs",
       Severity::Error},
      {"PLOG with +M", Mechanism("H2+O2+M<=>OH+OH+M 1.0 0.0 0.0\n PLOG / 1.0 1.0E13 0.0 0.0 /\n"),
       r, true, "warning: PLOG on reaction 1, written with +M: the PLOG rate is the whole rate",
       Severity::Warning},
      {"a PLOG pressure that is not positive",
       Mechanism("H2+O2<=>OH+OH 1.0 0.0 0.0\n PLOG / 0.0 1.0E13 0.0 0.0 /\n"), r + 1, true,
       "error: PLOG pressure 0 is not positive", Severity::Error},
      {"PLOG and CHEB together",
       Mechanism("H2+O2<=>OH+OH 1.0 0.0 0.0\n PLOG / 1.0 1.0E13 0.0 0.0 /\n CHEB / 1 1 13.0 /\n"),
       r, true, "error: both PLOG and CHEB on reaction 1", Severity::Error},
      {"TCHEB without CHEB",
       Mechanism("H2+O2<=>OH+OH 1.0 0.0 0.0\n TCHEB/300 2000/ PCHEB/0.1 100/\n"), r, true,
       "error: TCHEB or PCHEB on reaction 1, which has no CHEB", Severity::Error},
      {"CHEB with a wrong coefficient count",
       Mechanism(
           "H2+O2<=>OH+OH 1.0 0.0 0.0\n TCHEB/300 2000/ PCHEB/0.1 100/\n CHEB/2 2 1.0 2.0 3.0/\n"),
       r, true,
       "error: CHEB of reaction 1 must give its temperature and pressure term counts (1 to 100), "
       "then their product in coefficients: 2 x 2 terms, 3 coefficients",
       Severity::Error},
      {"CHEB without its ranges", Mechanism("H2+O2<=>OH+OH 1.0 0.0 0.0\n CHEB/1 1 13.0/\n"), r,
       true, "warning: CHEB on reaction 1 without TCHEB and PCHEB: 300 to 2500 K, 0.001 to 100 atm",
       Severity::Warning},
      {"HIGH on a reaction without fall-off",
       Mechanism("O+OH=>HO2 1.0E10 0.0 0.0\n HIGH / 1.0E13 0.0 0.0 /\n"), r, true,
       "error: HIGH on reaction 1, which is not a fall-off reaction", Severity::Error},
      {"fall-off without LOW", Mechanism("O+OH(+M)=>HO2(+M) 1.0E10 0.0 0.0\n"), r, true,
       "error: fall-off reaction 1 without LOW", Severity::Error},
      {"third body on one side", Mechanism("O+H+M<=>OH 1.0 0.0 0.0\n"), r, true,
       "error: third body M on one side only", Severity::Error},
      {"thermo discontinuity",
       HydrogenWith(ThermoOf("H", {{"H", 1}}) +
                    fixture::ThermoEntry("H2", {{"H", 2}}, fixture::kFlat, jump)),
       9, false, "warning: thermo of H2 is discontinuous at 1000 K: cp/R 3.5 below, 4.5 above",
       Severity::Warning},
      {"unusual units", Mechanism("H2+O2<=>OH+OH 1.0 0.0 0.0\n", "REACTIONS FURLONGS"), r - 1, true,
       "warning: unusual units 'FURLONGS'", Severity::Warning},
      {"species declared twice",
       "ELEMENTS H END\nSPECIES H H2\nH END\nTHERMO\n 300 1000 5000\n" + ThermoOf("H", {{"H", 1}}) +
           ThermoOf("H2", {{"H", 2}}) + "END\n",
       3, false, "warning: species H declared twice; kept once", Severity::Warning},
      {"thermo given twice",
       HydrogenWith(ThermoOf("H", {{"H", 1}}) + ThermoOf("H2", {{"H", 2}}) +
                    ThermoOf("H", {{"H", 1}})),
       13, false, "warning: 1 species has more than one entry in ", Severity::Warning},
      {"phase letter shifted both ways", HydrogenWith(ThermoOf("H", {{"H", 1}}) + bothShifts), 9,
       false, "error: phase letters in columns 44 and 46 and none in column 45 in the thermo of H2",
       Severity::Error},
  };
}

TEST(VordaneDiagnostics, EachProblemIsListedWithItsFileAndLine) {
  for (const Case& c : Cases()) {
    test_support::ScratchFolder folder;
    const std::string mechanism = folder.write("chem.inp", c.mechanism);
    const std::string binary = folder.path("chem.bin");
    const std::string listing = folder.path("chem.out");
    const ConversionReport report = ConvertFiles(mechanism, "", binary, listing);
    const int line = c.inReactions ? FirstReactionLine() + c.line : c.line;
    const std::string expected = mechanism + ":" + std::to_string(line) + ": " + c.message;
    const std::string text = test_support::ReadText(listing);
    EXPECT_NE(text.find(expected), std::string::npos)
        << c.behaviour << ": expected\n  " << expected << "\nin\n"
        << text;
    const bool error = c.severity == Severity::Error;
    EXPECT_EQ(report.success, !error) << c.behaviour;
    EXPECT_EQ(ErrorFlagOf(binary), error) << c.behaviour;
    // The summary ends the listing.
    EXPECT_NE(text.find(report.summary + "\n"), std::string::npos) << c.behaviour;
  }
}

TEST(VordaneDiagnostics, TheAnalysisRefusesAFailedConversion) {
  test_support::ScratchFolder folder;
  const std::string mechanism = folder.write("chem.inp", Mechanism("H+XY<=>OH 1.0 0.0 0.0\n"));
  ASSERT_FALSE(
      ConvertFiles(mechanism, "", folder.path("chem.bin"), folder.path("chem.out")).success);
  test_support::MemoryConsole console;
  EXPECT_THROW(kinetics::LoadKineticsFile(folder.path("chem.bin"), console), common::Stop);
  EXPECT_NE(console.text().find(" There is an error in the kinetics binary file..."),
            std::string::npos)
      << console.text();
}

TEST(VordaneDiagnostics, MissingFilesAreErrorsNotCrashes) {
  test_support::ScratchFolder folder;
  const std::string binary = folder.path("chem.bin");
  const std::string listing = folder.path("chem.out");
  struct FileCase {
    const char* behaviour;
    std::string mechanism;
    std::string thermo;
    std::string message;
  };
  const std::string needsThermo =
      folder.write("needs.inp", "ELEMENTS H END\nSPECIES H END\nREACTIONS\nEND\n");
  const FileCase kCases[] = {
      {"no mechanism file", folder.path("absent.inp"), "",
       folder.path("absent.inp") + ": error: cannot read the mechanism file"},
      {"no mechanism name", "", "", "error: no name given for the mechanism file"},
      {"a folder for a mechanism", folder.path(""), "", "error: cannot read the mechanism file"},
      {"a needed thermo file is missing", needsThermo, folder.path("absent.dat"),
       folder.path("absent.dat") + ": error: cannot read the thermo data file"},
  };
  for (const FileCase& c : kCases) {
    const ConversionReport report = ConvertFiles(c.mechanism, c.thermo, binary, listing);
    EXPECT_FALSE(report.success) << c.behaviour;
    EXPECT_TRUE(ErrorFlagOf(binary)) << c.behaviour;
    EXPECT_NE(test_support::ReadText(listing).find(c.message), std::string::npos)
        << c.behaviour << "\n"
        << test_support::ReadText(listing);
  }
  // Output names that clash with other files: tests/converters/output_clash_test.cpp.
  // A listing that cannot be written is a failure too.
  const std::string good = folder.write("good.inp", Mechanism(""));
  EXPECT_FALSE(ConvertFiles(good, "", binary, folder.path("no/such/folder/chem.out")).success);
  EXPECT_TRUE(ConvertFiles(good, "", binary, listing).success);
}

// Damaged text: every prefix of a published mechanism (CR LF line ends, an odd byte, its
// thermo inside) and every line cut short must give diagnostics, never a crash or a read out
// of bounds (the sanitizer build runs this too).
TEST(VordaneDiagnostics, DamagedMechanismsNeverCrash) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const std::string text =
      test_support::ReadText(test_support::SharedData("h2_burke2012/chem.inp"));
  const Interpretation whole = Interpret({"chem.inp", text}, nullptr);
  ASSERT_TRUE(whole.ok());
  EXPECT_EQ(whole.mechanism.species.size(), 13u);
  EXPECT_EQ(whole.mechanism.reactions.size(), 27u);
  int failed = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos;
       end = text.find('\n', end + 1)) {
    failed += Interpret({"chem.inp", text.substr(0, end + 1)}, nullptr).ok() ? 0 : 1;
    // The same line cut to half its length, everything after it kept.
    const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    std::string cut = text;
    cut.erase(from + (end - from) / 2, (end - from) - (end - from) / 2);
    failed += Interpret({"chem.inp", cut}, nullptr).ok() ? 0 : 1;
  }
  EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace vordane
