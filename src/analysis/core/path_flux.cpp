#include "analysis/core/path_flux.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/core/rate_kernel.h"

// The coefficients of a case.
//
// With q(j) the net rate of reaction j and f(X, j) = q(j) nu(X, j), the pair coefficients
// |C(X, Y)| and |P(X, Y)| sum the negative (positive) f(X, j) in ascending j over the reactions
// of X in which Y has a non-zero coefficient. They are zero unless X and Y share a reaction, so
// each species keeps its partners in ascending order and, per partner (a "slot"), the shared
// entries of its reaction row. One pass per case fills every slot with the very sums the full
// evaluation forms. A term that enters neither sum is added as +0.0 instead of being skipped:
// that leaves every sum as it is (they start at +0.0) and spares an unpredictable branch.
//
// Exact sums. For a frontier species A the second-generation sum of a candidate B runs over M
// in ascending order with terms (|C(M, B)| rcon(A, M)) / D2(M). Every term is +0.0 or
// positive, and adding +0.0 to a non-negative sum changes nothing, so only the M with
// rcon(A, M) != 0 and C(M, B) != 0 need to be visited: the partners of B, in ascending order,
// that are also partners of A. That gives R(A, B) bit for bit, at the cost of two divisions
// per shared partner. Forming it for every B near A ("scatter", expandExactly) costs the
// partners of the partners of every frontier species, which is most of a case.
//
// Estimates. Almost every decision is far from the threshold t, so expandWithEstimates first
// estimates R(A, B) with products only: rcon(A, M) ~ |C(A, M)| (1 / D1(A)) and
// |C(M, B)| / D2(M) ~ |C(M, B)| (1 / D2(M)) (the "shares" of a slot). Each estimate is the
// same sum of non-negative terms rounded differently, and the sums have at most N + 8
// roundings, so estimate and exact value differ by far less than the relative margin kMargin
// plus the absolute kUnderflow (which covers subnormal terms). Only the pairs (M, B) with a
// share of at least delta = t / (8 (largest reaction - 1)) are carried ("heavy" pairs), and only
// the M whose largest possible contribution is at least kappa = t / (4 partners of A) are
// visited. What is left out is bounded by `slack`: delta times the sum of A's first-generation
// shares, which is at most 2 (largest reaction - 1), plus the bounds of the M left out; so
// slack stays below t / 2. A B whose estimate plus slack, widened by the margins, does not
// exceed t is not kept; one whose estimate alone, narrowed by the margins, exceeds t is kept.
// Between the two, a full estimate over all of B's partners decides, and when even that lies
// within the margins of t the exact sum does. So the decisions, and with them the kept sets,
// are those of the full evaluation.
//
// Critical values. Since R(A, B) does not depend on what is already kept, B is kept at t
// exactly when a chain of links above t leads to it, so one widest-path search per case gives
// every threshold's kept set: species leave a max-heap in decreasing order of their best
// bottleneck value. The same estimates decide, with each candidate's current value as its
// threshold (never below the floor they were built for), which links cannot raise it; only the
// others take the exact sum, the very value the selection compares with t.
//
// Non-finite coefficients. With infinite rates a divisor can be infinite, and then a skipped
// term would have been 0 x inf or x / inf with x infinite, that is NaN; a NaN anywhere in
// R(A, B) means B is not kept. Such cases take the exact path, which recognises them from the
// pairs with an infinite coefficient (see `poisoned`), so that even then the kept sets are the
// same.

namespace analysis {

namespace {

// 1.0e-12 and 1.0e-13 held in single precision, as the reference stores them.
constexpr double kFirstGenerationFloor = static_cast<double>(1.0e-12f);
constexpr double kSecondGenerationFloor = static_cast<double>(1.0e-13f);
static_assert(kFirstGenerationFloor == 9.999999960041972e-13);
static_assert(kSecondGenerationFloor == 9.9999998245167e-14);

// Error bounds of an estimate against the exact sum: relative (rounding, about
// (N + 8) x 1.1e-16 for N species) and absolute (a product that underflows errs by 5e-324 at
// most and is then divided by a divisor of at least 1.0e-13: under 1.0e-305 for all terms).
constexpr double kMargin = 1.0e-9;
constexpr double kUnderflow = 1.0e-300;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// condition ? value : +0.0, without a branch.
inline double keepIf(bool condition, double value) {
  const std::uint64_t mask = std::uint64_t{0} - static_cast<std::uint64_t>(condition);
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(value) & mask);
}

constexpr std::string_view kScratchMismatch =
    " Path-flux scratch was made for another species or reaction dimension.";

}  // namespace

struct PathFluxScratch::Storage {
  // Kept side by side so that both sums can advance in one vector operation; each is still an
  // ordinary IEEE sum.
  struct Terms {
    double production = 0.0;
    double consumption = 0.0;
  };

  std::int32_t speciesDimension = 0;
  std::int32_t reactionDimension = 0;
  std::int32_t speciesCount = 0;
  std::int32_t largestReaction = 0;  // most species with a non-zero coefficient in a reaction

  // Per species X (0-based), the reactions of its index row: entries
  // reactionBegin[X] .. reactionBegin[X + 1] of entryReaction (0-based) and entryNu.
  std::vector<std::int32_t> reactionBegin;
  std::vector<std::int32_t> entryReaction;
  std::vector<double> entryNu;
  std::vector<std::int32_t> listedReactions;  // every reaction of some index row, ascending

