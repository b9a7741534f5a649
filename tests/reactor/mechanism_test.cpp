// Reactions a reactor cannot evaluate are refused when the Mechanism is made, each with its
// reason and the first such reaction; the rest of the mechanism is accepted.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "kinetics/kinetics_support.h"
#include "kinetics/linking_file.h"
#include "reactor/reactor.h"
#include "support/memory_console.h"

namespace reactor {
namespace {

TEST(MechanismTest, RefusesWhatTheRateKernelRefusesAndElectronReactions) {
  struct Case {
    const char* name;
    void (*strip)(kinetics::LinkMechanism&);
    const char* reason;  // empty: accepted
  };
  const Case cases[] = {
      {"everything", [](kinetics::LinkMechanism&) {}, "real stoichiometric coefficients"},
      {"no real coefficients", [](kinetics::LinkMechanism& m) { m.realStoich.clear(); },
       "fitted reactions"},
      {"no fitted reactions",
       [](kinetics::LinkMechanism& m) {
         m.realStoich.clear();
         m.fit.clear();
       },
       "electron-impact reactions"},
      {"no electron-impact reactions",
       [](kinetics::LinkMechanism& m) {
         m.realStoich.clear();
         m.fit.clear();
         m.electronImpact.clear();
       },
       "Janev-type"},
      {"none of them",
       [](kinetics::LinkMechanism& m) {
         m.realStoich.clear();
         m.fit.clear();
         m.electronImpact.clear();
         m.janev.clear();
       },
       ""},
  };
  for (const Case& c : cases) {
    kinetics::LinkMechanism link = kinetics::testing::FullMechanism();
    c.strip(link);
    test_support::MemoryConsole console;
    auto loaded = kinetics::LoadKineticsFile(
        kinetics::testing::WriteFixture(std::string("refusal-") + c.name + ".bin", link), console);
    if (std::string(c.reason).empty()) {
      EXPECT_NO_THROW(Mechanism{std::move(loaded)}) << c.name;
      continue;
    }
    try {
      Mechanism mechanism(std::move(loaded));
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const std::invalid_argument& refused) {
      EXPECT_NE(std::string(refused.what()).find(c.reason), std::string::npos)
          << c.name << ": " << refused.what();
      EXPECT_NE(std::string(refused.what()).find("(reaction "), std::string::npos) << c.name;
    }
  }
}

}  // namespace
}  // namespace reactor
