// Rate constants that depend on the pressure, in one place for the rate kernel and for the
// mechanism converter, which writes each such reaction's rate at one atmosphere into the
// Arrhenius parameters that readers without the pressure-table record use.
//
// Every formula keeps the operation order it is written in (see rate_kernel.cpp): the rates
// must be the same bit for bit on every build.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>

#include "common/work_array.h"
#include "kinetics/work_arrays.h"

namespace kinetics {

// Constants that the fall-off forms hold in single precision.
inline constexpr double kTroeCentreSlope = 1.2699999809265137;  // 1.27
inline constexpr double kTroeOffset = 0.4000000059604645;       // 0.4
inline constexpr double kTroeOffsetSlope = 0.6700000166893005;  // 0.67
inline constexpr double kTroeWidth = 0.14000000059604645;       // 0.14
static_assert(kTroeCentreSlope == static_cast<double>(1.27f));
static_assert(kTroeOffset == static_cast<double>(0.4f));
static_assert(kTroeOffsetSlope == static_cast<double>(0.67f));
static_assert(kTroeWidth == static_cast<double>(0.14f));

// A k_0 T^beta exp(-E/R / T).
inline double ArrheniusRate(double A, double beta, double E, double logT, double T) {
  return A * std::exp(beta * logT - E / T);
}

// The rate constant of one pressure table at `P` (atm). `pressures` ascend; `parameters` holds
// A, beta, E/R per row. Rows at one pressure add up; between two pressures of the table ln k is
// linear in ln P, at a pressure of the table k is that pressure's rate, and beyond the table the
// rate of its nearest pressure holds. A pressure's rate below `small` is taken as `small`.
double PressureTableRate(std::span<const double> pressures, std::span<const double> parameters,
                         double P, double T, double small);

// k = 10^(sum over t, p of a(t, p) phi_t(x) phi_p(y)), phi_n the Chebyshev polynomial of
// degree n - 1, x the reduced inverse temperature and y the reduced log10 pressure, both held
// to [-1, 1]: outside the range of its fit the rate at the nearest edge holds, as the series
// grows without bound there. `ranges` holds Tmin, Tmax (K), Pmin, Pmax (atm); `coefficients`
// temperatureTerms x pressureTerms values, pressure index inner.
double ChebyshevRate(std::span<const double> ranges, std::span<const double> coefficients,
                     std::int64_t temperatureTerms, std::int64_t pressureTerms, double P, double T);

// The broadening factor F of a fall-off at reduced pressure `reduced`: SRI for form 2, Troe for
// forms 3 and 4 (the latter with its T** term), 1 otherwise. `parameters` holds the fall-off
// parameters of record 7 from the first (low-pressure A); the forms read entries 4 to 8.
double FallOffBroadening(std::int32_t form, std::span<const double> parameters, double reduced,
                         double T, double small);

// Calls visit(i, rate) for every reaction i (1-based) with a pressure table or a Chebyshev fit
// in the loaded work arrays, tables first; rate(P) is its rate constant at P (atm) and T.
template <typename Visit>
void ForEachPressureRate(const KineticsState& state, std::span<const std::int32_t> IKWORK,
                         std::span<const double> RKWORK, double T, double small, Visit visit) {
  const auto& integer = state.layout.integer;
  const auto& real = state.layout.real;
  const auto number = [&IKWORK](std::int64_t start, std::int64_t n) -> std::int64_t {
    return common::Entry(IKWORK, start, n);
  };
  const auto section = [&RKWORK](std::int64_t start, std::int64_t first, std::int64_t count) {
    return RKWORK.subspan(static_cast<std::size_t>(start + first - 2),
                          static_cast<std::size_t>(count));
  };
  for (std::int64_t n = 1; n <= state.tables.PressureTableReactionCount; ++n) {
    const std::int64_t first = number(integer.PressureTableFirstRow, n);
    const std::int64_t rows = number(integer.PressureTableRows, n);
    const auto pressures = section(real.PressureTablePressures, first, rows);
    const auto parameters =
        section(real.PressureTableParameters, (first - 1) * kTableRateParameterCount + 1,
                rows * kTableRateParameterCount);
    visit(number(integer.PressureTableReactions, n),
          [&](double P) { return PressureTableRate(pressures, parameters, P, T, small); });
  }
  for (std::int64_t n = 1; n <= state.tables.ChebyshevReactionCount; ++n) {
    const std::int64_t temperatureTerms = number(integer.ChebyshevTemperatureCount, n);
    const std::int64_t pressureTerms = number(integer.ChebyshevPressureCount, n);
    const auto ranges =
        section(real.ChebyshevRanges, (n - 1) * kChebyshevRangeCount + 1, kChebyshevRangeCount);
    const auto coefficients =
        section(real.ChebyshevCoefficients, number(integer.ChebyshevFirstCoefficient, n),
                temperatureTerms * pressureTerms);
    visit(number(integer.ChebyshevReactions, n), [&](double P) {
      return ChebyshevRate(ranges, coefficients, temperatureTerms, pressureTerms, P, T);
    });
  }
}

}  // namespace kinetics