  // Per species X, the slots partnerBegin[X] .. partnerBegin[X + 1]: partner species
  // ascending; mirror[p] the slot of (Y, X). The entries of X whose reaction holds Y are summed
  // into the slot of (X, Y) in ascending order. The slots are gathered in groups of equal entry
  // count (group g: slots gatherSlotBegin[g] .. gatherSlotBegin[g + 1] of gatherSlot, each with
  // gatherCount[g] entries, listed one slot after the other in gatherEntry), so that the loop
  // lengths repeat and the sums of different slots do not wait for each other.
  std::vector<std::int32_t> partnerBegin;
  std::vector<std::int32_t> partnerSpecies;
  std::vector<std::int32_t> mirror;
  std::vector<std::int32_t> gatherCount;
  std::vector<std::int32_t> gatherSlotBegin;
  std::vector<std::int32_t> gatherSlot;
  std::vector<std::int32_t> gatherEntry;

  // Per case.
  std::vector<double> forwardProgress;
  std::vector<double> reverseProgress;
  std::vector<double> netRate;        // q(j)
  std::vector<Terms> entryTerms;      // f(X, j) if positive (negative), else +0.0, per entry
  std::vector<double> firstDivisor;   // D1 per species
  std::vector<double> secondDivisor;  // D2 per species
  std::vector<Terms> pairs;           // |P(X, Y)| and |C(X, Y)| per slot
  std::vector<std::int32_t> infiniteSourceCount;
  std::vector<std::int32_t> infiniteSource;
  // For the estimates: per species 1 / D1, 1 / D2 and the largest shares; per species X the
  // heavy pairs, with their shares, in slots partnerBegin[X] .. heavyEnd[X].
  std::vector<double> firstInverse;
  std::vector<double> secondInverse;
  std::vector<double> largestConsumptionShare;
  std::vector<double> largestProductionShare;
  std::vector<std::int32_t> heavyEnd;
  std::vector<std::int32_t> heavySpecies;
  std::vector<double> heavyConsumption;
  std::vector<double> heavyProduction;

  // Per frontier species A, dense over species and zero outside A's partners: rcon(A, .) and
  // rpro(A, .) exactly and as estimates; the sums per candidate B (zero for every unselected
  // B between frontier species; what a selected B holds is never read); the candidates as a
  // bit set.
  std::vector<double> firstConsumption;
  std::vector<double> firstProduction;
  std::vector<double> estimatedConsumption;
  std::vector<double> estimatedProduction;
  std::vector<double> secondConsumption;
  std::vector<double> secondProduction;
  std::vector<double> estimate;
  std::vector<std::int32_t> visited;  // slots (A, M) of the M whose heavy pairs are added
  std::vector<std::uint64_t> touched;

  // Breadth-first state.
  std::vector<std::uint8_t> selected;
  std::vector<std::int32_t> frontier;
  std::vector<std::int32_t> nextFrontier;

  // Critical values: the best value found so far per species (final once `selected`) and the
  // max-heap of (value, species), stale entries left in place.
  std::vector<double> critical;
  std::vector<std::pair<double, std::int32_t>> heap;
};

