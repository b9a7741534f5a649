// sorvane write as a program: the files of a reduction by the analysis' own trim file, and the
// refusals of inputs that cannot be reduced, which must leave every file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
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

namespace integration {
namespace {

// The case library with only the kept species' mole fractions (`dropRemoved`) or with the
// removed ones at zero.
std::string RestrictedLibrary(const std::string& library, const std::vector<bool>& removed,
                              bool dropRemoved) {
  std::istringstream in(library);
  std::string text;
  const auto kept = std::count(removed.begin(), removed.end(), false);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::vector<std::string> values;
    for (std::string value; fields >> value;) values.push_back(value);
    if (!values.empty() && values[0] == "KK" && dropRemoved) {
      line = "KK " + std::to_string(kept);
    } else if (values.size() == removed.size() + 7) {
      line.clear();
      for (std::size_t v = 0; v < values.size(); ++v) {
        const bool gone = v >= 7 && removed[v - 7];
        if (gone && dropRemoved) continue;
        line += (line.empty() ? "" : " ") + (gone ? std::string("0.0") : values[v]);
      }
    }
    text += line + "\n";
  }
  return text;
}

// The numbers of a section of the listing ("REMOVED SPECIES (3)" and its lines).
std::vector<int> ListedNumbers(const std::string& listing, const std::string& section) {
  std::istringstream in(listing.substr(listing.find(section)));
  std::string line;
  std::getline(in, line);
  std::vector<int> numbers;
  while (std::getline(in, line) && !line.empty()) numbers.push_back(std::stoi(line));
  return numbers;
}

// The rows of tarnwick-rates without the reaction column, per reaction number.
std::map<int, std::vector<std::string>> RatesByReaction(const std::string& csv) {
  std::map<int, std::vector<std::string>> rows;
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    const std::size_t first = line.find(',');
    const std::size_t second = line.find(',', first + 1);
    const std::size_t third = line.find(',', second + 1);
    rows[std::stoi(line.substr(second + 1, third - second - 1))].push_back(line.substr(0, second) +
                                                                           line.substr(third));
  }
  return rows;
}

TEST(Sorvane, KeptReactionsHaveTheRatesOfTheDetailedMechanismInTarnwickRates) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  struct Case {
    std::string folder, mechanism, thermo, trim;
  };
  const std::vector<Case> cases = {
      {"gri30", "gri30.inp", "gri30_thermo.dat", "expected/gri30-demo/fortrim.txt"},
      {"llnl_nheptane_v2", "chem.inp", "thermo.dat", "expected/nheptane/fortrim.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    Workspace workspace("sorvane-rates");
    const std::string mechanism = SharedData(c.folder + "/" + c.mechanism);
    const std::string thermo = SharedData(c.folder + "/" + c.thermo);
    workspace.write("fortrim.txt", ReadText(test_support::TestData(c.trim)));
    ASSERT_EQ(workspace
                  .run("sorvane", {"write", "--mech", mechanism, "--thermo", thermo, "--trim",
                                   "fortrim.txt", "-o", "reduced"})
                  .status,
              0);
    ASSERT_EQ(workspace.run("vordane", {mechanism, thermo, "full.bin", "full.out"}).status, 0);
    ASSERT_EQ(
        workspace
            .run("vordane", {"reduced/chem.inp", "reduced/therm.dat", "reduced.bin", "reduced.out"})
            .status,
        0);
    const std::string listing = workspace.read("reduced/sorvane.out");
    const std::string library = ReadText(SharedData(c.folder + "/libdata.asc"));
    // The species count is the library's KK line.
    const std::size_t countAt = library.find("KK") + 2;
    std::vector<bool> removed(
        std::stoul(library.substr(countAt, library.find('\n', countAt) - countAt)));
    for (const int k : ListedNumbers(listing, "REMOVED SPECIES"))
      removed[static_cast<std::size_t>(k - 1)] = true;
    workspace.write("full.asc", RestrictedLibrary(library, removed, false));
    workspace.write("reduced.asc", RestrictedLibrary(library, removed, true));
    const auto full =
        RatesByReaction(workspace.run("tarnwick-rates", {"full.bin", "full.asc"}).console);
    const auto reduced =
        RatesByReaction(workspace.run("tarnwick-rates", {"reduced.bin", "reduced.asc"}).console);
    const std::vector<int> removedReactions = ListedNumbers(listing, "REMOVED REACTIONS");
    int reducedNumber = 0;
    for (const auto& [number, rows] : full) {
      if (std::count(removedReactions.begin(), removedReactions.end(), number) != 0) continue;
      ++reducedNumber;
      ASSERT_EQ(reduced.at(reducedNumber), rows) << "reaction " << number;
    }
    EXPECT_EQ(reducedNumber, static_cast<int>(reduced.size()));
    EXPECT_GT(reducedNumber, 0);
  }
}

}  // namespace
}  // namespace integration
