#include "analysis/driver/number_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_console.h"

namespace {

struct Parsed {
  std::vector<double> values;
  std::string console;
  bool stopped = false;
};

Parsed parse(std::string text, int first = 1, int last = -1) {
  if (last < 0) last = static_cast<int>(text.size());
  test_support::MemoryConsole console;
  std::vector<double> buffer(driver::kValueCapacity, -99.0);
  const std::string path = "lib.asc";
  std::int32_t count = -1;
  Parsed parsed;
  try {
    driver::ParseNumberFields(driver::kValueCapacity, text, first, last, count, buffer, {&path, 7},
                              console);
    parsed.values.assign(buffer.begin(), buffer.begin() + count);
  } catch (const common::Stop& stop) {
    parsed.stopped = true;
    EXPECT_TRUE(stop.pauses());
  }
  parsed.console = console.text();
  return parsed;
}

TEST(ParseNumberFields, NumberSyntax) {
  struct Case {
    const char* text;
    std::vector<double> values;
  };
  const Case cases[] = {
      {"3,5 7 ", {3, 5, 7}},
      {"-1.5e-3 ", {-1.5 / 1000.0}},
      {".5 ", {0.5}},
      {"12", {}},  // a number needs a separator inside the range
      {"1.0E2 ", {100.0}},
      {"2.5E+1,", {25.0}},
      {"1.0E 5 2 ", {1.0, 200000.0}},  // an open exponent takes the next number's digits
      {",, 4,,  5 ,", {4, 5}},         // separators repeat; a lone comma stores nothing
      {"- . E + ", {}},                // signs, points and letters without digits
      {"1.2345678E-21 ", {12345678.0 / 10000000.0 * (1.0 / 1e21)}},
      {"0.0000000E+00 ", {0.0}},
      {"-0 ", {-0.0}},
      {"123456789 ", {123456789.0}},
      {"2147483647 ", {2147483647.0}},  // the largest mantissa
      {"0.1234567890 ", {1234567890.0 / 1e10}},
  };
  for (const Case& c : cases) {
    const Parsed parsed = parse(c.text);
    ASSERT_FALSE(parsed.stopped) << c.text << parsed.console;
    EXPECT_EQ(parsed.values, c.values) << c.text;
  }
}

TEST(ParseNumberFields, ColumnRange) {
  EXPECT_EQ(parse("KK    53  ", 3, 10).values, std::vector<double>{53});
  EXPECT_EQ(parse("KK      53", 3, 10).values, std::vector<double>{});  // touches column 10
  EXPECT_EQ(parse("TAU0 1.5E-3 9 ", 5, 20).values, (std::vector<double>{1.5e-3, 9}));
  EXPECT_EQ(parse("99 7 ", 3, 5).values, std::vector<double>{7});
}

TEST(ParseNumberFields, RejectsWhatIsOutsideTheSyntax) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"1.5x ", " Character \"x\" is not part of a number at line 7, column 4 of lib.asc.\n"},
      {"TAU0 ", " Character \"T\" is not part of a number at line 7, column 1 of lib.asc.\n"},
      {"2147483648 ",
       " Number with too many digits (nine at most) at line 7, column 10 of lib.asc.\n"},
      {"1E99999999999 ", " Exponent out of range at line 7, column 12 of lib.asc.\n"},
      {"1E.5 ", " Character \".\" is not part of a number at line 7, column 3 of lib.asc.\n"},
  };
  for (const Case& c : cases) {
    const Parsed parsed = parse(c.text);
    EXPECT_TRUE(parsed.stopped) << c.text;
    EXPECT_EQ(parsed.console, c.message);
  }
}

TEST(ParseNumberFields, MoreNumbersThanTheCapacityStop) {
  test_support::MemoryConsole console;
  std::vector<double> buffer(3);
  std::int32_t count = 0;
  const std::string text = "1 2 3 4 ";
  EXPECT_THROW(driver::ParseNumberFields(3, text, 1, 8, count, buffer, {}, console), common::Stop);
  EXPECT_EQ(console.text(), " dimension of Nchar is too small\n");
}

}  // namespace
