#include "analysis/core/path_flux.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>

#include "analysis/core/rate_kernel.h"

// How the sums stay those of the full evaluation.
//
// With q(j) the net rate of reaction j and f(X, j) = q(j) nu(X, j), the coefficient of a pair
// is |C(X, Y)| (or |P(X, Y)|): the negative (positive) f(X, j) summed in ascending j over the
// reactions of X in which Y has a non-zero coefficient. It is zero unless X and Y share a
// reaction, so each species keeps its partners (ascending) and, per partner, the shared
// entries of its reaction row; one pass per case fills the coefficients of every pair.
//
// For a frontier species A the second-generation sum of a candidate B runs over M in ascending
// order with terms (|C(M, B)| rcon(A, M)) / D2(M). Every term is +0.0 or positive, and adding
// +0.0 to a non-negative sum changes nothing, so only the M with rcon(A, M) != 0 and
// C(M, B) != 0 need to be visited. Visiting the partners M of A in ascending order and
// scattering each M's terms into its partners B adds, for every B, the same non-zero values in
// the same order as the full loop: each sum is bit for bit the same. Terms that underflow to
// zero are added like any other, which is harmless. B already selected is never decided again,
// so its sums are not formed.
//
// The argument needs finite coefficients. Non-finite rates can make a divisor infinite, and
// then a skipped term would have been 0 x inf or x / inf with x infinite, that is NaN; a NaN
// anywhere in R(A, B) means B is not kept. Those cases are recognised from the pairs with an
// infinite coefficient (see `poisoned`), so that even then the kept sets are the same.

namespace analysis {

namespace {

// 1.0e-12 and 1.0e-13 held in single precision, as the reference stores them.
constexpr double kFirstGenerationFloor = static_cast<double>(1.0e-12f);
constexpr double kSecondGenerationFloor = static_cast<double>(1.0e-13f);
static_assert(kFirstGenerationFloor == 9.999999960041972e-13);
static_assert(kSecondGenerationFloor == 9.9999998245167e-14);

constexpr std::string_view kScratchMismatch =
    " Path-flux scratch was made for another species or reaction dimension.";

}  // namespace

PathFluxScratch::PathFluxScratch(std::int32_t NS, std::int32_t NR,
                                 std::span<const std::int32_t> StoichiometryMatrix,
                                 std::int32_t stoichDimension,
                                 std::span<const std::int32_t> SpeciesReactionIndex,
                                 std::int32_t speciesCount)
    : speciesDimension_(NS), reactionDimension_(NR), speciesCount_(speciesCount) {
  const auto species = static_cast<std::size_t>(std::max(speciesCount, 0));
  const auto reactions = static_cast<std::size_t>(std::max(NR, 0));
  const auto indexRow = static_cast<std::size_t>(NR) + 1;
  auto coefficient = [&](std::int32_t k, std::int32_t j) {  // 0-based species and reaction
    return StoichiometryMatrix[static_cast<std::size_t>(k) +
                               static_cast<std::size_t>(j) *
                                   static_cast<std::size_t>(stoichDimension)];
  };

  reactionBegin_.assign(species + 1, 0);
  std::vector<std::uint8_t> listed(reactions, 0);
  for (std::size_t x = 0; x < species; ++x) {
    const std::int32_t count = SpeciesReactionIndex[x * indexRow];
    for (std::int32_t c = 0; c < count; ++c) {
      const std::int32_t j = SpeciesReactionIndex[x * indexRow + 1 + c] - 1;
      entryReaction_.push_back(j);
      entryNu_.push_back(static_cast<double>(coefficient(static_cast<std::int32_t>(x), j)));
      listed[j] = 1;
    }
    reactionBegin_[x + 1] = static_cast<std::int32_t>(entryReaction_.size());
  }

  // The species of every listed reaction, from the matrix: a partner needs a non-zero
  // coefficient there, whatever the index rows say.
  std::vector<std::int32_t> speciesBegin(reactions + 1, 0);
  std::vector<std::int32_t> reactionSpecies;
  for (std::size_t j = 0; j < reactions; ++j) {
    if (listed[j]) {
      for (std::int32_t k = 0; k < speciesCount; ++k) {
        if (coefficient(k, static_cast<std::int32_t>(j)) != 0) reactionSpecies.push_back(k);
      }
    }
    speciesBegin[j + 1] = static_cast<std::int32_t>(reactionSpecies.size());
  }

  partnerBegin_.assign(species + 1, 0);
  pairBegin_.push_back(0);
  std::vector<std::pair<std::int32_t, std::int32_t>> shared;  // (partner, entry of X)
  for (std::size_t x = 0; x < species; ++x) {
    shared.clear();
    for (std::int32_t e = reactionBegin_[x]; e < reactionBegin_[x + 1]; ++e) {
      const std::int32_t j = entryReaction_[e];
      for (std::int32_t s = speciesBegin[j]; s < speciesBegin[j + 1]; ++s) {
        if (reactionSpecies[s] != static_cast<std::int32_t>(x)) {
          shared.emplace_back(reactionSpecies[s], e);
        }
      }
    }
    // Entries were appended in ascending order, so the stable sort keeps them so per partner.
    std::stable_sort(shared.begin(), shared.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t s = 0; s < shared.size(); ++s) {
      if (s == 0 || shared[s].first != shared[s - 1].first) {
        if (s != 0) pairBegin_.push_back(static_cast<std::int32_t>(pairEntry_.size()));
        partnerSpecies_.push_back(shared[s].first);
      }
      pairEntry_.push_back(shared[s].second);
    }
    if (!shared.empty()) pairBegin_.push_back(static_cast<std::int32_t>(pairEntry_.size()));
    partnerBegin_[x + 1] = static_cast<std::int32_t>(partnerSpecies_.size());
  }

  const std::size_t slots = partnerSpecies_.size();
  forwardProgress_.assign(reactions, 0.0);
  reverseProgress_.assign(reactions, 0.0);
  entryFlux_.assign(entryReaction_.size(), 0.0);
  firstDivisor_.assign(species, 0.0);
  secondDivisor_.assign(species, 0.0);
  pairConsumption_.assign(slots, 0.0);
  pairProduction_.assign(slots, 0.0);
  infiniteSourceCount_.assign(species, 0);
  infiniteSource_.assign(species, 0);
  secondConsumption_.assign(species, 0.0);
  secondProduction_.assign(species, 0.0);
  directConsumption_.assign(species, 0.0);
  directProduction_.assign(species, 0.0);
  touched_.assign((species + 63) / 64, 0);
  selected_.assign(species, 0);
  frontier_.assign(species, 0);
  nextFrontier_.assign(species, 0);
}

// One case on one scratch.
struct PathFluxPass {
  PathFluxScratch& s;
  double threshold;
  std::int32_t speciesCount;
  std::int32_t selectedCount = 0;
  std::int32_t nextCount = 0;
  bool anyInfinite = false;

