// Forward and reverse rates of progress of every reaction at one thermodynamic state.
//
// CaseRates runs four steps: rate coefficients from the temperatures (with the equilibrium
// constants from the Gibbs terms of the thermodynamic polynomials), molar concentrations,
// rates of progress (third bodies, fall-off, multipliers, concentration products), and the
// copy into the caller's arrays. Every intermediate lives in the scratch sections of RKWORK,
// so the kernel allocates nothing and two evaluations must never overlap on one RKWORK.
#pragma once

#include <cstdint>
#include <span>

#include "common/console.h"
#include "kinetics/work_arrays.h"

namespace analysis {

// `temperatures` holds `temperatureCount` entries: 1 the gas temperature, 2 the electron
// temperature, and the temperatures that electron-impact reactions name by index. Diagnostic
// lines and stops are written to `console`. `forwardProgress` and `reverseProgress` receive
// one value per reaction (1-based reaction i at index i - 1).
void CaseRates(std::int32_t temperatureCount, double pressure,
               std::span<const double> temperatures, std::span<const double> massFractions,
               std::span<const std::int32_t> IKWORK, std::span<double> RKWORK,
               std::span<double> forwardProgress, std::span<double> reverseProgress,
               common::Console& console);

}  // namespace analysis