PathFluxScratch::PathFluxScratch(std::int32_t NS, std::int32_t NR,
                                 std::span<const std::int32_t> StoichiometryMatrix,
                                 std::int32_t stoichDimension,
                                 std::span<const std::int32_t> SpeciesReactionIndex,
                                 std::int32_t speciesCount)
    : storage_(std::make_unique<Storage>()) {
  Storage& work = *storage_;
  work.speciesDimension = NS;
  work.reactionDimension = NR;
  work.speciesCount = speciesCount;
  const auto species = static_cast<std::size_t>(std::max(speciesCount, 0));
  const auto reactions = static_cast<std::size_t>(std::max(NR, 0));
  const auto indexRow = static_cast<std::size_t>(NR) + 1;
  auto coefficient = [&](std::int32_t k, std::int32_t j) {  // 0-based species and reaction
    return StoichiometryMatrix[static_cast<std::size_t>(k) +
                               static_cast<std::size_t>(j) *
                                   static_cast<std::size_t>(stoichDimension)];
  };

  work.reactionBegin.assign(species + 1, 0);
  std::vector<std::uint8_t> listed(reactions, 0);
  for (std::size_t x = 0; x < species; ++x) {
    const std::int32_t count = SpeciesReactionIndex[x * indexRow];
    for (std::int32_t c = 0; c < count; ++c) {
      const std::int32_t j = SpeciesReactionIndex[x * indexRow + 1 + c] - 1;
      work.entryReaction.push_back(j);
      work.entryNu.push_back(static_cast<double>(coefficient(static_cast<std::int32_t>(x), j)));
      listed[j] = 1;
    }
    work.reactionBegin[x + 1] = static_cast<std::int32_t>(work.entryReaction.size());
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
    if (listed[j]) work.listedReactions.push_back(static_cast<std::int32_t>(j));
    speciesBegin[j + 1] = static_cast<std::int32_t>(reactionSpecies.size());
    work.largestReaction = std::max(work.largestReaction, speciesBegin[j + 1] - speciesBegin[j]);
  }

  work.partnerBegin.assign(species + 1, 0);
  std::vector<std::int32_t> partners;
  for (std::size_t x = 0; x < species; ++x) {
    partners.clear();
    for (std::int32_t e = work.reactionBegin[x]; e < work.reactionBegin[x + 1]; ++e) {
      const std::int32_t j = work.entryReaction[e];
      for (std::int32_t r = speciesBegin[j]; r < speciesBegin[j + 1]; ++r) {
        if (reactionSpecies[r] != static_cast<std::int32_t>(x))
          partners.push_back(reactionSpecies[r]);
      }
    }
    std::sort(partners.begin(), partners.end());
    partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
    work.partnerSpecies.insert(work.partnerSpecies.end(), partners.begin(), partners.end());
    work.partnerBegin[x + 1] = static_cast<std::int32_t>(work.partnerSpecies.size());
  }
  auto slotOf = [&](std::int32_t x, std::int32_t y) {
    const auto begin = work.partnerSpecies.begin() + work.partnerBegin[x];
    const auto end = work.partnerSpecies.begin() + work.partnerBegin[x + 1];
    return static_cast<std::int32_t>(std::lower_bound(begin, end, y) - work.partnerSpecies.begin());
  };
  // Every (entry of X, other species Y of its reaction), taken by X, then entry, and filed
  // under the slot of (X, Y): each slot's entries come out ascending.
  std::vector<std::int32_t> incidenceEntry;
  std::vector<std::int32_t> incidenceSlot;
  for (std::int32_t x = 0; x < speciesCount; ++x) {
    for (std::int32_t e = work.reactionBegin[x]; e < work.reactionBegin[x + 1]; ++e) {
      const std::int32_t j = work.entryReaction[e];
      for (std::int32_t r = speciesBegin[j]; r < speciesBegin[j + 1]; ++r) {
        if (reactionSpecies[r] == x) continue;
        incidenceEntry.push_back(e);
        incidenceSlot.push_back(slotOf(x, reactionSpecies[r]));
      }
    }
  }
  const std::size_t slotCount = work.partnerSpecies.size();
  std::vector<std::int32_t> slotEntryBegin(slotCount + 1, 0);
  for (const std::int32_t p : incidenceSlot) ++slotEntryBegin[p + 1];
  for (std::size_t p = 0; p < slotCount; ++p) slotEntryBegin[p + 1] += slotEntryBegin[p];
  std::vector<std::int32_t> slotEntries(incidenceEntry.size());
  {
    std::vector<std::int32_t> fill(slotEntryBegin.begin(), slotEntryBegin.end() - 1);
    for (std::size_t i = 0; i < incidenceEntry.size(); ++i) {
      slotEntries[fill[incidenceSlot[i]]++] = incidenceEntry[i];
    }
  }
  std::vector<std::int32_t> bySize(slotCount);
  for (std::size_t p = 0; p < slotCount; ++p) bySize[p] = static_cast<std::int32_t>(p);
  auto entryCount = [&](std::int32_t p) { return slotEntryBegin[p + 1] - slotEntryBegin[p]; };
  std::stable_sort(bySize.begin(), bySize.end(),
                   [&](std::int32_t l, std::int32_t r) { return entryCount(l) < entryCount(r); });
  for (std::size_t n = 0; n < slotCount; ++n) {
    const std::int32_t p = bySize[n];
    if (work.gatherCount.empty() || work.gatherCount.back() != entryCount(p)) {
      work.gatherCount.push_back(entryCount(p));
      work.gatherSlotBegin.push_back(static_cast<std::int32_t>(n));
    }
    work.gatherSlot.push_back(p);
    work.gatherEntry.insert(work.gatherEntry.end(), slotEntries.begin() + slotEntryBegin[p],
                            slotEntries.begin() + slotEntryBegin[p + 1]);
  }
  work.gatherSlotBegin.push_back(static_cast<std::int32_t>(slotCount));

  // X and Y share a reaction exactly when Y and X do, so every slot has its mirror.
  const std::size_t slots = work.partnerSpecies.size();
  work.mirror.assign(slots, 0);
  for (std::int32_t x = 0; x < speciesCount; ++x) {
    for (std::int32_t p = work.partnerBegin[x]; p < work.partnerBegin[x + 1]; ++p) {
      work.mirror[p] = slotOf(work.partnerSpecies[p], x);
    }
  }

  work.forwardProgress.assign(reactions, 0.0);
  work.reverseProgress.assign(reactions, 0.0);
  work.netRate.assign(reactions, 0.0);
  work.entryTerms.assign(work.entryReaction.size(), {});
  work.firstDivisor.assign(species, 0.0);
  work.secondDivisor.assign(species, 0.0);
  work.pairs.assign(slots, {});
  work.infiniteSourceCount.assign(species, 0);
  work.infiniteSource.assign(species, 0);
  work.firstInverse.assign(species, 0.0);
  work.largestConsumptionShare.assign(species, 0.0);
  work.largestProductionShare.assign(species, 0.0);
  work.secondInverse.assign(species, 0.0);
  work.heavyEnd.assign(species, 0);
  work.heavySpecies.assign(slots, 0);
  work.heavyConsumption.assign(slots, 0.0);
  work.heavyProduction.assign(slots, 0.0);
  work.firstConsumption.assign(species, 0.0);
  work.firstProduction.assign(species, 0.0);
  work.estimatedConsumption.assign(species, 0.0);
  work.estimatedProduction.assign(species, 0.0);
  work.secondConsumption.assign(species, 0.0);
  work.secondProduction.assign(species, 0.0);
  work.estimate.assign(species, 0.0);
  work.visited.assign(species, 0);
  work.touched.assign((species + 63) / 64, 0);
  work.selected.assign(species, 0);
  work.frontier.assign(species, 0);
  work.nextFrontier.assign(species, 0);
  work.critical.assign(species, 0.0);
  work.heap.reserve(species);
}

PathFluxScratch::~PathFluxScratch() = default;
PathFluxScratch::PathFluxScratch(PathFluxScratch&&) noexcept = default;
PathFluxScratch& PathFluxScratch::operator=(PathFluxScratch&&) noexcept = default;

// One case on one scratch.
struct PathFluxPass {
  PathFluxScratch::Storage& work;  // the scratch of the mechanism
  double threshold;
  std::int32_t speciesCount;
  std::int32_t selectedCount = 0;
  std::int32_t nextCount = 0;
  bool anyInfinite = false;
  bool estimated = false;   // decisions go through the estimates
  double heavyShare = 0.0;  // delta

  static PathFluxScratch::Storage& storage(PathFluxScratch& scratch) { return *scratch.storage_; }

  void touch(std::int32_t b) {
    work.touched[static_cast<std::size_t>(b) >> 6] |= std::uint64_t{1} << (b & 63);
  }

  // touch(b) if `condition`, without a branch.
  void touchIf(std::int32_t b, bool condition) {
    work.touched[static_cast<std::size_t>(b) >> 6] |= static_cast<std::uint64_t>(condition)
                                                      << (b & 63);
  }