  // Fills f(X, j), the divisors and the coefficients of every pair.
  void formCoefficients(std::span<const double> forwardProgress,
                        std::span<const double> reverseProgress) {
    for (std::int32_t x = 0; x < speciesCount; ++x) {
      double production = 0.0;
      double consumption = 0.0;
      for (std::int32_t e = s.reactionBegin_[x]; e < s.reactionBegin_[x + 1]; ++e) {
        const std::int32_t j = s.entryReaction_[e];
        const double flux = (forwardProgress[j] - reverseProgress[j]) * s.entryNu_[e];
        s.entryFlux_[e] = flux;
        if (flux > 0.0) {
          production += flux;
        } else if (flux < 0.0) {
          consumption += flux;
        }
      }
      const double largest = std::max(std::abs(consumption), std::abs(production));
      if (!std::isfinite(largest)) anyInfinite = true;
      s.firstDivisor_[x] = largest + kFirstGenerationFloor;
      s.secondDivisor_[x] = largest + kSecondGenerationFloor;

      for (std::int32_t p = s.partnerBegin_[x]; p < s.partnerBegin_[x + 1]; ++p) {
        double pairProduction = 0.0;
        double pairConsumption = 0.0;
        for (std::int32_t k = s.pairBegin_[p]; k < s.pairBegin_[p + 1]; ++k) {
          const double flux = s.entryFlux_[s.pairEntry_[k]];
          if (flux > 0.0) {
            pairProduction += flux;
          } else if (flux < 0.0) {
            pairConsumption += flux;
          }
        }
        s.pairProduction_[p] = std::abs(pairProduction);
        s.pairConsumption_[p] = std::abs(pairConsumption);
      }
    }
    if (!anyInfinite) return;
    // An infinite C(M, B) or P(M, B) makes the term of M in R(A, B) NaN for every A != M,
    // whatever rcon(A, M) is.
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    std::fill_n(s.infiniteSourceCount_.begin(), speciesCount, 0);
    for (std::int32_t m = 0; m < speciesCount; ++m) {
      for (std::int32_t p = s.partnerBegin_[m]; p < s.partnerBegin_[m + 1]; ++p) {
        if (s.pairConsumption_[p] == kInfinity || s.pairProduction_[p] == kInfinity) {
          const std::int32_t b = s.partnerSpecies_[p];
          ++s.infiniteSourceCount_[b];
          s.infiniteSource_[b] = m;
        }
      }
    }
  }

