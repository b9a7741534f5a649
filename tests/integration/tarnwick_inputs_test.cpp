// Tarnwick's text inputs and the transport file header, seen from the console.
#include <gtest/gtest.h>

#include "fixtures.h"

namespace integration {
namespace {

const std::string kCounts = " Element#= 1  Species#= 5  Reaction#= 4\n";

std::string libraryWith(const std::string& body) {
  return "SENLIB test\nKK     5\n" + body;
}

struct Case {
  const char* name;
  std::string selection;
  std::string library;  // empty: no library file
  std::string afterCounts;
  int status;
};

void runCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace workspace(std::string("inputs-") + c.name);
    WritePathInputs(workspace, c.selection);
    if (c.selection.empty()) std::filesystem::remove(workspace.path("selection.dat"));
    if (!c.library.empty()) workspace.write("libdata.asc", c.library);
    const ProgramRun run = workspace.run("tarnwick");
    EXPECT_EQ(MaskCpuTimes(run.console), Banner() + kCounts + c.afterCounts);
    EXPECT_EQ(run.status, c.status);
  }
}

TEST(TarnwickInputs, SelectionFile) {
  runCases({
      {"missing-selection", "", "", NotFound("selection.dat") + Prompt(), 1},
      {"empty-line-one", "\n0.1\n", "", " Need at least one selected species to start!\n", 1},
      {"species-out-of-range", "1 6\n0.1\n", "",
       " Selected species 6 in selection.dat is not a species number 1..5.\n" + Prompt(), 1},
      {"missing-library", "1\n0.1\n", "", NotFound("libdata.asc") + Prompt(), 1},
  });
}

TEST(TarnwickInputs, LibraryHeading) {
  const std::string caseRun =
      " TAU0= 0.5\nLine  1/21 [   3]:    1    2    4\n"
      "           CPU TIME:      #.## S\n";
  runCases({
      {"lower-case-heading", "1\n0.1\n", "senlib\nKK     5\nE\n",
       " wrong start file without SENLIB or PSRLIB heading\n" + Prompt(), 1},
      {"heading-with-extra-words", "1\n0.1\n", "PSRLIB with words\nKK     5\nE\n", "", 2},
      {"missing-kk", "1\n0.1\n", "SENLIB\n  KK 5\nE\n",
       " Warn!! wrong start file without KK for species Num.\n" + Prompt(), 1},
      {"kk-without-number", "1\n0.1\n", "SENLIB\nKK       5\nE\n",
       " No species count in columns 3 to 10 of line 2 of libdata.asc.\n" + Prompt(), 1},
      {"species-count-differs", "1\n0.1\n", "SENLIB\nKK     6\nTAU0 0.5\n" + LeanCase() + "E\n",
       " Wrong KK number in data file, KK= 5 13\n" + caseRun +
           "Case   1    3:    1    2    4\nAllcases    3:    1    2    4\n",
       0},
  });
}

TEST(TarnwickInputs, LibraryBody) {
  const std::string lean = "Line  1/21 [   3]:    1    2    4\n           CPU TIME:      #.## S\n";
  runCases({
      {"one-value-too-many", "1\n0.1\n",
       libraryWith("TAU0 0.5\n" + PathCase("0.2 0.2 0.2 0.2 0.2 0.1")),
       " TAU0= 0.5\n data number is not KK+7 12 13\n", 1},
      {"blank-started-line", "1\n0.1\n", libraryWith("TAU0 0.5\n" + LeanCase() + "  12345 \n"),
       " TAU0= 0.5\n" + lean + " Wrong data format starting with space:  123\n", 2},
      {"empty-line", "1\n0.1\n", libraryWith("\n"),
       " Wrong data format starting with space:     \n", 2},
      {"end-of-file-before-end-line", "1\n0.1\n", libraryWith("TAU0 0.5\n" + LeanCase()),
       " TAU0= 0.5\n" + lean + " End of file in libdata.asc before its end line.\n", 1},
      {"case-before-first-block", "1\n0.1\n", libraryWith("! c\n" + LeanCase() + "E\n"),
       " Case line 4 of libdata.asc comes before the first TAU0 line.\n" + Prompt(), 1},
      {"tau0-without-value", "1\n0.1\n", libraryWith("TAU0\n"),
       " No TAU0 value in columns 5 to 20 of line 3 of libdata.asc.\n" + Prompt(), 1},
      {"letter-in-a-case", "1\n0.1\n", libraryWith("TAU0 0.5\n" + PathCase("0.2 0.2 0.2 0.2 x2")),
       " TAU0= 0.5\n Character \"x\" is not part of a number at line 4, column 40 of "
       "libdata.asc.\n" +
           Prompt(),
       1},
      {"crlf-and-tabs", "1\r\n0.1\r\n",
       libraryWith(
           "TAU0\t0.5\r\n0\t1013250 0 0 0 0 1000 0.25 0.25 0.000001 0.25 0.249999\r\nE\r\n"),
       " TAU0= 0.5\n" + lean + "Case   1    3:    1    2    4\nAllcases    3:    1    2    4\n", 0},
  });
}

TEST(TarnwickInputs, TransportHeaderFaultsComeBeforeTheBanner) {
  Workspace workspace("transport-header");
  WritePathInputs(workspace);
  transport::TransportLink link = SmallTransport(5);
  link.errorFlag = true;
  link.precision = "SINGLE";
  WriteTransport(workspace, "tran.bin", link);
  const ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(run.console,
            "\n There is an error in the transport binary file...\n"
            " Check QUILLET output for error conditions.\n"
            "\n Precision of Transport binary file does not agree with precision of Transport "
            "Library\n" +
                Prompt());
  EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace integration
