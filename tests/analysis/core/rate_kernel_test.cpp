#include "analysis/core/rate_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "kinetics/link_mechanism.h"
#include "kinetics/linking_file.h"
#include "kinetics/work_arrays.h"
#include "support/case_library.h"
#include "support/memory_console.h"
#include "support/pressure_rate_oracle.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

using kinetics::KineticsState;
using kinetics::LinkMechanism;

// ---------------------------------------------------------------------------------------------
// Fixtures: a small mechanism described as a LinkMechanism, written with the project's writer
// and loaded back as a run loads it.

struct WorkArrays {
  KineticsState state;
  std::vector<std::int32_t> IKWORK;
  std::vector<double> RKWORK;
};

WorkArrays Place(const LinkMechanism& m) {
  const std::string path = test_support::ScratchPath("fixture.bin");
  std::string error;
  if (!kinetics::WriteKineticsLink(path, m, error)) throw std::runtime_error(error);
  test_support::MemoryConsole console;
  kinetics::LoadedKinetics loaded;
  try {
    loaded = kinetics::LoadKineticsFile(path, console);
  } catch (const common::Stop&) {
    throw std::runtime_error("the fixture does not load:" + console.text());
  }
  WorkArrays w{kinetics::CurrentKineticsState(), std::move(loaded.IKWORK),
               std::move(loaded.RKWORK)};
  // The scratch sections start as NaN, so a step that reads an entry no earlier step wrote
  // shows up in the results.
  std::fill(w.RKWORK.begin() + (w.state.layout.real.ForwardRateCoefficients - 1), w.RKWORK.end(),
            std::numeric_limits<double>::quiet_NaN());
  return w;
}

// Six species A..F with two temperature ranges (300-1000-3000 K) whose coefficients differ
// per species and per range, so a wrong range or species shows in the equilibrium constants.
constexpr int kA = 1, kB = 2, kC = 3, kD = 4, kE = 5, kF = 6;
const double kWeights[] = {2.016, 16.04, 18.02, 28.01, 32.0, 44.01};

std::vector<double> RangeCoefficients(int k, bool high) {
  const double s = k;
  if (high) return {3.0 + 0.05 * s, 5e-4 * s, -2e-8 * s, 3e-12, -1e-16, -1200.0 * s, 2.0 + 0.3 * s};
  return {2.5 + 0.1 * s, 1e-3 * s, -1e-7 * s, 1e-11, -1e-15, -1000.0 * s, 3.0 + 0.5 * s};
}

LinkMechanism SixSpecies() {
  LinkMechanism m;
  m.elements = {{"X", 1.0}};
  for (int k = 1; k <= 6; ++k) {
    kinetics::LinkSpecies sp;
    sp.name = std::string(1, static_cast<char>('A' + k - 1));
    sp.composition = {1};
    sp.molecularWeight = kWeights[k - 1];
    sp.temperatureCount = 3;
    sp.temperatureBounds = {300.0, 1000.0, 3000.0};
    sp.coefficients = RangeCoefficients(k, false);
    const auto high = RangeCoefficients(k, true);
    sp.coefficients.insert(sp.coefficients.end(), high.begin(), high.end());
    m.species.push_back(sp);
  }
  return m;
}

// A reaction with the given slots (coefficient, species), padded to the mechanism's slots.
kinetics::LinkReaction Reaction(const LinkMechanism& m, int speciesCount,
                                std::vector<double> parameters,
                                std::vector<kinetics::LinkSlot> slots) {
  slots.resize(static_cast<std::size_t>(m.MaxReactionSpecies));
  return {speciesCount, 0, std::move(parameters), std::move(slots)};
}

// A + B <=> C + D in six slots.
LinkMechanism OneReaction() {
  LinkMechanism m = SixSpecies();
  m.reactions.push_back(
      Reaction(m, 4, {1.0e13, 0.5, 5000.0}, {{-1, kA}, {-1, kB}, {}, {1, kC}, {1, kD}, {}}));
  return m;
}

// ---------------------------------------------------------------------------------------------
// Independent reference formulas.

constexpr double kR = kinetics::kGasConstant;
const double kThird = static_cast<double>(1.0f / 3.0f);
const double kTwoThirds = static_cast<double>(2.0f / 3.0f);

double Arrhenius(const std::vector<double>& p, double T) {
  return p[0] * std::pow(T, p[1]) * std::exp(-p[2] / T);
}

// S/R - H/(RT) from the enthalpy and entropy polynomials themselves.
double Gibbs(int k, double T) {
  const auto a = RangeCoefficients(k, T > 1000.0);
  const double h = a[0] + a[1] * T / 2 + a[2] * T * T / 3 + a[3] * T * T * T / 4 +
                   a[4] * T * T * T * T / 5 + a[5] / T;
  const double s = a[0] * std::log(T) + a[1] * T + a[2] * T * T / 2 + a[3] * T * T * T / 3 +
                   a[4] * T * T * T * T / 4 + a[6];
  return s - h;
}

