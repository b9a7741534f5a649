#include "analysis/driver/result_lines.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::vector<std::int32_t> oneTo(int n) {
  std::vector<std::int32_t> values(n);
  std::iota(values.begin(), values.end(), 1);
  return values;
}

TEST(ResultLines, FixedLayouts) {
  const std::vector<std::int32_t> kept{1, 4, 17};
  EXPECT_EQ(driver::CaseLine(3, kept), "Line  3/21 [   3]:    1    4   17");
  EXPECT_EQ(driver::CaseLine(1000, {}), "Line***/21 [   0]:");
  EXPECT_EQ(driver::CpuTimeLine(0.42), "           CPU TIME:      0.42 S");
  EXPECT_EQ(driver::BlockLine(2, kept), "Case   2    3:    1    4   17");
  EXPECT_EQ(driver::AllCasesLine(kept), "Allcases    3:    1    4   17");
  EXPECT_EQ(driver::TrimCountsLine(120, 53),
            "NOTE: Original SP#=  120  Trim SP#=   53  Keep SP#=   67");
  EXPECT_EQ(driver::TrimListLine({}), "");
  EXPECT_EQ(driver::PreselectionLine(std::vector<std::int32_t>{14, 4}),
            "Preselection      14       4");
  EXPECT_EQ(driver::ThresholdLine(0.1), "Threshold  0.100000");
  EXPECT_EQ(driver::ThresholdLine(-1.0), "Threshold -1.000000");
}

TEST(ResultLines, ConsoleCaseLinesWrapAfterTwenty) {
  struct Case {
    int kept;
    std::vector<std::size_t> lineLengths;
  };
  const Case cases[] = {
      {0, {18}},
      {20, {18 + 100}},
      {40, {18 + 100, 18 + 100}},
      {45, {18 + 100, 18 + 100, 18 + 25}},
  };
  for (const Case& c : cases) {
    const auto lines = driver::CaseConsoleLines(7, oneTo(c.kept));
    ASSERT_EQ(lines.size(), c.lineLengths.size()) << c.kept;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].size(), c.lineLengths[i]);
      if (i > 0) {
        EXPECT_EQ(lines[i].substr(0, 18), std::string(18, ' '));
      }
    }
  }
  const auto lines = driver::CaseConsoleLines(7, oneTo(45));
  EXPECT_EQ(lines[2], std::string(18, ' ') + "   41   42   43   44   45");
  EXPECT_EQ(driver::CaseLine(7, oneTo(45)).size(), 18u + 45 * 5);
}

}  // namespace
