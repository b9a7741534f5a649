#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/driver/case_library.h"
#include "analysis/driver/free_format.h"
#include "analysis/driver/selection_file.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
  const std::string path = test_support::ScratchPath(name);
  test_support::WriteText(path, text);
  return path;
}

using test_support::MemoryConsole;

TEST(SelectionFile, StartSpeciesAndThreshold) {
  struct Case {
    const char* text;
    std::vector<std::int32_t> species;
    double threshold;
  };
  const Case cases[] = {
      {"1, 2, 2,  9\n0.1\n", {1, 2, 2, 9}, 0.1},  // repeats stay
      {"0.95 4.92\n  \n\n  1.5E-2 trailing words\n", {1, 5}, 0.015},
      {"12\r\n-0.5\r\n", {12}, -0.5},  // CR LF line ends
      {"3\t4\n1d-1\n", {3, 4}, 0.1},   // a tab separates; a D exponent reads
  };
  for (const Case& c : cases) {
    MemoryConsole console;
    const driver::Selection selection =
        driver::ReadSelectionFile(writeFile("selection.dat", c.text), 12, console);
    EXPECT_EQ(selection.SelectedSpecies, c.species) << c.text;
    EXPECT_EQ(selection.Threshold, c.threshold) << c.text;
    EXPECT_EQ(console.text(), "");
  }
}

TEST(SelectionFile, Refusals) {
  struct Case {
    const char* text;
    bool pauses;
    std::string message;
  };
  const std::string path = writeFile("selection.dat", "");
  const Case cases[] = {
      {"\n0.1\n", false, " Need at least one selected species to start!\n"},
      {"1 13\n0.1\n", true,
       " Selected species 13 in " + path + " is not a species number 1..12.\n"},
      {"0 1\n0.1\n", true, " Selected species 0 in " + path + " is not a species number 1..12.\n"},
      {"1\nabc\n", false, " Error reading the threshold at line 2 of " + path + ".\n"},
      {"1\n\n", false, " End of file reading the threshold in " + path + ".\n"},
  };
  for (const Case& c : cases) {
    MemoryConsole console;
    writeFile("selection.dat", c.text);
    try {
      driver::ReadSelectionFile(path, 12, console);
      ADD_FAILURE() << "no stop for " << c.text;
    } catch (const common::Stop& stop) {
      EXPECT_EQ(stop.pauses(), c.pauses) << c.text;
    }
    EXPECT_EQ(console.text(), c.message);
  }
}

TEST(FreeFormat, RealsAndWords) {
  EXPECT_EQ(driver::FirstWord("  PSRLIB other words"), "PSRLIB");
  EXPECT_EQ(driver::FirstWord("SENLIB,x"), "SENLIB");
  EXPECT_EQ(driver::FirstWord("   "), "");
  EXPECT_EQ(driver::ReadFreeReal("+.5"), 0.5);
  EXPECT_EQ(driver::ReadFreeReal("1.E3"), 1000.0);
  EXPECT_FALSE(driver::ReadFreeReal("inf"));
  EXPECT_FALSE(driver::ReadFreeReal("0.1x"));
}

std::string library(const std::string& body) {
  return "SENLIB test library\nKK     2\n" + body;
}

TEST(CaseLibrary, ClassifiesLinesInOrder) {
  MemoryConsole console;
  const std::string path = writeFile("lib.asc", library("! comment\n"
                                                        "/ also a comment\n"
                                                        "TAU0 1.5E-3\n"
                                                        "0 1013250 0 0 0 0 1500 0.25 0.75 \n"
                                                        "T 1\n"
                                                        "     x\n"
                                                        "e\n"));
  driver::CaseLibrary lib(path, 2, console);
  using Kind = driver::LibraryLine::Kind;
  EXPECT_EQ(lib.next().kind, Kind::Comment);
  EXPECT_EQ(lib.next().kind, Kind::Comment);
  const driver::LibraryLine header = lib.next();
  EXPECT_EQ(header.kind, Kind::BlockHeader);
  EXPECT_TRUE(header.closesBlock);  // a "TAU0" line closes the block before it opens its own
  EXPECT_EQ(header.tau0, 1.5e-3);
  ASSERT_EQ(lib.next().kind, Kind::Case);
  const std::span<const double> values = lib.caseValues();
  EXPECT_EQ(driver::CasePressure(values), 1013250);
  EXPECT_EQ(driver::CaseTemperature(values), 1500);
  EXPECT_EQ(driver::CaseMoleFractions(values)[1], 0.75);
  // A "T" line closes the block and is then read as a case line: its letter is refused.
  const driver::LibraryLine tLine = lib.next();
  EXPECT_TRUE(tLine.closesBlock);
  EXPECT_EQ(tLine.kind, Kind::Case);
  EXPECT_THROW(lib.caseValues(), common::Stop);
  EXPECT_EQ(console.text(),
            " Character \"T\" is not part of a number at line 7, column 1 of " + path + ".\n");
}

TEST(CaseLibrary, HeaderAndLineErrors) {
  struct Case {
    std::string text;
    bool pauses;
    const char* message;
  };
  const Case cases[] = {
      {"senlib\nKK     2\n", true, " wrong start file without SENLIB or PSRLIB heading\n"},
      {"SENLIB\nkk     2\n", true, " Warn!! wrong start file without KK for species Num.\n"},
      {library("TAU0 1\n0 1 0 0 0 0 1 0.5 0.5 9 \n"), false, " data number is not KK+7 9 10\n"},
  };
  for (const Case& c : cases) {
    MemoryConsole console;
    const std::string path = writeFile("lib.asc", c.text);
    try {
      driver::CaseLibrary lib(path, 2, console);
      while (true) {
        if (lib.next().kind == driver::LibraryLine::Kind::Case) lib.caseValues();
      }
    } catch (const common::Stop& stop) {
      EXPECT_EQ(stop.pauses(), c.pauses) << c.text;
    }
    EXPECT_EQ(console.text(), c.message) << c.text;
  }
}

TEST(CaseLibrary, SpeciesCountMismatchWarnsAndGoesOn) {
  MemoryConsole console;
  const std::string path = writeFile("lib.asc", "PSRLIB more words\nKK     3\nE\n");
  driver::CaseLibrary lib(path, 2, console);
  EXPECT_EQ(console.text(), " Wrong KK number in data file, KK= 2 10\n");
  EXPECT_EQ(lib.next().kind, driver::LibraryLine::Kind::End);
}

}  // namespace
