#include "support/pressure_rate_oracle.h"

#include "kinetics/work_arrays.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

namespace test_support {

double TableRateOracle(const kinetics::LinkPressureTable& table, double P, double T) {
  std::map<double, double> rates;  // pressure -> k
  for (const kinetics::LinkPressureRow& row : table.rows) {
    rates[row.pressure] += row.rate[0] * std::pow(T, row.rate[1]) * std::exp(-row.rate[2] / T);
  }
  for (auto& [pressure, rate] : rates) rate = std::max(rate, kinetics::kSmallValue);
  if (P <= rates.begin()->first) return rates.begin()->second;
  if (P >= rates.rbegin()->first) return rates.rbegin()->second;
  const auto above = rates.upper_bound(P);
  const auto below = std::prev(above);
  if (below->first == P) return below->second;
  const double share = std::log(P / below->first) / std::log(above->first / below->first);
  return below->second * std::pow(above->second / below->second, share);
}

double ChebyshevRateOracle(const kinetics::LinkChebyshev& fit, double P, double T) {
  const double x = std::clamp(
      (2 / T - 1 / fit.ranges[0] - 1 / fit.ranges[1]) / (1 / fit.ranges[1] - 1 / fit.ranges[0]),
      -1.0, 1.0);
  const double y = std::clamp((2 * std::log10(P) - std::log10(fit.ranges[2] * fit.ranges[3])) /
                                  std::log10(fit.ranges[3] / fit.ranges[2]),
                              -1.0, 1.0);
  double logRate = 0;
  for (int t = 0; t < fit.temperatureCount; ++t) {
    for (int p = 0; p < fit.pressureCount; ++p) {
      logRate += fit.coefficients[static_cast<std::size_t>(t * fit.pressureCount + p)] *
                 std::cos(t * std::acos(x)) * std::cos(p * std::acos(y));
    }
  }
  return std::pow(10.0, logRate);
}

}  // namespace test_support
