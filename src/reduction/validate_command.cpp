#include "reduction/validate_command.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "common/console.h"
#include "common/output_files.h"
#include "reactor/reactor.h"
#include "sample/conditions.h"
#include "sample/parallel.h"
#include "sample/run.h"

namespace reduction {
namespace {

using sample::FormatNumber;
using sample::kAtmosphere;

[[noreturn]] void refuse(const std::string& why) {
  throw common::Stop({"sorvane validate: " + why}, false, 1);
}

struct Side {
  std::unique_ptr<reactor::Mechanism> mechanism;
  std::vector<std::vector<double>> mixtures;  // per condition
  std::vector<Result> results;
};

Side prepare(const std::string& path, const ValidateOptions& o,
             const std::vector<sample::Condition>& grid) {
  Side side;
  std::string problem;
  side.mechanism = sample::LoadReactorMechanism(path, problem);
  if (!side.mechanism) refuse(problem);
  const sample::SpeciesTable table = sample::SpeciesTableOf(*side.mechanism);
  const sample::Blend fuel = sample::ReadBlend(o.fuel, problem);
  if (fuel.empty()) refuse("fuel: " + problem);
  const sample::Blend oxidizer = sample::ReadBlend(o.oxidizer, problem);
  if (oxidizer.empty()) refuse("oxidizer: " + problem);
  for (const sample::Condition& c : grid) {
    side.mixtures.push_back(sample::MixtureAt(table, fuel, oxidizer, c.phi, problem));
    if (side.mixtures.back().empty()) refuse(path + ", " + sample::Describe(c) + ": " + problem);
  }
  side.results.resize(grid.size());
  return side;
}

}  // namespace

Result RunCondition(const ValidateOptions& o, const reactor::Mechanism& mechanism,
                    const sample::Condition& c, std::span<const double> mixture) {
  const reactor::Tolerances tolerances{o.relativeTolerance, o.absoluteTolerance};
  const double pressure = c.pressureAtm * kAtmosphere;
  if (o.stirredReactor) {
    const reactor::PsrResult run =
        reactor::RunPsr(mechanism, c.temperature, pressure, mixture, c.residenceTime, tolerances);
    if (!run.ok) return {std::nullopt, run.failure};
    return {run.temperature, ""};
  }
  const reactor::IgnitionResult run = reactor::RunIgnition(
      mechanism,
      o.constantVolume ? reactor::Model::ConstantVolume : reactor::Model::ConstantPressure,
      c.temperature, pressure, mixture, o.endTime, tolerances);
  if (!run.ok) return {std::nullopt, run.failure};
  if (!std::isfinite(run.delayMaxSlope)) {
    return {std::nullopt, "no ignition within " + FormatNumber(o.endTime) + " s"};
  }
  return {run.delayMaxSlope, ""};
}

namespace {

// Ignition delay against 1000/T0 on a log axis, one series per pressure and phi: the detailed
// mechanism as lines, the reduced one as markers (stirred reactors: temperature against the
// residence time). True when gnuplot drew it.
bool plot(const ValidateOptions& o, const std::vector<sample::Condition>& grid,
          const std::vector<Result>& detailed, const std::vector<Result>& reduced,
          const std::string& path, std::string& note) {
  if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) {
    note = "gnuplot is not installed: no plot drawn, the table is complete";
    return false;
  }
  std::map<std::pair<double, double>, std::string> series;  // (pressure, phi) -> data rows
  for (std::size_t i = 0; i < grid.size(); ++i) {
    const sample::Condition& c = grid[i];
    const double x = o.stirredReactor ? c.residenceTime : 1000.0 / c.temperature;
    series[{c.pressureAtm, c.phi}] += FormatNumber(x, "%.6E") + " " +
                                      FormatNumber(detailed[i].value.value_or(NAN), "%.6E") + " " +
                                      FormatNumber(reduced[i].value.value_or(NAN), "%.6E") + "\n";
  }
  const std::string temporary = path + ".part";
  std::ostringstream script;
  script << "set terminal png size 900,640\nset output '" << temporary << "'\n"
         << "set key outside right\nset grid\n"
         << (o.stirredReactor ? "set logscale x\nset xlabel 'residence time [s]'\n"
                                "set ylabel 'temperature [K]'\n"
                              : "set logscale y\nset xlabel '1000 / T0 [1/K]'\n"
                                "set ylabel 'ignition delay [s]'\n")
         << "set title 'detailed (lines) and reduced (markers)'\n";
  int block = 0;
  for (const auto& [key, rows] : series)
    script << "$s" << block++ << " << EOD\n" << rows << "EOD\n";
  script << "plot ";
  block = 0;
  for (const auto& [key, rows] : series) {
    const std::string label = FormatNumber(key.first) + " atm, phi " + FormatNumber(key.second);
    script << (block ? ", " : "") << "$s" << block << " using 1:2 with lines lt " << block + 1
           << " title '" << label << "', $s" << block << " using 1:3 with points lt " << block + 1
           << " pt 7 ps 1.5 notitle";
    ++block;
  }
  script << "\n";
  const std::string scriptPath = path + ".gp.part";
  if (!common::WriteTextFileAtomically(scriptPath, script.str())) {
    note = "cannot write the plot's script";
    return false;
  }
  const bool drawn = std::system(("gnuplot '" + scriptPath + "' >/dev/null 2>&1").c_str()) == 0 &&
                     std::filesystem::exists(temporary);
  std::error_code error;
  std::filesystem::remove(scriptPath, error);
  if (drawn) std::filesystem::rename(temporary, path, error);
  if (!drawn || error) {
    std::filesystem::remove(temporary, error);
    note = "gnuplot could not draw the plot; the table is complete";
    return false;
  }
  return true;
}

}  // namespace

