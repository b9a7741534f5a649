// Rates that depend on the pressure beyond a fall-off: PLOG tables, Chebyshev fits (CHEB with
// TCHEB and PCHEB) and chemically activated fall-off (HIGH). The reaction reader keeps what
// was written; here each such reaction is checked as a whole, turned into the entries of the
// linking file's pressure-table record, and listed.
//
// A table or a fit gives the whole rate constant, so it cannot be combined with LOW, TROE, SRI
// or another form of the rate (a +M written with it is not applied). CHEB written with (+M) is the
// usual way to mark the pressure dependence and adds no third body. One error per reaction: the
// first problem found.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "converters/vordane/interpreter.h"
#include "kinetics/pressure_rates.h"
#include "kinetics/work_arrays.h"

namespace vordane::detail {
namespace {

// The ranges of a Chebyshev fit written without TCHEB or PCHEB, by the common convention.
constexpr std::array<double, 2> kDefaultChebyshevTemperatures = {300.0, 2500.0};  // K
constexpr std::array<double, 2> kDefaultChebyshevPressures = {0.001, 100.0};      // atm

// Larger term counts are taken for typing errors.
constexpr double kMaxChebyshevTerms = 100.0;

struct ChebyshevShape {
  int temperatureTerms = 0;
  int pressureTerms = 0;
};

// The term counts that lead the CHEB values, when they and the coefficient count agree.
std::optional<ChebyshevShape> ShapeOf(const std::vector<double>& values) {
  if (values.size() < 2) return std::nullopt;
  const double N = values[0];
  const double M = values[1];
  if (!IsIntegral(N) || !IsIntegral(M) || N < 1.0 || M < 1.0 || N > kMaxChebyshevTerms ||
      M > kMaxChebyshevTerms) {
    return std::nullopt;
  }
  const ChebyshevShape shape{static_cast<int>(std::lround(N)), static_cast<int>(std::lround(M))};
  if (values.size() - 2 != static_cast<std::size_t>(shape.temperatureTerms * shape.pressureTerms))
    return std::nullopt;
  return shape;
}

// A reaction's rate at one atmosphere as an Arrhenius form, and the largest relative deviation
// from the rate it stands for over kFitTemperatures (0 when it is exact).
struct ReferenceForm {
  std::array<double, 3> rate{};  // A, beta, E/R
  double deviation = 0.0;
};

// 300, 310, ..., 3000 K.
constexpr double kFitLow = 300.0;
constexpr double kFitHigh = 3000.0;
constexpr double kFitStep = 10.0;

// Least squares of ln k = ln A + beta ln T - (E/R) / T over the temperatures where k is above
// the kernel's floor.
ReferenceForm FitArrhenius(const std::function<double(double)>& rate) {
  // Normal equations in the basis 1, ln T, -1000/T (scaled so that they are well conditioned).
  std::array<std::array<double, 4>, 3> system{};
  std::vector<std::pair<double, double>> samples;
  for (double T = kFitLow; T <= kFitHigh; T += kFitStep) {
    const double k = rate(T);
    if (!(k > kinetics::kSmallValue) || !std::isfinite(k)) continue;
    samples.emplace_back(T, k);
    const std::array<double, 4> row = {1.0, std::log(T), -1000.0 / T, std::log(k)};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 4; ++c) system[r][c] += row[r] * row[c];
    }
  }
  ReferenceForm form;
  if (samples.size() < 3) return form;  // no positive rate to stand for: A = 0
  for (int pivot = 0; pivot < 3; ++pivot) {
    int best = pivot;
    for (int r = pivot + 1; r < 3; ++r) {
      if (std::abs(system[r][pivot]) > std::abs(system[best][pivot])) best = r;
    }
    std::swap(system[pivot], system[best]);
    for (int r = 0; r < 3; ++r) {
      if (r == pivot) continue;
      const double factor = system[r][pivot] / system[pivot][pivot];
      for (int c = pivot; c < 4; ++c) system[r][c] -= factor * system[pivot][c];
    }
  }
  const double logA = system[0][3] / system[0][0];
  form.rate = {std::exp(logA), system[1][3] / system[1][1], 1000.0 * system[2][3] / system[2][2]};
  for (const auto& [T, k] : samples) {
    const double fitted =
        kinetics::ArrheniusRate(form.rate[0], form.rate[1], form.rate[2], std::log(T), T);
    form.deviation = std::max(form.deviation, std::abs(fitted / k - 1.0));
  }
  return form;
}

