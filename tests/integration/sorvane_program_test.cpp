// sorvane write as a program: the files of a reduction by the analysis' own trim file, and the
// refusals of inputs that cannot be reduced, which must leave every file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "program_runner.h"
#include "support/shared_data.h"

namespace integration {
namespace {

using test_support::ReadText;
using test_support::SharedData;

// A workspace holding the GRI-Mech 3.0 files under the names sorvane writes.
void WriteGriInputs(const Workspace& workspace) {
  workspace.write("chem.inp", ReadText(SharedData("gri30/gri30.inp")));
  workspace.write("therm.dat", ReadText(SharedData("gri30/gri30_thermo.dat")));
  workspace.write("tran.dat", ReadText(SharedData("gri30/gri30_tran.dat")));
}

std::set<std::string> FilesOf(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    names.insert(entry.path().lexically_relative(folder).string() + "=" +
                 (entry.is_regular_file() ? ReadText(entry.path().string()) : "folder"));
  }
  return names;
}

TEST(Sorvane, WritesFilesThatBothConvertersTake) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  Workspace workspace("sorvane-write");
  WriteGriInputs(workspace);
  workspace.write("fortrim.txt",
                  ReadText(test_support::TestData("expected/gri30-demo/fortrim.txt")));
  const ProgramRun run = workspace.run(
      "sorvane", {"write", "--mech", "chem.inp", "--thermo", "therm.dat", "--transport", "tran.dat",
                  "--trim", "fortrim.txt", "--keep", "C3H7", "-o", "reduced"});
  ASSERT_EQ(run.status, 0) << run.console;
  EXPECT_EQ(workspace.read("reduced/sorvane.out"),
            ReadText(test_support::TestData("expected/sorvane/gri30-demo.out")));
  EXPECT_EQ(
      workspace.run("vordane", {"reduced/chem.inp", "reduced/therm.dat", "chem.bin", "chem.out"})
          .status,
      0);
  EXPECT_EQ(
      workspace.run("quillet", {"chem.bin", "tran.bin", "reduced/tran.dat", "tran.out"}).status, 0);
}

TEST(Sorvane, RefusesWhatItCannotReduceAndTouchesNothing) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  struct Case {
    const char* label;
    std::vector<std::string> arguments;  // after "write --mech chem.inp --thermo therm.dat"
    std::string message;
  };
  const std::vector<Case> cases = {
      {"trim file of another mechanism",
       {"--trim", "nheptane.txt", "-o", "out"},
       "made for a mechanism of 561"},
      {"number out of range", {"--trim", "range.txt", "-o", "out"}, "outside 1..53"},
      {"name not in the mechanism", {"--remove", "CH3OH,XYZ", "-o", "out"}, "XYZ is not a species"},
      {"kept name not in the mechanism",
       {"--remove", "CH3OH", "--keep", "ar", "-o", "out"},
       "ar is not a species"},
      {"output folder of the inputs",
       {"--transport", "tran.dat", "--remove", "AR", "-o", "."},
       "the same file as"},
      {"no species named", {"-o", "out"}, "either by a trim file"},
      {"output folder that cannot be made",
       {"--remove", "AR", "-o", "therm.dat/out"},
       "cannot write"},
      {"mechanism with errors", {"--remove", "AR", "-o", "out"}, "does not convert"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Workspace workspace("sorvane-refusal");
    WriteGriInputs(workspace);
    if (c.message == "does not convert") {
      workspace.write("chem.inp",
                      ReadText(SharedData("gri30/gri30.inp")) + "REACTIONS\nH+Q=HQ 1 0 0\nEND\n");
    }
    workspace.write("nheptane.txt",
                    ReadText(test_support::TestData("expected/nheptane/fortrim.txt")));
    workspace.write("range.txt",
                    "NOTE: Original SP#=   53  Trim SP#=    2  Keep SP#=   51\n   12   54\n");
    const std::set<std::string> before = FilesOf(workspace.folder());
    std::vector<std::string> arguments = {"write", "--mech", "chem.inp", "--thermo", "therm.dat"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProgramRun run = workspace.run("sorvane", arguments);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.console.find(c.message), std::string::npos) << run.console;
    EXPECT_EQ(FilesOf(workspace.folder()), before);
  }
}

}  // namespace
}  // namespace integration
