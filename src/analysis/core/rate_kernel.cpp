#include "analysis/core/rate_kernel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/work_array.h"
#include "kinetics/pressure_rates.h"

// Every formula keeps the operation order it is written in: products and sums left to right,
// integer powers by repeated multiplication, nothing contracted into fused multiply-add. The
// rates feed threshold decisions, so they must be the same bit for bit on every build, and any
// reordering changes the last bits.

namespace analysis {
namespace {

using kinetics::KineticsState;

// Constants that the Landau-Teller forms hold in single precision (the fall-off ones are in
// kinetics/pressure_rates.cpp).
constexpr double kOneThird = 0.3333333432674408;   // 1/3
constexpr double kTwoThirds = 0.6666666865348816;  // 2/3
static_assert(kOneThird == static_cast<double>(1.0f / 3.0f));
static_assert(kTwoThirds == static_cast<double>(2.0f / 3.0f));

// Kelvin per electron volt, as the Janev-type fits are written.
constexpr double kKelvinPerElectronVolt = 11600.0;

// Thermodynamic basis terms kept on the stack; longer polynomials compute the rest on the fly.
constexpr std::int32_t kCachedBasisTerms = 16;

constexpr std::string_view kTemperatureCountStop = "Stop: temperature array must be larger than 2";
constexpr std::string_view kElectronReactionLine = "Stop at kinlib-orrin: electron reaction=";
constexpr std::string_view kElectronIndexStop =
    "Stop: electron-impact temperature index outside the temperature array; reaction, index, "
    "temperature count:";
constexpr std::string_view kFittedReactionLine = "Stop at kinlib-orrin: fitted reaction=";

// Sections of the work arrays, through the index rule of common/work_array.h.
using IntSection = common::Section<const std::int32_t>;
using RealSection = common::Section<double>;
using ConstRealSection = common::Section<const double>;

// base^exponent by repeated multiplication; a negative exponent gives 1 / base^|exponent|.
double IntegerPower(double base, std::int64_t exponent) {
  if (exponent < 0) return 1.0 / IntegerPower(base, -exponent);
  double result = 1.0;
  for (std::int64_t n = 0; n < exponent; ++n) result *= base;
  return result;
}

double Arrhenius(double A, double beta, double E, double logT, double T) {
  return kinetics::ArrheniusRate(A, beta, E, logT, T);
}

// The rest of RKWORK from the first entry of block n of a section: the fall-off forms read
// their parameters through it.
std::span<const double> BlockFrom(std::span<const double> array, std::int64_t start,
                                  std::int64_t stride, std::int64_t n) {
  return array.subspan(static_cast<std::size_t>(start + (n - 1) * stride - 1));
}

// The reaction slots: coefficients and species numbers, MaxReactionSpecies per reaction.
struct Slots {
  Slots(const KineticsState& state, std::span<const std::int32_t> IKWORK)
      : count(state.counts.MaxReactionSpecies),
        coefficient(IKWORK, state.layout.integer.StoichCoefficients, count),
        species(IKWORK, state.layout.integer.StoichSpecies, count) {}

  // m(i): the sum of the coefficients of all slots of reaction i.
  std::int64_t coefficientSum(std::int64_t i) const {
    std::int64_t sum = 0;
    for (std::int64_t s = 1; s <= count; ++s) sum += coefficient(i, s);
    return sum;
  }