// K_c in concentration units for the net coefficients `nu` (species, coefficient).
double EquilibriumConstant(const std::vector<std::pair<int, int>>& nu, double T) {
  double sum = 0.0;
  int change = 0;
  for (auto [k, n] : nu) {
    sum += n * Gibbs(k, T);
    change += n;
  }
  return std::exp(sum) * std::pow(kinetics::kStandardPressure / (kR * T), change);
}

// One state: temperatures, pressure and mole fractions, with the concentrations x P/(R T).
struct State {
  std::vector<double> temperatures{1200.0, 1200.0, 1200.0, 1200.0};
  double pressure = 2.0e6;
  std::vector<double> moles{0.1, 0.2, 0.15, 0.05, 0.3, 0.2};

  double T() const { return temperatures[0]; }
  double C(int k) const { return moles[k - 1] * pressure / (kR * T()); }
  double total() const {
    double sum = 0.0;
    for (std::size_t k = 1; k <= moles.size(); ++k) sum += C(static_cast<int>(k));
    return sum;
  }
  std::vector<double> massFractions() const {
    std::vector<double> y(moles.size());
    double sum = 0.0;
    for (std::size_t k = 0; k < moles.size(); ++k) sum += moles[k] * kWeights[k];
    for (std::size_t k = 0; k < moles.size(); ++k) y[k] = moles[k] * kWeights[k] / sum;
    return y;
  }
};

struct Rates {
  std::vector<double> forward, reverse;
};

Rates Evaluate(WorkArrays& w, const State& s, common::Console& console) {
  const auto y = s.massFractions();
  Rates r{std::vector<double>(w.state.counts.ReactionCount),
          std::vector<double>(w.state.counts.ReactionCount)};
  analysis::CaseRates(w.state, static_cast<std::int32_t>(s.temperatures.size()), s.pressure,
                      s.temperatures, y, w.IKWORK, w.RKWORK, r.forward, r.reverse, console);
  return r;
}

Rates Evaluate(const LinkMechanism& m, const State& s) {
  WorkArrays w = Place(m);
  test_support::MemoryConsole console;
  return Evaluate(w, s, console);
}

void ExpectRelative(double expected, double actual, double tolerance, const std::string& what) {
  if (expected == 0.0) {
    EXPECT_EQ(actual, 0.0) << what;
    return;
  }
  EXPECT_LE(std::abs(actual - expected), tolerance * std::abs(expected))
      << what << ": expected " << expected << ", got " << actual;
}

// ---------------------------------------------------------------------------------------------
// One reaction of each kind against its formula.

struct KindCase {
  const char* behaviour;
  std::function<void(LinkMechanism&)> build;  // edits the mechanism of OneReaction()
  State state;
  // Expected forward and reverse rates of progress of reaction 1.
  std::function<std::pair<double, double>(const State&)> expected;
};

const std::vector<double> kForward{1.0e13, 0.5, 5000.0};
const std::vector<double> kReverseParameters{3.0e12, -0.3, 2500.0};
const std::vector<double> kLow{1.0e18, -1.0, 200.0};

// k_f/K_c with the K_c of A + B <=> C + D.
double ReverseOfBase(double forward, double T) {
  return forward / EquilibriumConstant({{kA, -1}, {kB, -1}, {kC, 1}, {kD, 1}}, T);
}

// Lindemann factor Pr/(1 + Pr) and Pr for a third-body concentration `m`.
std::pair<double, double> Lindemann(const State& s, double m) {
  const double reduced = Arrhenius(kLow, s.T()) * m / Arrhenius(kForward, s.T());
  return {reduced / (1 + reduced), reduced};
}

double TroeFactor(double reduced, double centre) {
  const double logCentre = std::log10(centre);
  const double n = 0.75 - static_cast<double>(1.27f) * logCentre;
  const double c =
      std::log10(reduced) - (static_cast<double>(0.4f) + static_cast<double>(0.67f) * logCentre);
  const double x = c / (n - static_cast<double>(0.14f) * c);
  return std::pow(10.0, logCentre / (1 + x * x));
}

State WithTemperatures(std::vector<double> temperatures) {
  State s;
  s.temperatures = std::move(temperatures);
  return s;
}

