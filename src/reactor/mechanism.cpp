// Mechanism: names, weights and thermodynamic ranges of the loaded kinetics file, and the
// reaction tables and Jacobian sparsity the reactor kernels read, built once per mechanism.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include "common/work_array.h"
#include "reactor/reactor_kernel.h"

namespace reactor {
namespace {

using IntSection = common::Section<const std::int32_t>;
using RealSection = common::Section<const double>;
using Data = Mechanism::Data;

std::string trimmed(const std::string& text) {
  const auto end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// The reactions the rate kernel cannot evaluate, or that need an electron temperature a
// homogeneous reactor does not have, are refused with the first one named.
void refuseUnsupported(const kinetics::KineticsState& state, std::span<const std::int32_t> IKWORK) {
  const auto& counts = state.counts;
  const auto& integer = state.layout.integer;
  auto first = [&](std::int64_t start) { return std::to_string(IntSection(IKWORK, start)(1)); };
  if (counts.RealStoichReactionCount > 0) {
    throw std::invalid_argument(
        "The mechanism has reactions with real stoichiometric coefficients, which the rate kernel "
        "cannot evaluate (reaction " +
        first(integer.RealStoichReactions) + ").");
  }
  if (counts.FitReactionCount > 0) {
    throw std::invalid_argument(
        "The mechanism has fitted reactions, which the rate kernel cannot evaluate (reaction " +
        first(integer.FitReactions) + ").");
  }
  if (counts.ElectronImpactReactionCount > 0) {
    throw std::invalid_argument(
        "The mechanism has electron-impact reactions, which need an electron temperature that a "
        "homogeneous reactor does not have (reaction " +
        first(integer.ElectronImpactReactions) + ").");
  }
  if (counts.JanevReactionCount > 0) {
    throw std::invalid_argument(
        "The mechanism has Janev-type electron reactions, which need an electron temperature that "
        "a homogeneous reactor does not have (reaction " +
        first(integer.JanevReactions) + ").");
  }
}

void readSpecies(Data& d) {
  const auto& state = d.loaded.state;
  const auto& counts = state.counts;
  const std::span<const std::int32_t> IKWORK = d.loaded.IKWORK;
  const std::span<const double> RKWORK = d.loaded.RKWORK;
  const std::span<const std::string> SKWORK = d.loaded.SKWORK;
  const std::int32_t K = counts.KK;
  const std::int32_t E = counts.ElementCount;
  d.speciesCount = K;
  d.reactionCount = counts.ReactionCount;
  for (std::int64_t m = 1; m <= E; ++m) {
    d.elementNames.push_back(
        trimmed(common::Entry(SKWORK, state.layout.character.ElementNames, m)));
  }
  const IntSection elements(IKWORK, state.layout.integer.ElementComposition, E);
  const RealSection weight(RKWORK, state.layout.real.MolecularWeights);
  const IntSection boundCount(IKWORK, state.layout.integer.TemperatureCount);
  const RealSection bounds(RKWORK, state.layout.real.TemperatureBounds, counts.MaxTemperatures);
  d.lowestCommon = 0.0;
  d.highestCommon = std::numeric_limits<double>::infinity();
  for (std::int64_t k = 1; k <= K; ++k) {
    d.speciesNames.push_back(
        trimmed(common::Entry(SKWORK, state.layout.character.SpeciesNames, k)));
    d.weights.push_back(weight(k));
    d.inverseWeights.push_back(1.0 / weight(k));
    for (std::int64_t m = 1; m <= E; ++m) d.composition.push_back(elements(k, m));
    const std::int64_t last = std::min<std::int64_t>(boundCount(k), counts.MaxTemperatures);
    d.lowestCommon = std::max(d.lowestCommon, bounds(k, 1));
    d.highestCommon = std::min(d.highestCommon, bounds(k, last));
  }
  d.gasConstant = common::Entry(RKWORK, state.layout.real.GasConstant, 1);
}

void addFactor(std::vector<Data::Factor>& factors, std::size_t first, std::int32_t species,
               double order, bool integerOrder) {
  for (std::size_t f = first; f < factors.size(); ++f) {
    if (factors[f].species == species) {
      factors[f].order += order;
      factors[f].integerOrder = factors[f].integerOrder && integerOrder;
      return;
    }
  }
  factors.push_back({species, order, integerOrder});
}

// Concentration factors, net coefficients and bath dependencies of every reaction, mirroring
// how the rate kernel forms each rate of progress.
void readReactions(Data& d) {
  const auto& state = d.loaded.state;
  const auto& counts = state.counts;
  const auto& integer = state.layout.integer;
  const auto& real = state.layout.real;
  const std::span<const std::int32_t> IKWORK = d.loaded.IKWORK;
  const std::span<const double> RKWORK = d.loaded.RKWORK;
  const std::int32_t K = counts.KK;
  const std::int32_t R = counts.ReactionCount;
  const std::int64_t slotCount = counts.MaxReactionSpecies;
  const IntSection coefficient(IKWORK, integer.StoichCoefficients, slotCount);
  const IntSection species(IKWORK, integer.StoichSpecies, slotCount);
  const RealSection rate(RKWORK, real.RateParameters, std::int64_t{counts.RateParameterCount} + 1);

  // Explicit orders replace the concentration products of their reactions.
  std::vector<std::int32_t> orderEntry(static_cast<std::size_t>(R) + 1, 0);
  const IntSection orderList(IKWORK, integer.OrderReactions);
  for (std::int64_t n = 1; n <= counts.OrderReactionCount; ++n) orderEntry[orderList(n)] = n;
  const IntSection orderCode(IKWORK, integer.OrderSpecies, counts.MaxOrderSpecies);
  const RealSection orderValue(RKWORK, real.OrderValues, counts.MaxOrderSpecies);

  d.thirdBodyEntry.assign(R, 0);
  d.multiplierBath.assign(R, false);
  d.blendMixture.assign(R, false);
  d.blend.assign(R, Data::Blend::None);
  d.blendEntry.assign(R, 0);
  const IntSection thirdBodyList(IKWORK, integer.ThirdBodyReactions);
  for (std::int64_t n = 1; n <= counts.ThirdBodyReactionCount; ++n) {
    d.thirdBodyEntry[thirdBodyList(n) - 1] = static_cast<std::int32_t>(n);
  }
  const IntSection fallOffList(IKWORK, integer.FallOffReactions);
  const IntSection fallOffBody(IKWORK, integer.FallOffThirdBody);
  for (std::int64_t n = 1; n <= counts.FallOffReactionCount; ++n) {
    d.blend[fallOffList(n) - 1] = Data::Blend::FallOff;
    d.blendEntry[fallOffList(n) - 1] = static_cast<std::int32_t>(n);
  }
  const IntSection activatedList(IKWORK, integer.ActivatedReactions);
  for (std::int64_t n = 1; n <= state.tables.ActivatedReactionCount; ++n) {
    d.blend[activatedList(n) - 1] = Data::Blend::Activated;
    d.blendEntry[activatedList(n) - 1] = static_cast<std::int32_t>(n);
  }

  const IntSection tbCount(IKWORK, integer.ThirdBodyCount);
  const IntSection tbSpecies(IKWORK, integer.ThirdBodySpecies, counts.MaxThirdBodies);
  const RealSection tbEfficiency(RKWORK, real.ThirdBodyEfficiencies, counts.MaxThirdBodies);
  const IntSection actBody(IKWORK, integer.ActivatedThirdBody);
  const IntSection actFirst(IKWORK, integer.ActivatedFirstEfficiency);
  const IntSection actCount(IKWORK, integer.ActivatedEfficiencyCount);
  const IntSection actSpecies(IKWORK, integer.ActivatedEfficiencySpecies);
  const RealSection actEfficiency(RKWORK, real.ActivatedEfficiencies);

  // Efficiencies of the mixture in third-body list entry n (1 unless listed).
  std::vector<double> multiplierAlpha(K), blendAlpha(K);
  auto listEfficiencies = [&](std::int64_t n, std::vector<double>& alpha) {
    std::fill(alpha.begin(), alpha.end(), 1.0);
    const std::int64_t used = std::min<std::int64_t>(tbCount(n), counts.MaxThirdBodies);
    for (std::int64_t l = 1; l <= used; ++l) alpha[tbSpecies(n, l) - 1] += tbEfficiency(n, l) - 1.0;
  };

  std::vector<std::int32_t> dependencyOf(K, -1);
  d.forwardStart.push_back(0);
  d.reverseStart.push_back(0);
  d.netStart.push_back(0);
  d.dependencyStart.push_back(0);
  for (std::int32_t i = 0; i < R; ++i) {
    const std::int64_t reaction = i + 1;
    d.multiplier.push_back(rate(reaction, counts.RateParameterCount + 1));
    // Net coefficients.
    std::vector<double> net;
    std::vector<std::int32_t> netOf;
    for (std::int64_t s = 1; s <= slotCount; ++s) {
      const std::int32_t k = species(reaction, s);
      if (k == 0) continue;
      auto found = std::find(netOf.begin(), netOf.end(), k - 1);
      if (found == netOf.end()) {
        netOf.push_back(k - 1);
        net.push_back(coefficient(reaction, s));
      } else {
        net[static_cast<std::size_t>(found - netOf.begin())] += coefficient(reaction, s);
      }
    }
    double moles = 0.0;
    for (std::size_t n = 0; n < net.size(); ++n) {
      if (net[n] == 0.0) continue;
      d.netSpecies.push_back(netOf[n]);
      d.netCoefficients.push_back(net[n]);
      moles += net[n];
    }
    d.netMoles.push_back(moles);
    d.netStart.push_back(static_cast<std::int32_t>(d.netSpecies.size()));

    // Concentration factors.
    const std::size_t forwardFirst = d.forwardFactors.size();
    const std::size_t reverseFirst = d.reverseFactors.size();
    if (orderEntry[reaction] != 0) {
      const std::int64_t n = orderEntry[reaction];
      for (std::int64_t j = 1; j <= counts.MaxOrderSpecies; ++j) {
        const std::int32_t code = orderCode(n, j);
        const double order = orderValue(n, j);
        const bool whole = order == std::floor(order) && order >= 0.0;
        if (code < 0) addFactor(d.forwardFactors, forwardFirst, -code - 1, order, whole);
        if (code > 0) addFactor(d.reverseFactors, reverseFirst, code - 1, order, whole);
      }
    } else if (coefficient(reaction, 1) != 0) {
      for (std::int64_t s = 1; s <= slotCount; ++s) {
        const std::int32_t k = species(reaction, s);
        if (k == 0) continue;
        const double order = std::abs(coefficient(reaction, s));
        if (s <= slotCount / 2) {
          addFactor(d.forwardFactors, forwardFirst, k - 1, order, true);
        } else {
          addFactor(d.reverseFactors, reverseFirst, k - 1, order, true);
        }
      }
    }
    d.forwardStart.push_back(static_cast<std::int32_t>(d.forwardFactors.size()));
    d.reverseStart.push_back(static_cast<std::int32_t>(d.reverseFactors.size()));
    const bool silent = forwardFirst == d.forwardFactors.size() &&
                        reverseFirst == d.reverseFactors.size() && orderEntry[reaction] == 0 &&
                        coefficient(reaction, 1) == 0;

    // Baths.
    const std::int32_t entry = d.thirdBodyEntry[i];
    bool blendOnMixture = false;
    bool blendOnList = false;
    std::int32_t blendSpecies = -1;
    if (d.blend[i] == Data::Blend::FallOff) {
      const std::int32_t named = fallOffBody(d.blendEntry[i]);
      if (named == 0) {
        blendOnList = entry != 0;
      } else {
        blendSpecies = named - 1;
      }
    } else if (d.blend[i] == Data::Blend::Activated) {
      const std::int64_t n = d.blendEntry[i];
      if (actBody(n) != 0) {
        blendSpecies = actBody(n) - 1;
      } else {
        blendOnMixture = true;
        std::fill(blendAlpha.begin(), blendAlpha.end(), 1.0);
        for (std::int64_t j = actFirst(n); j < actFirst(n) + actCount(n); ++j) {
          blendAlpha[actSpecies(j) - 1] += actEfficiency(j) - 1.0;
        }
      }
    }
    const bool multiplies =
        entry != 0 && !(d.blend[i] == Data::Blend::FallOff && fallOffBody(d.blendEntry[i]) == 0);
    d.multiplierBath[i] = multiplies;
    d.blendMixture[i] = false;
    if (multiplies) listEfficiencies(entry, multiplierAlpha);
    if (blendOnList) {
      listEfficiencies(entry, blendAlpha);
      blendOnMixture = true;
    }
    d.blendMixture[i] = blendOnMixture && !silent;
    if (silent) d.multiplierBath[i] = false;  // the kernel leaves such a rate at zero

    // Dependencies: every species the rate of progress reads.
    const std::size_t dependencyFirst = d.dependencies.size();
    auto dependency = [&](std::int32_t k) -> Data::Dependency& {
      if (dependencyOf[k] < 0) {
        dependencyOf[k] = static_cast<std::int32_t>(d.dependencies.size());
        d.dependencies.push_back({k, 0.0, 0.0, -1, -1});
      }
      return d.dependencies[static_cast<std::size_t>(dependencyOf[k])];
    };
    if (!silent) {
      for (std::size_t f = forwardFirst; f < d.forwardFactors.size(); ++f) {
        dependency(d.forwardFactors[f].species).forwardFactor =
            static_cast<std::int32_t>(f - forwardFirst);
      }
      for (std::size_t f = reverseFirst; f < d.reverseFactors.size(); ++f) {
        dependency(d.reverseFactors[f].species).reverseFactor =
            static_cast<std::int32_t>(f - reverseFirst);
      }
      // A mixture bath reads every species with efficiency 1; that uniform part is carried
      // apart (blendMixture, multiplierBath), so only the species listed with another
      // efficiency become dependencies, with the excess over 1.
      for (std::int32_t k = 0; k < K; ++k) {
        const double multiplierExcess = multiplies ? multiplierAlpha[k] - 1.0 : 0.0;
        const double blendExcess = blendOnMixture ? blendAlpha[k] - 1.0 : 0.0;
        if (multiplierExcess == 0.0 && blendExcess == 0.0) continue;
        Data::Dependency& dep = dependency(k);
        dep.multiplierEfficiency = multiplierExcess;
        dep.blendEfficiency = blendExcess;
      }
      if (blendSpecies >= 0) dependency(blendSpecies).blendEfficiency += 1.0;
    }
    for (std::size_t n = dependencyFirst; n < d.dependencies.size(); ++n) {
      dependencyOf[d.dependencies[n].species] = -1;
    }
    d.dependencyStart.push_back(static_cast<std::int32_t>(d.dependencies.size()));
  }
}

// The thermodynamic polynomials in flat arrays, as SpeciesThermo reads them.
void readThermo(Data& d) {
  const auto& state = d.loaded.state;
  const auto& counts = state.counts;
  const std::span<const std::int32_t> IKWORK = d.loaded.IKWORK;
  const std::span<const double> RKWORK = d.loaded.RKWORK;
  const IntSection boundCount(IKWORK, state.layout.integer.TemperatureCount);
  const RealSection bounds(RKWORK, state.layout.real.TemperatureBounds, counts.MaxTemperatures);
  const RealSection coefficients(RKWORK, state.layout.real.ThermoCoefficients,
                                 state.CoefficientsPerSpecies);
  d.basisCount = counts.CpCoefficientCount;
  d.thermoStride = state.CoefficientsPerSpecies;
  d.boundStart.assign(1, 0);
  for (std::int64_t k = 1; k <= counts.KK; ++k) {
    // The range rule of the rate kernel: 1 + the interior bounds below T.
    const std::int64_t last = std::min<std::int64_t>(boundCount(k), counts.MaxTemperatures);
    for (std::int64_t j = 2; j <= last - 1; ++j) d.interiorBounds.push_back(bounds(k, j));
    d.boundStart.push_back(static_cast<std::int32_t>(d.interiorBounds.size()));
    for (std::int64_t n = 1; n <= state.CoefficientsPerSpecies; ++n) {
      d.thermoCoefficients.push_back(coefficients(k, n));
    }
  }
}

// The net coefficients by species, for the production rates.
void readSpeciesRows(Data& d) {
  const std::int32_t K = d.speciesCount;
  const std::int32_t R = d.reactionCount;
  d.speciesStart.assign(static_cast<std::size_t>(K) + 1, 0);
  for (std::int32_t k : d.netSpecies) ++d.speciesStart[k + 1];
  for (std::int32_t k = 0; k < K; ++k) d.speciesStart[k + 1] += d.speciesStart[k];
  d.speciesReactions.resize(d.netSpecies.size());
  d.speciesCoefficients.resize(d.netSpecies.size());
  std::vector<std::int32_t> next(d.speciesStart.begin(), d.speciesStart.end() - 1);
  for (std::int32_t i = 0; i < R; ++i) {
    for (std::int32_t m = d.netStart[i]; m < d.netStart[i + 1]; ++m) {
      const std::int32_t at = next[d.netSpecies[m]]++;
      d.speciesReactions[at] = i;
      d.speciesCoefficients[at] = d.netCoefficients[m];
    }
  }
}

// The tables of the reactor's own rate evaluation, when the mechanism has only forms it covers.
void readDirectRates(Data& d) {
  const auto& state = d.loaded.state;
  const auto& counts = state.counts;
  const auto& integer = state.layout.integer;
  const auto& real = state.layout.real;
  d.directRates = counts.LandauTellerReactionCount == 0 &&
                  counts.ReverseLandauTellerReactionCount == 0 &&
                  state.tables.ActivatedReactionCount == 0;
  if (!d.directRates) return;
  const std::span<const std::int32_t> IKWORK = d.loaded.IKWORK;
  const std::span<const double> RKWORK = d.loaded.RKWORK;
  const std::int32_t R = counts.ReactionCount;
  const std::int64_t slotCount = counts.MaxReactionSpecies;
  const IntSection coefficient(IKWORK, integer.StoichCoefficients, slotCount);
  const IntSection speciesCount(IKWORK, integer.ReactionSpeciesCount);
  const RealSection rate(RKWORK, real.RateParameters, std::int64_t{counts.RateParameterCount} + 1);
  const RealSection reverseRate(RKWORK, real.ReverseParameters,
                                std::int64_t{counts.RateParameterCount} + 1);
  std::map<std::pair<double, double>, std::int32_t> exponentOf;
  auto arrhenius = [&](double A, double beta, double E) {
    Data::Arrhenius rate;
    rate.A = A;
    rate.beta = beta;
    rate.activation = E;
    rate.constant = beta == 0.0 && E == 0.0;
    if (!rate.constant) {
      const auto [at, added] =
          exponentOf.try_emplace({beta, E}, static_cast<std::int32_t>(d.exponentBeta.size()));
      if (added) {
        d.exponentBeta.push_back(beta);
        d.exponentActivation.push_back(E);
      }
      rate.exponential = at->second;
    }
    return rate;
  };

  std::vector<bool> ordered(static_cast<std::size_t>(R), false);
  const IntSection orderList(IKWORK, integer.OrderReactions);
  for (std::int64_t n = 1; n <= counts.OrderReactionCount; ++n) ordered[orderList(n) - 1] = true;
  for (std::int64_t i = 1; i <= R; ++i) {
    d.forwardRate.push_back(arrhenius(rate(i, 1), rate(i, 2), rate(i, 3)));
    d.reverse.push_back(speciesCount(i) > 0 ? Data::Reverse::Equilibrium : Data::Reverse::None);
    std::int32_t moles = 0;
    for (std::int64_t s = 1; s <= slotCount; ++s) moles += coefficient(i, s);
    d.moleChange.push_back(moles);
    if (coefficient(i, 1) == 0 && !ordered[i - 1]) {
      d.silentReactions.push_back(static_cast<std::int32_t>(i - 1));
    }
  }
  d.reverseRate.resize(static_cast<std::size_t>(R));
  const IntSection reverseList(IKWORK, integer.ReverseReactions);
  for (std::int64_t n = 1; n <= counts.ReverseReactionCount; ++n) {
    const std::int64_t i = reverseList(n) - 1;
    d.reverse[i] = Data::Reverse::Explicit;
    d.reverseRate[i] = arrhenius(reverseRate(n, 1), reverseRate(n, 2), reverseRate(n, 3));
  }
  for (std::int32_t i = 0; i < R; ++i) {
    switch (d.reverse[i]) {
      case Data::Reverse::None:
        d.irreversibleReactions.push_back(i);
        break;
      case Data::Reverse::Equilibrium:
        d.equilibriumReactions.push_back(i);
        break;
      case Data::Reverse::Explicit:
        d.explicitReactions.push_back(i);
        break;
    }
  }

  // Products of at most kProductWidth whole factors per side go through the padded slots.
  constexpr std::int32_t kProductWidth = 3;
  const std::int32_t K = counts.KK;
  auto expanded = [&](std::int32_t first, std::int32_t last,
                      const std::vector<Data::Factor>& factors, std::vector<std::int32_t>& slots) {
    bool whole = true;
    for (std::int32_t f = first; f < last; ++f) {
      whole = whole && factors[f].integerOrder;
      for (int n = 0; whole && n < static_cast<int>(factors[f].order); ++n) {
        slots.push_back(factors[f].species);
      }
    }
    return whole;
  };
  std::vector<std::int32_t> forward, reverse;
  for (std::int32_t i = 0; i < R; ++i) {
    forward.clear();
    reverse.clear();
    const bool whole =
        expanded(d.forwardStart[i], d.forwardStart[i + 1], d.forwardFactors, forward) &&
        expanded(d.reverseStart[i], d.reverseStart[i + 1], d.reverseFactors, reverse);
    if (!whole || forward.size() > kProductWidth || reverse.size() > kProductWidth) {
      d.generalProducts.push_back(i);
      forward.clear();
      reverse.clear();
    }
    d.productWidth = std::max({d.productWidth, static_cast<std::int32_t>(forward.size()),
                               static_cast<std::int32_t>(reverse.size())});
  }
  d.forwardSlots.assign(static_cast<std::size_t>(R) * d.productWidth, K);
  d.reverseSlots.assign(static_cast<std::size_t>(R) * d.productWidth, K);
  for (std::int32_t i = 0, g = 0; i < R; ++i) {
    if (g < static_cast<std::int32_t>(d.generalProducts.size()) && d.generalProducts[g] == i) {
      ++g;
      continue;
    }
    forward.clear();
    reverse.clear();
    expanded(d.forwardStart[i], d.forwardStart[i + 1], d.forwardFactors, forward);
    expanded(d.reverseStart[i], d.reverseStart[i + 1], d.reverseFactors, reverse);
    std::copy(forward.begin(), forward.end(),
              d.forwardSlots.begin() + static_cast<std::ptrdiff_t>(i) * d.productWidth);
    std::copy(reverse.begin(), reverse.end(),
              d.reverseSlots.begin() + static_cast<std::ptrdiff_t>(i) * d.productWidth);
  }

  for (std::int32_t i : d.equilibriumReactions) {
    d.netWidth = std::max(d.netWidth, d.netStart[i + 1] - d.netStart[i]);
  }
  for (std::int32_t i : d.equilibriumReactions) {
    for (std::int32_t n = 0; n < d.netWidth; ++n) {
      const std::int32_t m = d.netStart[i] + n;
      const bool used = m < d.netStart[i + 1];
      d.equilibriumSpecies.push_back(used ? d.netSpecies[m] : K);
      d.equilibriumCoefficients.push_back(used ? d.netCoefficients[m] : 0.0);
    }
  }
  // The same coefficients as factors of exp(g_k): each species repeated by its coefficient.
  std::vector<std::vector<std::int32_t>> up(d.equilibriumReactions.size()),
      down(d.equilibriumReactions.size());
  for (std::size_t e = 0; e < d.equilibriumReactions.size(); ++e) {
    const std::int32_t i = d.equilibriumReactions[e];
    for (std::int32_t m = d.netStart[i]; m < d.netStart[i + 1]; ++m) {
      const double c = d.netCoefficients[m];
      for (double n = 0.0; n < std::abs(c); n += 1.0)
        (c > 0 ? up : down)[e].push_back(d.netSpecies[m]);
    }
    d.equilibriumOrder.push_back(static_cast<double>(up[e].size() + down[e].size()));
    d.equilibriumFactorWidth =
        std::max({d.equilibriumFactorWidth, static_cast<std::int32_t>(up[e].size()),
                  static_cast<std::int32_t>(down[e].size())});
  }
  for (std::size_t e = 0; e < d.equilibriumReactions.size(); ++e) {
    up[e].resize(static_cast<std::size_t>(d.equilibriumFactorWidth), K);
    down[e].resize(static_cast<std::size_t>(d.equilibriumFactorWidth), K);
    d.equilibriumProducts.insert(d.equilibriumProducts.end(), up[e].begin(), up[e].end());
    d.equilibriumReactants.insert(d.equilibriumReactants.end(), down[e].begin(), down[e].end());
  }

  const IntSection thirdBodyList(IKWORK, integer.ThirdBodyReactions);
  const IntSection enhancedCount(IKWORK, integer.ThirdBodyCount);
  const IntSection enhancedSpecies(IKWORK, integer.ThirdBodySpecies, counts.MaxThirdBodies);
  const RealSection efficiency(RKWORK, real.ThirdBodyEfficiencies, counts.MaxThirdBodies);
  d.enhancedStart.assign(1, 0);
  for (std::int64_t n = 1; n <= counts.ThirdBodyReactionCount; ++n) {
    d.thirdBodyReaction.push_back(thirdBodyList(n) - 1);
    const std::int64_t used = std::min<std::int64_t>(enhancedCount(n), counts.MaxThirdBodies);
    for (std::int64_t l = 1; l <= used; ++l) {
      d.enhancedSpecies.push_back(enhancedSpecies(n, l) - 1);
      d.enhancedExcess.push_back(efficiency(n, l) - 1.0);
    }
    d.enhancedStart.push_back(static_cast<std::int32_t>(d.enhancedSpecies.size()));
  }

  const IntSection fallOffList(IKWORK, integer.FallOffReactions);
  const IntSection fallOffForm(IKWORK, integer.FallOffForm);
  const IntSection fallOffBody(IKWORK, integer.FallOffThirdBody);
  const RealSection fallOff(RKWORK, real.FallOffParameters, counts.FallOffParameterCount);
  for (std::int64_t n = 1; n <= counts.FallOffReactionCount; ++n) {
    Data::FallOffEntry entry;
    entry.reaction = fallOffList(n) - 1;
    entry.form = fallOffForm(n);
    entry.namedBath = fallOffBody(n) - 1;
    entry.parameterStart = static_cast<std::size_t>(real.FallOffParameters +
                                                    (n - 1) * counts.FallOffParameterCount - 1);
    entry.low = arrhenius(fallOff(n, 1), fallOff(n, 2), fallOff(n, 3));
    d.fallOffs.push_back(entry);
  }

  const auto exponentialCount = static_cast<std::int32_t>(d.exponentBeta.size());
  for (const Data::Arrhenius& rate : d.forwardRate) {
    d.forwardExponential.push_back(rate.constant ? exponentialCount : rate.exponential);
  }
  d.bathSlot.assign(d.thirdBodyEntry.begin(), d.thirdBodyEntry.end());
  d.blendSlot.assign(static_cast<std::size_t>(R), 0);
  for (std::size_t e = 0; e < d.fallOffs.size(); ++e) {
    const std::int32_t i = d.fallOffs[e].reaction;
    d.blendSlot[i] = static_cast<std::int32_t>(e) + 1;
    if (d.fallOffs[e].namedBath < 0) d.bathSlot[i] = 0;
  }
}

// Compressed-column pattern: column 0 and row 0 full, the species block from the reactions
// (row of each net species, column of each dependency) and the diagonal.
void buildPattern(Data& d) {
  const std::int64_t K = d.speciesCount;
  const std::int64_t n = K + 1;
  std::vector<char> used(static_cast<std::size_t>(n * n), 0);  // column outer
  auto mark = [&](std::int64_t row, std::int64_t column) { used[column * n + row] = 1; };
  for (std::int64_t j = 0; j < n; ++j) {
    mark(0, j);
    mark(j, 0);
    mark(j, j);
  }
  for (std::int32_t i = 0; i < d.reactionCount; ++i) {
    for (std::int32_t a = d.dependencyStart[i]; a < d.dependencyStart[i + 1]; ++a) {
      for (std::int32_t b = d.netStart[i]; b < d.netStart[i + 1]; ++b) {
        mark(d.netSpecies[b] + 1, d.dependencies[a].species + 1);
      }
    }
  }
  std::vector<std::int64_t> position(static_cast<std::size_t>(n * n), -1);
  d.columnStart.assign(1, 0);
  for (std::int64_t column = 0; column < n; ++column) {
    for (std::int64_t row = 0; row < n; ++row) {
      if (!used[column * n + row]) continue;
      position[column * n + row] = static_cast<std::int64_t>(d.rowIndex.size());
      d.rowIndex.push_back(row);
    }
    d.columnStart.push_back(static_cast<std::int64_t>(d.rowIndex.size()));
  }
  for (std::int64_t j = 0; j < n; ++j) {
    d.temperatureRowPosition.push_back(position[j * n]);
    d.diagonalPosition.push_back(position[j * n + j]);
  }
  d.dependencyPositionStart.assign(1, 0);
  for (std::int32_t i = 0; i < d.reactionCount; ++i) {
    for (std::int32_t a = d.dependencyStart[i]; a < d.dependencyStart[i + 1]; ++a) {
      for (std::int32_t b = d.netStart[i]; b < d.netStart[i + 1]; ++b) {
        const std::int64_t column = d.dependencies[a].species + 1;
        d.positions.push_back(position[column * n + d.netSpecies[b] + 1]);
      }
    }
    d.dependencyPositionStart.push_back(static_cast<std::int64_t>(d.positions.size()));
  }
}

}  // namespace

Mechanism::Mechanism(kinetics::LoadedKinetics loaded) : data_(std::make_unique<Data>()) {
  refuseUnsupported(loaded.state, loaded.IKWORK);
  if (loaded.outcome != kinetics::LoadOutcome::Complete) {
    throw std::invalid_argument("The kinetics file ends before its reactions.");
  }
  data_->loaded = std::move(loaded);
  readSpecies(*data_);
  readReactions(*data_);
  readSpeciesRows(*data_);
  readThermo(*data_);
  readDirectRates(*data_);
  buildPattern(*data_);
}

Mechanism::~Mechanism() = default;
Mechanism::Mechanism(Mechanism&&) noexcept = default;
Mechanism& Mechanism::operator=(Mechanism&&) noexcept = default;

std::int32_t Mechanism::speciesCount() const {
  return data_->speciesCount;
}
const std::vector<std::string>& Mechanism::speciesNames() const {
  return data_->speciesNames;
}
int Mechanism::speciesIndex(const std::string& name) const {
  const auto& names = data_->speciesNames;
  const auto found = std::find(names.begin(), names.end(), name);
  return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}
std::span<const double> Mechanism::molecularWeights() const {
  return data_->weights;
}
std::span<const double> Mechanism::composition(std::int32_t k) const {
  const auto E = static_cast<std::size_t>(data_->elementNames.size());
  return std::span<const double>(data_->composition).subspan(static_cast<std::size_t>(k) * E, E);
}
const std::vector<std::string>& Mechanism::elementNames() const {
  return data_->elementNames;
}
double Mechanism::lowestCommonTemperature() const {
  return data_->lowestCommon;
}
double Mechanism::highestCommonTemperature() const {
  return data_->highestCommon;
}

}  // namespace reactor