  std::int64_t count;
  IntSection coefficient;
  IntSection species;
};

// Position in its list of the entry for reaction i, or 0 when i is not listed.
std::int64_t ListPosition(const IntSection& list, std::int64_t length, std::int64_t i) {
  for (std::int64_t n = 1; n <= length; ++n) {
    if (list(n) == i) return n;
  }
  return 0;
}

[[noreturn]] void StopForTemperatureCount(common::Console& console) {
  common::stopRun(console, {common::freeFormat({kTemperatureCountStop})}, true);
}

// Writes the two lines of the first fitted reaction and stops: such reactions cannot be
// evaluated here.
[[noreturn]] void StopForFittedReaction(const KineticsState& state,
                                        std::span<const double> temperatures,
                                        std::span<const std::int32_t> IKWORK,
                                        std::span<const double> RKWORK, common::Console& console) {
  const auto& counts = state.counts;
  const std::int64_t i = IntSection(IKWORK, state.layout.integer.FitReactions)(1);
  const ConstRealSection fit(RKWORK, state.layout.real.FitParameters, counts.FitParameterCount);
  const ConstRealSection rate(RKWORK, state.layout.real.RateParameters,
                              std::int64_t{counts.RateParameterCount} + 1);

  // The line shows temperatures 1 to 4, as far as the array holds them.
  std::string first = common::freeFormat({kFittedReactionLine, i});
  const std::size_t shown = std::min<std::size_t>(4, temperatures.size());
  for (std::size_t t = 0; t < shown; ++t) first += common::freeFormat({temperatures[t]});

  std::string second;
  for (std::int64_t j = 1; j <= counts.FitParameterCount; ++j) {
    second += common::freeFormat({j, fit(1, j)});
  }
  second += common::freeFormat({rate(i, 3)});

  common::stopRun(console, {first, second}, true);
}

}  // namespace

void GibbsTerms(const KineticsState& state, double temperature,
                std::span<const std::int32_t> IKWORK, std::span<const double> RKWORK,
                std::span<double> gibbs) {
  const auto& counts = state.counts;
  const double T = temperature;
  const double logT = std::log(T);
  const std::int32_t basisCount = counts.CpCoefficientCount;

  // TN(1) = ln T - 1, TN(n) = T^(n-1) / ((n-1) n): the integrals of the heat-capacity terms
  // folded into S/R - H/(RT).
  auto basis = [T, logT](std::int64_t n) {
    if (n == 1) return logT - 1.0;
    return IntegerPower(T, n - 1) / static_cast<double>((n - 1) * n);
  };
  std::array<double, kCachedBasisTerms> cached{};
  const std::int32_t cachedCount = std::min(basisCount, kCachedBasisTerms);
  for (std::int32_t n = 1; n <= cachedCount; ++n) cached[n - 1] = basis(n);

  const IntSection boundCount(IKWORK, state.layout.integer.TemperatureCount);
  const ConstRealSection bounds(RKWORK, state.layout.real.TemperatureBounds,
                                counts.MaxTemperatures);
  const ConstRealSection coefficients(RKWORK, state.layout.real.ThermoCoefficients,
                                      state.CoefficientsPerSpecies);
  const std::int64_t perRange = state.CoefficientsPerRange;

  for (std::int64_t k = 1; k <= counts.KK; ++k) {
    // Range L = 1 + the interior bounds strictly below T. A species never claims more bounds
    // than its block holds.
    const std::int64_t last = std::min<std::int64_t>(boundCount(k), counts.MaxTemperatures);
    std::int64_t range = 1;
    for (std::int64_t j = 2; j <= last - 1; ++j) {
      if (bounds(k, j) < T) ++range;
    }
    const std::int64_t offset = (range - 1) * perRange;
    double sum = 0.0;
    for (std::int64_t n = 1; n <= basisCount; ++n) {
      const double term = n <= cachedCount ? cached[n - 1] : basis(n);
      sum += coefficients(k, offset + n) * term;
    }
    gibbs[k - 1] = sum + coefficients(k, offset + basisCount + 2) -
                   coefficients(k, offset + basisCount + 1) / T;
  }
}

void RateCoefficients(const KineticsState& state, double pressure,
                      std::span<const double> temperatures, std::span<const std::int32_t> IKWORK,
                      std::span<double> RKWORK, common::Console& console) {
  const auto& counts = state.counts;
  const auto& integer = state.layout.integer;
  const auto& real = state.layout.real;
  const std::int64_t reactionCount = counts.ReactionCount;
  const double T = temperatures[0];
  const double logT = std::log(T);
  const double small = state.SmallValue;

  const RealSection forward(RKWORK, real.ForwardRateCoefficients);
  const RealSection reverse(RKWORK, real.ReverseRateCoefficients);
  // The equilibrium constants borrow the section of the forward rates of progress.
  const RealSection equilibrium(RKWORK, real.ForwardProgressScratch);
  const RealSection rate(RKWORK, real.RateParameters, std::int64_t{counts.RateParameterCount} + 1);
  const RealSection reverseRate(RKWORK, real.ReverseParameters,
                                std::int64_t{counts.RateParameterCount} + 1);
  const IntSection speciesCount(IKWORK, integer.ReactionSpeciesCount);
  const IntSection reverseList(IKWORK, integer.ReverseReactions);
  const Slots slots(state, IKWORK);

  for (std::int64_t i = 1; i <= reactionCount; ++i) {
    forward(i) = Arrhenius(rate(i, 1), rate(i, 2), rate(i, 3), logT, T);
  }

  const double rootThird = std::pow(T, kOneThird);
  const double rootTwoThirds = std::pow(T, kTwoThirds);
  {
    const IntSection list(IKWORK, integer.LandauTellerReactions);
    const RealSection parameters(RKWORK, real.LandauTellerParameters,
                                 counts.LandauTellerParameterCount);
    for (std::int64_t n = 1; n <= counts.LandauTellerReactionCount; ++n) {
      const std::int64_t i = list(n);
      forward(i) =
          forward(i) * std::exp(parameters(n, 1) / rootThird + parameters(n, 2) / rootTwoThirds);
    }
  }

  // Rate constants that depend on the pressure replace the placeholder Arrhenius form before
  // the reverse rates are formed from them.
  if (state.tables.PressureTableReactionCount > 0 || state.tables.ChebyshevReactionCount > 0) {
    const double P = pressure / common::Entry(RKWORK, real.StandardPressure, 1);  // atm
    kinetics::ForEachPressureRate(state, IKWORK, RKWORK, T, small,
                                  [&](std::int64_t i, auto rate) { forward(i) = rate(P); });
  }

  // The Gibbs terms borrow the concentration section; MolarConcentrations overwrites them.
  const std::span<double> gibbs = RKWORK.subspan(
      static_cast<std::size_t>(real.ConcentrationScratch - 1), static_cast<std::size_t>(counts.KK));
  GibbsTerms(state, T, IKWORK, RKWORK, gibbs);

  for (std::int64_t i = 1; i <= reactionCount; ++i) {
    double sum = 0.0;
    for (std::int64_t s = 1; s <= slots.count; ++s) {
      const std::int64_t k = slots.species(i, s);
      if (k != 0) sum += static_cast<double>(slots.coefficient(i, s)) * gibbs[k - 1];
    }
    equilibrium(i) = std::exp(std::min(sum, state.ExpCap));
  }

  // Real stoichiometric coefficients are beyond this kernel: stop before any rate is formed.
  // The console shows nothing but the pause; callers in-process still get the reason.
  if (counts.RealStoichReactionCount > 0) {
    throw common::Stop::Silent(
        "The mechanism has reactions with real stoichiometric coefficients, which the rate kernel "
        "cannot evaluate.",
        true);
  }

  const double gasConstant = common::Entry(RKWORK, real.GasConstant, 1);
  const double standardPressure = common::Entry(RKWORK, real.StandardPressure, 1);
  const double pressureFactor = standardPressure / (gasConstant * T);
  for (std::int64_t i = 1; i <= reactionCount; ++i) {
    equilibrium(i) = equilibrium(i) * IntegerPower(pressureFactor, slots.coefficientSum(i));
  }

  for (std::int64_t i = 1; i <= reactionCount; ++i) {
    reverse(i) = 0.0;
    if (speciesCount(i) > 0) reverse(i) = forward(i) / std::max(equilibrium(i), small);
  }

  for (std::int64_t n = 1; n <= counts.ReverseReactionCount; ++n) {
    reverse(reverseList(n)) =
        Arrhenius(reverseRate(n, 1), reverseRate(n, 2), reverseRate(n, 3), logT, T);
  }

  {
    const IntSection list(IKWORK, integer.ReverseLandauTellerReactions);
    const RealSection parameters(RKWORK, real.ReverseLandauTellerParameters,
                                 counts.LandauTellerParameterCount);
    for (std::int64_t n = 1; n <= counts.ReverseLandauTellerReactionCount; ++n) {
      const std::int64_t i = list(n);
      reverse(i) =
          reverse(i) * std::exp(parameters(n, 1) / rootThird + parameters(n, 2) / rootTwoThirds);
    }
  }

  {
    // Electron-impact reactions run at the temperature their index names. Their lines are
    // diagnostics only; the run goes on.
    const IntSection list(IKWORK, integer.ElectronImpactReactions);
    const IntSection temperatureIndex(IKWORK, integer.ElectronTemperatureIndex);
    const auto temperatureCount = static_cast<std::int64_t>(temperatures.size());
    for (std::int64_t n = 1; n <= counts.ElectronImpactReactionCount; ++n) {
      const std::int64_t i = list(n);
      const std::int64_t t = temperatureIndex(n);
      console.freeLine({kElectronReactionLine, i, t});
      console.freeLine({rate(i, 1), rate(i, 2), rate(i, 3)});
      if (t < 1 || t > temperatureCount) {
        common::stopRun(console, {common::freeFormat({kElectronIndexStop, i, t, temperatureCount})},
                        true);
      }
      const double electronT = temperatures[static_cast<std::size_t>(t - 1)];
      const double logElectronT = std::log(electronT);
      reverse(i) = 0.0;
      forward(i) = Arrhenius(rate(i, 1), rate(i, 2), rate(i, 3), logElectronT, electronT);
      const double electronPressureFactor = standardPressure / (gasConstant * electronT);
      equilibrium(i) = equilibrium(i) * IntegerPower(electronPressureFactor / pressureFactor,
                                                     slots.coefficientSum(i));
      if (speciesCount(i) > 0) reverse(i) = forward(i) / std::max(equilibrium(i), small);
      const std::int64_t listed = ListPosition(reverseList, counts.ReverseReactionCount, i);
      if (listed != 0) {
        reverse(i) = Arrhenius(reverseRate(listed, 1), reverseRate(listed, 2),
                               reverseRate(listed, 3), logElectronT, electronT);
      }
    }
  }

  if (counts.JanevReactionCount > 0) {
    const IntSection list(IKWORK, integer.JanevReactions);
    const RealSection parameters(RKWORK, real.JanevParameters, counts.JanevParameterCount);
    const double electronT = temperatures[1];
    const double logElectronT = std::log(electronT);
    const double logElectronVolts = std::log(electronT / kKelvinPerElectronVolt);
    for (std::int64_t n = 1; n <= counts.JanevReactionCount; ++n) {
      const std::int64_t i = list(n);
      reverse(i) = 0.0;
      double fit = 0.0;
      for (std::int64_t j = 1; j <= counts.JanevParameterCount; ++j) {
        fit += parameters(n, j) * IntegerPower(logElectronVolts, j - 1);
      }
      forward(i) =
          Arrhenius(rate(i, 1), rate(i, 2), rate(i, 3), logElectronT, electronT) * std::exp(fit);
    }
  }

  if (counts.FitReactionCount > 0) {
    reverse(IntSection(IKWORK, integer.FitReactions)(1)) = 0.0;
    StopForFittedReaction(state, temperatures, IKWORK, RKWORK, console);
  }
}

void MolarConcentrations(const KineticsState& state, double pressure,
                         std::span<const double> temperatures,
                         std::span<const double> massFractions, std::span<double> RKWORK) {
  const auto& real = state.layout.real;
  const std::int64_t speciesCount = state.counts.KK;
  const double T = temperatures[0];
  const double gasConstant = common::Entry(RKWORK, real.GasConstant, 1);
  const RealSection weight(RKWORK, real.MolecularWeights);
  const RealSection concentration(RKWORK, real.ConcentrationScratch);

  double inverseMeanWeight = 0.0;
  for (std::int64_t k = 1; k <= speciesCount; ++k) {
    inverseMeanWeight += massFractions[k - 1] / weight(k);
  }
  for (std::int64_t k = 1; k <= speciesCount; ++k) {
    concentration(k) =
        pressure * massFractions[k - 1] / (weight(k) * gasConstant * T * inverseMeanWeight);
  }
}

void RatesOfProgress(const KineticsState& state, std::span<const double> temperatures,
                     std::span<const std::int32_t> IKWORK, std::span<double> RKWORK) {
  const auto& counts = state.counts;
  const auto& integer = state.layout.integer;
  const auto& real = state.layout.real;
  const std::int64_t reactionCount = counts.ReactionCount;
  const double T = temperatures[0];
  const double logT = std::log(T);
  const double small = state.SmallValue;

  const RealSection forward(RKWORK, real.ForwardRateCoefficients);
  const RealSection reverse(RKWORK, real.ReverseRateCoefficients);
  const RealSection forwardProgress(RKWORK, real.ForwardProgressScratch);
  const RealSection reverseProgress(RKWORK, real.ReverseProgressScratch);
  const RealSection thirdBody(RKWORK, real.ThirdBodyScratch);
  const RealSection concentration(RKWORK, real.ConcentrationScratch);
  const RealSection rate(RKWORK, real.RateParameters, std::int64_t{counts.RateParameterCount} + 1);

  for (std::int64_t i = 1; i <= reactionCount; ++i) {
    thirdBody(i) = 1.0;
    forwardProgress(i) = 0.0;
    reverseProgress(i) = 0.0;
  }

  if (counts.ThirdBodyReactionCount > 0) {
    double total = 0.0;
    for (std::int64_t k = 1; k <= counts.KK; ++k) total += concentration(k);
    const IntSection list(IKWORK, integer.ThirdBodyReactions);
    const IntSection enhancedCount(IKWORK, integer.ThirdBodyCount);
    const IntSection enhancedSpecies(IKWORK, integer.ThirdBodySpecies, counts.MaxThirdBodies);
    const RealSection efficiency(RKWORK, real.ThirdBodyEfficiencies, counts.MaxThirdBodies);
    for (std::int64_t n = 1; n <= counts.ThirdBodyReactionCount; ++n) {
      double sum = total;
      const std::int64_t used = std::min<std::int64_t>(enhancedCount(n), counts.MaxThirdBodies);
      for (std::int64_t l = 1; l <= used; ++l) {
        sum += (efficiency(n, l) - 1.0) * concentration(enhancedSpecies(n, l));
      }
      thirdBody(list(n)) = sum;
    }
  }

  {
    const IntSection list(IKWORK, integer.FallOffReactions);
    const IntSection form(IKWORK, integer.FallOffForm);
    const IntSection namedBody(IKWORK, integer.FallOffThirdBody);
    const RealSection parameter(RKWORK, real.FallOffParameters, counts.FallOffParameterCount);
    for (std::int64_t n = 1; n <= counts.FallOffReactionCount; ++n) {
      const std::int64_t i = list(n);
      const double lowPressure =
          Arrhenius(parameter(n, 1), parameter(n, 2), parameter(n, 3), logT, T);
      const double highPressure = forward(i);
      double reduced;
      if (namedBody(n) == 0) {
        // The mixture acts through the reduced pressure only.
        reduced = lowPressure * thirdBody(i) / highPressure;
        thirdBody(i) = 1.0;
      } else {
        reduced = lowPressure * concentration(namedBody(n)) / highPressure;
      }
      double factor = reduced / (1.0 + reduced);
      const std::int32_t code = form(n);
      if (code > 1) {
        factor =
            kinetics::FallOffBroadening(
                code, BlockFrom(RKWORK, real.FallOffParameters, counts.FallOffParameterCount, n),
                reduced, T, small) *
            factor;
      }
      forward(i) = factor * highPressure;
      reverse(i) = factor * reverse(i);
    }
  }

  if (state.tables.ActivatedReactionCount > 0) {
    // Chemically activated reactions fall from their low-pressure rate as the pressure rises:
    // k = k_low F / (1 + Pr). Record 5 held their rate at one atmosphere; the reverse rate keeps
    // its ratio to the forward one, which makes it k / K_c as for every reaction.
    double total = 0.0;
    for (std::int64_t k = 1; k <= counts.KK; ++k) total += concentration(k);
    const auto& tables = state.tables;
    const IntSection list(IKWORK, integer.ActivatedReactions);
    const IntSection form(IKWORK, integer.ActivatedForm);
    const IntSection namedBody(IKWORK, integer.ActivatedThirdBody);
    const IntSection firstEfficiency(IKWORK, integer.ActivatedFirstEfficiency);
    const IntSection enhancedCount(IKWORK, integer.ActivatedEfficiencyCount);
    const IntSection enhancedSpecies(IKWORK, integer.ActivatedEfficiencySpecies);
    const RealSection efficiency(RKWORK, real.ActivatedEfficiencies);
    const RealSection high(RKWORK, real.ActivatedHighParameters,
                           kinetics::kTableRateParameterCount);
    const RealSection low(RKWORK, real.ActivatedParameters, kinetics::kActivatedParameterCount);
    for (std::int64_t n = 1; n <= tables.ActivatedReactionCount; ++n) {
      const std::int64_t i = list(n);
      double bath = total;
      if (namedBody(n) != 0) {
        bath = concentration(namedBody(n));
      } else {
        for (std::int64_t j = firstEfficiency(n); j < firstEfficiency(n) + enhancedCount(n); ++j) {
          bath += (efficiency(j) - 1.0) * concentration(enhancedSpecies(j));
        }
      }
      const double lowPressure = Arrhenius(low(n, 1), low(n, 2), low(n, 3), logT, T);
      const double highPressure = Arrhenius(high(n, 1), high(n, 2), high(n, 3), logT, T);
      const double reduced = lowPressure * bath / highPressure;
      const double factor =
          kinetics::FallOffBroadening(
              form(n),
              BlockFrom(RKWORK, real.ActivatedParameters, kinetics::kActivatedParameterCount, n),
              reduced, T, small) /
          (1.0 + reduced);
      const double rate = factor * lowPressure;
      reverse(i) = forward(i) != 0.0 ? reverse(i) / forward(i) * rate : 0.0;
      forward(i) = rate;
    }
  }

  // Reactants fill the first half of the slots, products the second.
  const Slots slots(state, IKWORK);
  const std::int64_t reactantSlots = slots.count / 2;
  for (std::int64_t i = 1; i <= reactionCount; ++i) {
    const double multiplier = rate(i, counts.RateParameterCount + 1);
    forward(i) = forward(i) * thirdBody(i) * multiplier;
    reverse(i) = reverse(i) * thirdBody(i) * multiplier;
    if (slots.coefficient(i, 1) == 0) continue;
    double forwardRate = forward(i);
    for (std::int64_t s = 1; s <= reactantSlots; ++s) {
      const std::int64_t k = slots.species(i, s);
      if (k != 0) {
        forwardRate =
            forwardRate * IntegerPower(concentration(k), std::abs(slots.coefficient(i, s)));
      }
    }
    double reverseRate = reverse(i);
    for (std::int64_t s = reactantSlots + 1; s <= slots.count; ++s) {
      const std::int64_t k = slots.species(i, s);
      if (k != 0)
        reverseRate = reverseRate * IntegerPower(concentration(k), slots.coefficient(i, s));
    }
    forwardProgress(i) = forwardRate;
    reverseProgress(i) = reverseRate;
  }

  {
    // Explicit orders replace the stoichiometric concentration products.
    const IntSection list(IKWORK, integer.OrderReactions);
    const IntSection code(IKWORK, integer.OrderSpecies, counts.MaxOrderSpecies);
    const RealSection order(RKWORK, real.OrderValues, counts.MaxOrderSpecies);
    for (std::int64_t n = 1; n <= counts.OrderReactionCount; ++n) {
      const std::int64_t i = list(n);
      double forwardRate = forward(i);
      double reverseRate = reverse(i);
      for (std::int64_t j = 1; j <= counts.MaxOrderSpecies; ++j) {
        const std::int64_t c = code(n, j);
        if (c < 0) forwardRate = forwardRate * std::pow(concentration(-c), order(n, j));
        if (c > 0) reverseRate = reverseRate * std::pow(concentration(c), order(n, j));
      }
      forwardProgress(i) = forwardRate;
      reverseProgress(i) = reverseRate;
    }
  }
}

void CaseRates(const KineticsState& state, std::int32_t temperatureCount, double pressure,
               std::span<const double> temperatures, std::span<const double> massFractions,
               std::span<const std::int32_t> IKWORK, std::span<double> RKWORK,
               std::span<double> forwardProgress, std::span<double> reverseProgress,
               common::Console& console) {
  const auto& counts = state.counts;
  const auto reactionCount = static_cast<std::size_t>(counts.ReactionCount);
  if (IKWORK.size() < static_cast<std::size_t>(state.layout.usedIntLength) ||
      RKWORK.size() < static_cast<std::size_t>(state.layout.usedRealLength) ||
      massFractions.size() < static_cast<std::size_t>(counts.KK) ||
      forwardProgress.size() < reactionCount || reverseProgress.size() < reactionCount) {
    throw std::invalid_argument("CaseRates: an array is shorter than the mechanism needs");
  }

  // Only the entries the caller both declares and supplies are usable.
  const auto usable = std::min<std::size_t>(
      temperatures.size(), static_cast<std::size_t>(std::max<std::int32_t>(temperatureCount, 0)));
  if (usable < 2) StopForTemperatureCount(console);
  const std::span<const double> used = temperatures.first(usable);

  RateCoefficients(state, pressure, used, IKWORK, RKWORK, console);
  MolarConcentrations(state, pressure, used, massFractions, RKWORK);
  RatesOfProgress(state, used, IKWORK, RKWORK);

  const RealSection forward(RKWORK, state.layout.real.ForwardProgressScratch);
  const RealSection reverse(RKWORK, state.layout.real.ReverseProgressScratch);
  for (std::size_t i = 1; i <= reactionCount; ++i) {
    forwardProgress[i - 1] = forward(static_cast<std::int64_t>(i));
    reverseProgress[i - 1] = reverse(static_cast<std::int64_t>(i));
  }
}

void CaseRates(std::int32_t temperatureCount, double pressure, std::span<const double> temperatures,
               std::span<const double> massFractions, std::span<const std::int32_t> IKWORK,
               std::span<double> RKWORK, std::span<double> forwardProgress,
               std::span<double> reverseProgress, common::Console& console) {
  CaseRates(kinetics::CurrentKineticsState(), temperatureCount, pressure, temperatures,
            massFractions, IKWORK, RKWORK, forwardProgress, reverseProgress, console);
}

}  // namespace analysis
