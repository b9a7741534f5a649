// tarnwick-sweep: its library critical values predict tarnwick's Allcases line at any threshold
// above the floor, its curve file agrees with its table, and bad input stops it as it stops
// tarnwick, with no curve file written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "fixtures.h"
#include "support/shared_data.h"

namespace integration {
namespace {

constexpr double kStart = std::numeric_limits<double>::infinity();

// Species number -> library critical value from the table (start species +inf, species at or
// below the floor -inf).
std::map<int, double> readTable(const std::string& console) {
  std::map<int, double> values;
  std::istringstream lines(console);
  std::string line;
  bool inTable = false;
  while (std::getline(lines, line)) {
    if (line.find("Rank Species") != std::string::npos) {
      inTable = true;
      continue;
    }
    if (!inTable) continue;
    std::istringstream fields(line);
    int rank = 0, species = 0;
    std::string name, value;
    fields >> rank >> species >> name >> value;
    values[species] = value == "start" ? kStart
                      : value == "<="  ? -kStart
                                       : std::strtod(value.c_str(), nullptr);
  }
  return values;
}

std::set<int> allCases(const std::string& output) {
  std::set<int> kept;
  const auto at = output.find("Allcases");
  std::istringstream fields(output.substr(output.find(':', at) + 1));
  for (int k = 0; fields >> k;) kept.insert(k);
  return kept;
}

TEST(SweepProgram, PredictsTarnwickOnGriMechAtEveryThresholdAboveTheFloor) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  Workspace workspace("sweep-gri30");
  const std::string data = test_support::SharedData("gri30/");
  const ProgramRun sweep = workspace.run(
      "tarnwick-sweep", {data + "chem.bin", data + "libdata.asc", data + "selection.dat", "--floor",
                         "0.01", "--csv", "curve.csv"});
  ASSERT_EQ(sweep.status, 0) << sweep.console;
  const std::map<int, double> critical = readTable(sweep.console);
  ASSERT_EQ(critical.size(), 53u);

  // Thresholds that every number reader holds exactly.
  for (const char* threshold : {"0.5", "0.25", "0.125", "0.0625", "0.03125", "0.015625"}) {
    SCOPED_TRACE(threshold);
    workspace.write("selection.dat", std::string("14 4\n") + threshold + "\n");
    const ProgramRun run =
        workspace.run("tarnwick", {data + "chem.bin", data + "tran.bin", data + "libdata.asc",
                                   "selection.dat", "output.dat", "fortrim.txt"});
    ASSERT_EQ(run.status, 0);
    std::set<int> predicted;
    for (const auto& [k, c] : critical) {
      if (c > std::strtod(threshold, nullptr)) predicted.insert(k);
    }
    EXPECT_EQ(allCases(workspace.read("output.dat")), predicted);
  }

  // Every row of the curve: the species above its threshold, down to the floor.
  std::istringstream curve(workspace.read("curve.csv"));
  std::string row;
  std::getline(curve, row);
  EXPECT_EQ(row, "threshold,kept_species");
  std::set<double> distinct;
  for (const auto& [k, c] : critical) {
    if (c > 0.01 && c < kStart) distinct.insert(c);
  }
  std::size_t rows = 0;
  double last = kStart;
  while (std::getline(curve, row)) {
    const double threshold = std::strtod(row.c_str(), nullptr);
    const int kept = std::atoi(row.substr(row.find(',') + 1).c_str());
    int expected = 0;
    for (const auto& [k, c] : critical) expected += c > threshold;
    EXPECT_EQ(kept, expected) << row;
    EXPECT_LT(threshold, last);
    last = threshold;
    ++rows;
  }
  EXPECT_EQ(rows, distinct.size() + 1);  // and the floor
  EXPECT_EQ(last, 0.01);
}

TEST(SweepProgram, BadInputStopsWithoutACurveFile) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::string library;  // empty: none written
    std::string console;  // what the console holds
    int status;
  };
  const std::string lean = "SENLIB test\nKK     5\nTAU0 1.0E-3 \n" + LeanCase();
  const std::vector<Case> cases{
      {"missing library",
       {"chem.bin", "lib.asc", "selection.dat", "--csv", "c.csv"},
       "",
       NotFound("lib.asc") + Prompt(),
       1},
      {"no end line",
       {"chem.bin", "lib.asc", "selection.dat", "--csv", "c.csv"},
       lean,
       "lib.asc",
       1},
      {"no results",
       {"chem.bin", "lib.asc", "selection.dat", "--csv", "c.csv"},
       "SENLIB test\nKK     5\nTAU0 1.0E-3 \nEND\n",
       " TAU0= 0.001\n",
       2},
      {"curve over an input",
       {"chem.bin", "lib.asc", "selection.dat", "--csv", "./lib.asc"},
       lean + "END\n",
       "is the same file as the case library",
       1},
      {"NaN floor",
       {"chem.bin", "lib.asc", "selection.dat", "--floor", "nan", "--csv", "c.csv"},
       lean + "END\n",
       " The floor must be a number below infinity.\n",
       1},
      {"wrong arguments", {"chem.bin", "lib.asc"}, lean + "END\n", "is required", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace workspace("sweep-bad-input");
    WritePathInputs(workspace);
    if (!c.library.empty()) workspace.write("lib.asc", c.library);
    const ProgramRun run = workspace.run("tarnwick-sweep", c.arguments);
    EXPECT_NE(run.console.find(c.console), std::string::npos) << run.console;
    EXPECT_EQ(run.status, c.status);
    EXPECT_FALSE(workspace.exists("c.csv"));
    if (!c.library.empty()) {
      EXPECT_EQ(workspace.read("lib.asc"), c.library);
    }
  }
}

}  // namespace
}  // namespace integration