  // R(A, B) is NaN because some M other than A has an infinite coefficient with B.
  bool poisoned(std::int32_t b, std::int32_t a) const {
    if (!anyInfinite) return false;
    const std::int32_t count = s.infiniteSourceCount_[b];
    return count > 1 || (count == 1 && s.infiniteSource_[b] != a);
  }

  void select(std::int32_t b) {
    s.selected_[b] = 1;
    s.nextFrontier_[nextCount++] = b;
    ++selectedCount;
  }

  void expand(std::int32_t a) {
    if (selectedCount == speciesCount) return;
    const double d1 = s.firstDivisor_[a];
    const std::int32_t partnersBegin = s.partnerBegin_[a];
    const std::int32_t partnersEnd = s.partnerBegin_[a + 1];
    if (anyInfinite && !std::isfinite(d1)) {
      // inf / inf: rcon(A, M) or rpro(A, M) is NaN, and with it R(A, B) for every B.
      constexpr double kInfinity = std::numeric_limits<double>::infinity();
      for (std::int32_t p = partnersBegin; p < partnersEnd; ++p) {
        if (s.pairConsumption_[p] == kInfinity || s.pairProduction_[p] == kInfinity) return;
      }
    }
    if (0.0 > threshold) {
      // Every R(A, B) is at least +0.0, so every B whose R is not NaN is kept.
      for (std::int32_t b = 0; b < speciesCount; ++b) {
        if (b != a && !s.selected_[b] && !poisoned(b, a)) select(b);
      }
      return;
    }
    if (std::isnan(threshold)) return;

    // First generation: R(A, B) of a B that is no partner of A starts from +0.0.
    for (std::int32_t p = partnersBegin; p < partnersEnd; ++p) {
      const std::int32_t b = s.partnerSpecies_[p];
      if (s.selected_[b]) continue;
      s.directConsumption_[b] = s.pairConsumption_[p] / d1;
      s.directProduction_[b] = s.pairProduction_[p] / d1;
      s.touched_[static_cast<std::size_t>(b) >> 6] |= std::uint64_t{1} << (b & 63);
    }

    // Second generation, scattered from each M in ascending order.
    for (std::int32_t p = partnersBegin; p < partnersEnd; ++p) {
      const double consumptionShare = s.pairConsumption_[p] / d1;
      const double productionShare = s.pairProduction_[p] / d1;
      if (consumptionShare == 0.0 && productionShare == 0.0) continue;
      const std::int32_t m = s.partnerSpecies_[p];
      const double d2 = s.secondDivisor_[m];
      for (std::int32_t q = s.partnerBegin_[m]; q < s.partnerBegin_[m + 1]; ++q) {
        const std::int32_t b = s.partnerSpecies_[q];
        if (b == a || s.selected_[b]) continue;
        bool added = false;
        const double consumption = s.pairConsumption_[q];
        if (consumptionShare != 0.0 && consumption != 0.0) {
          s.secondConsumption_[b] += consumption * consumptionShare / d2;
          added = true;
        }
        const double production = s.pairProduction_[q];
        if (productionShare != 0.0 && production != 0.0) {
          s.secondProduction_[b] += production * productionShare / d2;
          added = true;
        }
        if (added) s.touched_[static_cast<std::size_t>(b) >> 6] |= std::uint64_t{1} << (b & 63);
      }
    }

    // Decisions in ascending B, which is also the order of discovery.
    for (std::size_t w = 0; w < s.touched_.size(); ++w) {
      std::uint64_t bits = s.touched_[w];
      s.touched_[w] = 0;
      while (bits != 0) {
        const auto b = static_cast<std::int32_t>(w * 64 + std::countr_zero(bits));
        bits &= bits - 1;
        const double consumption = s.secondConsumption_[b] + s.directConsumption_[b];
        const double production = s.secondProduction_[b] + s.directProduction_[b];
        const double coefficient = consumption + production;
        s.secondConsumption_[b] = 0.0;
        s.secondProduction_[b] = 0.0;
        s.directConsumption_[b] = 0.0;
        s.directProduction_[b] = 0.0;
        if (coefficient > threshold && !poisoned(b, a)) select(b);
      }
    }
  }
  static void run(std::int32_t NS, std::int32_t NR, std::int32_t caseNumber,
                  std::span<const double> forwardProgress, std::span<const double> reverseProgress,
                  std::int32_t speciesCount, std::int32_t startCount,
                  std::span<const std::int32_t> startSpecies, double threshold,
                  std::int32_t& KeptCount, std::span<std::int32_t> KeptFlags,
                  std::span<std::int32_t> KeptList, PathFluxScratch& scratch,
                  common::Console& console) {
    if (speciesCount != scratch.speciesCount_ || NS != scratch.speciesDimension_ ||
        NR != scratch.reactionDimension_) {
      console.line(kScratchMismatch);
      common::stopRun(false);
    }

    PathFluxPass pass{scratch, threshold, speciesCount};
    std::fill_n(scratch.selected_.begin(), speciesCount, std::uint8_t{0});
    std::int32_t frontierCount = 0;
    for (std::int32_t i = 0; i < startCount; ++i) {
      const std::int32_t k = startSpecies[i] - 1;
      if (scratch.selected_[k]) continue;
      scratch.selected_[k] = 1;
      scratch.frontier_[frontierCount++] = k;
    }
    pass.selectedCount = frontierCount;

    KeptCount = 0;
    if (frontierCount > 0) pass.formCoefficients(forwardProgress, reverseProgress);
    while (frontierCount > 0) {
      pass.nextCount = 0;
      for (std::int32_t f = 0; f < frontierCount; ++f) pass.expand(scratch.frontier_[f]);
      KeptCount += frontierCount;
      std::swap(scratch.frontier_, scratch.nextFrontier_);
      frontierCount = pass.nextCount;
    }

    const auto row = static_cast<std::size_t>(caseNumber - 1) * static_cast<std::size_t>(NS);
    std::int32_t listed = 0;
    for (std::int32_t k = 0; k < speciesCount; ++k) {
      const bool kept = scratch.selected_[k] != 0;
      KeptFlags[row + k] = kept ? -1 : 0;
      if (kept) KeptList[row + listed++] = k + 1;
    }
  }

