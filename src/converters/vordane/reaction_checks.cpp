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
    ReactionEntry& r = reactions_[i];
    if (!r.valid) continue;
    const std::string number = "reaction " + std::to_string(i + 1);
    std::vector<double> balance(elements_.size(), 0.0);
    for (const auto& p : r.reactants) {
      for (std::size_t m = 0; m < elements_.size(); ++m)
        balance[m] -= p.coefficient * atoms[p.species][m];
    }
    for (const auto& p : r.products) {
      for (std::size_t m = 0; m < elements_.size(); ++m)
        balance[m] += p.coefficient * atoms[p.species][m];
    }
    bool allThermo = true;
    for (const auto* side : {&r.reactants, &r.products}) {
      for (const auto& p : *side) allThermo = allThermo && species_[p.species].thermo.has_value();
    }
    for (std::size_t m = 0; allThermo && m < elements_.size(); ++m) {
      if (std::abs(balance[m]) < 1e-6) continue;
      if (m == electronIndex) {
        error(r.file, r.line, "charge imbalance in " + number + " " + r.equation);
      } else {
        error(r.file, r.line,
              "element imbalance (" + elements_[m].name + ") in " + number + " " + r.equation);
      }
    }
    const bool mixture =
        r.thirdBody == ThirdBodyKind::Mixture || r.thirdBody == ThirdBodyKind::FallOffMixture;
    const bool fallOff = r.thirdBody == ThirdBodyKind::FallOffMixture ||
                         r.thirdBody == ThirdBodyKind::FallOffSpecies;
    if (!r.efficiencies.empty() && !mixture) {
      error(r.file, r.line, "third-body efficiencies on " + number + ", which has no M");
    }
    if (fallOff && !r.low && !r.chemicallyActivated) {
      error(r.file, r.line, "fall-off " + number + " without LOW");
    }
    if (!fallOff && (r.low || r.troe || r.sri)) {
      error(r.file, r.line, "LOW, TROE or SRI on " + number + ", which is not a fall-off reaction");
    }
    if (r.troe && r.sri) error(r.file, r.line, "both TROE and SRI on " + number);
    if (r.reverse && !r.reversible) {
      error(r.file, r.line, "REV on the irreversible " + number);
    }
    if (r.reverseLandauTeller && !r.reverse) {
      error(r.file, r.line, "RLT on " + number + " without REV");
    }
    if (r.wavelength && !r.photon) {
      warning(r.file, r.line, "HV wavelength on " + number + ", which has no HV participant");
    }
    for (const auto& [species, order] : r.forwardOrders) {
      const bool isReactant =
          std::any_of(r.reactants.begin(), r.reactants.end(),
                      [&s = species](const Participant& p) { return p.species == s; });
      if (!isReactant) {
        warning(r.file, r.line,
                "FORD for " + species_[static_cast<std::size_t>(species)].name +
                    ", which is not a reactant of " + number);
      }
    }
    for (const auto& [species, order] : r.reverseOrders) {
      const bool isProduct =
          std::any_of(r.products.begin(), r.products.end(),
                      [&s = species](const Participant& p) { return p.species == s; });
      if (!isProduct) {
        warning(r.file, r.line,
                "RORD for " + species_[static_cast<std::size_t>(species)].name +
                    ", which is not a product of " + number);
      }
    }
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
    for (const auto& p : side)
      key += std::to_string(p.species) + "*" + FormatReal(p.coefficient, "%.9g") + ";";
    return key;
  };
  const auto thirdKey = [](const ReactionEntry& r) {
    return std::to_string(static_cast<int>(r.thirdBody)) + "/" + std::to_string(r.fallOffSpecies);
  };
  std::map<std::string, std::vector<std::size_t>> strict;
  std::map<std::string, std::vector<std::size_t>> loose;
  std::vector<bool> hasPartner(reactions_.size(), false);
  std::vector<bool> reported(reactions_.size(), false);
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& r = reactions_[i];
    if (!r.valid) continue;
    const std::string left = sideKey(r.reactants);
    const std::string right = sideKey(r.products);
    const std::string forward = left + ">" + right + "|" + thirdKey(r);
    const std::string backward = right + ">" + left + "|" + thirdKey(r);
    const auto check = [&](const std::string& key, bool sameDirection) {
      const auto found = strict.find(key);
      if (found == strict.end()) return;
      for (const std::size_t j : found->second) {
        const ReactionEntry& other = reactions_[j];
        if (!sameDirection && !r.reversible && !other.reversible) continue;
        if (!(r.duplicate && other.duplicate) && !reported[i]) {
          error(r.file, r.line,
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
    std::vector<Participant> products = r.products;
    for (const auto& p : r.reactants) {
      const auto same = std::find_if(products.begin(), products.end(), [&](const Participant& q) {
        return q.species == p.species && q.coefficient == p.coefficient;
      });
      if (same != products.end()) {
        products.erase(same);
      } else {
        reactants.push_back(p);
      }
    }
    const std::string looseLeft = sideKey(reactants);
    const std::string looseRight = sideKey(products);
    const std::string looseKey =
        looseLeft < looseRight ? looseLeft + "=" + looseRight : looseRight + "=" + looseLeft;
    auto& partners = loose[looseKey];
    if (!partners.empty()) {
      hasPartner[i] = true;
      for (const std::size_t j : partners) hasPartner[j] = true;
    }
    partners.push_back(i);
  }
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& r = reactions_[i];
    if (r.valid && r.duplicate && !hasPartner[i]) {
      error(r.file, r.line,
            "DUP without partner: no other reaction " + r.equation + " (reaction " +
                std::to_string(i + 1) + ")");
    }
  }
}

}  // namespace vordane::detail
