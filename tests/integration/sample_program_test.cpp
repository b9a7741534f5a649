// tarnwick-sample from the command line: a library that tarnwick reads unchanged, the same
// bytes from one thread as from several, and bad input refused without a library.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.h"
#include "support/shared_data.h"

namespace integration {
namespace {

std::vector<std::string> Arguments(std::vector<std::string> extra) {
  // The oxidizer is air by default.
  std::vector<std::string> arguments = {test_support::SharedData("gri30/chem.bin"), "--fuel",
                                        "CH4"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return arguments;
}

TEST(SampleProgram, WritesALibraryThatTarnwickReads) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  Workspace workspace("sample-library");
  const std::vector<std::string> grid = {"--phi",         "0.5,1", "--pressure", "1,10",
                                         "--temperature", "1400",  "--states",   "8",
                                         "--end-time",    "0.05"};
  std::vector<std::string> parallel = grid;
  parallel.insert(parallel.end(), {"-o", "libdata.asc", "--ignition-csv", "ignition.csv"});
  const ProgramRun run = workspace.run("tarnwick-sample", Arguments(parallel));
  ASSERT_EQ(run.status, 0) << run.console;
  std::vector<std::string> serial = grid;
  serial.insert(serial.end(), {"-o", "serial.asc", "--threads", "1"});
  ASSERT_EQ(workspace.run("tarnwick-sample", Arguments(serial)).status, 0);
  EXPECT_EQ(workspace.read("libdata.asc"), workspace.read("serial.asc"));
  const std::string csv = workspace.read("ignition.csv");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5) << csv;

  for (const char* name : {"chem.bin", "tran.bin", "selection.dat"}) {
    std::filesystem::copy_file(test_support::SharedData(std::string("gri30/") + name),
                               workspace.path(name));
  }
  const ProgramRun analysis = workspace.run("tarnwick");
  EXPECT_EQ(analysis.status, 0) << analysis.console;
  const std::string output = workspace.read("output.dat");
  // Four blocks of eight cases each, then the line over all cases.
  EXPECT_NE(output.find("Allcases"), std::string::npos) << output;
  EXPECT_EQ(analysis.console.find("data number is not KK+7"), std::string::npos);
}

TEST(SampleProgram, StirredReactorsWriteAPsrLibrary) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  Workspace workspace("sample-psr");
  const ProgramRun run = workspace.run(
      "tarnwick-sample", Arguments({"--psr", "--inlet-temperature", "300", "--residence-time",
                                    "1e-3,3e-5", "-o", "psr.asc"}));
  ASSERT_EQ(run.status, 0) << run.console;
  const std::string library = workspace.read("psr.asc");
  EXPECT_EQ(library.rfind("PSRLIB", 0), 0u);
  EXPECT_NE(library.find("burning"), std::string::npos) << library.substr(0, 2000);
  EXPECT_NE(library.find("extinguished"), std::string::npos) << library.substr(0, 2000);
}

TEST(SampleProgram, BadInputIsRefusedWithoutALibrary) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const std::vector<std::string> base = {"--temperature", "1400", "-o", "libdata.asc"};
  const auto with = [&base](std::vector<std::string> extra) {
    extra.insert(extra.end(), base.begin(), base.end());
    return extra;
  };
  const Case kCases[] = {
      {with({"--phi", "0"}), "equivalence ratio 0 is not positive"},
      {with({"--pressure", "-1"}), "pressure -1 atm is not positive"},
      {{"--temperature", "100", "-o", "libdata.asc"}, "initial temperature 100 K is outside"},
      {with({"--oxidizer", "N2"}), "the oxidizer brings no oxygen"},
      {with({"--oxidizer", "O2:0,N2:0"}), "the oxidizer's amounts sum to zero"},
      {with({"--oxidizer", "XO2"}), "unknown species XO2 in the oxidizer"},
  };
  for (const Case& c : kCases) {
    Workspace workspace("sample-bad");
    const ProgramRun run = workspace.run("tarnwick-sample", Arguments(c.arguments));
    EXPECT_EQ(run.status, 1) << run.console;
    EXPECT_NE(run.console.find(c.message), std::string::npos) << run.console;
    EXPECT_NE(run.console.find("no library written"), std::string::npos) << run.console;
    EXPECT_FALSE(workspace.exists("libdata.asc"));
    EXPECT_FALSE(workspace.exists("libdata.asc.part"));
  }
  Workspace workspace("sample-usage");
  EXPECT_EQ(workspace.run("tarnwick-sample", {"--fuel"}).status, 2);
}

}  // namespace
}  // namespace integration
