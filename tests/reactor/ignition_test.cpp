// Ignition against the independent reactor code's delays and final temperatures for GRI-Mech
// 3.0 (27 conditions, the reference's tolerances), and conservation of the mixture's enthalpy
// or internal energy and of its elements, which hold whatever the chemistry.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reactor_fixtures.h"

namespace reactor {
namespace {

struct Reference {
  double phi, pressureAtm, temperature, endTime, delayMaxSlope, delayRise, finalTemperature;
};

std::vector<Reference> readReferences() {
  std::ifstream file(test_support::SharedData("gri30/ignition-reference.csv"));
  std::vector<Reference> references;
  std::string line;
  std::getline(file, line);  // header
  while (std::getline(file, line)) {
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream fields(line);
    Reference r{};
    if (fields >> r.phi >> r.pressureAtm >> r.temperature >> r.endTime >> r.delayMaxSlope >>
        r.delayRise >> r.finalTemperature) {
      references.push_back(r);
    }
  }
  return references;
}

TEST(IgnitionTest, MatchesTheReferenceCodeAtEveryCondition) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const Mechanism& mechanism = testing::Gri30();
  const auto references = readReferences();
  ASSERT_EQ(references.size(), 27u);
  for (const Reference& r : references) {
    const IgnitionResult run =
        RunIgnition(mechanism, Model::ConstantPressure, r.temperature, r.pressureAtm * 1013250.0,
                    testing::MethaneAir(mechanism, r.phi), r.endTime);
    const std::string where = "phi " + std::to_string(r.phi) + ", " +
                              std::to_string(r.pressureAtm) + " atm, " +
                              std::to_string(r.temperature) + " K";
    ASSERT_TRUE(run.ok) << where << ": " << run.failure;
    EXPECT_NEAR(run.delayMaxSlope / r.delayMaxSlope, 1.0, 0.01) << where;
    EXPECT_NEAR(run.delayTemperatureRise / r.delayRise, 1.0, 0.01) << where;
    EXPECT_NEAR(run.finalTemperature, r.finalTemperature, 1.0) << where;
  }
}

// Mass-specific enthalpy (constant pressure) or internal energy (constant volume) and element
// mass fractions of a state.
struct Invariants {
  double energy = 0.0;
  std::vector<double> elements;
};

Invariants invariantsOf(const Mechanism& mechanism, Model model, const StateRecord& state) {
  const auto K = static_cast<std::size_t>(mechanism.speciesCount());
  std::vector<double> h(K), Y(K);
  SpeciesThermodynamics(mechanism, state.temperature, {}, h, {});
  MoleToMassFractions(mechanism, state.moleFractions, Y);
  const auto weights = mechanism.molecularWeights();
  const double RT = 8.31451e7 * state.temperature;
  Invariants result;
  result.elements.assign(mechanism.elementNames().size(), 0.0);
  for (std::size_t k = 0; k < K; ++k) {
    const double e = model == Model::ConstantVolume ? h[k] - RT : h[k];
    result.energy += Y[k] * e / weights[k];
    const auto atoms = mechanism.composition(static_cast<std::int32_t>(k));
    for (std::size_t m = 0; m < atoms.size(); ++m)
      result.elements[m] += Y[k] * atoms[m] / weights[k];
  }
  return result;
}

TEST(IgnitionTest, ConservesEnergyAndElementsInBothModels) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const Mechanism& mechanism = testing::Gri30();
  for (const Model model : {Model::ConstantPressure, Model::ConstantVolume}) {
    const IgnitionResult run = RunIgnition(mechanism, model, 1200.0, 10 * 1013250.0,
                                           testing::MethaneAir(mechanism, 1.0), 0.02);
    ASSERT_TRUE(run.ok) << run.failure;
    EXPECT_GT(run.finalTemperature, 2500.0);
    const Invariants start = invariantsOf(mechanism, model, run.trajectory.state(0));
    const Invariants end =
        invariantsOf(mechanism, model, run.trajectory.state(run.trajectory.size() - 1));
    EXPECT_NEAR(end.energy, start.energy, 1e-6 * std::abs(start.energy) + 1e3);  // erg/g
    for (std::size_t m = 0; m < start.elements.size(); ++m) {
      EXPECT_NEAR(end.elements[m], start.elements[m], 1e-8 * start.elements[m] + 1e-14);
    }
    // The delays lie on the trajectory: T0 + 400 K is crossed between the neighbouring steps.
    ASSERT_FALSE(std::isnan(run.delayTemperatureRise));
    for (std::size_t s = 1; s < run.trajectory.size(); ++s) {
      if (run.trajectory.times[s] < run.delayTemperatureRise) continue;
      EXPECT_LE(run.trajectory.temperatures[s - 1], 1600.0);
      EXPECT_GT(run.trajectory.temperatures[s], 1600.0);
      break;
    }
  }
}

}  // namespace
}  // namespace reactor
