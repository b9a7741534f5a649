// Reading trim files and choosing the removed species: each case a text and what it must give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/console.h"
#include "reduction/species_choice.h"

namespace {

struct TrimCase {
  const char* label;
  std::string text;
  int speciesCount;
  std::vector<int> numbers;  // expected when `refusal` is empty
  std::string refusal;       // a part of the message
};

TEST(TrimFile, ReadsTheAnalysisFormatAndRefusesWhatDoesNotFit) {
  const std::string header4 = "NOTE: Original SP#=   53  Trim SP#=    4  Keep SP#=   49\n";
  const std::vector<TrimCase> cases = {
      {"written by the analysis", header4 + "   43   49   50   51\n", 53, {43, 49, 50, 51}, ""},
      {"five-digit numbers run together",
       "NOTE: Original SP#=12000  Trim SP#=    2  Keep SP#=11998\n10001  2\n",
       12000,
       {10001, 2},
       ""},
      {"nothing trimmed",
       "NOTE: Original SP#=   53  Trim SP#=    0  Keep SP#=   53\n\n",
       53,
       {},
       ""},
      {"written by hand", header4 + "43 49\t50 51\n", 53, {43, 49, 50, 51}, ""},
      {"another mechanism",
       header4 + "   43   49   50   51\n",
       29,
       {},
       "made for a mechanism of 53"},
      {"not a trim file", "H2 O2\n", 53, {}, "not a trim file"},
      {"count and list differ", header4 + "   43   49   50\n", 53, {}, "do not match"},
      {"not numbers", header4 + "   43   4x   50   51\n", 53, {}, "do not read as integers"},
  };
  for (const TrimCase& c : cases) {
    SCOPED_TRACE(c.label);
    try {
      EXPECT_EQ(reduction::ReadTrimNumbers(c.text, "fortrim.txt", c.speciesCount), c.numbers);
      EXPECT_TRUE(c.refusal.empty());
    } catch (const common::Stop& stop) {
      EXPECT_NE(c.refusal, "");
      EXPECT_NE(stop.reason().find(c.refusal), std::string::npos) << stop.reason();
    }
  }
}

TEST(SpeciesChoice, KeptNamesWinAndUnknownsAreRefused) {
  const std::vector<std::string> names = {"H2", "O2", "H2O", "AR"};
  struct Case {
    const char* label;
    std::vector<int> numbers;
    std::vector<std::string> remove, keep;
    std::vector<bool> removed;
    std::string refusal;
  };
  const std::vector<Case> cases = {
      {"numbers", {2, 4}, {}, {}, {false, true, false, true}, ""},
      {"names", {}, {"AR"}, {}, {false, false, false, true}, ""},
      {"kept wins", {2, 4}, {}, {"AR"}, {false, true, false, false}, ""},
      {"number out of range", {5}, {}, {}, {}, "outside 1..4"},
      {"number zero", {0}, {}, {}, {}, "outside 1..4"},
      {"number twice", {2, 2}, {}, {}, {}, "listed twice"},
      {"unknown name", {}, {"N2"}, {}, {}, "N2 is not a species"},
      {"unknown kept name", {1}, {}, {"h2"}, {}, "h2 is not a species"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    try {
      EXPECT_EQ(reduction::ChooseRemovedSpecies(names, c.numbers, c.remove, c.keep), c.removed);
      EXPECT_TRUE(c.refusal.empty());
    } catch (const common::Stop& stop) {
      EXPECT_NE(stop.reason().find(c.refusal), std::string::npos) << stop.reason();
      EXPECT_FALSE(c.refusal.empty());
    }
  }
}

}  // namespace
