#include "kinetics/pressure_rates.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kinetics {
namespace {

// Entry j (1-based) of a span.
double at(std::span<const double> values, std::int64_t j) {
  return values[static_cast<std::size_t>(j - 1)];
}

// The Chebyshev polynomials at z one after another: phi_1 = 1, phi_2 = z,
// phi_n = 2 z phi_(n-1) - phi_(n-2).
class ChebyshevTerms {
 public:
  explicit ChebyshevTerms(double z) : z_(z) {}
  double next() {
    const double term = count_ == 0 ? 1.0 : count_ == 1 ? z_ : 2.0 * z_ * current_ - previous_;
    previous_ = current_;
    current_ = term;
    ++count_;
    return term;
  }

 private:
  double z_;
  double current_ = 0.0;
  double previous_ = 0.0;
  int count_ = 0;
};

}  // namespace

double PressureTableRate(std::span<const double> pressures, std::span<const double> parameters,
                         double P, double T, double small) {
  const double logT = std::log(T);
  const auto last = static_cast<std::int64_t>(pressures.size());
  // The sum of the rows from `row` on that share its pressure. Rows of negative A can make it
  // negative outside the temperatures they were fitted for; it is held to `small` there.
  auto rateAt = [&](std::int64_t row) {
    const double p = at(pressures, row);
    double sum = 0.0;
    for (; row <= last && at(pressures, row) == p; ++row) {
      sum += ArrheniusRate(at(parameters, 3 * row - 2), at(parameters, 3 * row - 1),
                           at(parameters, 3 * row), logT, T);
    }
    return std::max(sum, small);
  };
  if (P <= at(pressures, 1)) return rateAt(1);
  if (P >= at(pressures, last)) {
    std::int64_t row = last;
    while (row > 1 && at(pressures, row - 1) == at(pressures, last)) --row;
    return rateAt(row);
  }
  std::int64_t lower = 1;
  std::int64_t upper = 1;
  for (; at(pressures, upper) <= P; ++upper) {
    if (at(pressures, upper) != at(pressures, lower)) lower = upper;
  }
  const double lowerRate = rateAt(lower);
  if (P == at(pressures, lower)) return lowerRate;
  const double lowerLog = std::log(lowerRate);
  const double upperLog = std::log(rateAt(upper));
  const double lowerPressureLog = std::log(at(pressures, lower));
  const double fraction =
      (std::log(P) - lowerPressureLog) / (std::log(at(pressures, upper)) - lowerPressureLog);
  return std::exp(lowerLog + (upperLog - lowerLog) * fraction);
}

double ChebyshevRate(std::span<const double> ranges, std::span<const double> coefficients,
                     std::int64_t temperatureTerms, std::int64_t pressureTerms, double P,
                     double T) {
  const double inverseLow = 1.0 / at(ranges, 1);
  const double inverseHigh = 1.0 / at(ranges, 2);
  const double x =
      std::clamp((2.0 / T - inverseLow - inverseHigh) / (inverseHigh - inverseLow), -1.0, 1.0);
  const double logLow = std::log10(at(ranges, 3));
  const double logHigh = std::log10(at(ranges, 4));
  const double y =
      std::clamp((2.0 * std::log10(P) - logLow - logHigh) / (logHigh - logLow), -1.0, 1.0);
  double logRate = 0.0;
  ChebyshevTerms temperatureTerm(x);
  for (std::int64_t t = 1; t <= temperatureTerms; ++t) {
    const double phiT = temperatureTerm.next();
    double inner = 0.0;
    ChebyshevTerms pressureTerm(y);
    for (std::int64_t p = 1; p <= pressureTerms; ++p) {
      inner += at(coefficients, (t - 1) * pressureTerms + p) * pressureTerm.next();
    }
    logRate += inner * phiT;
  }
  return std::pow(10.0, logRate);
}

double FallOffBroadening(std::int32_t form, std::span<const double> parameter, double reduced,
                         double T, double small) {
  if (form < 2 || form > 4) return 1.0;
  const double reducedLog = std::log10(std::max(reduced, small));
  if (form == 2) {
    const double exponent = 1.0 / (1.0 + reducedLog * reducedLog);
    return std::pow(
               at(parameter, 4) * std::exp(-at(parameter, 5) / T) + std::exp(-T / at(parameter, 6)),
               exponent) *
           at(parameter, 7) * std::pow(T, at(parameter, 8));
  }
  double centre = (1.0 - at(parameter, 4)) * std::exp(-T / at(parameter, 5)) +
                  at(parameter, 4) * std::exp(-T / at(parameter, 6));
  if (form == 4) centre = centre + std::exp(-at(parameter, 7) / T);
  const double centreLog = std::log10(std::max(centre, small));
  const double width = 0.75 - kTroeCentreSlope * centreLog;
  const double shifted = reducedLog - (kTroeOffset + kTroeOffsetSlope * centreLog);
  const double ratio = shifted / (width - kTroeWidth * shifted);
  const double factorLog = centreLog / (1.0 + ratio * ratio);
  return std::pow(10.0, factorLog);
}

}  // namespace kinetics
