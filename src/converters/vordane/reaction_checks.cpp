// Checks on whole reactions: balance, keywords that need each other, duplicates.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "converters/vordane/interpreter.h"
#include "converters/vordane/text_fields.h"

namespace vordane::detail {
namespace {

// An element (or the charge) is out of balance when the difference between the sides exceeds
// this share of its atoms on both sides together; rounded fractional coefficients of lumped
// species stay well inside it. Above kBalanceRounding the listing notes the rounding.
constexpr double kBalanceTolerance = 1e-4;
constexpr double kBalanceRounding = 1e-5;

}  // namespace

void Interpreter::checkReactions() {
  // Elements of each species, by element index; the electron element carries the charge.
  const auto electron = std::find_if(elements_.begin(), elements_.end(),
                                     [](const ElementEntry& e) { return e.name == "E"; });
  const std::size_t electronIndex =
      electron == elements_.end() ? elements_.size() : std::size_t(electron - elements_.begin());
  std::vector<std::vector<double>> atoms(species_.size(), std::vector<double>(elements_.size()));
  for (std::size_t k = 0; k < species_.size(); ++k) {
    if (!species_[k].thermo) continue;
    for (const auto& [symbol, count] : species_[k].thermo->composition) {
      for (std::size_t m = 0; m < elements_.size(); ++m) {
        if (elements_[m].name == symbol) atoms[k][m] += count;
      }
    }
  }
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    ReactionEntry& reaction = reactions_[i];
    if (!reaction.valid) continue;
    const std::string number = "reaction " + std::to_string(i + 1);
    // Element balance, relative to the atoms of the element on both sides: lumped species
    // carry rounded fractional coefficients, so the check allows a small relative slack.
    std::vector<double> balance(elements_.size(), 0.0);
    std::vector<double> present(elements_.size(), 0.0);
    for (const auto* side : {&reaction.reactants, &reaction.products}) {
      const double sign = side == &reaction.reactants ? -1.0 : 1.0;
      for (const auto& participant : *side) {
        for (std::size_t m = 0; m < elements_.size(); ++m) {
          const double amount = participant.coefficient * atoms[participant.species][m];
          balance[m] += sign * amount;
          present[m] += std::abs(amount);
        }
      }
    }
    bool allThermo = true;
    for (const auto* side : {&reaction.reactants, &reaction.products}) {
      for (const auto& participant : *side)
        allThermo = allThermo && species_[participant.species].thermo.has_value() &&
                    !species_[participant.species].thermo->refused;
    }
    std::string unbalanced;
    std::string rounded;
    double worst = 0.0;
    for (std::size_t m = 0; allThermo && m < elements_.size(); ++m) {
      if (balance[m] == 0.0) continue;
      const double relative = std::abs(balance[m]) / present[m];
      if (relative > kBalanceTolerance && m == electronIndex) {
        error(reaction.file, reaction.line,
              "charge imbalance in " + number + " " + reaction.equation);
        continue;
      }
      if (relative > kBalanceTolerance) {
        unbalanced += (unbalanced.empty() ? "" : ", ") + elements_[m].name;
      } else if (relative > kBalanceRounding) {
        rounded += (rounded.empty() ? "" : ", ") + elements_[m].name;
      } else {
        continue;
      }
      worst = std::max(worst, relative);
    }
    // One message per reaction, naming every element out of balance.
    if (!unbalanced.empty()) {
      error(reaction.file, reaction.line,
            "element imbalance (" + unbalanced + ") in " + number + " " + reaction.equation);
    } else if (!rounded.empty()) {
      warning(reaction.file, reaction.line,
              "element balance (" + rounded + ") of " + number + " " + reaction.equation +
                  " holds only to " + FormatReal(worst, "%.2g") + " of the atoms");
    }
    const bool mixture = reaction.thirdBody == ThirdBodyKind::Mixture ||
                         reaction.thirdBody == ThirdBodyKind::FallOffMixture;
    const bool fallOff = reaction.thirdBody == ThirdBodyKind::FallOffMixture ||
                         reaction.thirdBody == ThirdBodyKind::FallOffSpecies;
    if (!reaction.efficiencies.empty() && !mixture) {
      error(reaction.file, reaction.line,
            "third-body efficiencies on " + number + ", which has no M");
    }
    // A Chebyshev fit or HIGH gives the pressure dependence instead of LOW.
    if (fallOff && !reaction.low && !reaction.high && reaction.chebyshev.empty()) {
      error(reaction.file, reaction.line, "fall-off " + number + " without LOW");
    }
    if (!fallOff && (reaction.low || reaction.troe || reaction.sri)) {
      error(reaction.file, reaction.line,
            "LOW, TROE or SRI on " + number + ", which is not a fall-off reaction");
    }
    if (reaction.troe && reaction.sri)
      error(reaction.file, reaction.line, "both TROE and SRI on " + number);
    if (reaction.reverse && !reaction.reversible) {
      error(reaction.file, reaction.line, "REV on the irreversible " + number);
    }
    if (reaction.reverseLandauTeller && !reaction.reverse) {
      error(reaction.file, reaction.line, "RLT on " + number + " without REV");
    }
    if (reaction.wavelength && !reaction.photon) {
      warning(reaction.file, reaction.line,
              "HV wavelength on " + number + ", which has no HV participant");
    }
    // An order given for a species that does not take part on its side is kept, but odd.
    const auto checkOrders = [&](const std::vector<std::pair<int, double>>& orders,
                                 const std::vector<Participant>& side, const char* keyword,
                                 const char* role) {
      for (const auto& [species, order] : orders) {
        // The binding is captured by name: clang 14 (the fuzz build) cannot capture it.
        const bool onSide = std::any_of(
            side.begin(), side.end(),
            [species = species](const Participant& entry) { return entry.species == species; });
        if (!onSide) {
          warning(reaction.file, reaction.line,
                  std::string(keyword) + " for " +
                      species_[static_cast<std::size_t>(species)].name + ", which is not a " +
                      role + " of " + number);
        }
      }
    };
    checkOrders(reaction.forwardOrders, reaction.reactants, "FORD", "reactant");
    checkOrders(reaction.reverseOrders, reaction.products, "RORD", "product");
    checkTables(reaction, number);
  }
}

