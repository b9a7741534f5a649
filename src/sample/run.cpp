#include "sample/run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "common/console.h"
#include "common/output_files.h"
#include "kinetics/linking_file.h"
#include "reactor/reactor.h"
#include "sample/library.h"
#include "sample/parallel.h"

namespace sample {
namespace {

// What one condition gave: an ignition or a stirred reactor, never both.
struct Outcome {
  std::optional<reactor::IgnitionResult> ignition;
  std::optional<reactor::PsrResult> stirred;
  bool ok() const { return ignition ? ignition->ok : stirred && stirred->ok; }
  std::string failure() const { return ignition ? ignition->failure : stirred->failure; }
};

// Checks the settings against the mechanism; the first problem, or nothing.
std::optional<std::string> problemWith(const Settings& s, const reactor::Mechanism& mechanism) {
  const double low = mechanism.lowestCommonTemperature();
  const double high = mechanism.highestCommonTemperature();
  const auto outside = [&](double t, const char* what) -> std::optional<std::string> {
    if (t >= low && t <= high) return std::nullopt;
    return std::string(what) + " " + FormatNumber(t) + " K is outside " + FormatNumber(low) + "-" +
           FormatNumber(high) + " K, where every species' thermodynamic data hold";
  };
  for (const double phi : s.phis) {
    if (!(phi > 0.0) || !std::isfinite(phi)) {
      return "equivalence ratio " + FormatNumber(phi) + " is not positive";
    }
  }
  for (const double p : s.pressures) {
    if (!(p > 0.0) || !std::isfinite(p))
      return "pressure " + FormatNumber(p) + " atm is not positive";
  }
  if (s.stirredReactor) {
    if (s.residenceTimes.empty()) return "no residence time given";
    for (const double tau : s.residenceTimes) {
      if (!(tau > 0.0) || !std::isfinite(tau)) {
        return "residence time " + FormatNumber(tau) + " s is not positive";
      }
    }
    if (auto problem = outside(s.inletTemperature, "inlet temperature")) return problem;
  } else {
    if (s.temperatures.empty()) return "no initial temperature given";
    for (const double t : s.temperatures) {
      if (auto problem = outside(t, "initial temperature")) return problem;
    }
    if (!(s.endTime > 0.0)) return "the end time must be positive";
  }
  if (s.states == 0) return "at least one state per run";
  if (!(s.relativeTolerance > 0.0) || !(s.absoluteTolerance > 0.0)) {
    return "the tolerances must be positive";
  }
  return std::nullopt;
}

// Runs every condition on `threads` threads; results in the grid's order, so the files do
// not depend on which thread ran what.
std::vector<Outcome> runAll(const Settings& s, const reactor::Mechanism& mechanism,
                            const std::vector<Condition>& grid,
                            const std::vector<std::vector<double>>& mixtures,
                            std::ostream& messages, bool progress) {
  std::vector<Outcome> outcomes(grid.size());
  const reactor::Tolerances tolerances{s.relativeTolerance, s.absoluteTolerance};
  const auto run = [&](std::size_t i) {
    const Condition& c = grid[i];
    const double pressure = c.pressureAtm * kAtmosphere;
    if (s.stirredReactor) {
      outcomes[i].stirred = reactor::RunPsr(mechanism, c.temperature, pressure, mixtures[i],
                                            c.residenceTime, tolerances);
    } else {
      outcomes[i].ignition = reactor::RunIgnition(
          mechanism,
          s.constantVolume ? reactor::Model::ConstantVolume : reactor::Model::ConstantPressure,
          c.temperature, pressure, mixtures[i], s.endTime, tolerances);
    }
  };
  ParallelFor(grid.size(), s.threads, run, [&](std::size_t done) {
    if (progress) {
      messages << "\rtarnwick-sample: " << done << " of " << grid.size() << " conditions done"
               << std::flush;
    }
  });
  if (progress) messages << "\n";
  return outcomes;
}

Block ignitionBlock(const Settings& s, const Condition& c, const reactor::IgnitionResult& run,
                    const reactor::Mechanism& mechanism) {
  const std::vector<double>& times = run.trajectory.times;
  const std::vector<double>& temperatures = run.trajectory.temperatures;
  const bool ignited = std::isfinite(run.delayMaxSlope);
  Block block;
  block.tau0 = ignited ? run.delayMaxSlope : s.endTime;
  block.comment = Describe(c) + ": " +
                  (ignited ? "ignition delay " + FormatNumber(run.delayMaxSlope, "%.6E") +
                                 " s (largest dT/dt), T0 + 400 K at " +
                                 FormatNumber(run.delayTemperatureRise, "%.6E") + " s"
                           : "no ignition within " + FormatNumber(s.endTime) + " s") +
                  ", final T " + FormatNumber(run.finalTemperature, "%.1f") + " K";
  for (const std::size_t i : ChooseStates(times, temperatures, run.delayMaxSlope, s.states)) {
    const reactor::StateRecord state = run.trajectory.state(i);
    const double density =
        reactor::Density(mechanism, state.temperature, state.pressure, state.moleFractions);
    block.cases.push_back(
        {state.time, state.pressure, density, state.temperature, state.moleFractions});
  }
  return block;
}

Block stirredBlock(const Condition& c, const reactor::PsrResult& run,
                   const reactor::Mechanism& mechanism) {
  Block block;
  block.tau0 = c.residenceTime;
  block.comment = Describe(c) + ": " + (run.burning ? "burning" : "extinguished") + ", T " +
                  FormatNumber(run.temperature, "%.1f") + " K";
  const double pressure = c.pressureAtm * kAtmosphere;
  const double density = reactor::Density(mechanism, run.temperature, pressure, run.moleFractions);
  block.cases.push_back({c.residenceTime, pressure, density, run.temperature, run.moleFractions});
  return block;
}

std::string csvText(const Settings& s, const std::vector<Condition>& grid,
                    const std::vector<Outcome>& outcomes) {
  std::ostringstream csv;
  if (s.stirredReactor) {
    csv << "phi,pressure_atm,inlet_temperature_K,residence_time_s,temperature_K,burning,steps,"
           "right_hand_sides,jacobians,seconds\n";
  } else {
    csv << "phi,pressure_atm,initial_temperature_K,delay_largest_dTdt_s,delay_T0_plus_400K_s,"
           "final_temperature_K,steps,right_hand_sides,jacobians,seconds\n";
  }
  for (std::size_t i = 0; i < grid.size(); ++i) {
    const Condition& c = grid[i];
    csv << FormatNumber(c.phi) << ',' << FormatNumber(c.pressureAtm) << ','
        << FormatNumber(c.temperature) << ',';
    const reactor::RunCounts& counts =
        s.stirredReactor ? outcomes[i].stirred->counts : outcomes[i].ignition->counts;
    if (s.stirredReactor) {
      const reactor::PsrResult& run = *outcomes[i].stirred;
      csv << FormatNumber(c.residenceTime) << ',' << FormatNumber(run.temperature, "%.3f") << ','
          << (run.burning ? 1 : 0);
    } else {
      const reactor::IgnitionResult& run = *outcomes[i].ignition;
      csv << FormatNumber(run.delayMaxSlope, "%.8E") << ','
          << FormatNumber(run.delayTemperatureRise, "%.8E") << ','
          << FormatNumber(run.finalTemperature, "%.3f");
    }
    const double seconds =
        s.stirredReactor ? outcomes[i].stirred->seconds : outcomes[i].ignition->seconds;
    csv << ',' << counts.steps << ',' << counts.rightHandSides << ',' << counts.jacobians << ','
        << FormatNumber(seconds, "%.4f") << '\n';
  }
  return csv.str();
}

}  // namespace

std::unique_ptr<reactor::Mechanism> LoadReactorMechanism(const std::string& path,
                                                         std::string& problem) {
  std::ostringstream loaderText;
  std::istringstream noAnswer;
  common::Console console(loaderText, noAnswer);
  try {
    return std::make_unique<reactor::Mechanism>(kinetics::LoadKineticsFile(path, console));
  } catch (const common::Stop& stop) {
    problem = "cannot load the kinetics file " + path + ": " + stop.reason();
  } catch (const std::exception& refused) {
    problem = path + ": " + refused.what();
  }
  return nullptr;
}

SpeciesTable SpeciesTableOf(const reactor::Mechanism& mechanism) {
  SpeciesTable table{mechanism.speciesNames(), mechanism.elementNames(), {}};
  for (std::int32_t k = 0; k < mechanism.speciesCount(); ++k) {
    const auto atoms = mechanism.composition(k);
    table.composition.emplace_back(atoms.begin(), atoms.end());
  }
  return table;
}

int RunSampler(const Settings& s, std::ostream& messages, bool progress) {
  const auto fail = [&messages](const std::string& why) {
    messages << "tarnwick-sample: " << why << "; no library written\n";
    return 1;
  };
  std::string problem;
  const std::unique_ptr<reactor::Mechanism> made = LoadReactorMechanism(s.kineticsFile, problem);
  if (!made) return fail(problem);
  const reactor::Mechanism& mechanism = *made;
  if (const auto problem = problemWith(s, mechanism)) return fail(*problem);

  const Blend fuel = ReadBlend(s.fuel, problem);
  if (fuel.empty()) return fail("fuel: " + problem);
  const Blend oxidizer = ReadBlend(s.oxidizer, problem);
  if (oxidizer.empty()) return fail("oxidizer: " + problem);
  const SpeciesTable table = SpeciesTableOf(mechanism);
  const std::vector<double> inlet{s.inletTemperature};
  const std::vector<Condition> grid =
      Grid(s.phis, s.pressures, s.stirredReactor ? std::span<const double>(inlet) : s.temperatures,
           s.stirredReactor ? s.residenceTimes : std::vector<double>{});
  std::vector<std::vector<double>> mixtures;
  for (const Condition& c : grid) {
    mixtures.push_back(MixtureAt(table, fuel, oxidizer, c.phi, problem));
    if (mixtures.back().empty()) return fail(Describe(c) + ": " + problem);
  }

  const std::vector<Outcome> outcomes = runAll(s, mechanism, grid, mixtures, messages, progress);
  bool failed = false;
  for (std::size_t i = 0; i < grid.size(); ++i) {
    if (outcomes[i].ok()) continue;
    messages << "tarnwick-sample: " << Describe(grid[i]) << ": " << outcomes[i].failure() << "\n";
    failed = true;
  }
  if (failed) return fail("a run failed");

  std::vector<Block> blocks;
  for (std::size_t i = 0; i < grid.size(); ++i) {
    blocks.push_back(s.stirredReactor
                         ? stirredBlock(grid[i], *outcomes[i].stirred, mechanism)
                         : ignitionBlock(s, grid[i], *outcomes[i].ignition, mechanism));
  }
  const std::string model = s.stirredReactor   ? "adiabatic perfectly stirred reactor"
                            : s.constantVolume ? "adiabatic constant-volume ignition"
                                               : "adiabatic constant-pressure ignition";
  const std::vector<std::string> comments = {
      model + " of fuel " + s.fuel + " in oxidizer " + s.oxidizer + ", kinetics file " +
          s.kineticsFile + ", rtol " + FormatNumber(s.relativeTolerance) + ", atol " +
          FormatNumber(s.absoluteTolerance),
      s.stirredReactor
          ? "One block per reactor, TAU0 = residence time in s, its case the steady state."
          : "One block per run, TAU0 = ignition delay in s (largest dT/dt); cases: half at equal "
            "fractions of the delay, half at equal fractions of the temperature rise.",
      "Case values: 1 time s, 2 pressure dyn/cm2, 3 density g/cm3, 4-6 unused (0),",
      "7 temperature K, 8.. mole fractions in the mechanism's species order."};
  const std::string heading =
      std::string(s.stirredReactor ? "PSRLIB" : "SENLIB") + " states written by tarnwick-sample";
  if (!common::WriteTextFileAtomically(
          s.output, LibraryText(heading, static_cast<std::size_t>(mechanism.speciesCount()),
                                comments, blocks))) {
    return fail("cannot write " + s.output);
  }
  if (!s.ignitionCsv.empty() &&
      !common::WriteTextFileAtomically(s.ignitionCsv, csvText(s, grid, outcomes))) {
    messages << "tarnwick-sample: cannot write " << s.ignitionCsv << "\n";
    return 1;
  }
  return 0;
}

}  // namespace sample