ValidationSummary Validate(const ValidateOptions& o, std::ostream& progress, bool showProgress) {
  for (const double p : o.pressures) {
    if (!(p > 0.0)) refuse("pressure " + FormatNumber(p) + " atm is not positive");
  }
  const std::vector<double> inlet{o.inletTemperature};
  const std::vector<sample::Condition> grid =
      sample::Grid(o.phis, o.pressures, o.stirredReactor ? inlet : o.temperatures,
                   o.stirredReactor ? o.residenceTimes : std::vector<double>{});
  if (grid.empty()) refuse("no condition given");
  Side detailed = prepare(o.detailed, o, grid);
  Side reduced = prepare(o.reduced, o, grid);

  sample::ParallelFor(
      2 * grid.size(), o.threads,
      [&](std::size_t n) {
        Side& side = n % 2 == 0 ? detailed : reduced;
        const std::size_t i = n / 2;
        side.results[i] = RunCondition(o, *side.mechanism, grid[i], side.mixtures[i]);
      },
      [&](std::size_t done) {
        if (showProgress) {
          progress << "\rsorvane validate: " << done << " of " << 2 * grid.size() << " runs done"
                   << std::flush;
        }
      });
  if (showProgress) progress << "\n";
  return WriteValidation(o, grid, detailed.results, reduced.results);
}

ValidationSummary WriteValidation(const ValidateOptions& o,
                                  const std::vector<sample::Condition>& grid,
                                  const std::vector<Result>& detailed,
                                  const std::vector<Result>& reduced) {
  ValidationSummary summary;
  summary.conditions = grid.size();
  std::ostringstream csv;
  csv << (o.stirredReactor ? "phi,pressure_atm,inlet_temperature_K,residence_time_s,"
                             "temperature_detailed_K,temperature_reduced_K,error_percent,note\n"
                           : "phi,pressure_atm,initial_temperature_K,delay_detailed_s,"
                             "delay_reduced_s,error_percent,note\n");
  for (std::size_t i = 0; i < grid.size(); ++i) {
    const sample::Condition& c = grid[i];
    if (!detailed[i].value) {
      refuse("the detailed mechanism fails at " + sample::Describe(c) + ": " + detailed[i].failure);
    }
    const double reference = *detailed[i].value;
    const std::optional<double>& value = reduced[i].value;
    // A reduced run that fails or never ignites counts as a 100 % error.
    const double error = value ? std::abs(*value - reference) / reference : 1.0;
    if (error > summary.largestError || i == 0) {
      summary.largestError = error;
      summary.where = sample::Describe(c);
    }
    csv << FormatNumber(c.phi) << ',' << FormatNumber(c.pressureAtm) << ','
        << FormatNumber(c.temperature) << ',';
    if (o.stirredReactor) csv << FormatNumber(c.residenceTime) << ',';
    csv << FormatNumber(reference, "%.6E") << ','
        << (value ? FormatNumber(*value, "%.6E") : std::string("nan")) << ','
        << FormatNumber(100.0 * error, "%.4f") << ',' << reduced[i].failure << '\n';
  }
  std::error_code ignored;
  std::filesystem::create_directories(o.outputFolder, ignored);
  const std::filesystem::path folder(o.outputFolder);
  summary.table = (folder / (o.fileStem + ".csv")).string();
  if (!common::WriteTextFileAtomically(summary.table, csv.str())) {
    refuse("cannot write " + summary.table);
  }
  const std::string plotPath = (folder / (o.fileStem + ".png")).string();
  if (plot(o, grid, detailed, reduced, plotPath, summary.plotNote)) {
    summary.plot = plotPath;
  }
  return summary;
}

}  // namespace reduction