  void select(std::int32_t b) {
    work.selected[b] = 1;
    work.nextFrontier[nextCount++] = b;
    ++selectedCount;
  }

  // Fills f(X, j), the divisors and the coefficients of every slot, and what the estimates
  // need.
  void formCoefficients(std::span<const double> forwardProgress,
                        std::span<const double> reverseProgress) {
    for (const std::int32_t j : work.listedReactions) {
      work.netRate[j] = forwardProgress[j] - reverseProgress[j];
    }
    const double* netRate = work.netRate.data();
    const std::int32_t* entryReaction = work.entryReaction.data();
    const double* entryNu = work.entryNu.data();
    PathFluxScratch::Storage::Terms* entryTerms = work.entryTerms.data();
    for (std::int32_t x = 0; x < speciesCount; ++x) {
      double production = 0.0;
      double consumption = 0.0;
      const std::int32_t entryEnd = work.reactionBegin[x + 1];
      for (std::int32_t e = work.reactionBegin[x]; e < entryEnd; ++e) {
        const double flux = netRate[entryReaction[e]] * entryNu[e];
        // flux > 0.0 ? flux : +0.0 and flux < 0.0 ? flux : +0.0 (a NaN flux gives +0.0 to
        // both), as masks: the sign of a flux follows no pattern a branch could learn.
        const double positive = keepIf(flux > 0.0, flux);
        const double negative = keepIf(flux < 0.0, flux);
        entryTerms[e] = {positive, negative};
        production += positive;
        consumption += negative;
      }
      const double largest = std::max(std::abs(consumption), std::abs(production));
      if (!std::isfinite(largest)) anyInfinite = true;
      work.firstDivisor[x] = largest + kFirstGenerationFloor;
      work.secondDivisor[x] = largest + kSecondGenerationFloor;
    }

    const std::int32_t* entry = work.gatherEntry.data();
    const PathFluxScratch::Storage::Terms* terms = work.entryTerms.data();
    for (std::size_t g = 0; g < work.gatherCount.size(); ++g) {
      const std::int32_t count = work.gatherCount[g];
      for (std::int32_t n = work.gatherSlotBegin[g]; n < work.gatherSlotBegin[g + 1]; ++n) {
        double production = 0.0;
        double consumption = 0.0;
        for (std::int32_t c = 0; c < count; ++c) {
          const auto& term = terms[entry[c]];
          production += term.production;
          consumption += term.consumption;
        }
        entry += count;
        work.pairs[work.gatherSlot[n]] = {production, std::abs(consumption)};
      }
    }

    estimated = !anyInfinite && threshold > 0.0 && threshold < kInfinity;
    if (estimated) formShares();
    if (anyInfinite) countInfiniteSources();
  }

  void formShares() {
    heavyShare = threshold / (8.0 * std::max(work.largestReaction - 1, 1));
    for (std::int32_t m = 0; m < speciesCount; ++m) {
      work.firstInverse[m] = 1.0 / work.firstDivisor[m];
      const double inverse = 1.0 / work.secondDivisor[m];
      work.secondInverse[m] = inverse;
      double largestConsumption = 0.0;
      double largestProduction = 0.0;
      std::int32_t heavy = work.partnerBegin[m];
      for (std::int32_t p = work.partnerBegin[m]; p < work.partnerBegin[m + 1]; ++p) {
        const double consumption = work.pairs[p].consumption * inverse;
        const double production = work.pairs[p].production * inverse;
        largestConsumption = std::max(largestConsumption, consumption);
        largestProduction = std::max(largestProduction, production);
        work.heavySpecies[heavy] = work.partnerSpecies[p];
        work.heavyConsumption[heavy] = consumption;
        work.heavyProduction[heavy] = production;
        heavy += (consumption >= heavyShare) | (production >= heavyShare);
      }
      work.heavyEnd[m] = heavy;
      work.largestConsumptionShare[m] = largestConsumption;
      work.largestProductionShare[m] = largestProduction;
    }
  }

  // An infinite C(M, B) or P(M, B) makes the term of M in R(A, B) NaN for every A != M,
  // whatever rcon(A, M) is.
  void countInfiniteSources() {
    std::fill_n(work.infiniteSourceCount.begin(), speciesCount, 0);
    for (std::int32_t m = 0; m < speciesCount; ++m) {
      for (std::int32_t p = work.partnerBegin[m]; p < work.partnerBegin[m + 1]; ++p) {
        if (work.pairs[p].consumption == kInfinity || work.pairs[p].production == kInfinity) {
          const std::int32_t b = work.partnerSpecies[p];
          ++work.infiniteSourceCount[b];
          work.infiniteSource[b] = m;
        }
      }
    }
  }

  // R(A, B) is NaN because some M other than A has an infinite coefficient with B.
  bool poisoned(std::int32_t b, std::int32_t a) const {
    if (!anyInfinite) return false;
    const std::int32_t count = work.infiniteSourceCount[b];
    return count > 1 || (count == 1 && work.infiniteSource[b] != a);
  }

  // inf / inf: rcon(A, M) or rpro(A, M) is NaN, and with it R(A, B) for every B.
  bool linksNothing(std::int32_t a) const {
    if (!anyInfinite || std::isfinite(work.firstDivisor[a])) return false;
    for (std::int32_t p = work.partnerBegin[a]; p < work.partnerBegin[a + 1]; ++p) {
      if (work.pairs[p].consumption == kInfinity || work.pairs[p].production == kInfinity) {
        return true;
      }
    }
    return false;
  }