const KindCase kKinds[] = {
    {"reversible Arrhenius reaction: k_r = k_f / K_c of the polynomials", [](LinkMechanism&) {},
     State{},
     [](const State& s) {
       const double kf = Arrhenius(kForward, s.T());
       return std::pair{kf * s.C(kA) * s.C(kB), ReverseOfBase(kf, s.T()) * s.C(kC) * s.C(kD)};
     }},
    {"the low temperature range below the interior bound", [](LinkMechanism&) {},
     WithTemperatures({800.0, 800.0, 800.0, 800.0}),
     [](const State& s) {
       const double kf = Arrhenius(kForward, s.T());
       return std::pair{kf * s.C(kA) * s.C(kB), ReverseOfBase(kf, s.T()) * s.C(kC) * s.C(kD)};
     }},
    {"irreversible reaction without reverse parameters has no reverse rate",
     [](LinkMechanism& m) { m.reactions[0].speciesCount = -4; }, State{},
     [](const State& s) {
       return std::pair{Arrhenius(kForward, s.T()) * s.C(kA) * s.C(kB), 0.0};
     }},
    {"explicit reverse parameters replace the equilibrium constant",
     [](LinkMechanism& m) {
       m.reverse.push_back({1, kReverseParameters});
     },
     State{},
     [](const State& s) {
       return std::pair{Arrhenius(kForward, s.T()) * s.C(kA) * s.C(kB),
                        Arrhenius(kReverseParameters, s.T()) * s.C(kC) * s.C(kD)};
     }},
    {"Landau-Teller multiplies the Arrhenius value",
     [](LinkMechanism& m) {
       m.landauTeller.push_back({1, {-40.0, 150.0}});
     },
     State{},
     [](const State& s) {
       const double kf = Arrhenius(kForward, s.T()) * std::exp(-40.0 / std::pow(s.T(), kThird) +
                                                               150.0 / std::pow(s.T(), kTwoThirds));
       return std::pair{kf * s.C(kA) * s.C(kB), ReverseOfBase(kf, s.T()) * s.C(kC) * s.C(kD)};
     }},
    {"reverse Landau-Teller multiplies the explicit reverse value",
     [](LinkMechanism& m) {
       m.reverse.push_back({1, kReverseParameters});
       m.reverseLandauTeller.push_back({1, {30.0, -90.0}});
     },
     State{},
     [](const State& s) {
       const double kr =
           Arrhenius(kReverseParameters, s.T()) *
           std::exp(30.0 / std::pow(s.T(), kThird) - 90.0 / std::pow(s.T(), kTwoThirds));
       return std::pair{Arrhenius(kForward, s.T()) * s.C(kA) * s.C(kB), kr * s.C(kC) * s.C(kD)};
     }},
    {"third body with efficiencies multiplies both directions",
     [](LinkMechanism& m) {
       m.thirdBody.push_back({1, {kE, kF}, {2.5, 0.0}});
     },
     State{},
     [](const State& s) {
       const double third = s.total() + 1.5 * s.C(kE) - s.C(kF);
       const double kf = Arrhenius(kForward, s.T());
       return std::pair{kf * third * s.C(kA) * s.C(kB),
                        ReverseOfBase(kf, s.T()) * third * s.C(kC) * s.C(kD)};
     }},
    {"Lindemann fall-off with the mixture enters through Pr only",
     [](LinkMechanism& m) {
       m.fallOff.push_back({1, 1, 0, {kLow[0], kLow[1], kLow[2]}});
       m.thirdBody.push_back({1, {kE}, {3.0}});
     },
     State{},
     [](const State& s) {
       const auto [f, reduced] = Lindemann(s, s.total() + 2.0 * s.C(kE));
       const double kf = Arrhenius(kForward, s.T());
       return std::pair{f * kf * s.C(kA) * s.C(kB),
                        f * ReverseOfBase(kf, s.T()) * s.C(kC) * s.C(kD)};
     }},
    {"named fall-off third body keeps the third-body concentration",
     [](LinkMechanism& m) {
       m.fallOff.push_back({1, 1, kE, {kLow[0], kLow[1], kLow[2]}});
       m.thirdBody.push_back({1, {kF}, {0.0}});
     },
     State{},
     [](const State& s) {
       const auto [f, reduced] = Lindemann(s, s.C(kE));
       const double third = s.total() - s.C(kF);
       const double kf = Arrhenius(kForward, s.T());
       return std::pair{f * kf * third * s.C(kA) * s.C(kB),
                        f * ReverseOfBase(kf, s.T()) * third * s.C(kC) * s.C(kD)};
     }},
    {"Troe fall-off with three parameters ignores the fourth",
     [](LinkMechanism& m) {
       m.thirdBody.push_back({1, {}, {}});  // the mixture as third body
       m.fallOff.push_back({1, 3, 0, {kLow[0], kLow[1], kLow[2], 0.6, 150.0, 900.0, 4000.0}});
     },
     State{},
     [](const State& s) {
       auto [f, reduced] = Lindemann(s, s.total());
       const double T = s.T();
       f *= TroeFactor(reduced, 0.4 * std::exp(-T / 150.0) + 0.6 * std::exp(-T / 900.0));
       const double kf = Arrhenius(kForward, T);
       return std::pair{f * kf * s.C(kA) * s.C(kB), f * ReverseOfBase(kf, T) * s.C(kC) * s.C(kD)};
     }},
    {"Troe fall-off with four parameters",
     [](LinkMechanism& m) {
       m.thirdBody.push_back({1, {}, {}});  // the mixture as third body
       m.fallOff.push_back({1, 4, 0, {kLow[0], kLow[1], kLow[2], 0.6, 150.0, 900.0, 4000.0}});
     },
     State{},
     [](const State& s) {
       auto [f, reduced] = Lindemann(s, s.total());
       const double T = s.T();
       f *= TroeFactor(reduced, 0.4 * std::exp(-T / 150.0) + 0.6 * std::exp(-T / 900.0) +
                                    std::exp(-4000.0 / T));
       const double kf = Arrhenius(kForward, T);
       return std::pair{f * kf * s.C(kA) * s.C(kB), f * ReverseOfBase(kf, T) * s.C(kC) * s.C(kD)};
     }},
    {"SRI fall-off",
     [](LinkMechanism& m) {
       m.thirdBody.push_back({1, {}, {}});  // the mixture as third body
       m.fallOff.push_back({1, 2, 0, {kLow[0], kLow[1], kLow[2], 0.5, 300.0, 800.0, 1.2, 0.1}});
     },
     State{},
     [](const State& s) {
       auto [f, reduced] = Lindemann(s, s.total());
       const double T = s.T();
       const double x = 1 / (1 + std::pow(std::log10(reduced), 2));
       f *= std::pow(0.5 * std::exp(-300.0 / T) + std::exp(-T / 800.0), x) * 1.2 * std::pow(T, 0.1);
       const double kf = Arrhenius(kForward, T);
       return std::pair{f * kf * s.C(kA) * s.C(kB), f * ReverseOfBase(kf, T) * s.C(kC) * s.C(kD)};
     }},
    {"Troe and SRI with Pr = 0 give zero, not NaN",
     [](LinkMechanism& m) {
       m.fallOff.push_back({1, 4, 0, {0.0, 0.0, 0.0, 0.6, 150.0, 900.0, 4000.0}});
       m.reactions.push_back(m.reactions[0]);
       m.fallOff.push_back({2, 2, 0, {0.0, 0.0, 0.0, 0.5, 300.0, 800.0, 1.2, 0.1}});
     },
     State{},
     [](const State&) {
       return std::pair{0.0, 0.0};
     }},
    {"electron impact runs at the temperature its index names",
     [](LinkMechanism& m) {
       // A + B <=> C: one mole less, so the pressure factor of the electron temperature counts.
       m.reactions[0].slots[4] = {};
       m.electronImpact.push_back({1, 3});
     },
     WithTemperatures({1200.0, 1500.0, 2000.0, 2500.0}),
     [](const State& s) {
       const double te = s.temperatures[2];
       const double kf = Arrhenius(kForward, te);
       const double kc = EquilibriumConstant({{kA, -1}, {kB, -1}, {kC, 1}}, s.T()) * te / s.T();
       return std::pair{kf * s.C(kA) * s.C(kB), kf / kc * s.C(kC)};
     }},
    {"electron impact with explicit reverse parameters",
     [](LinkMechanism& m) {
       m.electronImpact.push_back({1, 4});
       m.reverse.push_back({1, kReverseParameters});
     },
     WithTemperatures({1200.0, 1500.0, 2000.0, 2500.0}),
     [](const State& s) {
       const double te = s.temperatures[3];
       return std::pair{Arrhenius(kForward, te) * s.C(kA) * s.C(kB),
                        Arrhenius(kReverseParameters, te) * s.C(kC) * s.C(kD)};
     }},
    {"Janev-type reaction runs at the electron temperature and has no reverse",
     [](LinkMechanism& m) {
       m.janev.push_back({1, {0.3, -0.2, 0.05, 0.01, -0.002, 0.0, 0.0, 0.0, 1e-4}});
     },
     WithTemperatures({1200.0, 30000.0, 1200.0, 1200.0}),
     [](const State& s) {
       const double te = s.temperatures[1];
       const double b[] = {0.3, -0.2, 0.05, 0.01, -0.002, 0.0, 0.0, 0.0, 1e-4};
       double fit = 0.0;
       for (int j = 0; j < 9; ++j) fit += b[j] * std::pow(std::log(te / 11600.0), j);
       return std::pair{Arrhenius(kForward, te) * std::exp(fit) * s.C(kA) * s.C(kB), 0.0};
     }},
    {"explicit orders replace the concentration products",
     [](LinkMechanism& m) {
       m.MaxOrderSpecies = 3;
       m.order.push_back({1, {-kA, kC, 0}, {1.5, 0.5, 7.0}});
     },
     State{},
     [](const State& s) {
       const double kf = Arrhenius(kForward, s.T());
       return std::pair{kf * std::pow(s.C(kA), 1.5),
                        ReverseOfBase(kf, s.T()) * std::pow(s.C(kC), 0.5)};
     }},
    {"a coefficient of two squares its concentration",
     [](LinkMechanism& m) {
       m.reactions[0].slots = {{-2, kA}, {}, {}, {1, kE}, {}, {}};
     },
     State{},
     [](const State& s) {
       const double kf = Arrhenius(kForward, s.T());
       const double kc = EquilibriumConstant({{kA, -2}, {kE, 1}}, s.T());
       return std::pair{kf * s.C(kA) * s.C(kA), kf / kc * s.C(kE)};
     }},
    {"eight slots: all four products enter the reverse rate and K_c",
     [](LinkMechanism& m) {
       m.MaxReactionSpecies = 8;
       m.reactions[0].slots = {{-1, kA}, {-1, kB}, {}, {}, {1, kC}, {1, kD}, {1, kE}, {1, kF}};
     },
     State{},
     [](const State& s) {
       const double kf = Arrhenius(kForward, s.T());
       const double kc =
           EquilibriumConstant({{kA, -1}, {kB, -1}, {kC, 1}, {kD, 1}, {kE, 1}, {kF, 1}}, s.T());
       return std::pair{kf * s.C(kA) * s.C(kB), kf / kc * s.C(kC) * s.C(kD) * s.C(kE) * s.C(kF)};
     }},
    {"eight slots: the fourth slot is still a reactant",
     [](LinkMechanism& m) {
       m.MaxReactionSpecies = 8;
       m.reactions[0].slots = {{-1, kA}, {-1, kB}, {-1, kC}, {-1, kD}, {1, kE}, {1, kF}, {}, {}};
     },
     State{},
     [](const State& s) {
       const double kf = Arrhenius(kForward, s.T());
       const double kc =
           EquilibriumConstant({{kA, -1}, {kB, -1}, {kC, -1}, {kD, -1}, {kE, 1}, {kF, 1}}, s.T());
       return std::pair{kf * s.C(kA) * s.C(kB) * s.C(kC) * s.C(kD), kf / kc * s.C(kE) * s.C(kF)};
     }},
};

