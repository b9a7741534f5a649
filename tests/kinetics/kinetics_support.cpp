#include "kinetics_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kinetics/linking_file.h"
#include "support/scratch_folder.h"

namespace kinetics::testing {

namespace {

// Distinct values in the order the fixture asks for them.
class Counter {
 public:
  double real() { return next_++ + 0.25; }
  std::int32_t integer() { return static_cast<std::int32_t>(100 + next_++); }
  std::vector<double> reals(int count) {
    std::vector<double> values;
    for (int j = 0; j < count; ++j) values.push_back(real());
    return values;
  }

 private:
  int next_ = 1;
};

LinkMechanism BaseMechanism(Counter& next) {
  LinkMechanism m;
  m.MaxReactionSpecies = 6;
  m.MaxThirdBodies = 2;
  m.MaxTemperatures = 3;
  m.CpCoefficientCount = 5;
  m.RateParameterCount = 3;
  m.LandauTellerParameterCount = 2;
  m.FallOffParameterCount = 8;
  m.JanevParameterCount = 3;
  m.FitParameterCount = 2;
  m.MaxOrderSpecies = 2;
  m.HeaderTolerance = next.real();

  m.elements = {{"H", next.real()}, {"O", next.real()}};
  const char* names[] = {"H2", "O2", "H2O"};
  for (int k = 0; k < 3; ++k) {
    LinkSpecies species;
    species.name = names[k];
    species.composition = {next.integer(), next.integer()};
    species.phase = next.integer();
    species.charge = next.integer();
    species.molecularWeight = next.real();
    species.temperatureCount = k + 1;
    species.temperatureBounds = next.reals(3);
    species.coefficients = next.reals(14);
    m.species.push_back(species);
  }
  // Slots name species 1..3 in varied places; species 3 takes two slots of reaction 4.
  const std::int32_t slotSpecies[4][6] = {
      {1, 0, 0, 2, 0, 0}, {2, 3, 0, 1, 0, 0}, {3, 0, 0, 1, 2, 0}, {3, 1, 3, 2, 0, 0}};
  for (int i = 0; i < 4; ++i) {
    LinkReaction reaction;
    reaction.speciesCount = next.integer();
    reaction.auxCount = next.integer();
    reaction.rateParameters = next.reals(3);
    for (int s = 0; s < 6; ++s) reaction.slots.push_back({next.integer(), slotSpecies[i][s]});
    m.reactions.push_back(reaction);
  }
  return m;
}

}  // namespace

LinkMechanism PlainMechanism() {
  Counter next;
  return BaseMechanism(next);
}

LinkMechanism FullMechanism() {
  Counter next;
  LinkMechanism m = BaseMechanism(next);
  m.reverse = {{2, next.reals(3)}};
  m.fallOff = {{3, 3, 2, next.reals(8)}};
  m.thirdBody = {{1, {1, 3}, next.reals(2)}, {4, {2}, next.reals(1)}};
  m.landauTeller = {{2, next.reals(2)}};
  m.reverseLandauTeller = {{3, next.reals(2)}};
  m.wavelength = {{4, next.reals(1)}};
  m.electronImpact = {{1, 3}};
  m.janev = {{2, next.reals(3)}};
  m.fit = {{3, next.reals(2)}};
  m.excitation = {{4, next.reals(1)}};
  m.realStoich = {{1, next.reals(6)}};
  m.order = {{2, {-1, 3}, next.reals(2)}};
  return m;
}

std::string WriteFixture(const std::string& name, const LinkMechanism& mechanism) {
  const std::string path = test_support::ScratchPath(name);
  std::string error;
  EXPECT_TRUE(WriteKineticsLink(path, mechanism, error)) << error;
  return path;
}

}  // namespace kinetics::testing