// The table's rate at one atmosphere: exactly one of its rows where a single row holds there
// (at 1 atm or beyond the table's end on that side), exactly the interpolation between two
// single rows of positive A, otherwise a fit.
ReferenceForm TableReference(const kinetics::LinkPressureTable& table) {
  const auto& rows = table.rows;
  const auto single = [&rows](std::size_t r) {
    return (r == 0 || rows[r - 1].pressure != rows[r].pressure) &&
           (r + 1 == rows.size() || rows[r + 1].pressure != rows[r].pressure);
  };
  std::size_t upper = 0;
  while (upper < rows.size() && rows[upper].pressure < 1.0) ++upper;
  ReferenceForm form;
  if (upper < rows.size() && (rows[upper].pressure == 1.0 || upper == 0)) {
    if (single(upper)) {
      form.rate = rows[upper].rate;
      return form;
    }
  } else if (upper == rows.size()) {
    if (single(upper - 1)) {
      form.rate = rows[upper - 1].rate;
      return form;
    }
  } else if (single(upper - 1) && single(upper) && rows[upper - 1].rate[0] > 0.0 &&
             rows[upper].rate[0] > 0.0) {
    // ln k is linear in ln P between the rows, so the blend of their ln k is Arrhenius again.
    const auto& low = rows[upper - 1];
    const auto& high = rows[upper];
    const double f =
        (0.0 - std::log(low.pressure)) / (std::log(high.pressure) - std::log(low.pressure));
    form.rate = {std::exp((1.0 - f) * std::log(low.rate[0]) + f * std::log(high.rate[0])),
                 (1.0 - f) * low.rate[1] + f * high.rate[1],
                 (1.0 - f) * low.rate[2] + f * high.rate[2]};
    return form;
  }
  std::vector<double> pressures;
  std::vector<double> parameters;
  for (const auto& row : rows) {
    pressures.push_back(row.pressure);
    parameters.insert(parameters.end(), row.rate.begin(), row.rate.end());
  }
  return FitArrhenius([&](double T) {
    return kinetics::PressureTableRate(pressures, parameters, 1.0, T, kinetics::kSmallValue);
  });
}

}  // namespace

void Interpreter::tableError(ReactionEntry& reaction, int line, const std::string& message) {
  if (reaction.tableRefused) return;
  reaction.tableRefused = true;
  error(reaction.file, line, message);
}