  void expand(std::int32_t a) {
    if (selectedCount == speciesCount) return;
    if (linksNothing(a)) return;
    if (0.0 > threshold) {
      // Every R(A, B) is at least +0.0, so every B whose R is not NaN is kept.
      for (std::int32_t b = 0; b < speciesCount; ++b) {
        if (b != a && !work.selected[b] && !poisoned(b, a)) select(b);
      }
      return;
    }
    if (!(threshold < kInfinity)) return;  // nothing exceeds +inf or NaN
    if (!estimated || !expandWithEstimates(a)) expandExactly(a);
  }

  // rcon(A, .) and rpro(A, .) as the full evaluation forms them.
  void formFirstGeneration(std::int32_t a) {
    const double d1 = work.firstDivisor[a];
    for (std::int32_t p = work.partnerBegin[a]; p < work.partnerBegin[a + 1]; ++p) {
      const std::int32_t m = work.partnerSpecies[p];
      work.firstConsumption[m] = work.pairs[p].consumption / d1;
      work.firstProduction[m] = work.pairs[p].production / d1;
    }
  }

  void clearFirstGeneration(std::int32_t a) {
    for (std::int32_t p = work.partnerBegin[a]; p < work.partnerBegin[a + 1]; ++p) {
      const std::int32_t m = work.partnerSpecies[p];
      work.firstConsumption[m] = 0.0;
      work.firstProduction[m] = 0.0;
    }
  }

  // Every R(A, B) of an unselected B, formed exactly by scattering each M's terms into its
  // partners, M ascending; `take(b, R)` for every B whose R may be non-zero, B ascending (every
  // other B has R(A, B) = +0.0).
  template <typename Take>
  void scatterExactly(std::int32_t a, Take take) {
    formFirstGeneration(a);
    for (std::int32_t p = work.partnerBegin[a]; p < work.partnerBegin[a + 1]; ++p) {
      const std::int32_t m = work.partnerSpecies[p];
      if (!work.selected[m]) touch(m);
      const double consumptionShare = work.firstConsumption[m];
      const double productionShare = work.firstProduction[m];
      if (consumptionShare == 0.0 && productionShare == 0.0) continue;
      const double d2 = work.secondDivisor[m];
      for (std::int32_t q = work.partnerBegin[m]; q < work.partnerBegin[m + 1]; ++q) {
        const std::int32_t b = work.partnerSpecies[q];
        if (b == a || work.selected[b]) continue;
        bool added = false;
        const double consumption = work.pairs[q].consumption;
        if (consumptionShare != 0.0 && consumption != 0.0) {
          work.secondConsumption[b] += consumption * consumptionShare / d2;
          added = true;
        }
        const double production = work.pairs[q].production;
        if (productionShare != 0.0 && production != 0.0) {
          work.secondProduction[b] += production * productionShare / d2;
          added = true;
        }
        if (added) touch(b);
      }
    }
    forEachTouched([&](std::int32_t b) {
      const double consumption = work.secondConsumption[b] + work.firstConsumption[b];
      const double production = work.secondProduction[b] + work.firstProduction[b];
      work.secondConsumption[b] = 0.0;
      work.secondProduction[b] = 0.0;
      take(b, consumption + production);
    });
    clearFirstGeneration(a);
  }

  void expandExactly(std::int32_t a) {
    scatterExactly(a, [&](std::int32_t b, double coefficient) {
      if (coefficient > threshold && !poisoned(b, a)) select(b);
    });
  }

  // The terms of the pair (M, B) at `slot` in R(A, B), skipping those that are +0.0.
  void addExactTerms(std::int32_t m, std::size_t slot, double& consumption,
                     double& production) const {
    const double d2 = work.secondDivisor[m];
    const double consumptionShare = work.firstConsumption[m];
    if (consumptionShare != 0.0 && work.pairs[slot].consumption != 0.0) {
      consumption += work.pairs[slot].consumption * consumptionShare / d2;
    }
    const double productionShare = work.firstProduction[m];
    if (productionShare != 0.0 && work.pairs[slot].production != 0.0) {
      production += work.pairs[slot].production * productionShare / d2;
    }
  }

  // R(A, B) of one B exactly: the partners M of B in ascending order are the only M whose
  // terms can be non-zero. Needs formFirstGeneration(a).
  double exactCoefficient(std::int32_t a, std::int32_t b) const {
    double consumption = 0.0;
    double production = 0.0;
    for (std::int32_t q = work.partnerBegin[b]; q < work.partnerBegin[b + 1]; ++q) {
      const std::int32_t m = work.partnerSpecies[q];
      if (m == a) continue;
      addExactTerms(m, static_cast<std::size_t>(work.mirror[q]), consumption, production);
    }
    return (consumption + work.firstConsumption[b]) + (production + work.firstProduction[b]);
  }

  // exactCoefficient, bit for bit, walking the partners of A when B has many more: the terms
  // are those of the M partnered with both, in the same ascending order.
  double exactCoefficientFromRow(std::int32_t a, std::int32_t b) const {
    const std::int32_t rowCount = work.partnerBegin[a + 1] - work.partnerBegin[a];
    if (4 * rowCount >= work.partnerBegin[b + 1] - work.partnerBegin[b]) {
      return exactCoefficient(a, b);
    }
    const std::int32_t* species = work.partnerSpecies.data();
    double consumption = 0.0;
    double production = 0.0;
    for (std::int32_t p = work.partnerBegin[a]; p < work.partnerBegin[a + 1]; ++p) {
      const std::int32_t m = species[p];
      if (m == a) continue;
      const std::int32_t* begin = species + work.partnerBegin[m];
      const std::int32_t* end = species + work.partnerBegin[m + 1];
      const std::int32_t* found = std::lower_bound(begin, end, b);
      if (found == end || *found != b) continue;
      addExactTerms(m, static_cast<std::size_t>(found - species), consumption, production);
    }
    return (consumption + work.firstConsumption[b]) + (production + work.firstProduction[b]);
  }