TEST(RateKernel, EachReactionKindFollowsItsFormula) {
  for (const KindCase& c : kKinds) {
    SCOPED_TRACE(c.behaviour);
    LinkMechanism m = OneReaction();
    c.build(m);
    const Rates rates = Evaluate(m, c.state);
    const auto [forward, reverse] = c.expected(c.state);
    for (std::size_t i = 0; i < rates.forward.size(); ++i) {
      ExpectRelative(forward, rates.forward[i], 1e-11, "forward");
      ExpectRelative(reverse, rates.reverse[i], 1e-11, "reverse");
    }
  }
}

// Pressure tables, Chebyshev fits and chemically activated fall-off on A + B <=> C + D, at
// pressures inside and outside each table and at its own pressures, against the oracle of
// tests/support; the reverse rates through K_c as for every reaction.
TEST(RateKernel, PressureDependentRatesFollowTheirDefinitions) {
  // 1 atm holds two rows that add up.
  const kinetics::LinkPressureTable table{1,
                                          {{0.1, {2.0e12, 0.3, 3000.0}},
                                           {1.0, {5.0e12, 0.2, 3500.0}},
                                           {1.0, {7.0e10, 0.9, 1000.0}},
                                           {10.0, {3.0e14, -0.4, 4200.0}}}};
  const kinetics::LinkChebyshev single{1, 1, 1, {300.0, 2500.0, 0.001, 100.0}, {12.5}};
  const kinetics::LinkChebyshev sixByFour{
      1,
      6,
      4,
      {290.0, 3000.0, 0.009869232667160128, 98.69232667160128},
      {-14.428,  0.25997, -0.022432, -0.002787,  22.063,   0.48809,  -0.039643,  -0.0054811,
       -0.23294, 0.4019,  -0.026073, -0.0050486, -0.29366, 0.28568,  -0.0093373, -0.0040102,
       -0.22621, 0.16919, 0.0048581, -0.0023803, -0.14322, 0.077111, 0.012708,   -0.00064154}};
  // Troe with the mixture as third body, C three times as efficient.
  const kinetics::LinkActivated activated{
      1,    4,    0, {2.0e12, 0.4, 1500.0}, {4.0e17, -1.2, 300.0, 0.6, 150.0, 1800.0, 4000.0, 0.0},
      {kC}, {3.0}};
  const auto activatedRate = [&activated](const State& s) {
    const std::vector<double> low(activated.values.begin(), activated.values.begin() + 3);
    const std::vector<double> high(activated.high.begin(), activated.high.end());
    const double bath = s.total() + 2.0 * s.C(kC);
    const double reduced = Arrhenius(low, s.T()) * bath / Arrhenius(high, s.T());
    const double centre = 0.4 * std::exp(-s.T() / 150.0) + 0.6 * std::exp(-s.T() / 1800.0) +
                          std::exp(-4000.0 / s.T());
    return Arrhenius(low, s.T()) * TroeFactor(reduced, centre) / (1 + reduced);
  };
  struct Case {
    const char* behaviour;
    std::function<void(LinkMechanism&)> build;
    double atmospheres;
    double temperature;
    std::function<double(const State&)> rate;  // k of reaction 1
  };
  const auto withTable = [&table](LinkMechanism& m) { m.pressureTables = {table}; };
  const auto tableRate = [&table](const State& s) {
    return test_support::TableRateOracle(table, s.pressure / kinetics::kStandardPressure, s.T());
  };
  const auto withFit = [](const kinetics::LinkChebyshev& fit) {
    return [fit](LinkMechanism& m) { m.chebyshev = {fit}; };
  };
  const auto fitRate = [](const kinetics::LinkChebyshev& fit) {
    return [fit](const State& s) {
      return test_support::ChebyshevRateOracle(fit, s.pressure / kinetics::kStandardPressure,
                                               s.T());
    };
  };
  const Case cases[] = {
      {"PLOG below its lowest pressure", withTable, 0.01, 1200.0, tableRate},
      {"PLOG at its lowest pressure", withTable, 0.1, 1200.0, tableRate},
      {"PLOG between two pressures", withTable, 0.4, 900.0, tableRate},
      {"PLOG at a pressure of two rows", withTable, 1.0, 1500.0, tableRate},
      {"PLOG between a doubled and a single pressure", withTable, 3.0, 2100.0, tableRate},
      {"PLOG above its highest pressure", withTable, 40.0, 700.0, tableRate},
      {"CHEB 1 x 1", withFit(single), 2.0, 1000.0, fitRate(single)},
      {"CHEB 6 x 4 inside its ranges", withFit(sixByFour), 2.0, 1000.0, fitRate(sixByFour)},
      {"CHEB 6 x 4 at low T and P, held to the edge", withFit(sixByFour), 0.001, 250.0,
       fitRate(sixByFour)},
      {"CHEB 6 x 4 above its ranges", withFit(sixByFour), 300.0, 3500.0, fitRate(sixByFour)},
      {"HIGH with Troe, low pressure", [&](LinkMechanism& m) { m.activated = {activated}; }, 0.05,
       1300.0, activatedRate},
      {"HIGH with Troe, high pressure", [&](LinkMechanism& m) { m.activated = {activated}; }, 50.0,
       800.0, activatedRate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour);
    LinkMechanism m = OneReaction();
    c.build(m);
    State s = WithTemperatures({c.temperature, c.temperature});
    s.pressure = c.atmospheres * kinetics::kStandardPressure;
    const Rates rates = Evaluate(m, s);
    const double k = c.rate(s);
    ExpectRelative(k * s.C(kA) * s.C(kB), rates.forward[0], 1e-12, "forward");
    ExpectRelative(ReverseOfBase(k, s.T()) * s.C(kC) * s.C(kD), rates.reverse[0], 1e-12, "reverse");
  }
}