  static std::span<double> forwardRates(PathFluxScratch& scratch) {
    return scratch.forwardProgress_;
  }
  static std::span<double> reverseRates(PathFluxScratch& scratch) {
    return scratch.reverseProgress_;
  }
};

void SelectFromRates(std::int32_t stoichDimension, std::int32_t NS, std::int32_t NR,
                     std::int32_t caseDimension, std::int32_t caseNumber,
                     std::span<const double> forwardProgress,
                     std::span<const double> reverseProgress, std::int32_t speciesCount,
                     std::int32_t startCount, std::span<const std::int32_t> startSpecies,
                     double threshold, std::span<const std::int32_t> StoichiometryMatrix,
                     std::span<const std::int32_t> SpeciesReactionIndex, std::int32_t& KeptCount,
                     std::span<std::int32_t> KeptFlags, std::span<std::int32_t> KeptList,
                     PathFluxScratch& scratch, common::Console& console) {
  // The scratch carries the tables; these stay in the call for the driver's calling pattern.
  static_cast<void>(stoichDimension);
  static_cast<void>(caseDimension);
  static_cast<void>(StoichiometryMatrix);
  static_cast<void>(SpeciesReactionIndex);
  PathFluxPass::run(NS, NR, caseNumber, forwardProgress, reverseProgress, speciesCount, startCount,
                    startSpecies, threshold, KeptCount, KeptFlags, KeptList, scratch, console);
}

void PathFluxSelect(std::int32_t stoichDimension, std::int32_t NS, std::int32_t NR,
                    std::int32_t caseDimension, std::int32_t caseNumber,
                    std::span<const std::int32_t> IKWORK, std::span<double> RKWORK, double pressure,
                    double temperature, std::span<const double> massFractions,
                    std::int32_t speciesCount, std::int32_t startCount,
                    std::span<const std::int32_t> startSpecies, double threshold,
                    std::span<const std::int32_t> StoichiometryMatrix,
                    std::span<const std::int32_t> SpeciesReactionIndex, std::int32_t& KeptCount,
                    std::span<std::int32_t> KeptFlags, std::span<std::int32_t> KeptList,
                    PathFluxScratch& scratch, common::Console& console) {
  const std::array<double, 4> temperatures{temperature, temperature, temperature, temperature};
  const std::span<double> forwardProgress = PathFluxPass::forwardRates(scratch);
  const std::span<double> reverseProgress = PathFluxPass::reverseRates(scratch);
  CaseRates(static_cast<std::int32_t>(temperatures.size()), pressure, temperatures, massFractions,
            IKWORK, RKWORK, forwardProgress, reverseProgress, console);
  SelectFromRates(stoichDimension, NS, NR, caseDimension, caseNumber, forwardProgress,
                  reverseProgress, speciesCount, startCount, startSpecies, threshold,
                  StoichiometryMatrix, SpeciesReactionIndex, KeptCount, KeptFlags, KeptList,
                  scratch, console);
}

}  // namespace analysis
