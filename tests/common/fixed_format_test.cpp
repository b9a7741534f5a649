#include "common/fixed_format.h"

#include <gtest/gtest.h>

namespace {

TEST(FixedFormat, IntegerFields) {
  struct Case {
    long long value;
    int width;
    const char* text;
  };
  const Case cases[] = {
      {3, 4, "   3"},      {120, 5, "  120"},    {-7, 3, " -7"},
      {12345, 5, "12345"}, {123456, 5, "*****"}, {-1000, 4, "****"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(common::formatInteger(c.value, c.width), c.text) << c.value;
  }
}

TEST(FixedFormat, RealFields) {
  struct Case {
    double value;
    int width;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {0.1, 10, 6, "  0.100000"},   {-0.5, 10, 6, " -0.500000"},
      {0.42, 10, 2, "      0.42"},  {1234.5678, 10, 2, "   1234.57"},
      {123.0, 10, 6, "123.000000"}, {1234.0, 10, 6, "**********"},
      {0.5, 4, 3, ".500"},  // the leading zero gives way before the field overflows
      {-0.5, 5, 3, "-.500"},        {1.0e300, 10, 2, "**********"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(common::formatFixed(c.value, c.width, c.decimals), c.text) << c.value;
  }
}

TEST(FixedFormat, RightAlignedText) {
  EXPECT_EQ(common::rightAligned("CPU TIME:", 20), "           CPU TIME:");
  EXPECT_EQ(common::rightAligned("Trim SP#=", 11), "  Trim SP#=");
  EXPECT_EQ(common::rightAligned("abcdef", 3), "abc");
}

}  // namespace
