// Homogeneous reactors on a loaded kinetics file: adiabatic ignition at constant pressure or
// constant volume, and the adiabatic perfectly stirred reactor at constant pressure. Units are
// those of the kinetics file: cm, g, mol, s, K; pressures in dyn/cm2.
//
// A Mechanism is read-only once made and may be shared by threads; every run works on its own
// copies of the work arrays, so runs on one Mechanism may overlap.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "kinetics/linking_file.h"

namespace reactor {

class Mechanism {
 public:
  // Takes the loaded kinetics file (its state and work arrays). Throws std::invalid_argument
  // with a clear message when the mechanism holds reactions the rate kernel refuses (real
  // stoichiometric coefficients, fitted reactions) or electron reactions, which need an electron
  // temperature, naming the first one; and when the file ended before its reactions.
  explicit Mechanism(kinetics::LoadedKinetics loaded);
  ~Mechanism();
  Mechanism(Mechanism&&) noexcept;
  Mechanism& operator=(Mechanism&&) noexcept;

  std::int32_t speciesCount() const;
  const std::vector<std::string>& speciesNames() const;  // trailing blanks removed
  int speciesIndex(const std::string& name) const;       // 0-based; -1 when unknown
  std::span<const double> molecularWeights() const;      // g/mol
  // Element counts of species k (0-based), by element index; and the element names.
  std::span<const double> composition(std::int32_t k) const;
  const std::vector<std::string>& elementNames() const;
  // The temperature range in which every species' thermodynamic data hold, and species k's own.
  double lowestCommonTemperature() const;
  double highestCommonTemperature() const;

  struct Data;
  const Data& data() const { return *data_; }

 private:
  std::unique_ptr<Data> data_;
};

enum class Model { ConstantPressure, ConstantVolume };

// Mixture thermodynamics. Spans hold one entry per species, in the mechanism's order.
// Molar c_p (erg/(mol K)), h (erg/mol) and s at one atmosphere (erg/(mol K)) of every species at
// `temperature`, from its polynomial range holding that temperature; any span may be empty.
void SpeciesThermodynamics(const Mechanism& mechanism, double temperature,
                           std::span<double> heatCapacities, std::span<double> enthalpies,
                           std::span<double> entropies);
double MeanMolecularWeight(const Mechanism& mechanism, std::span<const double> moleFractions);
double Density(const Mechanism& mechanism, double temperature, double pressure,
               std::span<const double> moleFractions);  // g/cm3
void MoleToMassFractions(const Mechanism& mechanism, std::span<const double> moleFractions,
                         std::span<double> massFractions);
void MassToMoleFractions(const Mechanism& mechanism, std::span<const double> massFractions,
                         std::span<double> moleFractions);
// Net molar production rate of every species, mol/(cm3 s), from the rate kernel's forward and
// reverse rates of progress. Throws common::Stop where the kernel stops.
void NetProductionRates(const Mechanism& mechanism, double temperature, double pressure,
                        std::span<const double> moleFractions, std::span<double> rates);

struct Tolerances {
  double relative = 1e-9;
  double absolute = 1e-15;
};

// One integrator step (or the initial state) of a run.
struct StateRecord {
  double time = 0.0;         // s
  double temperature = 0.0;  // K
  double pressure = 0.0;     // dyn/cm2
  std::vector<double> moleFractions;
};

// The initial state and every step of a run, stored flat: recording a step appends to a few
// arrays instead of allocating a record.
struct Trajectory {
  std::size_t speciesCount = 0;
  std::vector<double> times;          // s
  std::vector<double> temperatures;   // K
  std::vector<double> pressures;      // dyn/cm2
  std::vector<double> moleFractions;  // speciesCount per state, state after state

  std::size_t size() const { return times.size(); }
  std::span<const double> moleFractionsAt(std::size_t i) const {
    return std::span<const double>(moleFractions).subspan(i * speciesCount, speciesCount);
  }
  StateRecord state(std::size_t i) const {
    const auto x = moleFractionsAt(i);
    return {times[i], temperatures[i], pressures[i], {x.begin(), x.end()}};
  }
};

struct RunCounts {
  std::int64_t steps = 0;
  std::int64_t rightHandSides = 0;
  std::int64_t jacobians = 0;
};

struct IgnitionResult {
  bool ok = false;
  std::string failure;  // why the run failed, when !ok
  // Time of the largest dT/dt, located between steps; NaN when the run never ignited (never
  // exceeded T0 + 400 K).
  double delayMaxSlope = 0.0;
  // First time T exceeds T0 + 400 K, located between steps; NaN when it never does.
  double delayTemperatureRise = 0.0;
  double finalTemperature = 0.0;
  RunCounts counts;
  double seconds = 0.0;  // wall time of the run
  Trajectory trajectory;
};

// Adiabatic ignition from (T0, P0, x0) until `endTime` seconds.
IgnitionResult RunIgnition(const Mechanism& mechanism, Model model, double temperature,
                           double pressure, std::span<const double> moleFractions, double endTime,
                           const Tolerances& tolerances = {});

struct PsrResult {
  bool ok = false;
  std::string failure;
  bool burning = false;  // false when the reactor is extinguished (near the inlet temperature)
  double temperature = 0.0;
  std::vector<double> moleFractions;
  RunCounts counts;
  double seconds = 0.0;
};

// Adiabatic perfectly stirred reactor at constant pressure: inlet (T, P, x), residence time
// tau (s). The steady state is found by integrating the transient from a burning start, lowering
// the residence time in stages to tau (continuation along the burning branch), until the rule
// stated in reactor.cpp holds; an extinguished reactor returns the inlet-like steady state.
PsrResult RunPsr(const Mechanism& mechanism, double inletTemperature, double pressure,
                 std::span<const double> inletMoleFractions, double residenceTime,
                 const Tolerances& tolerances = {});

}  // namespace reactor