void Interpreter::checkTables(ReactionEntry& reaction, const std::string& number) {
  const bool table = !reaction.pressureRows.empty();
  const bool fit = !reaction.chebyshev.empty();
  const bool ranges = reaction.chebyshevTemperatures || reaction.chebyshevPressures;
  const bool high = reaction.high.has_value();
  if (!table && !fit && !ranges && !high) return;
  const bool fallOff = reaction.thirdBody == ThirdBodyKind::FallOffMixture ||
                       reaction.thirdBody == ThirdBodyKind::FallOffSpecies;
  const char* form = table ? "PLOG" : fit ? "CHEB" : "HIGH";
  std::string other;
  if (reaction.landauTeller || reaction.reverseLandauTeller) other = "LT or RLT";
  if (reaction.janev) other = "JAN";
  if (reaction.fit) other = "FIT1";
  if (reaction.electronImpact) other = "TDEP";
  std::string problem;
  if (table && fit) {
    problem = "both PLOG and CHEB on " + number;
  } else if (high && (table || fit)) {
    problem = std::string("both HIGH and ") + form + " on " + number;
  } else if (ranges && !fit) {
    problem = "TCHEB or PCHEB on " + number + ", which has no CHEB";
  } else if (table && fallOff) {
    problem = "PLOG on the fall-off " + number + ": the table is the whole rate constant";
  } else if (fit && (reaction.low || reaction.troe || reaction.sri)) {
    problem = "LOW, TROE or SRI on " + number + ", whose CHEB fit is the whole rate constant";
  } else if (high && !fallOff) {
    problem = "HIGH on " + number + ", which is not a fall-off reaction";
  } else if (high && reaction.low) {
    problem = "both LOW and HIGH on " + number;
  } else if (!other.empty()) {
    problem = other + " with " + form + " on " + number + ": one reaction has one form of rate";
  } else if (fit && !ShapeOf(reaction.chebyshev)) {
    const std::vector<double>& values = reaction.chebyshev;
    problem = "CHEB of " + number + " must give its temperature and pressure term counts (1 to " +
              FormatReal(kMaxChebyshevTerms, "%g") + "), then their product in coefficients";
    if (values.size() >= 2 && IsIntegral(values[0]) && IsIntegral(values[1])) {
      problem += ": " + FormatReal(values[0], "%g") + " x " + FormatReal(values[1], "%g") +
                 " terms, " + std::to_string(values.size() - 2) + " coefficients";
    }
  }
  if (!problem.empty()) {
    tableError(reaction, reaction.line, problem);
    return;
  }
  // Some files write +M on a tabled reaction; the table already holds the whole rate constant
  // at each pressure, so the mixture is not applied a second time.
  if (reaction.thirdBody == ThirdBodyKind::Mixture && !high) {
    warning(reaction.file, reaction.line,
            std::string(form) + " on " + number + ", written with +M: the " + form +
                " rate is the whole rate constant, so " +
                (reaction.efficiencies.empty() ? "M is" : "M and its efficiencies are") +
                " not applied");
    reaction.thirdBody = ThirdBodyKind::None;
    reaction.efficiencies.clear();
  }
  if (fit && (!reaction.chebyshevTemperatures || !reaction.chebyshevPressures)) {
    warning(
        reaction.file, reaction.line,
        "CHEB on " + number + " without " +
            (reaction.chebyshevTemperatures ? "PCHEB: 0.001 to 100 atm"
             : reaction.chebyshevPressures  ? "TCHEB: 300 to 2500 K"
                                            : "TCHEB and PCHEB: 300 to 2500 K, 0.001 to 100 atm") +
            " assumed");
  }
  if (fit && !reaction.efficiencies.empty()) {
    warning(reaction.file, reaction.line,
            "third-body efficiencies on the CHEB " + number + " have no effect; ignored");
  }
}

void Interpreter::buildTables(const ReactionEntry& reaction, int number, double reactantOrder) {
  kinetics::LinkMechanism& link = result_.mechanism;
  // A per molecule scales by N_A to the power of the order less one, as the main A does.
  const auto toMoles = [&](double order) {
    return reaction.units.molecules ? std::pow(kAvogadro, order - 1.0) : 1.0;
  };
  const auto converted = [&](const std::array<double, 3>& rate, double order) {
    return std::array<double, 3>{rate[0] * toMoles(order), rate[1],
                                 EnergyToKelvin(rate[2], reaction.units.energy)};
  };
  ReferenceForm reference;
  if (!reaction.pressureRows.empty()) {
    std::vector<PressureRow> rows = reaction.pressureRows;
    std::stable_sort(rows.begin(), rows.end(), [](const PressureRow& a, const PressureRow& b) {
      return a.pressure < b.pressure;
    });
    kinetics::LinkPressureTable table;
    table.reaction = number;
    for (const PressureRow& row : rows) {
      table.rows.push_back({row.pressure, converted(row.rate, reactantOrder)});
    }
    reference = TableReference(table);
    link.pressureTables.push_back(std::move(table));
  } else if (const auto shape = ShapeOf(reaction.chebyshev)) {
    kinetics::LinkChebyshev fit;
    fit.reaction = number;
    fit.temperatureCount = shape->temperatureTerms;
    fit.pressureCount = shape->pressureTerms;
    const auto temperatures =
        reaction.chebyshevTemperatures.value_or(kDefaultChebyshevTemperatures);
    const auto pressures = reaction.chebyshevPressures.value_or(kDefaultChebyshevPressures);
    fit.ranges = {temperatures[0], temperatures[1], pressures[0], pressures[1]};
    fit.coefficients.assign(reaction.chebyshev.begin() + 2, reaction.chebyshev.end());
    // The first polynomial of both series is 1, so a factor of k shifts that coefficient.
    if (reaction.units.molecules) fit.coefficients[0] += std::log10(toMoles(reactantOrder));
    reference = FitArrhenius([&fit](double T) {
      return kinetics::ChebyshevRate(fit.ranges, fit.coefficients, fit.temperatureCount,
                                     fit.pressureCount, 1.0, T);
    });
    link.chebyshev.push_back(std::move(fit));
  } else if (reaction.high) {
    // The reaction line gives the low-pressure limit, of the reaction's own order; HIGH the
    // high-pressure one, one order less.
    kinetics::LinkActivated entry;
    entry.reaction = number;
    entry.thirdBody =
        reaction.thirdBody == ThirdBodyKind::FallOffSpecies ? reaction.fallOffSpecies + 1 : 0;
    entry.high = converted(*reaction.high, reactantOrder - 1.0);
    const std::array<double, 3> low = converted(reaction.rate, reactantOrder);
    entry.values.assign(low.begin(), low.end());
    entry.form = AppendFallOffForm(reaction, entry.values);
    entry.values.resize(kinetics::kActivatedParameterCount, 0.0);
    for (const auto& [species, efficiency] : reaction.efficiencies) {
      entry.species.push_back(species + 1);
      entry.efficiencies.push_back(efficiency);
    }
    // At one atmosphere in a bath of unit efficiency.
    reference = FitArrhenius([&entry](double T) {
      const double logT = std::log(T);
      const double lowRate =
          kinetics::ArrheniusRate(entry.values[0], entry.values[1], entry.values[2], logT, T);
      const double highRate =
          kinetics::ArrheniusRate(entry.high[0], entry.high[1], entry.high[2], logT, T);
      const double bath = kinetics::kStandardPressure / (kinetics::kGasConstant * T);
      const double reduced = lowRate * bath / highRate;
      return kinetics::FallOffBroadening(entry.form, entry.values, reduced, T,
                                         kinetics::kSmallValue) /
             (1.0 + reduced) * lowRate;
    });
    link.activated.push_back(std::move(entry));
  } else {
    return;  // refused: nothing to store
  }
  link.reactions.back().rateParameters.assign(reference.rate.begin(), reference.rate.end());
  referenceDeviations_.emplace_back(number, reference.deviation);
}

