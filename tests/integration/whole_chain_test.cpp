// The main job on the shipped sample, as `make demo` runs it: the two converters on the
// GRI-Mech 3.0 text files, then tarnwick; and tarnwick on the n-heptane library with the
// independent producer's linking files. Result files and console are compared with the
// committed expected files.
#include <gtest/gtest.h>

#include <filesystem>

#include "program_runner.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace integration {
namespace {

using test_support::ReadText;

void expectResults(const Workspace& workspace, const ProgramRun& run, const std::string& expected) {
  const std::string folder = test_support::TestData("expected/" + expected + "/");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(MaskCpuTimes(run.console), ReadText(folder + "console.txt"));
  EXPECT_EQ(workspace.read("output.dat"), ReadText(folder + "output.dat"));
  EXPECT_EQ(workspace.read("fortrim.txt"), ReadText(folder + "fortrim.txt"));
}

TEST(WholeChain, ShippedGriMechSampleFromTextToTrimList) {
  Workspace workspace("chain-gri30");
  const std::string data = test_support::ShippedData("gri30/");
  std::filesystem::copy_file(data + "libdata.asc", workspace.path("libdata.asc"));
  std::filesystem::copy_file(data + "selection.dat", workspace.path("selection.dat"));

  const ProgramRun vordane = workspace.run(
      "vordane", {data + "gri30.inp", data + "gri30_thermo.dat", "chem.bin", "chem.out"});
  ASSERT_EQ(vordane.status, 0) << vordane.console;
  const ProgramRun quillet =
      workspace.run("quillet", {"chem.bin", "tran.bin", data + "gri30_tran.dat", "tran.out"});
  ASSERT_EQ(quillet.status, 0) << quillet.console;
  expectResults(workspace, workspace.run("tarnwick"), "gri30-demo");
}

TEST(WholeChain, NHeptaneLibrary) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  Workspace workspace("chain-nheptane");
  const std::string data = test_support::SharedData("llnl_nheptane_v2/");
  for (const char* name : {"chem.bin", "tran.bin", "libdata.asc", "selection.dat"}) {
    std::filesystem::copy_file(data + name, workspace.path(name));
  }
  expectResults(workspace, workspace.run("tarnwick"), "nheptane");
}

}  // namespace
}  // namespace integration