  // An estimate of R(A, B) over all partners of B. Needs the estimated rows of A.
  double fullEstimate(std::int32_t a, std::int32_t b) const {
    double sum = work.estimatedConsumption[b] + work.estimatedProduction[b];
    for (std::int32_t q = work.partnerBegin[b]; q < work.partnerBegin[b + 1]; ++q) {
      const std::int32_t m = work.partnerSpecies[q];
      if (m == a) continue;
      const std::int32_t slot = work.mirror[q];
      sum += work.estimatedConsumption[m] * (work.pairs[slot].consumption * work.secondInverse[m]) +
             work.estimatedProduction[m] * (work.pairs[slot].production * work.secondInverse[m]);
    }
    return sum;
  }

  // The estimates of R(A, B) for every B within reach of A, and the slack that bounds what
  // they leave out: the first generation from A's pair rows, the second through the partners
  // of A worth visiting. False, having changed nothing, when the threshold is too small for
  // that slack.
  bool estimateFrom(std::int32_t a, double& slack) {
    const std::int32_t begin = work.partnerBegin[a];
    const std::int32_t end = work.partnerBegin[a + 1];
    const double inverse = work.firstInverse[a];
    const double visitShare = threshold / (4.0 * std::max(end - begin, 1));  // kappa
    // delta and kappa keep slack below t / 2; partners are made candidates on that bound, before
    // the slack itself is known.
    const double slackBound = 0.5 * threshold * (1.0 + kMargin);
    double shareSum = 0.0;
    double leftOut = 0.0;
    std::int32_t visitCount = 0;
    for (std::int32_t p = begin; p < end; ++p) {
      const std::int32_t m = work.partnerSpecies[p];
      const double consumption = work.pairs[p].consumption * inverse;
      const double production = work.pairs[p].production * inverse;
      work.estimatedConsumption[m] = consumption;
      work.estimatedProduction[m] = production;
      shareSum += consumption + production;
      // The first-generation part of an estimate is read from these rows; a partner that only
      // it could keep is a candidate here, one that the second generation reaches below.
      touchIf(m, !work.selected[m] &
                     ((consumption + production + slackBound) * (1.0 + kMargin) + kUnderflow >
                      threshold));
      const double reach = consumption * work.largestConsumptionShare[m] +
                           production * work.largestProductionShare[m];
      // The M to visit are listed first and visited after, in the same order, so that this
      // loop does not branch on them (adding +0.0 leaves leftOut as it is).
      const bool visit = !(reach < visitShare);
      leftOut += keepIf(!visit, reach);
      work.visited[visitCount] = p;
      visitCount += visit;
    }
    for (std::int32_t v = 0; v < visitCount; ++v) {
      const std::int32_t p = work.visited[v];
      const std::int32_t m = work.partnerSpecies[p];
      const double consumption = work.estimatedConsumption[m];
      const double production = work.estimatedProduction[m];
      // A selected B is never decided again in this case: its pair leaves the list (A is
      // selected too). Whether B is selected follows no pattern, so nothing here branches on
      // it: every pair is added and copied down over the dropped ones, and only the unselected
      // B are marked. The estimate of a selected B is never read again and is cleared when the
      // case begins.
      const std::int32_t heavyEnd = work.heavyEnd[m];
      std::int32_t kept = work.partnerBegin[m];
      for (std::int32_t h = kept; h < heavyEnd; ++h) {
        const std::int32_t b = work.heavySpecies[h];
        const double heavyConsumption = work.heavyConsumption[h];
        const double heavyProduction = work.heavyProduction[h];
        work.estimate[b] += consumption * heavyConsumption + production * heavyProduction;
        const bool open = !work.selected[b];
        touchIf(b, open);
        work.heavySpecies[kept] = b;
        work.heavyConsumption[kept] = heavyConsumption;
        work.heavyProduction[kept] = heavyProduction;
        kept += open;
      }
      work.heavyEnd[m] = kept;
    }
    slack = heavyShare * shareSum + leftOut;
    if (!(slack <= slackBound && slack * (1.0 + kMargin) + kUnderflow <= threshold)) {
      forEachTouched([&](std::int32_t b) { work.estimate[b] = 0.0; });
      clearEstimatedRows(a);
      return false;
    }
    return true;
  }

  // Decides every B for A from estimates; returns false, having changed nothing, when the
  // threshold is too small for the bounds to settle the B that no estimate reaches.
  bool expandWithEstimates(std::int32_t a) {
    double slack = 0.0;
    if (!estimateFrom(a, slack)) return false;

    bool exactRow = false;
    forEachTouched([&](std::int32_t b) {
      const double estimate =
          work.estimate[b] + (work.estimatedConsumption[b] + work.estimatedProduction[b]);
      work.estimate[b] = 0.0;
      if ((estimate + slack) * (1.0 + kMargin) + kUnderflow <= threshold) return;
      bool keep = estimate * (1.0 - kMargin) - kUnderflow > threshold;
      if (!keep) {
        const double full = fullEstimate(a, b);
        if (full * (1.0 + kMargin) + kUnderflow <= threshold) return;
        keep = full * (1.0 - kMargin) - kUnderflow > threshold;
        if (!keep) {
          if (!exactRow) formFirstGeneration(a);
          exactRow = true;
          keep = exactCoefficient(a, b) > threshold;
        }
      }
      if (keep) select(b);
    });
    if (exactRow) clearFirstGeneration(a);
    clearEstimatedRows(a);
    return true;
  }

  void clearEstimatedRows(std::int32_t a) {
    for (std::int32_t p = work.partnerBegin[a]; p < work.partnerBegin[a + 1]; ++p) {
      const std::int32_t m = work.partnerSpecies[p];
      work.estimatedConsumption[m] = 0.0;
      work.estimatedProduction[m] = 0.0;
    }
  }

