// Forward and reverse rates of progress of every reaction at one thermodynamic state.
//
// CaseRates runs four steps: rate coefficients from the temperatures and, for pressure tables
// and Chebyshev fits, the pressure (with the equilibrium constants from the Gibbs terms of the
// thermodynamic polynomials), molar concentrations,
// rates of progress (third bodies, fall-off, multipliers, concentration products), and the
// copy into the caller's arrays. Every intermediate lives in the scratch sections of RKWORK,
// so the kernel allocates nothing and two evaluations must never overlap on one RKWORK.
//
// Where the steps leave their results in RKWORK:
//   ForwardRateCoefficients, ReverseRateCoefficients   k_f and k_r
//   ForwardProgressScratch                              K_c while the coefficients are formed,
//                                                       then the forward rates of progress
//   ReverseProgressScratch                              the reverse rates of progress
//   ConcentrationScratch                                the Gibbs terms, then the concentrations
//   ThirdBodyScratch                                    the third-body concentration of each
//                                                       reaction
//
// A reaction has MaxReactionSpecies slots: the first half holds its reactants, the second half
// its products. The concentration products read every slot of their half, so mechanisms with
// more than three products (eight slots) are evaluated in full.
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
void CaseRates(std::int32_t temperatureCount, double pressure, std::span<const double> temperatures,
               std::span<const double> massFractions, std::span<const std::int32_t> IKWORK,
               std::span<double> RKWORK, std::span<double> forwardProgress,
               std::span<double> reverseProgress, common::Console& console);

// CaseRates on the arrays that `state` describes (the entry above passes the loaded state).
// Arrays shorter than the state requires are a caller error: std::invalid_argument.
void CaseRates(const kinetics::KineticsState& state, std::int32_t temperatureCount, double pressure,
               std::span<const double> temperatures, std::span<const double> massFractions,
               std::span<const std::int32_t> IKWORK, std::span<double> RKWORK,
               std::span<double> forwardProgress, std::span<double> reverseProgress,
               common::Console& console);

// The steps. `temperatures` holds exactly the usable entries (at least two).

// k_f and k_r of every reaction; `pressure` (dyn/cm2) serves the reactions of pressure tables
// and Chebyshev fits. Writes the electron-impact lines; stops on real stoichiometric
// coefficients, fitted reactions and electron temperature indices outside `temperatures`.
void RateCoefficients(const kinetics::KineticsState& state, double pressure,
                      std::span<const double> temperatures, std::span<const std::int32_t> IKWORK,
                      std::span<double> RKWORK, common::Console& console);

// g(k) = S_k/R - H_k/(RT) of every species at `temperature`, into `gibbs` (KK entries).
void GibbsTerms(const kinetics::KineticsState& state, double temperature,
                std::span<const std::int32_t> IKWORK, std::span<const double> RKWORK,
                std::span<double> gibbs);

// Molar concentrations at `pressure` and the gas temperature.
void MolarConcentrations(const kinetics::KineticsState& state, double pressure,
                         std::span<const double> temperatures,
                         std::span<const double> massFractions, std::span<double> RKWORK);

// Rates of progress from the rate coefficients and the concentrations.
void RatesOfProgress(const kinetics::KineticsState& state, std::span<const double> temperatures,
                     std::span<const std::int32_t> IKWORK, std::span<double> RKWORK);

}  // namespace analysis
