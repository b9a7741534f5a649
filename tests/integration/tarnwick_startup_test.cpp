// Start-up of tarnwick: file names, the kinetics file header, dimensions and loading.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "common/record_file.h"
#include "fixtures.h"
#include "support/record_files.h"
#include "support/shared_data.h"
#include "transport/linking_file.h"

namespace integration {
namespace {

using test_support::Payload;
using test_support::ReadRecords;
using test_support::WriteRecords;

std::string countsLine(int elements, int species, int reactions) {
  return " Element#= " + std::to_string(elements) + "  Species#= " + std::to_string(species) +
         "  Reaction#= " + std::to_string(reactions) + "\n";
}

TEST(TarnwickStartup, MissingLinkingFilesShowTheirPaddedNames) {
  Workspace workspace("missing-linking");
  ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(run.console, NotFound("chem.bin") + Prompt());
  EXPECT_EQ(run.status, 1);

  WriteKinetics(workspace, "chem.bin", PathMechanism());
  run = workspace.run("tarnwick");
  EXPECT_EQ(run.console, NotFound("tran.bin") + Prompt());

  // Six arguments name the files.
  run = workspace.run("tarnwick", {"k.bin", "t.bin", "l.asc", "s.dat", "o.dat", "f.txt"});
  EXPECT_EQ(run.console, NotFound("k.bin") + Prompt());
  const std::string longName(120, 'n');
  run = workspace.run("tarnwick", {longName, "t", "l", "s", "o", "f"});
  EXPECT_EQ(run.console, NotFound(longName.substr(0, 100)) + Prompt());
}

TEST(TarnwickStartup, HelpAndWrongArgumentCountsPrintTheUsage) {
  Workspace workspace("usage");
  struct Case {
    std::vector<std::string> arguments;
    int status;
  };
  const Case cases[] = {{{"--help"}, 0},
                        {{"-h"}, 0},
                        {{"k.bin", "t.bin", "l.asc", "s.dat", "o.dat"}, 2},
                        {{"a", "b", "c", "d", "e", "f", "g"}, 2}};
  for (const Case& c : cases) {
    const ProgramRun run = workspace.run("tarnwick", c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments.size();
    EXPECT_NE(run.console.find("usage: tarnwick [CHEM.BIN"), std::string::npos) << run.console;
    EXPECT_EQ(run.console.find("not found"), std::string::npos);
  }
}

TEST(TarnwickStartup, HeaderFaultsAreReportedInOrderWithOnePause) {
  const std::string errorFlag =
      "\n There is an error in the kinetics binary file...\n"
      " Check VORDANE output for error conditions.\n";
  const std::string version =
      "\n Kinetics binary file is incompatible with Kinetics Library Version 4.3\n";
  const std::string precision =
      "\n Precision of kinetics binary file does not agree with precision of kinetics library\n";
  struct Case {
    const char* name;
    const char* version;
    const char* precision;
    bool flag;
    std::string console;
  };
  const Case cases[] = {
      {"flag", "3.9", "DOUBLE", true, errorFlag},
      {"version", "3.9x", "DOUBLE", false, version},
      {"leading-blank-version", " 3.9", "DOUBLE", false, version},
      {"precision", "3.9", "SINGLE", false, precision},
      {"all", "4.0", "double", true, errorFlag + version + precision},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace workspace(std::string("header-") + c.name);
    WritePathInputs(workspace);
    kinetics::LinkMechanism mechanism = PathMechanism();
    mechanism.version = c.version;
    mechanism.precision = c.precision;
    mechanism.errorFlag = c.flag;
    WriteKinetics(workspace, "chem.bin", mechanism);
    const ProgramRun run = workspace.run("tarnwick");
    EXPECT_EQ(run.console, c.console + Prompt());
    EXPECT_EQ(run.status, 1);
  }
}

TEST(TarnwickStartup, AcceptedHeaderVariants) {
  for (const char* version : {"3.6b", "3.6c", "3.6d", "3.8", "3.9"}) {
    Workspace workspace(std::string("accepted-") + version);
    WritePathInputs(workspace);
    kinetics::LinkMechanism mechanism = PathMechanism();
    mechanism.version = version;
    mechanism.precision = "  DOUBLE PREC";
    WriteKinetics(workspace, "chem.bin", mechanism);
    std::filesystem::remove(workspace.path("selection.dat"));
    const ProgramRun run = workspace.run("tarnwick");
    EXPECT_EQ(run.console, Banner() + countsLine(1, 5, 4) + NotFound("selection.dat") + Prompt())
        << version;
  }
}

TEST(TarnwickStartup, LengthOfRecordTwo) {
  struct Case {
    std::size_t bytes;
    std::string console;
  };
  const std::string loads = Banner() + countsLine(1, 5, 4) + NotFound("selection.dat") + Prompt();
  const Case cases[] = {
      {99, " Error reading kinetics binary file.\n" + Prompt()},
      {100, Banner() + " Error reading binary file...\n" + Prompt()},
      {123, Banner() + " Error reading binary file...\n" + Prompt()},
      {124, loads},
      {140, loads},  // bytes beyond the fields are ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    Workspace workspace("record2-" + std::to_string(c.bytes));
    WritePathInputs(workspace);
    std::filesystem::remove(workspace.path("selection.dat"));
    std::vector<Payload> records = ReadRecords(workspace.path("chem.bin"));
    records[1].resize(c.bytes, std::byte{0});
    WriteRecords(workspace.path("chem.bin"), records);
    EXPECT_EQ(workspace.run("tarnwick").console, c.console);
  }
}

TEST(TarnwickStartup, WorkLengthAndDimensionChecks) {
  const std::int64_t transportInt = transport::RequiredTransportIntLength(5, 4, 1);
  const std::int64_t transportReal = transport::RequiredTransportRealLength(5, 4, 1);
  struct Case {
    const char* name;
    int intLength, realLength, charLength;
    std::string console;
    int status;
  };
  const Case cases[] = {
      {"real", -1, 0, -1,
       " Too small...LENRKW,at least of 1 " + std::to_string(transportReal + 1) + "\n", 1},
      {"integer", 0, -1, -1,
       " Too small...LENIKW,at least of 1 " + std::to_string(transportInt + 1) + "\n", 1},
      {"character", -1, -1, 0, " Too small... LENSKW, at least of 1\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace workspace(std::string("length-") + c.name);
    WritePathInputs(workspace);
    kinetics::LinkMechanism mechanism = PathMechanism();
    if (c.intLength >= 0) mechanism.RequiredIntLength = c.intLength;
    if (c.realLength >= 0) mechanism.RequiredRealLength = c.realLength;
    if (c.charLength >= 0) mechanism.RequiredCharLength = c.charLength;
    WriteKinetics(workspace, "chem.bin", mechanism);
    const ProgramRun run = workspace.run("tarnwick");
    EXPECT_EQ(run.console, Banner() + c.console);
    EXPECT_EQ(run.status, c.status);
  }
}

TEST(TarnwickStartup, DeclaredLengthsTooShortForTheCountsAreRefused) {
  Workspace workspace("declared-short");
  WritePathInputs(workspace);
  kinetics::LinkMechanism mechanism = PathMechanism();
  mechanism.RequiredIntLength = 10;
  WriteKinetics(workspace, "chem.bin", mechanism);
  const ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(run.status, 1);
  // The refusal comes after the banner and before the counts line, and pauses.
  ASSERT_EQ(run.console.rfind(Banner(), 0), 0u) << run.console;
  EXPECT_EQ(run.console.find("Element#="), std::string::npos);
  EXPECT_TRUE(run.console.ends_with(Prompt())) << run.console;
}

TEST(TarnwickStartup, TooManySpeciesStopAtTheDimensionCheck) {
  Workspace workspace("species-2126");
  WriteKinetics(workspace, "chem.bin", SpeciesOnlyMechanism(2126));
  WriteTransport(workspace, "tran.bin", SmallTransport(3));
  const ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(run.console, Banner() + countsLine(1, 2126, 0) +
                             " Check the array dimensions:NS,NR,NChar>= 2134 0 32010\n" + Prompt());
  EXPECT_EQ(run.status, 1);
}

TEST(TarnwickStartup, EndOfFileRules) {
  // Records 1-4 only, while four reactions are declared: every rate would be zero.
  Workspace cut("eof-before-reactions");
  WritePathInputs(cut);
  std::vector<Payload> records = ReadRecords(cut.path("chem.bin"));
  records.resize(4);
  WriteRecords(cut.path("chem.bin"), records);
  ProgramRun run = cut.run("tarnwick");
  EXPECT_EQ(
      run.console,
      Banner() +
          " The kinetics binary file ends before its reaction data (4 reactions declared).\n" +
          Prompt());
  EXPECT_EQ(run.status, 1);

  // A present record 6 that is missing ends the run at once, without a pause.
  Workspace missing("eof-before-record6");
  WritePathInputs(missing);
  kinetics::LinkMechanism mechanism = PathMechanism();
  mechanism.reverse = {{1, {1.0, 0.0, 0.0}}};
  WriteKinetics(missing, "chem.bin", mechanism);
  records = ReadRecords(missing.path("chem.bin"));
  records.resize(5);
  WriteRecords(missing.path("chem.bin"), records);
  run = missing.run("tarnwick");
  EXPECT_EQ(run.console, Banner() + " End of file chem.bin reached where record 6 should begin.\n");
  EXPECT_EQ(run.status, 1);
}

TEST(TarnwickStartup, IndependentGriMechFileLoads) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  Workspace workspace("gri30-counts");
  const std::string data = test_support::SharedData("gri30/");
  std::filesystem::copy_file(data + "chem.bin", workspace.path("chem.bin"));
  std::filesystem::copy_file(data + "tran.bin", workspace.path("tran.bin"));
  const ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(run.console, Banner() + countsLine(5, 53, 325) + NotFound("selection.dat") + Prompt());
}

}  // namespace
}  // namespace integration