TEST(RateKernel, EquilibriumSumOfExactlyZeroGivesEqualCoefficients) {
  // A <=> A: the Gibbs terms cancel exactly, K_c = 1 and no pressure factor.
  LinkMechanism m = SixSpecies();
  m.reactions.push_back(Reaction(m, 2, kForward, {{-1, kA}, {}, {}, {1, kA}, {}, {}}));
  const Rates rates = Evaluate(m, State{});
  EXPECT_EQ(rates.forward[0], rates.reverse[0]);
}

TEST(RateKernel, RateMultiplierScalesBothDirections) {
  WorkArrays w = Place(OneReaction());
  const State s;
  test_support::MemoryConsole console;
  const Rates plain = Evaluate(w, s, console);
  const auto& real = w.state.layout.real;
  kinetics::BlockEntry(std::span<double>(w.RKWORK), real.RateParameters, 4, 1, 4) = 2.5;
  const Rates scaled = Evaluate(w, s, console);
  ExpectRelative(plain.forward[0] * 2.5, scaled.forward[0], 1e-15, "forward");
  ExpectRelative(plain.reverse[0] * 2.5, scaled.reverse[0], 1e-15, "reverse");
}

TEST(RateKernel, FallOffTendsToItsPressureLimits) {
  LinkMechanism m = OneReaction();
  m.fallOff.push_back({1, 1, 0, {kLow[0], kLow[1], kLow[2]}});
  m.thirdBody.push_back({1, {}, {}});
  const struct {
    double pressure;
    bool high;
  } kLimits[] = {{1.0e-3, false}, {1.0e17, true}};
  for (const auto& limit : kLimits) {
    State s;
    s.pressure = limit.pressure;
    const Rates rates = Evaluate(m, s);
    const double coefficient = rates.forward[0] / (s.C(kA) * s.C(kB));
    const double expected =
        limit.high ? Arrhenius(kForward, s.T()) : Arrhenius(kLow, s.T()) * s.total();
    ExpectRelative(expected, coefficient, 1e-6, limit.high ? "k_inf" : "k0 [M]");
  }
}

