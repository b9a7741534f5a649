#include "converters/quillet/transport_data.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/shared_data.h"

namespace quillet {
namespace {

const std::vector<std::string> kNames = {"H2", "H2O", "AR"};

std::string messages(const Diagnostics& diagnostics) {
  std::string text;
  for (const Diagnostic& d : diagnostics.items()) text += FormatDiagnostic(d) + "\n";
  return text;
}

TransportData parse(const std::string& text, Diagnostics& diagnostics) {
  std::istringstream input(text);
  return ParseTransportData(input, "tran.dat", kNames, diagnostics);
}

const char* const kGood =
    "! a comment line\n"
    "AR   0  136.500  3.330  0.000  0.000  0.000\n"
    "\n"
    "H2   1   38.000  2.920  0.000  0.790 280.000 ! comment after the fields\n"
    "CH4  2  141.400  3.746  0.000  2.600  13.000\n"
    "H2O\t2\t572.4\t2.605\t1.844\t0.0\t4.0\r\n";

TEST(TransportData, ReadsTheSpeciesOfTheMechanism) {
  Diagnostics diagnostics;
  const TransportData data = parse(kGood, diagnostics);
  EXPECT_EQ(diagnostics.items().size(), 0u) << messages(diagnostics);
  ASSERT_TRUE(data.entries[0] && data.entries[1] && data.entries[2]);
  EXPECT_EQ(data.entries[0]->line, 4);
  EXPECT_EQ(data.entries[0]->parameters.geometry, kLinear);
  EXPECT_EQ(data.entries[0]->parameters.rotationalRelaxation, 280.0);
  EXPECT_EQ(data.entries[1]->parameters.dipole, 1.844);
  EXPECT_EQ(data.entries[1]->parameters.geometry, kNonlinear);
  EXPECT_EQ(data.entries[2]->parameters.wellDepth, 136.5);
  EXPECT_EQ(data.skippedLines, 1);
}

// Each case: one line for H2 among good lines for the others; the expected message or none.
TEST(TransportData, ChecksEachLineOfAMechanismSpecies) {
  struct Case {
    const char* line;
    const char* message;  // nullptr: accepted
    double diameter;      // when accepted
  };
  const Case kCases[] = {
      {"H2 1 38.0 2.92 0.0 0.79 280.0", nullptr, 2.92},
      {"H2 1.00 38.0 2.92 0.0 0.79 280.0", nullptr, 2.92},
      {"H2 1. 38.0 2.92 0.0 0.79 280.0", nullptr, 2.92},
      {"H2 1 38.0 2.92D+00 0.0 0.79 280.0", nullptr, 2.92},
      {"H2 1 38.0 +2.92 0.0 0.79 280.0", nullptr, 2.92},
      {"H2 a 38.0 2.92 0.0 0.79 280.0", "geometry \"a\" is not 0", 0},
      {"H2 3 38.0 2.92 0.0 0.79 280.0", "geometry \"3\" is not 0", 0},
      {"H2 0.9999999999999999 38.0 2.92 0.0 0.79 280.0", "geometry \"0.9999999999999999\"", 0},
      {"H2 1.5 38.0 2.92 0.0 0.79 280.0", "geometry \"1.5\"", 0},
      {"H2 1 38.0 2.92 0.0 0.79", "expected 7 fields", 0},
      {"H2 1 38.0 2.92 1.8 0. 0.79 280.0", "expected 7 fields", 0},
      {"H2 1 38.0 2,92 0.0 0.79 280.0", "collision diameter \"2,92\" is not a number", 0},
      {"H2 1 0.0 2.92 0.0 0.79 280.0", "well depth \"0.0\" must be positive", 0},
      {"H2 1 38.0 -2.92 0.0 0.79 280.0", "collision diameter \"-2.92\" must be positive", 0},
      {"H2 1 38.0 2.92 -1.0 0.79 280.0", "dipole moment \"-1.0\" must not be negative", 0},
      {"H2 1 38.0 2.92 0.0 0.79 nan", "rotational relaxation number \"nan\" is not a number", 0},
      {"H2 1 38.0 2.92 0.0 0.79 1e999", "is not a number", 0},
  };
  for (const Case& c : kCases) {
    Diagnostics diagnostics;
    const TransportData data =
        parse(std::string("AR 0 136.5 3.33 0 0 0\n") + c.line + "\nH2O 2 572.4 2.605 1.844 0 4\n",
              diagnostics);
    if (c.message == nullptr) {
      EXPECT_EQ(diagnostics.items().size(), 0u) << c.line << "\n" << messages(diagnostics);
      ASSERT_TRUE(data.entries[0]) << c.line;
      EXPECT_EQ(data.entries[0]->parameters.diameter, c.diameter) << c.line;
    } else {
      EXPECT_FALSE(data.entries[0]) << c.line;
      const std::string text = messages(diagnostics);
      EXPECT_NE(text.find("tran.dat:2: error: species H2: "), std::string::npos) << text;
      EXPECT_NE(text.find(c.message), std::string::npos) << c.line << "\n" << text;
      EXPECT_NE(text.find("no usable transport data for species H2"), std::string::npos);
    }
  }
}

TEST(TransportData, FirstEntryWinsAndEndStopsTheData) {
  Diagnostics diagnostics;
  const TransportData data = parse(
      "H2 1 38.0 2.92 0.0 0.79 280.0\n"
      "H2 1 99.0 9.99 0.0 0.79 280.0\n"
      "H2O 2 572.4 2.605 1.844 0 4\n"
      "end\n"
      "AR 0 136.5 3.33 0 0 0\n",
      diagnostics);
  ASSERT_TRUE(data.entries[0]);
  EXPECT_EQ(data.entries[0]->parameters.wellDepth, 38.0);
  EXPECT_TRUE(data.endSeen);
  EXPECT_FALSE(data.entries[2]);
  const std::string text = messages(diagnostics);
  EXPECT_NE(text.find("tran.dat:2: warning: 1 species has more than one entry in tran.dat"),
            std::string::npos)
      << text;
  ASSERT_EQ(data.repeats.size(), 1u);
  EXPECT_EQ(data.repeats[0].keptLine, 1);
  EXPECT_EQ(data.repeats[0].ignoredLines, std::vector<std::int64_t>{2});
  EXPECT_NE(text.find("tran.dat: error: no usable transport data for species AR"),
            std::string::npos)
      << text;
  EXPECT_EQ(diagnostics.errorCount(), 1u);
}

// The published files of malformed transport data: each must be refused at its line, or, for
// the geometry written as 1.00, accepted.
TEST(TransportData, PublishedMalformedFiles) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const std::vector<std::string> names = {"AR", "H", "H2", "H2O", "H2O2", "HO2", "O", "O2", "OH"};
  struct Case {
    const char* file;
    std::size_t errors;
    const char* message;
  };
  const Case kCases[] = {
      {"h2o2-bad-geometry-tran.dat", 2, ".dat:6: error: species HO2: geometry \"3\""},
      {"h2o2-character-geometry-tran.dat", 2, ".dat:6: error: species HO2: geometry \"a\""},
      {"h2o2-extra-column-entries-tran.dat", 2, ".dat:4: error: species H2O: expected 7 fields"},
      {"h2o2-float-arithmetic-error-geometry-tran.dat", 4,
       ".dat:3: error: species H2: geometry \"0.9999999999999999\""},
      {"h2o2-missing-species-tran.dat", 1, "error: no usable transport data for species H2O2"},
      {"h2o2-float-geometry-tran.dat", 0, nullptr},
      {"h2o2-duplicate-species-tran.dat", 0, ".dat:8: warning: 3 species have more than one entry"},
  };
  for (const Case& c : kCases) {
    Diagnostics diagnostics;
    const std::string path = test_support::SharedData("keyword_tests/cantera/") + c.file;
    const TransportData data = ReadTransportData(path, names, diagnostics);
    const std::string text = messages(diagnostics);
    EXPECT_EQ(diagnostics.errorCount(), c.errors) << c.file << "\n" << text;
    if (c.message != nullptr) {
      EXPECT_NE(text.find(c.message), std::string::npos) << text;
    }
  }
}

TEST(TransportData, MissingFileIsAnError) {
  Diagnostics diagnostics;
  const TransportData data = ReadTransportData("/nonexistent/tran.dat", kNames, diagnostics);
  ASSERT_GE(diagnostics.errorCount(), 1u);
  EXPECT_EQ(FormatDiagnostic(diagnostics.items()[0]),
            "/nonexistent/tran.dat: error: the transport data file cannot be opened");
  EXPECT_EQ(data.entries.size(), kNames.size());
}

}  // namespace
}  // namespace quillet