  // Calls `decide` for every touched species in ascending order and clears the set.
  template <typename Decide>
  void forEachTouched(Decide decide) {
    for (std::size_t w = 0; w < work.touched.size(); ++w) {
      std::uint64_t bits = work.touched[w];
      work.touched[w] = 0;
      while (bits != 0) {
        decide(static_cast<std::int32_t>(w * 64 + std::countr_zero(bits)));
        bits &= bits - 1;
      }
    }
  }

  // ----- Critical values: a widest-path search over the same R(A, B).
  //
  // Species leave the heap in decreasing order of their best value; when A leaves, its value
  // c(A) is final and each open B may rise to min(c(A), R(A, B)). `threshold` holds the floor
  // (or 0), so the estimates are built for it and every B is compared with its own current
  // value, never below the floor: a link that cannot raise B is dropped on its bound, and only
  // the rest take the exact sum.

  void raise(std::int32_t b, double value) {
    work.critical[b] = value;
    work.heap.emplace_back(value, b);
    std::push_heap(work.heap.begin(), work.heap.end());
  }

  // B takes min(c(A), R) when that beats its current value; a NaN R raises nothing.
  void offer(std::int32_t b, double ca, double coefficient) {
    const double current = work.critical[b];
    if (coefficient > current && ca > current) raise(b, coefficient < ca ? coefficient : ca);
  }

  void sweepFrom(std::int32_t a) {
    if (linksNothing(a) || !(threshold < kInfinity)) return;
    if (!estimated || !sweepWithEstimates(a)) sweepExactly(a);
  }

  // expandExactly with values instead of decisions.
  void sweepExactly(std::int32_t a) {
    const double ca = work.critical[a];
    scatterExactly(a, [&](std::int32_t b, double coefficient) {
      if (!poisoned(b, a)) offer(b, ca, coefficient);
    });
  }

  // expandWithEstimates with each B's current value as its threshold (never below the floor
  // the estimates were built for, so their slack still holds). Returns false, having changed
  // nothing, when the bounds cannot settle the B that no estimate reaches.
  bool sweepWithEstimates(std::int32_t a) {
    const double ca = work.critical[a];
    double slack = 0.0;
    if (!estimateFrom(a, slack)) return false;

    bool exactRow = false;
    forEachTouched([&](std::int32_t b) {
      const double estimate =
          work.estimate[b] + (work.estimatedConsumption[b] + work.estimatedProduction[b]);
      work.estimate[b] = 0.0;
      const double current = work.critical[b];
      if (!(ca > current)) return;
      if ((estimate + slack) * (1.0 + kMargin) + kUnderflow <= current) return;
      // R above c(A) makes the new value c(A), whatever R is exactly.
      if (estimate * (1.0 - kMargin) - kUnderflow > ca) return raise(b, ca);
      // When the estimate already shows R above the current value, the exact sum follows
      // nearly always, so the full estimate is spared.
      if (!(estimate * (1.0 - kMargin) - kUnderflow > current)) {
        const double full = fullEstimate(a, b);
        if (full * (1.0 + kMargin) + kUnderflow <= current) return;
        if (full * (1.0 - kMargin) - kUnderflow > ca) return raise(b, ca);
      }
      if (!exactRow) formFirstGeneration(a);
      exactRow = true;
      offer(b, ca, exactCoefficientFromRow(a, b));
    });
    if (exactRow) clearFirstGeneration(a);
    clearEstimatedRows(a);
    return true;
  }

  // Below zero every link that is not NaN counts, so every species that some reached species
  // links to has the value 0 (breadth first from the reached ones, as the selection grows).
  void reachByZeroLinks() {
    std::int32_t count = 0;
    for (std::int32_t k = 0; k < speciesCount; ++k) {
      if (work.selected[k]) work.frontier[count++] = k;
    }
    for (std::int32_t f = 0; f < count; ++f) {
      const std::int32_t a = work.frontier[f];
      if (linksNothing(a)) continue;
      for (std::int32_t b = 0; b < speciesCount; ++b) {
        if (work.selected[b] || poisoned(b, a)) continue;
        work.selected[b] = 1;
        work.critical[b] = 0.0;
        work.frontier[count++] = b;
      }
    }
  }

  static void sweep(const CriticalValueInput& input, PathFluxScratch& scratch,
                    std::span<double> critical) {
    PathFluxScratch::Storage& work = storage(scratch);
    const std::int32_t speciesCount = work.speciesCount;
    const auto reactions = static_cast<std::size_t>(std::max(work.reactionDimension - 1, 0));
    if (critical.size() < static_cast<std::size_t>(speciesCount) ||
        input.forwardProgress.size() < reactions || input.reverseProgress.size() < reactions) {
      throw std::invalid_argument("CriticalValuesFromRates: tables too short for the rates");
    }
    if (!(input.floor < kInfinity)) {
      throw std::invalid_argument("CriticalValuesFromRates: the floor is NaN or +inf");
    }
    for (const std::int32_t k : input.startSpecies) {
      if (k < 1 || k > speciesCount) {
        throw std::invalid_argument("CriticalValuesFromRates: a start species outside 1..KK");
      }
    }

    const double floor = input.floor;
    // Links of value 0 are not searched for on the heap (see reachByZeroLinks), so the search
    // starts every species at 0 or at the floor, whichever is higher.
    const double base = std::max(floor, 0.0);
    PathFluxPass pass{work, base, speciesCount};
    std::fill_n(work.selected.begin(), speciesCount, std::uint8_t{0});
    std::fill_n(work.estimate.begin(), speciesCount, 0.0);
    std::fill_n(work.critical.begin(), speciesCount, base);
    work.heap.clear();
    for (const std::int32_t number : input.startSpecies) pass.raise(number - 1, kInfinity);

    if (!work.heap.empty()) pass.formCoefficients(input.forwardProgress, input.reverseProgress);
    std::int32_t finalCount = 0;
    while (!work.heap.empty()) {
      std::pop_heap(work.heap.begin(), work.heap.end());
      const std::int32_t a = work.heap.back().second;
      work.heap.pop_back();
      if (work.selected[a]) continue;
      work.selected[a] = 1;
      if (++finalCount == speciesCount) break;
      pass.sweepFrom(a);
    }
    if (floor < 0.0 && finalCount > 0) pass.reachByZeroLinks();

    for (std::int32_t k = 0; k < speciesCount; ++k) {
      // What the search left open lies at or below the floor (or has no chain at all).
      critical[k] = work.selected[k] && work.critical[k] > floor ? work.critical[k] : floor;
    }
  }