// Reactions that are the same reaction must be marked DUP; a DUP reaction must have a
// partner. Two reactions are the same when they have the same reactants, products and third
// body, in the same direction or, when either is reversible, in opposite directions. A DUP
// partner is looser: the third body and species on both sides (explicit colliders) are left
// out, so that "A+B+M" and "A+B(+M)" or "A+B+X=C+D+X" may be declared partners.
void Interpreter::checkDuplicates() {
  const auto sideKey = [](std::vector<Participant> side) {
    std::sort(side.begin(), side.end(),
              [](const Participant& a, const Participant& b) { return a.species < b.species; });
    std::string key;
    for (const auto& participant : side)
      key += std::to_string(participant.species) + "*" +
             FormatReal(participant.coefficient, "%.9g") + ";";
    return key;
  };
  const auto thirdKey = [](const ReactionEntry& reaction) {
    return std::to_string(static_cast<int>(reaction.thirdBody)) + "/" +
           std::to_string(reaction.fallOffSpecies);
  };
  std::map<std::string, std::vector<std::size_t>> strict;
  std::map<std::string, std::vector<std::size_t>> loose;
  std::vector<bool> hasPartner(reactions_.size(), false);
  std::vector<bool> reported(reactions_.size(), false);
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& reaction = reactions_[i];
    if (!reaction.valid) continue;
    const std::string left = sideKey(reaction.reactants);
    const std::string right = sideKey(reaction.products);
    const std::string forward = left + ">" + right + "|" + thirdKey(reaction);
    const std::string backward = right + ">" + left + "|" + thirdKey(reaction);
    const auto check = [&](const std::string& key, bool sameDirection) {
      const auto found = strict.find(key);
      if (found == strict.end()) return;
      for (const std::size_t j : found->second) {
        const ReactionEntry& other = reactions_[j];
        if (!sameDirection && !reaction.reversible && !other.reversible) continue;
        if (!(reaction.duplicate && other.duplicate) && !reported[i]) {
          error(reaction.file, reaction.line,
                "duplicate reaction without DUP: reaction " + std::to_string(i + 1) +
                    " repeats reaction " + std::to_string(j + 1) + " (line " +
                    std::to_string(other.line) + ")");
          reported[i] = true;
        }
      }
    };
    check(forward, true);
    if (backward != forward) check(backward, false);
    strict[forward].push_back(i);

    // Loose key: without spectators and third bodies.
    std::vector<Participant> reactants;
    std::vector<Participant> products = reaction.products;
    for (const auto& participant : reaction.reactants) {
      const auto same =
          std::find_if(products.begin(), products.end(), [&](const Participant& product) {
            return product.species == participant.species &&
                   product.coefficient == participant.coefficient;
          });
      if (same != products.end()) {
        products.erase(same);
      } else {
        reactants.push_back(participant);
      }
    }
    const std::string looseLeft = sideKey(reactants);
    const std::string looseRight = sideKey(products);
    const std::string looseKey =
        looseLeft < looseRight ? looseLeft + "=" + looseRight : looseRight + "=" + looseLeft;
    auto& partners = loose[looseKey];
    reactions_[i].duplicateGroup = static_cast<int>(partners.empty() ? i : partners.front());
    if (!partners.empty()) {
      hasPartner[i] = true;
      for (const std::size_t j : partners) hasPartner[j] = true;
    }
    partners.push_back(i);
  }
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& reaction = reactions_[i];
    if (reaction.valid && reaction.duplicate && !hasPartner[i]) {
      error(reaction.file, reaction.line,
            "DUP without partner: no other reaction " + reaction.equation + " (reaction " +
                std::to_string(i + 1) + ")");
    }
  }
}

}  // namespace vordane::detail