TEST(RateKernel, ElectronImpactWritesItsLinesAndGoesOn) {
  LinkMechanism m = OneReaction();
  m.electronImpact.push_back({1, 1});
  WorkArrays w = Place(m);
  test_support::MemoryConsole console;
  Evaluate(w, State{}, console);
  EXPECT_EQ(console.text(),
            " Stop at kinlib-orrin: electron reaction= 1 1\n"
            " 1e+13 0.5 5000\n");
}

// ---------------------------------------------------------------------------------------------
// Stops: the lines written and whether the stop pauses.

struct StopCase {
  const char* behaviour;
  std::function<void(LinkMechanism&)> build;
  std::vector<double> temperatures;
  std::int32_t temperatureCount;
  std::string lines;
};

const StopCase kStops[] = {
    {"one temperature is too few",
     [](LinkMechanism&) {},
     {1200.0},
     1,
     " Stop: temperature array must be larger than 2\n"},
    {"a declared count beyond the array counts only what is there",
     [](LinkMechanism&) {},
     {1200.0},
     4,
     " Stop: temperature array must be larger than 2\n"},
    {"real stoichiometric coefficients stop without a message",
     [](LinkMechanism& m) {
       m.realStoich.push_back({1, {-0.5, -1, 0, 1, 0.5, 0}});
     },
     {1200.0, 1200.0, 1200.0, 1200.0},
     4,
     ""},
    {"a fitted reaction writes its two lines",
     [](LinkMechanism& m) {
       m.reactions.push_back(m.reactions[0]);
       m.fit.push_back({2, {0.5, 1.5, -2.0, 3.0}});
     },
     {1200.0, 1300.0, 1400.0, 1500.0},
     4,
     " Stop at kinlib-orrin: fitted reaction= 2 1200 1300 1400 1500\n"
     " 1 0.5 2 1.5 3 -2 4 3 5000\n"},
    {"an electron temperature index beyond the array stops before reading it",
     [](LinkMechanism& m) {
       m.electronImpact.push_back({1, 5});
     },
     {1200.0, 1200.0, 1200.0, 1200.0},
     4,
     " Stop at kinlib-orrin: electron reaction= 1 5\n"
     " 1e+13 0.5 5000\n"
     " Stop: electron-impact temperature index outside the temperature array; reaction, index, "
     "temperature count: 1 5 4\n"},
};

