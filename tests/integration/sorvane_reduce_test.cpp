// sorvane reduce from the command line: the printed example, run on the shipped sample, goes
// from mechanism text to a validated reduced mechanism and the record of its search.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "program_runner.h"
#include "support/shared_data.h"

namespace integration {
namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

TEST(SorvaneReduce, TheExampleReducesTheShippedSampleWithinItsLimit) {
  Workspace workspace("sorvane-reduce");
  const ProgramRun example = workspace.run("sorvane", {"reduce", "--print-example"});
  ASSERT_EQ(example.status, 0) << example.console;
  // The example names the sample from the repository root; here it is found where it lies.
  workspace.write("reduce.yaml",
                  replaced(example.console, "data/gri30/", test_support::ShippedData("gri30/")));
  const ProgramRun run =
      workspace.run("sorvane", {"reduce", "reduce.yaml", "-o", "reduced", "--threads", "2"});
  ASSERT_EQ(run.status, 0) << run.console;
  EXPECT_NE(run.console.find(" species 53 -> 27, reactions 325 -> 159; largest error 3.82"),
            std::string::npos)
      << run.console;
  for (const char* file : {"chem.inp", "therm.dat", "tran.dat", "sorvane.out", "validation.csv",
                           "reduce.csv", "reduce.json"}) {
    EXPECT_TRUE(workspace.exists(std::string("reduced/") + file)) << file;
  }
  // One row per probe, exactly one of them chosen, and the chosen one within the limit.
  const std::string probes = workspace.read("reduced/reduce.csv");
  EXPECT_EQ(probes.rfind("probe,prefix,species,reactions,largest_error_percent,within_limit,", 0),
            0u);
  EXPECT_NE(probes.find(",24,27,159,3.82"), std::string::npos) << probes;
  const std::string table = workspace.read("reduced/validation.csv");
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 5) << table;

  // A command-line override wins over the file: a tighter limit keeps more species.
  const ProgramRun tight = workspace.run(
      "sorvane", {"reduce", "reduce.yaml", "-o", "tight", "--error-limit", "1", "--threads", "2"});
  ASSERT_EQ(tight.status, 0) << tight.console;
  EXPECT_EQ(tight.console.find(" species 53 -> 27,"), std::string::npos) << tight.console;
}

}  // namespace
}  // namespace integration
