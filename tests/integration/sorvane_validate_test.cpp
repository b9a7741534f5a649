// sorvane validate from the command line: both mechanisms at every condition, the table, the
// largest error; a reduced mechanism without the fuel is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program_runner.h"
#include "support/shared_data.h"

namespace integration {
namespace {

TEST(SorvaneValidate, TableOfBothMechanismsAndTheLargestError) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  Workspace workspace("sorvane-validate");
  const std::string data = test_support::SharedData("gri30/");
  const std::vector<std::string> conditions = {"--fuel",     "CH4", "--phi",         "1",
                                               "--pressure", "1",   "--temperature", "1200,1500",
                                               "--end-time", "1"};
  const auto reduce = [&](const std::string& remove, const std::string& folder) {
    ASSERT_EQ(workspace
                  .run("sorvane", {"write", "--mech", data + "gri30.inp", "--thermo",
                                   data + "gri30_thermo.dat", "--remove", remove, "-o", folder})
                  .status,
              0);
    ASSERT_EQ(workspace
                  .run("vordane", {folder + "/chem.inp", folder + "/therm.dat",
                                   folder + "/chem.bin", folder + "/chem.out"})
                  .status,
              0);
  };
  reduce("C3H7,C3H8", "small");
  std::vector<std::string> arguments = {"validate", "--detailed", data + "chem.bin", "--reduced",
                                        "small/chem.bin"};
  arguments.insert(arguments.end(), conditions.begin(), conditions.end());
  arguments.insert(arguments.end(), {"-o", "check"});
  const ProgramRun run = workspace.run("sorvane", arguments);
  ASSERT_EQ(run.status, 0) << run.console;
  EXPECT_NE(run.console.find("2 conditions; largest error "), std::string::npos) << run.console;
  const std::string table = workspace.read("check/validation.csv");
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 3) << table;
  EXPECT_EQ(table.rfind("phi,pressure_atm,initial_temperature_K,delay_detailed_s,", 0), 0u);

  // Without the fuel the reduced mechanism cannot be run at these conditions.
  reduce("CH4", "nofuel");
  arguments[4] = "nofuel/chem.bin";
  const ProgramRun refused = workspace.run("sorvane", arguments);
  EXPECT_EQ(refused.status, 1) << refused.console;
  EXPECT_NE(refused.console.find("unknown species CH4 in the fuel"), std::string::npos)
      << refused.console;
}

}  // namespace
}  // namespace integration