TEST(RateKernel, StopsWriteTheirLinesAndPause) {
  for (const StopCase& c : kStops) {
    SCOPED_TRACE(c.behaviour);
    LinkMechanism m = OneReaction();
    c.build(m);
    WorkArrays w = Place(m);
    test_support::MemoryConsole console;
    const std::vector<double> y = State{}.massFractions();
    std::vector<double> forward(m.reactions.size()), reverse(m.reactions.size());
    bool paused = false;
    try {
      analysis::CaseRates(w.state, c.temperatureCount, 1.0e6, c.temperatures, y, w.IKWORK, w.RKWORK,
                          forward, reverse, console);
      ADD_FAILURE() << "no stop";
    } catch (const common::Stop& stop) {
      paused = stop.pauses();
    }
    EXPECT_TRUE(paused);
    EXPECT_EQ(console.text(), c.lines);
  }
}

TEST(RateKernel, ShortArraysAreRefused) {
  WorkArrays w = Place(OneReaction());
  test_support::MemoryConsole console;
  const std::vector<double> temperatures(4, 1200.0), y = State{}.massFractions();
  std::vector<double> none;
  EXPECT_THROW(analysis::CaseRates(w.state, 4, 1.0e6, temperatures, y, w.IKWORK, w.RKWORK, none,
                                   none, console),
               std::invalid_argument);
}

// ---------------------------------------------------------------------------------------------
// GRI-Mech 3.0 against the independent reference rates.

using test_support::SharedData;

// The case lines of the first block: the libraries hold 20 cases per block.
std::vector<std::vector<double>> FirstBlockCases(const std::string& path) {
  return test_support::ReadCaseLines(path, 20);
}

