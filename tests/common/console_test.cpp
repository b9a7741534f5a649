#include "common/console.h"

#include <gtest/gtest.h>

#include "support/memory_console.h"

namespace {

TEST(Console, FreeFormatLines) {
  EXPECT_EQ(common::freeFormat({"Element#= ", std::int64_t{5}, "  Species#= ", std::int64_t{53}}),
            " Element#= 5  Species#= 53");
  EXPECT_EQ(common::freeFormat({"data number is not KK+7", std::int64_t{60}, std::int64_t{61}}),
            " data number is not KK+7 60 61");
  EXPECT_EQ(common::freeFormat({"TAU0=", 1.097169}), " TAU0= 1.097169");
  EXPECT_EQ(common::freeFormat({"x", 0.1 + 0.2}), " x 0.30000000000000004");
}

int stopsAfterMessage(common::Console& console, int, char**) {
  common::stopRun(console, {"", " failed:", "   two lines"}, true);
}

TEST(Console, StopUnwindsToTheProgramAndPausesOnlyThere) {
  test_support::MemoryConsole console;  // end of input: the pause must return at once
  const int status = common::runProgram(console, stopsAfterMessage, 0, nullptr);
  EXPECT_EQ(status, common::kExitStopped);
  EXPECT_EQ(console.text(), "\n failed:\n   two lines\n" + std::string(common::kPausePrompt) + "\n");
}

TEST(Console, StopCarriesItsLinesAsData) {
  test_support::MemoryConsole console;
  try {
    stopsAfterMessage(console, 0, nullptr);
  } catch (const common::Stop& stop) {
    EXPECT_EQ(stop.lines(), (std::vector<std::string>{"", " failed:", "   two lines"}));
    EXPECT_EQ(stop.reason(), "failed:\ntwo lines");
  }
  EXPECT_EQ(common::Stop::Silent("why", true).reason(), "why");
}

}  // namespace
