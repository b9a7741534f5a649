#include "reactor/reactor_kernel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/core/rate_kernel.h"
#include "common/work_array.h"
#include "kinetics/pressure_rates.h"
#include "reactor/exponential.h"

namespace reactor {
namespace {

using IntSection = common::Section<const std::int32_t>;
using RealSection = common::Section<double>;
using ConstRealSection = common::Section<const double>;
using Data = Mechanism::Data;

// Relative step of the temperature column's central difference, and the step in ln Pr of the
// broadening factor's slope: both leave truncation and rounding near 1e-9 relative.
constexpr double kTemperatureStep = 1e-6;
constexpr double kReducedPressureStep = 1e-4;
// Relative step in T of the central differences of table rates and broadening factors.
constexpr double kBroadeningTemperatureStep = 1e-4;

double power(double c, const Data::Factor& f) {
  if (f.integerOrder) {
    double result = 1.0;
    for (int n = 0; n < static_cast<int>(f.order); ++n) result *= c;
    return result;
  }
  return std::pow(c, f.order);
}

// d(c^order)/dc.
double powerSlope(double c, const Data::Factor& f) {
  if (f.integerOrder) {
    const int order = static_cast<int>(f.order);
    double result = static_cast<double>(order);
    for (int n = 1; n < order; ++n) result *= c;
    return result;
  }
  return c > 0.0 ? f.order * std::pow(c, f.order - 1.0) : 0.0;
}

double product(std::span<const Data::Factor> factors, std::span<const double> c) {
  double result = 1.0;
  for (const auto& f : factors) result *= power(c[f.species], f);
  return result;
}

double productSlope(std::span<const Data::Factor> factors, std::size_t which,
                    std::span<const double> c) {
  double result = powerSlope(c[factors[which].species], factors[which]);
  for (std::size_t f = 0; f < factors.size(); ++f) {
    if (f != which) result *= power(c[factors[f].species], factors[f]);
  }
  return result;
}

// The Troe broadening F (forms 3 and 4, kinetics::FallOffBroadening's formula) with
// d ln F / d ln Pr and d ln F / dT at constant Pr in closed form.
void troeSlopes(std::int32_t form, std::span<const double> p, double reduced, double T,
                double small, double& factor, double& pressureSlope, double& temperatureSlope) {
  constexpr double ln10 = 2.302585092994045684;
  const double reducedLog = std::log(std::max(reduced, small)) / ln10;
  const double slow = std::exp(-T / p[4]), fast = std::exp(-T / p[5]);
  const double extra = form == 4 ? std::exp(-p[6] / T) : 0.0;
  const double centre = (1.0 - p[3]) * slow + p[3] * fast + extra;
  const double centreSlope =
      -(1.0 - p[3]) * slow / p[4] - p[3] * fast / p[5] + extra * p[6] / (T * T);
  const bool held = !(centre > small);
  const double centreLog = std::log(held ? small : centre) / ln10;
  const double width = 0.75 - kinetics::kTroeCentreSlope * centreLog;
  const double shifted =
      reducedLog - (kinetics::kTroeOffset + kinetics::kTroeOffsetSlope * centreLog);
  const double denominator = width - kinetics::kTroeWidth * shifted;
  const double ratio = shifted / denominator;
  const double weight = 1.0 / (1.0 + ratio * ratio);
  factor = std::exp(centreLog * weight * ln10);
  // log10 F = c / (1 + f^2) with f = s / (n - 0.14 s), s = L - 0.4 - 0.67 c, n = 0.75 - 1.27 c.
  const double byRatio = -centreLog * 2.0 * ratio * weight * weight;
  pressureSlope = reduced > small ? byRatio * width / (denominator * denominator) : 0.0;
  const double ratioByCentre = (-kinetics::kTroeOffsetSlope * denominator -
                                shifted * (-kinetics::kTroeCentreSlope +
                                           kinetics::kTroeWidth * kinetics::kTroeOffsetSlope)) /
                               (denominator * denominator);
  temperatureSlope = held ? 0.0 : (weight + byRatio * ratioByCentre) * centreSlope / centre;
}

// F, d ln F / d ln Pr and d ln F / dT at constant Pr of a broadening form at reduced pressure
// Pr: Troe in closed form, the others as central differences of the kernel's own F.
void broadening(std::int32_t form, std::span<const double> parameters, double reduced, double T,
                double small, double& factor, double& slope, double* temperatureSlope = nullptr) {
  if (form == 3 || form == 4) {
    double byTemperature = 0.0;
    troeSlopes(form, parameters, reduced, T, small, factor, slope, byTemperature);
    if (temperatureSlope != nullptr) *temperatureSlope = byTemperature;
    return;
  }
  factor = kinetics::FallOffBroadening(form, parameters, reduced, T, small);
  slope = 0.0;
  if (temperatureSlope != nullptr) *temperatureSlope = 0.0;
  if (form < 2) return;
  if (temperatureSlope != nullptr) {
    const double up = T * (1.0 + kBroadeningTemperatureStep);
    const double down = T * (1.0 - kBroadeningTemperatureStep);
    *temperatureSlope =
        (std::log(kinetics::FallOffBroadening(form, parameters, reduced, up, small)) -
         std::log(kinetics::FallOffBroadening(form, parameters, reduced, down, small))) /
        (up - down);
  }
  if (!(reduced > 0.0)) return;
  const double above = kinetics::FallOffBroadening(
      form, parameters, reduced * std::exp(kReducedPressureStep), T, small);
  const double below = kinetics::FallOffBroadening(
      form, parameters, reduced * std::exp(-kReducedPressureStep), T, small);
  slope = (std::log(above) - std::log(below)) / (2.0 * kReducedPressureStep);
}

// The polynomial coefficients of species k (0-based) in its range holding T: range 1 + the
// interior bounds strictly below T, the rule of the rate kernel's Gibbs terms.
const double* rangeCoefficients(const Data& d, std::int32_t k, double T) {
  std::int32_t range = 0;
  for (std::int32_t j = d.boundStart[k]; j < d.boundStart[k + 1]; ++j) {
    if (d.interiorBounds[j] < T) ++range;
  }
  return d.thermoCoefficients.data() + static_cast<std::ptrdiff_t>(k) * d.thermoStride +
         range * (d.basisCount + 2);
}

// Thermodynamic basis terms formed once per call; longer polynomials go through SpeciesThermo.
constexpr std::int32_t kBasisTerms = 16;

// c_p/R and h/(RT) of every species into the workspace, and S/R - H/(RT) into work.gibbs: the
// polynomials of SpeciesThermo with the powers of T and their quotients formed once per call.
void mixtureThermo(const Data& d, double T, Workspace& w) {
  const std::int32_t N = d.basisCount;
  if (N > kBasisTerms) {
    SpeciesThermo(d, T, w.heatCapacity, w.enthalpy, w.gibbs);
    for (std::int32_t k = 0; k < d.speciesCount; ++k) w.gibbs[k] -= w.enthalpy[k];
    return;
  }
  double cpBasis[kBasisTerms], hBasis[kBasisTerms], sBasis[kBasisTerms];
  const double logT = std::log(T);
  double power = 1.0;
  for (std::int32_t n = 1; n <= N; ++n) {
    cpBasis[n - 1] = power;
    hBasis[n - 1] = power / static_cast<double>(n);
    sBasis[n - 1] = n == 1 ? logT : power / static_cast<double>(n - 1);
    power *= T;
  }
  const double inverseT = 1.0 / T;
  for (std::int32_t k = 0; k < d.speciesCount; ++k) {
    const double* a = rangeCoefficients(d, k, T);
    double cp = 0.0, h = 0.0, s = 0.0;
    for (std::int32_t n = 0; n < N; ++n) {
      cp += a[n] * cpBasis[n];
      h += a[n] * hBasis[n];
      s += a[n] * sBasis[n];
    }
    h += a[N] * inverseT;
    s += a[N + 1];
    w.heatCapacity[k] = cp;
    w.enthalpy[k] = h;
    w.gibbs[k] = s - h;
  }
}

// Below exp(600) a product of exponentials, times (P0 / RT)^m for |m| <= 4, stays inside the
// normal doubles (about e^+-708).
constexpr double kProductExponent = 600.0;
// Changes of moles whose factors (P0 / RT)^m are formed once per call.
constexpr std::int32_t kMoleChangeRange = 4;

double integerPower(double base, std::int32_t exponent) {
  if (exponent < 0) return 1.0 / integerPower(base, -exponent);
  double result = 1.0;
  for (std::int32_t n = 0; n < exponent; ++n) result *= base;
  return result;
}

// Rate constants as applied and rates of progress of every reaction in one pass, with the
// width of the padded concentration products fixed at compile time (0: Data::productWidth).
template <std::int32_t Width>
void progressPass(const Data& d, Workspace& w) {
  const std::int32_t slots = Width > 0 ? Width : d.productWidth;
  const std::span<const double> C = w.concentration;
  const std::int32_t* forwardSlot = d.forwardSlots.data();
  const std::int32_t* reverseSlot = d.reverseSlots.data();
  for (std::int32_t i = 0; i < d.reactionCount; ++i) {
    const double scale = w.bath[d.bathSlot[i]] * w.blend[d.blendSlot[i]] * d.multiplier[i];
    double forward = w.rawForward[i] * scale;
    double reverse = w.rawReverse[i] * scale;
    w.forwardCoefficient[i] = forward;
    w.reverseCoefficient[i] = reverse;
    for (std::int32_t n = 0; n < slots; ++n) {
      forward *= C[forwardSlot[n]];
      reverse *= C[reverseSlot[n]];
    }
    forwardSlot += slots;
    reverseSlot += slots;
    w.forwardProgress[i] = forward;
    w.reverseProgress[i] = reverse;
    w.netProgress[i] = forward - reverse;
  }
}

// The rates of progress from the reactor's own tables (Data::directRates), with the rate
// kernel's formulas; needs the concentrations and work.gibbs at T.
void directRates(const Data& d, double T, double pressure, Workspace& w) {
  const auto& state = d.loaded.state;
  const std::span<const double> RKWORK = d.loaded.RKWORK;
  const std::int32_t R = d.reactionCount;
  const double logT = std::log(T);
  const double small = state.SmallValue;
  const double standardPressure = common::Entry(RKWORK, state.layout.real.StandardPressure, 1);
  const std::span<const double> C = w.concentration;
  // kinetics::ArrheniusRate, A exp(beta ln T - E/(RT)), with the exponential shared.
  const std::size_t exponents = d.exponentBeta.size();
  for (std::size_t j = 0; j < exponents; ++j) {
    w.exponentials[j] = d.exponentBeta[j] * logT - d.exponentActivation[j] / T;
  }
  const std::span<double> exponentials(w.exponentials.data(), exponents);
  Exponentials(exponentials, exponentials);
  auto arrhenius = [&w](const Data::Arrhenius& r) {
    return r.constant ? r.A : r.A * w.exponentials[r.exponential];
  };

  // Constant rates read the entry of 1 after the exponentials.
  for (std::int32_t i = 0; i < R; ++i) {
    w.rawForward[i] = d.forwardRate[i].A * w.exponentials[d.forwardExponential[i]];
  }
  if (state.tables.PressureTableReactionCount > 0 || state.tables.ChebyshevReactionCount > 0) {
    const double P = pressure / standardPressure;  // atm
    kinetics::ForEachPressureRate(
        state, d.loaded.IKWORK, RKWORK, T, small,
        [&](std::int64_t i, auto rate) { w.rawForward[i - 1] = rate(P); });
  }

  for (const std::int32_t i : d.irreversibleReactions) w.rawReverse[i] = 0.0;
  for (const std::int32_t i : d.explicitReactions) w.rawReverse[i] = arrhenius(d.reverseRate[i]);
  // K_c = exp(sum_k nu_k g_k) (P0 / RT)^m as a product of the species' exp(g_k): one exponential
  // per species instead of one per reaction. While sum_k |nu_k g_k| stays below
  // kProductExponent no partial product can overflow or lose precision below the normal range
  // (checked first against the largest |g_k| times sum_k |nu_k|); beyond it the reaction takes
  // its own exponential.
  double largestGibbs = 0.0;
  if (!d.equilibriumReactions.empty()) {
    for (std::int32_t k = 0; k < d.speciesCount; ++k) {
      w.gibbsMagnitude[k] = std::abs(w.gibbs[k]);
      largestGibbs = std::max(largestGibbs, w.gibbsMagnitude[k]);
      w.gibbsExponential[k] = std::min(w.gibbs[k], state.ExpCap);
    }
    const std::span<double> exponentials(w.gibbsExponential.data(), d.speciesCount);
    Exponentials(exponentials, exponentials);  // the padding entry stays 1
    for (std::int32_t k = 0; k < d.speciesCount; ++k) {
      w.gibbsInverse[k] = 1.0 / w.gibbsExponential[k];
    }
  }
  double moleFactor[2 * kMoleChangeRange + 1];
  const double pressureFactor = standardPressure / (d.gasConstant * T);
  for (std::int32_t m = -kMoleChangeRange; m <= kMoleChangeRange; ++m) {
    moleFactor[m + kMoleChangeRange] = integerPower(pressureFactor, m);
  }
  const std::int32_t width = d.netWidth;
  const std::int32_t factorWidth = d.equilibriumFactorWidth;
  const std::int32_t* species = d.equilibriumSpecies.data();
  const double* coefficient = d.equilibriumCoefficients.data();
  const std::int32_t* up = d.equilibriumProducts.data();
  const std::int32_t* down = d.equilibriumReactants.data();
  for (std::size_t e = 0; e < d.equilibriumReactions.size(); ++e) {
    const std::int32_t i = d.equilibriumReactions[e];
    bool product = largestGibbs * d.equilibriumOrder[e] < kProductExponent;
    if (!product) {
      double bound = 0.0;
      for (std::int32_t n = 0; n < width; ++n) {
        bound += std::abs(coefficient[n]) * w.gibbsMagnitude[species[n]];
      }
      product = bound < kProductExponent;
    }
    // k_r = k_f / max(K_c, small) = k_f min(1 / K_c, 1 / small), without a division.
    const std::int32_t m = d.moleChange[i];
    const double inverseMoles = std::abs(m) <= kMoleChangeRange ? moleFactor[kMoleChangeRange - m]
                                                                : integerPower(pressureFactor, -m);
    double inverse;  // 1 / K_c
    if (product) {
      double products = 1.0, reactants = 1.0;
      for (std::int32_t n = 0; n < factorWidth; ++n) {
        products *= w.gibbsInverse[up[n]];
        reactants *= w.gibbsExponential[down[n]];
      }
      inverse = products * reactants * inverseMoles;
    } else {
      double sum = 0.0;
      for (std::int32_t n = 0; n < width; ++n) sum += coefficient[n] * w.gibbs[species[n]];
      inverse = inverseMoles / std::exp(std::min(sum, state.ExpCap));
    }
    species += width;
    coefficient += width;
    up += factorWidth;
    down += factorWidth;
    w.rawReverse[i] = w.rawForward[i] * std::min(inverse, 1.0 / small);
  }

  // Bath concentrations of the third-body lists (entry 0: no list, 1) and the fall-off
  // blendings (entry 0: none, 1); each reaction's rate constants take one of each.
  double total = 0.0;
  for (std::int32_t k = 0; k < d.speciesCount; ++k) total += C[k];
  for (std::size_t n = 0; n < d.thirdBodyReaction.size(); ++n) {
    double sum = total;
    for (std::int32_t l = d.enhancedStart[n]; l < d.enhancedStart[n + 1]; ++l) {
      sum += d.enhancedExcess[l] * C[d.enhancedSpecies[l]];
    }
    w.bath[n + 1] = sum;
  }
  // The Troe broadening of kinetics::FallOffBroadening (forms 3 and 4) with natural logarithms
  // and exponentials, cheaper than log10 and pow, equal to it within a few units in the last
  // place; its exponentials taken over all fall-offs at once: first the three terms of the
  // centre F_c, then F = F_c^(1 / (1 + f^2)).
  constexpr double ln10 = 2.302585092994045684;
  const std::size_t fallOffCount = d.fallOffs.size();
  const std::span<double> centreTerms(w.centreTerms.data(), 3 * fallOffCount);
  const std::span<double> broadening(w.broadening.data(), fallOffCount);
  for (std::size_t e = 0; e < fallOffCount; ++e) {
    const Data::FallOffEntry& entry = d.fallOffs[e];
    const bool troe = entry.form == 3 || entry.form == 4;
    const double* p = RKWORK.data() + entry.parameterStart;
    centreTerms[3 * e] = troe ? -T / p[4] : 0.0;
    centreTerms[3 * e + 1] = troe ? -T / p[5] : 0.0;
    // e^-inf = 0: form 3 has no third term.
    centreTerms[3 * e + 2] = entry.form == 4 ? -p[6] / T : -std::numeric_limits<double>::infinity();
  }
  Exponentials(centreTerms, centreTerms);
  for (std::size_t e = 0; e < fallOffCount; ++e) {
    const Data::FallOffEntry& entry = d.fallOffs[e];
    const std::int32_t i = entry.reaction;
    const double low = arrhenius(entry.low);
    const double high = w.rawForward[i];
    const double bath = entry.namedBath >= 0 ? C[entry.namedBath] : w.bath[d.thirdBodyEntry[i]];
    const double reduced = low * bath / high;
    const double factor = reduced / (1.0 + reduced);
    broadening[e] = 0.0;  // F = e^0 = 1 unless Troe
    w.blend[e + 1] = factor;
    if (entry.form == 3 || entry.form == 4) {
      const double* p = RKWORK.data() + entry.parameterStart;
      const double reducedLog = std::log(std::max(reduced, small)) / ln10;
      const double centre = ((1.0 - p[3]) * centreTerms[3 * e] + p[3] * centreTerms[3 * e + 1]) +
                            centreTerms[3 * e + 2];
      const double centreLog = std::log(std::max(centre, small)) / ln10;
      const double width = 0.75 - kinetics::kTroeCentreSlope * centreLog;
      const double shifted =
          reducedLog - (kinetics::kTroeOffset + kinetics::kTroeOffsetSlope * centreLog);
      const double ratio = shifted / (width - kinetics::kTroeWidth * shifted);
      broadening[e] = centreLog / (1.0 + ratio * ratio) * ln10;
    } else if (entry.form > 1) {
      w.blend[e + 1] = kinetics::FallOffBroadening(entry.form, RKWORK.subspan(entry.parameterStart),
                                                   reduced, T, small) *
                       factor;
    }
  }
  Exponentials(broadening, broadening);
  for (std::size_t e = 0; e < fallOffCount; ++e) w.blend[e + 1] *= broadening[e];

  switch (d.productWidth) {
    case 1:
      progressPass<1>(d, w);
      break;
    case 2:
      progressPass<2>(d, w);
      break;
    case 3:
      progressPass<3>(d, w);
      break;
    default:
      progressPass<0>(d, w);
      break;
  }
  for (const std::int32_t i : d.generalProducts) {
    double forward = w.forwardCoefficient[i];
    for (std::int32_t f = d.forwardStart[i]; f < d.forwardStart[i + 1]; ++f) {
      forward *= power(C[d.forwardFactors[f].species], d.forwardFactors[f]);
    }
    double reverse = w.reverseCoefficient[i];
    for (std::int32_t f = d.reverseStart[i]; f < d.reverseStart[i + 1]; ++f) {
      reverse *= power(C[d.reverseFactors[f].species], d.reverseFactors[f]);
    }
    w.forwardProgress[i] = forward;
    w.reverseProgress[i] = reverse;
    w.netProgress[i] = forward - reverse;
  }
  for (const std::int32_t i : d.silentReactions) {
    w.forwardProgress[i] = 0.0;
    w.reverseProgress[i] = 0.0;
    w.netProgress[i] = 0.0;
  }
}

// d ln k / dT of A T^beta exp(-E/(RT)).
double arrheniusSlope(const Data::Arrhenius& r, double T) {
  return r.constant ? 0.0 : (r.beta + r.activation / T) / T;
}

// d(c_p/R)/dT of every species.
void heatCapacitySlopes(const Data& d, double T, std::span<double> slope) {
  const std::int32_t N = d.basisCount;
  for (std::int32_t k = 0; k < d.speciesCount; ++k) {
    const double* a = rangeCoefficients(d, k, T);
    double sum = 0.0, power = 1.0;
    for (std::int32_t n = 2; n <= N; ++n) {
      sum += a[n - 1] * static_cast<double>(n - 1) * power;
      power *= T;
    }
    slope[k] = sum;
  }
}

// dq_i/dT at constant concentrations and pressure of every rate of progress, from the last
// evaluation by directRates, into work.temperatureSlope. Rate constants of pressure tables and
// the broadening factors' own dependence on T are central differences in T.
void rateTemperatureSlopes(const Data& d, double T, Workspace& w) {
  const auto& state = d.loaded.state;
  const std::span<const double> RKWORK = d.loaded.RKWORK;
  const std::int32_t R = d.reactionCount;
  const double small = state.SmallValue;
  const double R_gas = d.gasConstant;
  const std::span<const double> C = w.concentration;
  std::vector<double>& forwardSlope = w.forwardLogSlope;
  for (std::int32_t i = 0; i < R; ++i) forwardSlope[i] = arrheniusSlope(d.forwardRate[i], T);
  if (state.tables.PressureTableReactionCount > 0 || state.tables.ChebyshevReactionCount > 0) {
    const double P = w.pressure / common::Entry(RKWORK, state.layout.real.StandardPressure, 1);
    const double up = T * (1.0 + kBroadeningTemperatureStep);
    const double down = T * (1.0 - kBroadeningTemperatureStep);
    kinetics::ForEachPressureRate(
        state, d.loaded.IKWORK, RKWORK, up, small,
        [&](std::int64_t i, auto rate) { forwardSlope[i - 1] = std::log(rate(P)); });
    kinetics::ForEachPressureRate(
        state, d.loaded.IKWORK, RKWORK, down, small, [&](std::int64_t i, auto rate) {
          forwardSlope[i - 1] = (forwardSlope[i - 1] - std::log(rate(P))) / (up - down);
        });
  }
  for (std::int32_t i = 0; i < R; ++i) w.blendLogSlope[i] = 0.0;
  for (const Data::FallOffEntry& entry : d.fallOffs) {
    const std::int32_t i = entry.reaction;
    const auto lowRate = [&](double t) {
      return kinetics::ArrheniusRate(entry.low.A, entry.low.beta, entry.low.activation, std::log(t),
                                     t);
    };
    // The bath as directRates formed it: a named species, else the reaction's third-body list
    // (1 without one).
    double bath = 1.0;
    const std::int32_t list = d.thirdBodyEntry[i] - 1;
    if (entry.namedBath >= 0) {
      bath = C[entry.namedBath];
    } else if (list >= 0) {
      bath = 0.0;
      for (std::int32_t k = 0; k < d.speciesCount; ++k) bath += C[k];
      for (std::int32_t l = d.enhancedStart[list]; l < d.enhancedStart[list + 1]; ++l) {
        bath += d.enhancedExcess[l] * C[d.enhancedSpecies[l]];
      }
    }
    const double reduced = lowRate(T) * bath / w.rawForward[i];
    double factor = 1.0, pressureSlope = 0.0, temperatureSlope = 0.0;
    broadening(entry.form, RKWORK.subspan(entry.parameterStart), reduced, T, small, factor,
               pressureSlope, &temperatureSlope);
    const double reducedSlope = arrheniusSlope(entry.low, T) - forwardSlope[i];
    w.blendLogSlope[i] = (1.0 / (1.0 + reduced) + pressureSlope) * reducedSlope + temperatureSlope;
  }
  for (std::int32_t i = 0; i < R; ++i) {
    double reverseSlope = 0.0;
    switch (d.reverse[i]) {
      case Data::Reverse::None:
        break;
      case Data::Reverse::Explicit:
        reverseSlope = arrheniusSlope(d.reverseRate[i], T);
        break;
      case Data::Reverse::Equilibrium: {
        // d ln K_c / dT = (sum_k nu_k h_k / (RT) - m) / T.
        double change = 0.0;
        for (std::int32_t m = d.netStart[i]; m < d.netStart[i + 1]; ++m) {
          change += d.netCoefficients[m] * w.enthalpy[d.netSpecies[m]];
        }
        reverseSlope = forwardSlope[i] - (change / (R_gas * T) - d.moleChange[i]) / T;
        break;
      }
    }
    w.temperatureSlope[i] = w.forwardProgress[i] * (forwardSlope[i] + w.blendLogSlope[i]) -
                            w.reverseProgress[i] * (reverseSlope + w.blendLogSlope[i]);
  }
}

// Column 0 of the Jacobian from work.temperatureSlope (dq_i/dT at constant concentrations) and
// the slopes in the concentrations and the pressure the Jacobian formed: at constant pressure
// every concentration falls as 1/T, at constant volume the pressure rises as T.
void temperatureColumn(const Data& d, const ReactorSetting& setting, std::span<const double> y,
                       std::span<double> values, Workspace& w) {
  const std::int32_t K = d.speciesCount;
  const double T = y[0];
  const double R = d.gasConstant;
  const bool volume = setting.model == Model::ConstantVolume;
  const double tau = setting.residenceTime;
  const double inverseDensity = 1.0 / w.density;
  const double densitySlope = volume ? 0.0 : inverseDensity / T;  // d(1/rho)/dT
  for (std::int32_t i = 0; i < d.reactionCount; ++i) {
    w.temperatureSlope[i] +=
        volume ? w.pressureSlope[i] * w.pressure / T : -w.concentrationSlope[i] / T;
  }
  heatCapacitySlopes(d, T, w.heatCapacitySlope);
  double numeratorSlope = 0.0, heatSlope = 0.0;
  for (std::int32_t k = 0; k < K; ++k) {
    double productionSlope = 0.0;  // dw_k/dT
    for (std::int32_t m = d.speciesStart[k]; m < d.speciesStart[k + 1]; ++m) {
      productionSlope += d.speciesCoefficients[m] * w.temperatureSlope[d.speciesReactions[m]];
    }
    const double W = d.weights[k];
    const double wk = w.production[k];
    values[k + 1] = W * (productionSlope * inverseDensity + wk * densitySlope);
    const double e = volume ? w.enthalpy[k] - R * T : w.enthalpy[k];
    const double c = volume ? w.heatCapacity[k] - R : w.heatCapacity[k];
    numeratorSlope -=
        c * wk * inverseDensity + e * productionSlope * inverseDensity + e * wk * densitySlope;
    if (tau > 0.0) numeratorSlope -= setting.inletMassFractions[k] * w.heatCapacity[k] / (W * tau);
    heatSlope += y[k + 1] * R * w.heatCapacitySlope[k] / W;
  }
  const double ydot0 = w.scratchState[0];
  values[0] = (numeratorSlope - ydot0 * heatSlope) / w.specificHeat;
}

// The rates of progress through the rate kernel, copied into the workspace.
void kernelRates(const Data& d, Workspace& w) {
  const auto& state = d.loaded.state;
  const auto& real = state.layout.real;
  const std::span<const std::int32_t> IKWORK = d.loaded.IKWORK;
  const std::span<double> RKWORK = w.RKWORK;
  analysis::RateCoefficients(state, w.pressure, w.temperatures, IKWORK, RKWORK, w.console);
  const RealSection forward(RKWORK, real.ForwardRateCoefficients);
  const RealSection reverse(RKWORK, real.ReverseRateCoefficients);
  for (std::int32_t i = 0; i < d.reactionCount; ++i) {
    w.rawForward[i] = forward(i + 1);
    w.rawReverse[i] = reverse(i + 1);
  }
  const RealSection concentration(RKWORK, real.ConcentrationScratch);
  for (std::int32_t k = 0; k < d.speciesCount; ++k) concentration(k + 1) = w.concentration[k];
  analysis::RatesOfProgress(state, w.temperatures, IKWORK, RKWORK);
  const RealSection forwardProgress(RKWORK, real.ForwardProgressScratch);
  const RealSection reverseProgress(RKWORK, real.ReverseProgressScratch);
  for (std::int32_t i = 0; i < d.reactionCount; ++i) {
    w.forwardCoefficient[i] = forward(i + 1);
    w.reverseCoefficient[i] = reverse(i + 1);
    w.forwardProgress[i] = forwardProgress(i + 1);
    w.reverseProgress[i] = reverseProgress(i + 1);
  }
}

// The right-hand side. Leaves the rate coefficients and rates of progress in the workspace.
void evaluate(const Data& d, const ReactorSetting& setting, std::span<const double> y,
              std::span<double> ydot, Workspace& w) {
  const std::int32_t K = d.speciesCount;
  const double R = d.gasConstant;
  const double T = y[0];
  const std::span<const double> Y = y.subspan(1);

  // Moles per gram first; the concentrations are these times the density.
  double inverseWeight = 0.0;
  for (std::int32_t k = 0; k < K; ++k) {
    w.concentration[k] = Y[k] * d.inverseWeights[k];
    inverseWeight += w.concentration[k];
  }
  w.meanWeight = 1.0 / inverseWeight;
  if (setting.model == Model::ConstantVolume) {
    w.density = setting.density;
    w.pressure = w.density * R * T * inverseWeight;
  } else {
    w.pressure = setting.pressure;
    w.density = w.pressure / (R * T * inverseWeight);
  }
  const double rho = w.density;

  for (std::int32_t k = 0; k < K; ++k) w.concentration[k] *= rho;
  if (d.directRates) {
    mixtureThermo(d, T, w);
    directRates(d, T, w.pressure, w);
  } else {
    w.temperatures[0] = T;
    w.temperatures[1] = T;
    kernelRates(d, w);
    SpeciesThermo(d, T, w.heatCapacity, w.enthalpy, {});
    for (std::int32_t i = 0; i < d.reactionCount; ++i) {
      w.netProgress[i] = w.forwardProgress[i] - w.reverseProgress[i];
    }
  }
  // Two partial sums halve the chain of dependent additions.
  for (std::int32_t k = 0; k < K; ++k) {
    double even = 0.0, odd = 0.0;
    std::int32_t n = d.speciesStart[k];
    const std::int32_t last = d.speciesStart[k + 1];
    for (; n + 1 < last; n += 2) {
      even += d.speciesCoefficients[n] * w.netProgress[d.speciesReactions[n]];
      odd += d.speciesCoefficients[n + 1] * w.netProgress[d.speciesReactions[n + 1]];
    }
    if (n < last) even += d.speciesCoefficients[n] * w.netProgress[d.speciesReactions[n]];
    w.production[k] = even + odd;
  }

  const bool volume = setting.model == Model::ConstantVolume;
  double heat = 0.0;  // sum of Y_k c_k / W_k
  double energy = 0.0;
  for (std::int32_t k = 0; k < K; ++k) {
    w.heatCapacity[k] *= R;
    w.enthalpy[k] *= R * T;
    const double c = volume ? w.heatCapacity[k] - R : w.heatCapacity[k];
    const double e = volume ? w.enthalpy[k] - R * T : w.enthalpy[k];
    heat += Y[k] * c * d.inverseWeights[k];
    energy += e * w.production[k];
  }
  w.specificHeat = heat;
  double numerator = -energy / rho;
  const double tau = setting.residenceTime;
  const double inverseDensity = 1.0 / rho;
  for (std::int32_t k = 0; k < K; ++k) {
    ydot[k + 1] = d.weights[k] * w.production[k] * inverseDensity;
  }
  if (tau > 0.0) {
    for (std::int32_t k = 0; k < K; ++k) {
      const double inlet = setting.inletMassFractions[k];
      numerator += inlet * (setting.inletEnthalpies[k] - w.enthalpy[k]) / (d.weights[k] * tau);
      ydot[k + 1] += (inlet - Y[k]) / tau;
    }
  }
  ydot[0] = numerator / heat;
}

}  // namespace

Workspace::Workspace(const Data& d)
    : RKWORK(d.loaded.RKWORK),
      concentration(static_cast<std::size_t>(d.speciesCount) + 1, 1.0),
      production(d.speciesCount),
      enthalpy(d.speciesCount),
      heatCapacity(d.speciesCount),
      rawForward(d.reactionCount),
      rawReverse(d.reactionCount),
      forwardCoefficient(d.reactionCount),
      reverseCoefficient(d.reactionCount),
      forwardProgress(d.reactionCount),
      reverseProgress(d.reactionCount),
      netProgress(d.reactionCount),
      bath(d.thirdBodyReaction.size() + 1, 1.0),
      blend(d.fallOffs.size() + 1, 1.0),
      gibbs(static_cast<std::size_t>(d.speciesCount) + 1, 0.0),
      gibbsMagnitude(static_cast<std::size_t>(d.speciesCount) + 1, 0.0),
      gibbsExponential(static_cast<std::size_t>(d.speciesCount) + 1, 1.0),
      gibbsInverse(static_cast<std::size_t>(d.speciesCount) + 1, 1.0),
      exponentials(d.exponentBeta.size() + 1, 1.0),
      centreTerms(3 * d.fallOffs.size()),
      broadening(d.fallOffs.size()),
      concentrationSlope(d.reactionCount),
      uniformSlope(d.reactionCount),
      pressureSlope(d.reactionCount),
      production2(d.speciesCount),
      rateSlope(d.dependencies.size()),
      temperatureRow(static_cast<std::size_t>(d.stateSize())),
      scratchState(static_cast<std::size_t>(d.stateSize())),
      plusState(static_cast<std::size_t>(d.stateSize())),
      minusState(static_cast<std::size_t>(d.stateSize())),
      temperatureSlope(d.reactionCount),
      forwardLogSlope(d.reactionCount),
      blendLogSlope(d.reactionCount),
      heatCapacitySlope(d.speciesCount),
      console(sink, noInput) {}

void SpeciesThermo(const Data& d, double T, std::span<double> heatCapacity,
                   std::span<double> enthalpy, std::span<double> entropy) {
  const std::int32_t N = d.basisCount;
  const double logT = std::log(T);
  for (std::int32_t k = 0; k < d.speciesCount; ++k) {
    const double* a = rangeCoefficients(d, k, T);
    double cp = 0.0, h = 0.0, s = 0.0, power = 1.0;
    for (std::int32_t n = 1; n <= N; ++n) {
      const double c = a[n - 1];
      cp += c * power;
      h += c * power / static_cast<double>(n);
      s += n == 1 ? c * logT : c * power / static_cast<double>(n - 1);
      power *= T;
    }
    if (!heatCapacity.empty()) heatCapacity[k] = cp;
    if (!enthalpy.empty()) enthalpy[k] = h + a[N] / T;
    if (!entropy.empty()) entropy[k] = s + a[N + 1];
  }
}

void RightHandSide(const Data& d, const ReactorSetting& setting, std::span<const double> y,
                   std::span<double> ydot, Workspace& work) {
  evaluate(d, setting, y, ydot, work);
}

void Jacobian(const Data& d, const ReactorSetting& setting, std::span<const double> y,
              std::span<double> values, std::span<double> rankOneRow,
              std::span<double> rankOneColumn, Workspace& w) {
  const auto& state = d.loaded.state;
  const auto& counts = state.counts;
  const auto& real = state.layout.real;
  const std::int32_t K = d.speciesCount;
  const std::int64_t n = d.stateSize();
  std::fill(values.begin(), values.end(), 0.0);
  std::fill(rankOneRow.begin(), rankOneRow.end(), 0.0);
  std::fill(rankOneColumn.begin(), rankOneColumn.end(), 0.0);

  // Temperature column (column 0 holds rows 0..K at entries 0..K): analytic on the reactor's
  // own rates (formed at the end), else a central difference of the right-hand side.
  const double T = y[0];
  if (!d.directRates) {
    const double step = kTemperatureStep * T;
    std::copy(y.begin(), y.end(), w.scratchState.begin());
    w.scratchState[0] = T + step;
    evaluate(d, setting, w.scratchState, w.plusState, w);
    w.scratchState[0] = T - step;
    evaluate(d, setting, w.scratchState, w.minusState, w);
    const double span = (T + step) - (T - step);
    for (std::int64_t r = 0; r < n; ++r) values[r] = (w.plusState[r] - w.minusState[r]) / span;
  }

  evaluate(d, setting, y, w.scratchState, w);
  if (d.directRates) rateTemperatureSlopes(d, T, w);
  const std::span<const double> ydot = w.scratchState;
  const double rho = w.density;
  const double R = d.gasConstant;
  const bool volume = setting.model == Model::ConstantVolume;
  const std::span<const double> C = w.concentration;
  const std::span<double> RKWORK = w.RKWORK;
  const ConstRealSection fallOff(RKWORK, real.FallOffParameters, counts.FallOffParameterCount);
  const IntSection fallOffForm(d.loaded.IKWORK, state.layout.integer.FallOffForm);
  const ConstRealSection high(RKWORK, real.ActivatedHighParameters,
                              kinetics::kTableRateParameterCount);
  const ConstRealSection low(RKWORK, real.ActivatedParameters, kinetics::kActivatedParameterCount);
  const IntSection activatedForm(d.loaded.IKWORK, state.layout.integer.ActivatedForm);
  const double logT = std::log(T);
  const double small = state.SmallValue;

  std::fill(w.temperatureRow.begin(), w.temperatureRow.end(), 0.0);
  std::fill(w.production2.begin(), w.production2.end(), 0.0);
  double energySum = 0.0;  // sum_k e_k w_k
  for (std::int32_t k = 0; k < K; ++k) {
    const double e = volume ? w.enthalpy[k] - R * T : w.enthalpy[k];
    energySum += e * w.production[k];
  }

  double total = 0.0;
  for (std::int32_t k = 0; k < K; ++k) total += C[k];
  double energyOfSlopes = 0.0;  // e . (G C)
  double uniformEnergy = 0.0;   // sum over reactions of their energy change times uniform slope
  // rankOneRow first gathers sum_i nu_ki (uniform slope of reaction i).
  std::fill(w.uniformSlope.begin(), w.uniformSlope.end(), 0.0);
  for (std::int32_t i = 0; i < d.reactionCount; ++i) {
    const std::int32_t first = d.dependencyStart[i];
    const std::int32_t last = d.dependencyStart[i + 1];
    if (first == last && !d.multiplierBath[i] && !d.blendMixture[i]) {
      w.concentrationSlope[i] = 0.0;
      w.uniformSlope[i] = 0.0;
      continue;
    }
    double change = 0.0;
    for (std::int32_t m = d.netStart[i]; m < d.netStart[i + 1]; ++m) {
      const std::int32_t k = d.netSpecies[m];
      const double e = volume ? w.enthalpy[k] - R * T : w.enthalpy[k];
      change += d.netCoefficients[m] * e;
    }
    const std::span<const Data::Factor> forward(d.forwardFactors.data() + d.forwardStart[i],
                                                d.forwardFactors.data() + d.forwardStart[i + 1]);
    const std::span<const Data::Factor> reverse(d.reverseFactors.data() + d.reverseStart[i],
                                                d.reverseFactors.data() + d.reverseStart[i + 1]);
    const double kf = w.forwardCoefficient[i];  // as applied
    const double kr = w.reverseCoefficient[i];
    const double mult = d.multiplier[i];

    // Slopes in the two baths.
    double multiplierSlope = 0.0, blendSlope = 0.0;
    if (d.multiplierBath[i] || d.blend[i] != Data::Blend::None) {
      double bath1 = 1.0, bath2 = d.blendMixture[i] ? total : 0.0;
      if (d.multiplierBath[i]) {
        bath1 = total;
        for (std::int32_t a = first; a < last; ++a) {
          bath1 += d.dependencies[a].multiplierEfficiency * C[d.dependencies[a].species];
        }
      }
      for (std::int32_t a = first; a < last; ++a) {
        bath2 += d.dependencies[a].blendEfficiency * C[d.dependencies[a].species];
      }
      const double forwardProduct = product(forward, C);
      const double reverseProduct = product(reverse, C);
      double blendValue = 1.0, blendDerivative = 0.0, a = w.rawForward[i], b = w.rawReverse[i];
      if (d.blend[i] == Data::Blend::FallOff) {
        const std::int64_t e = d.blendEntry[i];
        const double k0 =
            kinetics::ArrheniusRate(fallOff(e, 1), fallOff(e, 2), fallOff(e, 3), logT, T);
        const double kinf = w.rawForward[i];
        const double reduced = k0 * bath2 / kinf;
        double F = 1.0, s = 0.0;
        broadening(fallOffForm(e),
                   std::span<const double>(RKWORK).subspan(static_cast<std::size_t>(
                       real.FallOffParameters + (e - 1) * counts.FallOffParameterCount - 1)),
                   reduced, T, small, F, s);
        blendValue = reduced / (1.0 + reduced) * F;
        blendDerivative = (k0 / kinf) * F / (1.0 + reduced) * (1.0 / (1.0 + reduced) + s);
      } else if (d.blend[i] == Data::Blend::Activated) {
        const std::int64_t e = d.blendEntry[i];
        const double k0 = kinetics::ArrheniusRate(low(e, 1), low(e, 2), low(e, 3), logT, T);
        const double kinf = kinetics::ArrheniusRate(high(e, 1), high(e, 2), high(e, 3), logT, T);
        const double reduced = k0 * bath2 / kinf;
        double F = 1.0, s = 0.0;
        broadening(
            activatedForm(e),
            std::span<const double>(RKWORK).subspan(static_cast<std::size_t>(
                real.ActivatedParameters + (e - 1) * kinetics::kActivatedParameterCount - 1)),
            reduced, T, small, F, s);
        blendValue = k0 * F / (1.0 + reduced);
        const double logSlope = (reduced > 0.0 ? s / reduced : 0.0) - 1.0 / (1.0 + reduced);
        blendDerivative = (k0 / kinf) * blendValue * logSlope;
        b = w.rawForward[i] != 0.0 ? w.rawReverse[i] / w.rawForward[i] : 0.0;
        a = 1.0;
      }
      const double difference = mult * (a * forwardProduct - b * reverseProduct);
      multiplierSlope = blendValue * difference;
      blendSlope = bath1 * blendDerivative * difference;
    }

    const double uniform =
        (d.multiplierBath[i] ? multiplierSlope : 0.0) + (d.blendMixture[i] ? blendSlope : 0.0);
    w.uniformSlope[i] = uniform;
    uniformEnergy += change * uniform;
    double slopeTimesConcentration = uniform * total;
    for (std::int32_t a = first; a < last; ++a) {
      const auto& dep = d.dependencies[a];
      double slope = dep.multiplierEfficiency * multiplierSlope + dep.blendEfficiency * blendSlope;
      if (dep.forwardFactor >= 0) {
        slope += kf * productSlope(forward, static_cast<std::size_t>(dep.forwardFactor), C);
      }
      if (dep.reverseFactor >= 0) {
        slope -= kr * productSlope(reverse, static_cast<std::size_t>(dep.reverseFactor), C);
      }
      const std::int32_t j = dep.species;
      slopeTimesConcentration += slope * C[j];
      w.temperatureRow[j] += change * slope;
      const double perWeight = slope / d.weights[j];
      std::int64_t position = d.dependencyPositionStart[i] +
                              std::int64_t{a - first} * (d.netStart[i + 1] - d.netStart[i]);
      for (std::int32_t m = d.netStart[i]; m < d.netStart[i + 1]; ++m, ++position) {
        values[d.positions[position]] +=
            d.netCoefficients[m] * d.weights[d.netSpecies[m]] * perWeight;
      }
    }
    w.concentrationSlope[i] = slopeTimesConcentration;
    energyOfSlopes += change * slopeTimesConcentration;
  }

  // Temperature row: T' = N / c with N = -sum e_k w_k / rho (+ inlet terms, free of Y).
  const double c = w.specificHeat;
  const double meanWeight = w.meanWeight;
  for (std::int32_t j = 0; j < K; ++j) {
    const double W = d.weights[j];
    double numeratorSlope = -(w.temperatureRow[j] + uniformEnergy) / W;
    if (!volume) {
      numeratorSlope += meanWeight / (rho * W) * energyOfSlopes - energySum / rho * meanWeight / W;
    }
    const double cj = volume ? w.heatCapacity[j] - R : w.heatCapacity[j];
    values[d.temperatureRowPosition[j + 1]] = numeratorSlope / c - ydot[0] * cj / (c * W);
  }

  if (setting.residenceTime > 0.0) {
    for (std::int32_t k = 0; k < K; ++k) {
      values[d.diagonalPosition[k + 1]] -= 1.0 / setting.residenceTime;
    }
  }

  // At constant volume the pressure R T rho sum_j Y_j / W_j moves the rate constants of
  // pressure tables and Chebyshev fits: dq_i/dY_j = (dq_i/dP) rho R T / W_j, of rank one again.
  // d ln k / d ln P is a central difference of the kernel's own table rate.
  std::fill(w.pressureSlope.begin(), w.pressureSlope.end(), 0.0);
  if (volume &&
      (state.tables.PressureTableReactionCount > 0 || state.tables.ChebyshevReactionCount > 0)) {
    const std::span<const std::int32_t> IKWORK = d.loaded.IKWORK;
    const double P = w.pressure / common::Entry(std::span<const double>(RKWORK),
                                                real.StandardPressure, 1);  // atm
    const double up = std::exp(kReducedPressureStep), down = std::exp(-kReducedPressureStep);
    auto slopeOf = [&](std::int64_t i, auto rateAt) {
      const double logSlope =
          (std::log(rateAt(P * up)) - std::log(rateAt(P * down))) / (2.0 * kReducedPressureStep);
      w.pressureSlope[i - 1] =
          logSlope * (w.forwardProgress[i - 1] - w.reverseProgress[i - 1]) / w.pressure;
    };
    kinetics::ForEachPressureRate(state, IKWORK, RKWORK, T, small, slopeOf);
    // The temperature row takes its part directly.
    double energyOfPressureSlopes = 0.0;
    for (std::int32_t i = 0; i < d.reactionCount; ++i) {
      if (w.pressureSlope[i] == 0.0) continue;
      for (std::int32_t m = d.netStart[i]; m < d.netStart[i + 1]; ++m) {
        const std::int32_t k = d.netSpecies[m];
        energyOfPressureSlopes +=
            d.netCoefficients[m] * (w.enthalpy[k] - R * T) * w.pressureSlope[i];
      }
    }
    for (std::int32_t j = 0; j < K; ++j) {
      values[d.temperatureRowPosition[j + 1]] -=
          R * T * energyOfPressureSlopes / (w.specificHeat * d.weights[j]);
    }
  }

  // The rank-one part, u v^T with v_j = 1 / W_j: the uniform bath slopes,
  // W_k sum_i nu_ki s_i, the pressure's at constant volume, W_k R T sum_i nu_ki dq_i/dP, and
  // at constant pressure the density's coupling, -(W_k / rho) ((G C)_k - w_k) Wbar.
  for (std::int32_t i = 0; i < d.reactionCount; ++i) {
    const double slope = w.uniformSlope[i] + R * T * w.pressureSlope[i];
    for (std::int32_t m = d.netStart[i]; m < d.netStart[i + 1]; ++m) {
      rankOneRow[d.netSpecies[m] + 1] += d.netCoefficients[m] * slope;
      w.production2[d.netSpecies[m]] += d.netCoefficients[m] * w.concentrationSlope[i];
    }
  }
  for (std::int32_t k = 0; k < K; ++k) {
    rankOneRow[k + 1] *= d.weights[k];
    if (!volume) {
      rankOneRow[k + 1] -= (d.weights[k] / rho) * (w.production2[k] - w.production[k]) * meanWeight;
    }
    rankOneColumn[k + 1] = 1.0 / d.weights[k];
  }
  if (d.directRates) temperatureColumn(d, setting, y, values, w);
}

}  // namespace reactor