TEST(RateKernel, MatchesTheReferenceRatesOfGriMech) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  test_support::MemoryConsole console;
  kinetics::LoadedKinetics loaded;
  ASSERT_NO_THROW(loaded = kinetics::LoadKineticsFile(SharedData("gri30/chem.bin"), console))
      << console.text();
  const KineticsState& state = kinetics::CurrentKineticsState();
  const std::int32_t speciesCount = state.counts.KK;
  const std::int32_t reactionCount = state.counts.ReactionCount;
  ASSERT_EQ(speciesCount, 53);
  ASSERT_EQ(reactionCount, 325);

  std::map<std::pair<int, int>, std::vector<std::pair<double, double>>> reference;
  {
    std::ifstream file(SharedData("gri30/rates-reference.csv"));
    std::string line;
    std::getline(file, line);
    while (std::getline(file, line)) {
      for (char& ch : line) {
        if (ch == ',') ch = ' ';
      }
      std::istringstream fields(line);
      int block, caseNumber, reaction;
      double forward, reverse;
      fields >> block >> caseNumber >> reaction >> forward >> reverse;
      reference[{block, caseNumber}].emplace_back(forward, reverse);
    }
  }
  ASSERT_EQ(reference.size(), 12u);

  const auto cases = FirstBlockCases(SharedData("gri30/libdata.asc"));
  ASSERT_EQ(cases.size(), 20u);
  const std::span<const double> weights(
      loaded.RKWORK.data() + state.layout.real.MolecularWeights - 1,
      static_cast<std::size_t>(speciesCount));

  double worst = 0.0;
  std::string worstWhere;
  std::size_t compared = 0;
  for (int caseNumber = 1; caseNumber <= 12; ++caseNumber) {
    const auto& values = cases[static_cast<std::size_t>(caseNumber - 1)];
    ASSERT_EQ(values.size(), static_cast<std::size_t>(speciesCount + 7));
    const double pressure = values[1];
    const std::vector<double> temperatures(4, values[6]);
    std::vector<double> y(static_cast<std::size_t>(speciesCount));
    double sum = 0.0;
    for (std::size_t k = 0; k < y.size(); ++k) sum += values[7 + k] * weights[k];
    for (std::size_t k = 0; k < y.size(); ++k) y[k] = values[7 + k] * weights[k] / sum;

    std::vector<double> forward(static_cast<std::size_t>(reactionCount) + 1),
        reverse(forward.size());
    analysis::CaseRates(4, pressure, temperatures, y, loaded.IKWORK, loaded.RKWORK, forward,
                        reverse, console);

    // The scratch sections are rebuilt on every call: a second call gives the same bits.
    std::vector<double> again(forward.size()), againReverse(forward.size());
    analysis::CaseRates(4, pressure, temperatures, y, loaded.IKWORK, loaded.RKWORK, again,
                        againReverse, console);
    EXPECT_EQ(again, forward);
    EXPECT_EQ(againReverse, reverse);

    const auto& expected = reference[{1, caseNumber}];
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(reactionCount));
    double largest = 0.0;
    for (const auto& [f, r] : expected) largest = std::max({largest, f, r});
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const std::tuple<const char*, double, double> directions[] = {
          {"forward", expected[i].first, forward[i]}, {"reverse", expected[i].second, reverse[i]}};
      for (const auto& [direction, want, got] : directions) {
        if (want <= 1e-12 * largest) continue;
        ++compared;
        const double deviation = std::abs(got - want) / want;
        if (!(deviation <= worst)) {
          worst = deviation;
          worstWhere = "case " + std::to_string(caseNumber) + ", reaction " +
                       std::to_string(i + 1) + " " + direction;
        }
        EXPECT_LE(deviation, 1e-3) << "case " << caseNumber << ", reaction " << i + 1 << " "
                                   << direction << ": " << got << " vs " << want;
      }
    }
  }
  std::cout << "compared " << compared << " rates; worst relative deviation " << worst << " at "
            << worstWhere << "\n";
  EXPECT_GT(compared, 5000u);
}

TEST(RateKernel, LargeMechanismGivesFiniteNonNegativeRates) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  test_support::MemoryConsole console;
  kinetics::LoadedKinetics loaded;
  ASSERT_NO_THROW(loaded =
                      kinetics::LoadKineticsFile(SharedData("llnl_nheptane_v2/chem.bin"), console))
      << console.text();
  const KineticsState& state = kinetics::CurrentKineticsState();
  const auto speciesCount = static_cast<std::size_t>(state.counts.KK);
  const std::span<const double> weights(
      loaded.RKWORK.data() + state.layout.real.MolecularWeights - 1, speciesCount);
  const auto cases = FirstBlockCases(SharedData("llnl_nheptane_v2/libdata.asc"));
  ASSERT_EQ(cases.size(), 20u);
  for (std::size_t caseNumber : {1u, 10u, 20u}) {
    SCOPED_TRACE("case " + std::to_string(caseNumber));
    const auto& values = cases[caseNumber - 1];
    ASSERT_EQ(values.size(), speciesCount + 7);
    std::vector<double> y(speciesCount);
    double sum = 0.0;
    for (std::size_t k = 0; k < y.size(); ++k) sum += values[7 + k] * weights[k];
    for (std::size_t k = 0; k < y.size(); ++k) y[k] = values[7 + k] * weights[k] / sum;
    std::vector<double> forward(static_cast<std::size_t>(state.counts.ReactionCount)),
        reverse(forward.size());
    analysis::CaseRates(4, values[1], std::vector<double>(4, values[6]), y, loaded.IKWORK,
                        loaded.RKWORK, forward, reverse, console);
    std::size_t positive = 0;
    for (std::size_t i = 0; i < forward.size(); ++i) {
      ASSERT_TRUE(std::isfinite(forward[i]) && forward[i] >= 0.0) << "reaction " << i + 1;
      ASSERT_TRUE(std::isfinite(reverse[i]) && reverse[i] >= 0.0) << "reaction " << i + 1;
      if (forward[i] > 0.0) ++positive;
    }
    EXPECT_GT(positive, forward.size() / 2);
  }
  EXPECT_EQ(console.text(), "");
}

}  // namespace
