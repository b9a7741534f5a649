// Whole runs of tarnwick: console report, result file and trim file, byte for byte.
#include <gtest/gtest.h>

#include <numeric>

#include "fixtures.h"

namespace integration {
namespace {

const std::string kCounts = " Element#= 1  Species#= 5  Reaction#= 4\n";
const std::string kCpu = "           CPU TIME:      #.## S\n";

std::string libraryWith(const std::string& body) {
  return "SENLIB test\nKK     5\n" + body;
}

// Kept sets derived by hand for the path mechanism (see fixtures.h).
TEST(TarnwickResults, BlocksCasesAndTrimList) {
  Workspace workspace("results-blocks");
  WritePathInputs(workspace);
  workspace.write("libdata.asc", libraryWith("! three blocks, the second without cases\n"
                                             "TAU0 1.0E-3 \n" +
                                             LeanCase() + RichCase() +
                                             "TAU0 2.0E-3 \n"
                                             "TAU0 3.0E-3 \n" +
                                             LeanCase() + "END\n"));
  const ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(MaskCpuTimes(run.console), Banner() + kCounts +
                                           " TAU0= 0.001\n"
                                           "Line  1/21 [   3]:    1    2    4\n" +
                                           kCpu + "Line  2/21 [   4]:    1    2    3    4\n" +
                                           kCpu +
                                           "Case   1    4:    1    2    3    4\n"
                                           " TAU0= 0.002\n"
                                           " TAU0= 0.003\n"
                                           "Line  1/21 [   3]:    1    2    4\n" +
                                           kCpu +
                                           "Case   3    3:    1    2    4\n"
                                           "Allcases    4:    1    2    3    4\n");
  EXPECT_EQ(workspace.read("output.dat"),
            "Preselection       1\n"
            "Threshold  0.100000\n"
            "Line  1/21 [   3]:    1    2    4\n"
            "Line  2/21 [   4]:    1    2    3    4\n"
            "Case   1    4:    1    2    3    4\n"
            "Line  1/21 [   3]:    1    2    4\n"
            "Case   3    3:    1    2    4\n"
            "Allcases    4:    1    2    3    4\n");
  EXPECT_EQ(workspace.read("fortrim.txt"),
            "NOTE: Original SP#=    5  Trim SP#=    1  Keep SP#=    4\n"
            "    5\n");
}

TEST(TarnwickResults, SelectionVariants) {
  struct Case {
    const char* name;
    std::string selection;
    std::string preselection;
    std::string kept;  // the case line's list
    std::string trim;  // the trim file
  };
  const Case cases[] = {
      {"repeated-start", "1 1 1\n0.1\n", "Preselection       1       1       1\n",
       "Line  1/21 [   3]:    1    2    4",
       "NOTE: Original SP#=    5  Trim SP#=    2  Keep SP#=    3\n    3    5\n"},
      {"negative-threshold", "3\n-1.0\n", "Preselection       3\nThreshold -1.000000\n",
       "Line  1/21 [   5]:    1    2    3    4    5",
       "NOTE: Original SP#=    5  Trim SP#=    0  Keep SP#=    5\n\n"},
      // From E the analysis runs downstream to D, then back up through B to A.
      {"downstream-start", "5\n0.1\n", "Preselection       5\n",
       "Line  1/21 [   4]:    1    2    4    5",
       "NOTE: Original SP#=    5  Trim SP#=    1  Keep SP#=    4\n    3\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace workspace(std::string("results-") + c.name);
    WritePathInputs(workspace, c.selection);
    workspace.write("libdata.asc", libraryWith("TAU0 1\n" + LeanCase() + "e\n"));
    const ProgramRun run = workspace.run("tarnwick");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(MaskCpuTimes(run.console).find(c.kept + "\n" + kCpu), std::string::npos)
        << run.console;
    EXPECT_EQ(workspace.read("output.dat").rfind(c.preselection, 0), 0u);
    EXPECT_EQ(workspace.read("fortrim.txt"), c.trim);
  }
}

// A mechanism without reactions keeps just its start species; 45 and 40 of them show how the
// console wraps a case line after 20 species while the result file keeps one line.
TEST(TarnwickResults, LongKeptListsWrapOnTheConsoleOnly) {
  for (int kept : {40, 45}) {
    SCOPED_TRACE(kept);
    Workspace workspace("results-wrap-" + std::to_string(kept));
    WriteKinetics(workspace, "chem.bin", SpeciesOnlyMechanism(45));
    WriteTransport(workspace, "tran.bin", SmallTransport(3));
    std::string selection;
    std::string list;
    for (int k = 1; k <= kept; ++k) {
      selection += std::to_string(k) + " ";
      list += (k < 10 ? "    " : "   ") + std::to_string(k);
    }
    workspace.write("selection.dat", selection + "\n0.5\n");
    std::string caseLine = "0 1013250 0 0 0 0 1000";
    for (int k = 1; k <= 45; ++k) caseLine += " 1";
    workspace.write("libdata.asc", "SENLIB\nKK    45\nTAU0 1\n" + caseLine + " \nE\n");
    const ProgramRun run = workspace.run("tarnwick");
    EXPECT_EQ(run.status, 0);
    const std::string head =
        "Line  1/21 [" + std::string(kept < 100 ? "  " : " ") + std::to_string(kept) + "]:";
    std::string console =
        head + list.substr(0, 100) + "\n" + std::string(18, ' ') + list.substr(100, 100) + "\n";
    if (kept == 45) console += std::string(18, ' ') + list.substr(200) + "\n";
    EXPECT_NE(MaskCpuTimes(run.console)
                  .find(" Element#= 1  Species#= 45  Reaction#= 0\n TAU0= 1\n" + console + kCpu),
              std::string::npos)
        << run.console;
    EXPECT_NE(workspace.read("output.dat").find(head + list + "\n"), std::string::npos);
  }
}

TEST(TarnwickResults, EndsWithoutTrimFile) {
  struct Case {
    const char* name;
    std::string body;
    std::string console;
  };
  const Case cases[] = {
      // The end line right after a block header: no merge over all blocks, even though an
      // earlier block had cases.
      {"end-after-tau0", "TAU0 1\n" + LeanCase() + "TAU0 2\nE\n",
       " TAU0= 1\nLine  1/21 [   3]:    1    2    4\n" + kCpu +
           "Case   1    3:    1    2    4\n TAU0= 2\n"},
      {"end-after-heading", "E\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace workspace(std::string("results-") + c.name);
    WritePathInputs(workspace);
    workspace.write("libdata.asc", libraryWith(c.body));
    const ProgramRun run = workspace.run("tarnwick");
    EXPECT_EQ(MaskCpuTimes(run.console), Banner() + kCounts + c.console);
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(workspace.exists("fortrim.txt"));
  }
}

TEST(TarnwickResults, TLineClosesItsBlockBeforeItIsReadAsACase) {
  Workspace workspace("results-t-line");
  WritePathInputs(workspace);
  workspace.write("libdata.asc", libraryWith("TAU0 1\n" + RichCase() + "T 0 0\nE\n"));
  const ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(MaskCpuTimes(run.console),
            Banner() + kCounts + " TAU0= 1\nLine  1/21 [   4]:    1    2    3    4\n" + kCpu +
                "Case   1    4:    1    2    3    4\n"
                " Character \"T\" is not part of a number at line 5, column 1 of libdata.asc.\n" +
                Prompt());
  EXPECT_EQ(run.status, 1);
  // The result file keeps what was written before the stop.
  EXPECT_EQ(workspace.read("output.dat"),
            "Preselection       1\nThreshold  0.100000\nLine  1/21 [   4]:    1    2    3    4\n"
            "Case   1    4:    1    2    3    4\n");
}

TEST(TarnwickResults, TheTwoThousandFirstBlockStops) {
  Workspace workspace("results-blocks-2001");
  WritePathInputs(workspace);
  std::string body;
  std::string echoes;
  for (int b = 1; b <= 2001; ++b) {
    body += "TAU0 " + std::to_string(b) + "\n";
    echoes += " TAU0= " + std::to_string(b) + "\n";
  }
  workspace.write("libdata.asc", libraryWith(body + "E\n"));
  const ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(run.console, Banner() + kCounts + echoes + " Case number is too small\n");
  EXPECT_EQ(run.status, 1);
}

TEST(TarnwickResults, MoreThanTwoThousandCasesInOneBlock) {
  Workspace workspace("results-cases-2001");
  WritePathInputs(workspace);
  std::string body = "TAU0 1\n";
  for (int c = 1; c <= 2001; ++c) body += c == 2001 ? RichCase() : LeanCase();
  workspace.write("libdata.asc", libraryWith(body + "E\n"));
  const ProgramRun run = workspace.run("tarnwick");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.console.find("Line***/21 [   4]:    1    2    3    4\n"), std::string::npos);
  EXPECT_NE(run.console.find("Case   1    4:    1    2    3    4\n"), std::string::npos);
}

}  // namespace
}  // namespace integration