  static void run(const SelectionInput& input, PathFluxScratch& scratch, SelectionOutput& output) {
    PathFluxScratch::Storage& work = storage(scratch);
    const std::int32_t speciesCount = work.speciesCount;
    const double threshold = input.threshold;
    const auto row = static_cast<std::size_t>(output.caseNumber - 1) *
                     static_cast<std::size_t>(work.speciesDimension);
    const auto reactions = static_cast<std::size_t>(std::max(work.reactionDimension - 1, 0));
    if (output.caseNumber < 1 || output.KeptFlags.size() < row + speciesCount ||
        output.KeptList.size() < row + speciesCount || input.forwardProgress.size() < reactions ||
        input.reverseProgress.size() < reactions) {
      throw std::invalid_argument("SelectFromRates: tables too short for the case or the rates");
    }
    for (const std::int32_t k : input.startSpecies) {
      if (k < 1 || k > speciesCount) {
        throw std::invalid_argument("SelectFromRates: a start species outside 1..KK");
      }
    }

    PathFluxPass pass{work, threshold, speciesCount};
    std::fill_n(work.selected.begin(), speciesCount, std::uint8_t{0});
    std::fill_n(work.estimate.begin(), speciesCount, 0.0);
    std::int32_t frontierCount = 0;
    for (const std::int32_t number : input.startSpecies) {
      const std::int32_t k = number - 1;
      if (work.selected[k]) continue;
      work.selected[k] = 1;
      work.frontier[frontierCount++] = k;
    }
    pass.selectedCount = frontierCount;

    std::int32_t keptCount = 0;
    if (frontierCount > 0) pass.formCoefficients(input.forwardProgress, input.reverseProgress);
    while (frontierCount > 0) {
      pass.nextCount = 0;
      for (std::int32_t f = 0; f < frontierCount; ++f) pass.expand(work.frontier[f]);
      keptCount += frontierCount;
      std::swap(work.frontier, work.nextFrontier);
      frontierCount = pass.nextCount;
    }

    std::int32_t listed = 0;
    for (std::int32_t k = 0; k < speciesCount; ++k) {
      const bool kept = work.selected[k] != 0;
      output.KeptFlags[row + k] = kept ? -1 : 0;
      if (kept) output.KeptList[row + listed++] = k + 1;
    }
    output.KeptCount = keptCount;
  }
};

void SelectFromRates(const SelectionInput& input, PathFluxScratch& scratch,
                     SelectionOutput& output) {
  PathFluxPass::run(input, scratch, output);
}

void SelectCase(const kinetics::KineticsState& state, std::span<const std::int32_t> IKWORK,
                std::span<double> RKWORK, const CaseState& at,
                std::span<const std::int32_t> startSpecies, double threshold,
                PathFluxScratch& scratch, SelectionOutput& output, common::Console& console) {
  // Gas, electron and two spare temperatures: all the gas temperature.
  const std::array<double, 4> temperatures{at.temperature, at.temperature, at.temperature,
                                           at.temperature};
  PathFluxScratch::Storage& work = PathFluxPass::storage(scratch);
  CaseRates(state, static_cast<std::int32_t>(temperatures.size()), at.pressure, temperatures,
            at.massFractions, IKWORK, RKWORK, work.forwardProgress, work.reverseProgress, console);
  SelectFromRates({work.forwardProgress, work.reverseProgress, startSpecies, threshold}, scratch,
                  output);
}

void CriticalValuesFromRates(const CriticalValueInput& input, PathFluxScratch& scratch,
                             std::span<double> critical) {
  PathFluxPass::sweep(input, scratch, critical);
}

void CriticalValuesOfCase(const kinetics::KineticsState& state,
                          std::span<const std::int32_t> IKWORK, std::span<double> RKWORK,
                          const CaseState& at, std::span<const std::int32_t> startSpecies,
                          double floor, PathFluxScratch& scratch, std::span<double> critical,
                          common::Console& console) {
  const std::array<double, 4> temperatures{at.temperature, at.temperature, at.temperature,
                                           at.temperature};
  PathFluxScratch::Storage& work = PathFluxPass::storage(scratch);
  CaseRates(state, static_cast<std::int32_t>(temperatures.size()), at.pressure, temperatures,
            at.massFractions, IKWORK, RKWORK, work.forwardProgress, work.reverseProgress, console);
  CriticalValuesFromRates({work.forwardProgress, work.reverseProgress, startSpecies, floor},
                          scratch, critical);
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
  static_cast<void>(stoichDimension);
  static_cast<void>(caseDimension);
  static_cast<void>(StoichiometryMatrix);
  static_cast<void>(SpeciesReactionIndex);
  const PathFluxScratch::Storage& work = PathFluxPass::storage(scratch);
  if (speciesCount != work.speciesCount || NS != work.speciesDimension ||
      NR != work.reactionDimension) {
    common::stopRun(console, {std::string(kScratchMismatch)}, false);
  }
  SelectionOutput output{caseNumber, KeptFlags, KeptList};
  SelectCase(kinetics::CurrentKineticsState(), IKWORK, RKWORK,
             {pressure, temperature, massFractions},
             startSpecies.first(static_cast<std::size_t>(std::max(startCount, 0))), threshold,
             scratch, output, console);
  KeptCount = output.KeptCount;
}

}  // namespace analysis
