// What a reduction changes inside the lines it keeps, on GRI-Mech 3.0 with a few reactions added:
// the whole reduced reaction section is compared with the one expected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converters/vordane/vordane.h"
#include "reduction/reduce_text.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

// The reaction section after the last reaction of the published file.
std::string tail(const std::string& text) {
  const std::size_t last = text.find("CH3+C3H7<=>2C2H5");
  return text.substr(text.find('\n', last) + 1);
}

TEST(ReducedText, EditsOnlyWhatNamesARemovedSpecies) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  std::string mechanism = test_support::ReadText(test_support::SharedData("gri30/gri30.inp"));
  const std::string added =
      "! partners: the first goes with AR, the second keeps its line but not its marker\n"
      "H2+O2+AR<=>2OH+AR  1.0E10 0.0 0.0\n"
      "DUPLICATE\n"
      "H2+O2<=>2OH        1.0E10 0.0 0.0   ! stays\n"
      "  DUP  ! marker\n"
      "\n"
      "! not above a reaction: stays\n"
      "\n"
      "2OH+M<=>H2O2+M     1.0E10 0.0 0.0\n"
      "H2O/6.0/ CO/1.5/ AR/0.7 ! open last value\n"
      "H+HO2+M<=>H2O2+M   1.0E10 0.0 0.0\n"
      "CO/1.5/\n"
      "AR/.5/\n";
  const std::string expected =
      "H2+O2<=>2OH        1.0E10 0.0 0.0   ! stays\n"
      "  ! marker\n"
      "\n"
      "! not above a reaction: stays\n"
      "\n"
      "2OH+M<=>H2O2+M     1.0E10 0.0 0.0\n"
      "H2O/6.0/ CO/1.5/ ! open last value\n"
      "H+HO2+M<=>H2O2+M   1.0E10 0.0 0.0\n"
      "CO/1.5/\n";
  const std::size_t end = mechanism.rfind("END");
  mechanism.insert(end, added);
  const std::string thermo =
      test_support::ReadText(test_support::SharedData("gri30/gri30_thermo.dat"));
  const reduction::ReductionInputs inputs{
      {"chem.inp", mechanism}, vordane::SourceText{"therm.dat", thermo}, std::nullopt};
  const vordane::Interpretation detailed = vordane::Interpret(inputs.mechanism, &*inputs.thermo);
  ASSERT_TRUE(detailed.ok());
  std::vector<bool> removed(detailed.mechanism.species.size(), false);
  for (std::size_t k = 0; k < removed.size(); ++k)
    removed[k] = detailed.mechanism.species[k].name == "AR";

  const reduction::Reduction reduced = reduction::ReduceTexts(inputs, detailed, removed);
  EXPECT_EQ(tail(reduced.mechanism), expected + "END\n");
  const std::vector<std::string> changes = {"efficiencies removed: AR",
                                            "DUPLICATE removed: no partner reaction is left"};
  ASSERT_GE(reduced.changes.size(), 3u);
  const std::vector<std::string> last = {reduced.changes[reduced.changes.size() - 3].what,
                                         reduced.changes[reduced.changes.size() - 2].what,
                                         reduced.changes.back().what};
  EXPECT_EQ(last, (std::vector<std::string>{changes[1], changes[0], changes[0]}));
  const vordane::SourceText check{"chem.inp", reduced.mechanism};
  const vordane::SourceText checkThermo{"therm.dat", *reduced.thermo};
  EXPECT_TRUE(vordane::Interpret(check, &checkThermo).ok());
}

}  // namespace