void Interpreter::writeTableListing() {
  if (referenceDeviations_.empty()) return;
  const kinetics::LinkMechanism& link = result_.mechanism;
  std::string& out = result_.listing;
  char buffer[256];
  out += "PRESSURE-DEPENDENT RATES (as stored: P in atm, A in mol, cm3, s, E/R in K)\n";
  out += "  Record 5 holds each rate at 1 atm (HIGH: in a bath of unit efficiency) for readers\n";
  out += "  that do not read the pressure tables.\n";
  for (const auto& [number, deviation] : referenceDeviations_) {
    const auto& rate = link.reactions[static_cast<std::size_t>(number - 1)].rateParameters;
    const auto table =
        std::find_if(link.pressureTables.begin(), link.pressureTables.end(),
                     [number = number](const auto& t) { return t.reaction == number; });
    const auto fit =
        std::find_if(link.chebyshev.begin(), link.chebyshev.end(),
                     [number = number](const auto& f) { return f.reaction == number; });
    if (table != link.pressureTables.end()) {
      std::snprintf(buffer, sizeof buffer, "%5d  PLOG, %zu rows\n", number, table->rows.size());
      out += buffer;
      for (const kinetics::LinkPressureRow& row : table->rows) {
        std::snprintf(buffer, sizeof buffer,
                      "         P %12.4E  A %12.4E  beta %8.3f  E/R %12.4E\n", row.pressure,
                      row.rate[0], row.rate[1], row.rate[2]);
        out += buffer;
      }
    } else if (fit != link.chebyshev.end()) {
      std::snprintf(buffer, sizeof buffer,
                    "%5d  CHEB, %d x %d terms, T %.1f to %.1f K, P %.4E to %.4E atm\n", number,
                    fit->temperatureCount, fit->pressureCount, fit->ranges[0], fit->ranges[1],
                    fit->ranges[2], fit->ranges[3]);
      out += buffer;
    } else {
      std::snprintf(buffer, sizeof buffer, "%5d  HIGH, chemically activated\n", number);
      out += buffer;
    }
    std::snprintf(buffer, sizeof buffer, "         at 1 atm: A %12.4E  beta %8.3f  E/R %12.4E  %s",
                  rate[0], rate[1], rate[2], deviation == 0.0 ? "exact\n" : "fit over 300-3000 K,");
    out += buffer;
    if (deviation != 0.0) {
      std::snprintf(buffer, sizeof buffer, " within %.2g of the rate\n", deviation);
      out += buffer;
    }
  }
  out += "\n";
}

}  // namespace vordane::detail
