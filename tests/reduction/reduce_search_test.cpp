// sorvane reduce: the prefix search against brute force, and the mistakes users make in a
// configuration, each refused with the key named and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/console.h"
#include "reduction/prefix_search.h"
#include "reduction/reduce_command.h"
#include "reduction/reduce_config.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace reduction {
namespace {

// What the search promises, for a table of pass/fail by prefix (prefix `count` always passes).
void expectPromise(const std::vector<bool>& passes, std::size_t answer, const std::string& what) {
  const std::size_t count = passes.size();
  ASSERT_LE(answer, count) << what;
  if (answer < count) {
    EXPECT_TRUE(passes[answer]) << what;
  }
  for (std::size_t below = 1; below <= kNeighboursChecked && below <= answer; ++below) {
    EXPECT_FALSE(passes[answer - below]) << what << ", answer " << answer;
  }
  // Where the test is monotone the answer is the shortest passing prefix.
  std::size_t first = count;
  for (std::size_t n = count; n-- > 0 && passes[n];) first = n;
  bool monotone = true;
  for (std::size_t n = 0; n < first; ++n) monotone = monotone && !passes[n];
  if (monotone) {
    EXPECT_EQ(answer, first) << what;
  }
}

TEST(PrefixSearch, KeepsItsPromiseOnEveryPassPatternUpToTenPrefixes) {
  for (std::size_t count = 0; count <= 10; ++count) {
    for (unsigned bits = 0; bits < (1u << count); ++bits) {
      std::vector<bool> passes(count);
      std::string what = "pattern ";
      for (std::size_t n = 0; n < count; ++n) {
        passes[n] = ((bits >> n) & 1u) != 0;
        what += passes[n] ? '1' : '0';
      }
      std::set<std::size_t> asked;
      const std::size_t answer = ShortestPassingPrefix(count, [&](std::size_t n) {
        EXPECT_TRUE(asked.insert(n).second) << what << ": prefix " << n << " asked twice";
        EXPECT_LT(n, count) << what;
        return passes[n];
      });
      expectPromise(passes, answer, what);
    }
  }
}

ReduceOptions hydrogen(const std::string& output) {
  ReduceOptions o;
  o.mechanism = test_support::SharedData("h2_burke2012/chem.inp");
  o.targets = {"H2", "O2"};
  o.fuel = "H2";
  o.pressures = {1.0};
  o.temperatures = {1000.0, 1200.0};
  o.endTime = 0.1;
  o.errorLimit = 2.0;
  o.outputFolder = output;
  return o;
}

// Every prefix of the hydrogen mechanism probed, and the bisection's answer held to the same
// table of outcomes.
TEST(ReduceSearch, BisectionAgreesWithBruteForceOnTheHydrogenMechanism) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  std::ostringstream progress;
  ReductionSearch search(hydrogen(test_support::ScratchPath("h2-reduced")), progress, false);
  ASSERT_EQ(search.candidateCount(), 10u);  // 13 species less H2, O2, N2
  std::vector<bool> passes;
  for (std::size_t n = 0; n < search.candidateCount(); ++n)
    passes.push_back(search.probe(n).passed);
  const std::size_t answer =
      ShortestPassingPrefix(passes.size(), [&](std::size_t n) { return bool(passes[n]); });
  expectPromise(passes, answer, "hydrogen");
  EXPECT_FALSE(passes.front());  // H2 and O2 alone do not ignite
  EXPECT_GT(answer, 2u);
}

// A configuration with one mistake each; the message names the key.
TEST(ReduceConfig, EveryUserMistakeIsRefusedByKeyAndNothingIsWritten) {
  const std::string mechanism = test_support::ShippedData("gri30/gri30.inp");
  const std::string thermo = test_support::ShippedData("gri30/gri30_thermo.dat");
  const std::string output = test_support::ScratchPath("refused-reduction");
  const std::string base =
      "mechanism: " + mechanism + "\nthermo: " + thermo + "\noutput: " + output + "\n";
  const std::string conditions =
      "conditions: {fuel: CH4, phi: 1, pressure: 1, temperature: 1500, end-time: 0.1}\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {base + "targets: [CH4]\nerror_limit: 5\n" + conditions, "unknown key 'error_limit'"},
      {base + "targets: []\n" + conditions, "targets: at least one target species"},
      {base + "targets: [CH4, XYZ]\n" + conditions, "targets: 'XYZ' is not a species"},
      {base + "targets: [CH4]\nretained: [N2, QQ]\n" + conditions, "retained: 'QQ' is not"},
      {base + "targets: [CH4]\nerror-limit: 0\n" + conditions, "error-limit: must be a positive"},
      {base + "targets: [CH4]\nerror-limit: -3\n" + conditions, "error-limit: must be a positive"},
      {base + "targets: [CH4]\nstates: many\n" + conditions, "states must be a whole number"},
      {base + "targets: [CH4]\nmethod: drg\n" + conditions, "method: 'drg' is not"},
      {base + "targets: [CH4]\n", "conditions.fuel: no fuel given"},
      {base + "targets: [CH4]\nconditions: {fuel: CH4, oxidizer: 'O2:1,XX:2', temperature: 1500}\n",
       "conditions.oxidizer: 'XX' is not a species"},
      {base + "targets: [CH4]\nconditions: {fuel: CH4, temperature: 100}\n",
       "conditions.temperature: 100 K is outside"},
      {base + "targets: [CH4]\nconditions: {fuel: CH4, temperature: 1000, end-time: 1.0e-5}\n",
       "does not ignite at phi 1, 1 atm, 1000 K within end-time 1e-05 s"},
      {"mechanism: missing.inp\noutput: " + output + "\ntargets: [CH4]\n" + conditions,
       "mechanism: cannot read missing.inp"},
      {base + "thermo: missing.dat\ntargets: [CH4]\n" + conditions, "key 'thermo' given twice"},
      {"mechanism: " + mechanism + "\nthermo: missing.dat\noutput: " + output +
           "\ntargets: [CH4]\n" + conditions,
       "thermo: cannot read missing.dat"},
      {"output: " + output + "\ntargets: [CH4]\n" + conditions, "mechanism: no mechanism file"},
      {base + "targets: [CH4\n", "line"},
  };
  for (const auto& c : cases) {
    try {
      std::ostringstream progress;
      Reduce(ReadReduceConfig(c.text, "reduce.yaml"), progress, false);
      ADD_FAILURE() << "accepted:\n" << c.text;
    } catch (const common::Stop& stop) {
      EXPECT_NE(stop.reason().find(c.message), std::string::npos)
          << stop.reason() << "\nexpected: " << c.message;
    }
    EXPECT_FALSE(std::filesystem::exists(output)) << c.text;
  }
}

}  // namespace
}  // namespace reduction
