// The records of the linking file, from the checked elements, species and reactions.
#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "converters/vordane/interpreter.h"
#include "converters/vordane/text_fields.h"

namespace vordane::detail {

void Interpreter::buildMechanism() {
  kinetics::LinkMechanism& link = result_.mechanism;
  link.errorFlag = false;
  for (const auto& element : elements_) link.elements.push_back({element.name, element.weight});
  int charged = 0;
  for (const auto& species : species_) {
    kinetics::LinkSpecies out;
    out.name = species.name;
    out.composition.assign(elements_.size(), 0);
    if (species.thermo) {
      const ThermoEntry& thermo = *species.thermo;
      for (const auto& [symbol, count] : thermo.composition) {
        for (std::size_t m = 0; m < elements_.size(); ++m) {
          if (elements_[m].name == symbol) out.composition[m] += static_cast<std::int32_t>(count);
        }
      }
      for (std::size_t m = 0; m < elements_.size(); ++m) {
        out.molecularWeight += out.composition[m] * elements_[m].weight;
        if (elements_[m].name == "E") out.charge = -out.composition[m];
      }
      out.phase = thermo.phase == 'G' ? 0 : thermo.phase == 'L' ? 1 : 2;
      // Identical ranges are one range: the bounds then close at the high temperature.
      const bool single = thermo.low == thermo.high;
      out.temperatureCount = single ? 2 : 3;
      out.temperatureBounds = {thermo.lowTemperature,
                               single ? thermo.highTemperature : thermo.commonTemperature,
                               thermo.highTemperature};
      out.coefficients.assign(thermo.low.begin(), thermo.low.end());
      out.coefficients.insert(out.coefficients.end(), thermo.high.begin(), thermo.high.end());
    }
    if (out.charge != 0) ++charged;
    link.species.push_back(std::move(out));
  }
  link.IgnoredCount = charged;

  int halfSlots = 3;
  int maxThirdBodies = 0;
  for (const auto& r : reactions_) {
    halfSlots = std::max(
        {halfSlots, static_cast<int>(r.reactants.size()), static_cast<int>(r.products.size())});
    maxThirdBodies = std::max(maxThirdBodies, static_cast<int>(r.efficiencies.size()));
  }
  link.MaxReactionSpecies = 2 * halfSlots;
  link.MaxThirdBodies = std::max(maxThirdBodies, 1);
  int maxOrders = 0;

  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& r = reactions_[i];
    const int number = static_cast<int>(i + 1);
    kinetics::LinkReaction out;
    out.slots.assign(static_cast<std::size_t>(link.MaxReactionSpecies), {});
    bool real = false;
    double reactantOrder = 0.0;
    double productOrder = 0.0;
    std::vector<double> realCoefficients(static_cast<std::size_t>(link.MaxReactionSpecies), 0.0);
    for (std::size_t s = 0; s < r.reactants.size(); ++s) {
      const double c = r.reactants[s].coefficient;
      real = real || !IsIntegral(c);
      reactantOrder += c;
      out.slots[s] = {-std::max(1, static_cast<int>(std::lround(c))), r.reactants[s].species + 1};
      realCoefficients[s] = -c;
    }
    for (std::size_t s = 0; s < r.products.size(); ++s) {
      const double c = r.products[s].coefficient;
      real = real || !IsIntegral(c);
      productOrder += c;
      const std::size_t slot = static_cast<std::size_t>(halfSlots) + s;
      out.slots[slot] = {std::max(1, static_cast<int>(std::lround(c))), r.products[s].species + 1};
      realCoefficients[slot] = c;
    }
    const bool mixture =
        r.thirdBody == ThirdBodyKind::Mixture || r.thirdBody == ThirdBodyKind::FallOffMixture;
    const bool fallOff = r.thirdBody == ThirdBodyKind::FallOffMixture ||
                         r.thirdBody == ThirdBodyKind::FallOffSpecies;
    if (r.thirdBody == ThirdBodyKind::Mixture) {
      reactantOrder += 1.0;
      productOrder += 1.0;
    }
    // A in MOLECULES units is per molecule: scale by N_A to the power of the order less one.
    const auto toMoles = [&](double a, double order, const Units& units) {
      return units.molecules ? a * std::pow(kAvogadro, order - 1.0) : a;
    };
    // A reverse rate of exactly zero leaves the reaction irreversible.
    const bool zeroReverse = r.reverse && (*r.reverse)[0] == 0.0;
    const bool reversible = r.reversible && !zeroReverse;
    const int used = static_cast<int>(r.reactants.size() + r.products.size());
    out.speciesCount = reversible ? used : -used;
    out.auxCount = static_cast<int>(r.reactants.size());
    out.rateParameters = {toMoles(r.rate[0], reactantOrder, r.units), r.rate[1],
                          EnergyToKelvin(r.rate[2], r.units.energy)};
    link.reactions.push_back(std::move(out));

    if (r.reverse && !zeroReverse) {
      const auto& rev = *r.reverse;
      link.reverse.push_back({number,
                              {toMoles(rev[0], productOrder, r.units), rev[1],
                               EnergyToKelvin(rev[2], r.units.energy)}});
    }
    if (fallOff && r.low) {
      kinetics::LinkFallOff entry;
      entry.reaction = number;
      entry.thirdBody = r.thirdBody == ThirdBodyKind::FallOffSpecies ? r.fallOffSpecies + 1 : 0;
      const auto& low = *r.low;
      entry.values = {toMoles(low[0], reactantOrder + 1.0, r.units), low[1],
                      EnergyToKelvin(low[2], r.units.energy)};
      if (r.troe) {
        entry.form = r.troe->size() == 4 ? 4 : 3;
        entry.values.insert(entry.values.end(), r.troe->begin(), r.troe->end());
      } else if (r.sri) {
        entry.form = 2;
        entry.values.insert(entry.values.end(), r.sri->begin(), r.sri->end());
        if (r.sri->size() == 3) {
          entry.values.push_back(1.0);
          entry.values.push_back(0.0);
        }
      } else {
        entry.form = 1;
      }
      entry.values.resize(8, 0.0);
      link.fallOff.push_back(std::move(entry));
    }
    if (mixture) {
      kinetics::LinkThirdBody entry;
      entry.reaction = number;
      for (const auto& [species, efficiency] : r.efficiencies) {
        entry.species.push_back(species + 1);
        entry.efficiencies.push_back(efficiency);
      }
      link.thirdBody.push_back(std::move(entry));
    }
    if (r.landauTeller) {
      link.landauTeller.push_back({number, {(*r.landauTeller)[0], (*r.landauTeller)[1]}});
    }
    if (r.reverseLandauTeller) {
      link.reverseLandauTeller.push_back(
          {number, {(*r.reverseLandauTeller)[0], (*r.reverseLandauTeller)[1]}});
    }
    if (r.wavelength) link.wavelength.push_back({number, {*r.wavelength}});
    if (r.electronImpact) link.electronImpact.push_back({number, 2});
    if (r.janev) link.janev.push_back({number, *r.janev});
    if (r.fit) link.fit.push_back({number, *r.fit});
    if (r.excitation) link.excitation.push_back({number, {*r.excitation}});
    if (real) link.realStoich.push_back({number, realCoefficients});
    if (!r.forwardOrders.empty() || !r.reverseOrders.empty()) {
      // Every reactant and product with its default order (its coefficient); the keywords
      // override them or add species that are not participants.
      kinetics::LinkOrder entry;
      entry.reaction = number;
      const auto put = [&](int code, double value) {
        const auto found = std::find(entry.species.begin(), entry.species.end(), code);
        if (found != entry.species.end()) {
          entry.values[static_cast<std::size_t>(found - entry.species.begin())] = value;
        } else {
          entry.species.push_back(code);
          entry.values.push_back(value);
        }
      };
      for (const auto& p : r.reactants) put(-(p.species + 1), p.coefficient);
      for (const auto& p : r.products) put(p.species + 1, p.coefficient);
      for (const auto& [species, order] : r.forwardOrders) put(-(species + 1), order);
      for (const auto& [species, order] : r.reverseOrders) put(species + 1, order);
      maxOrders = std::max(maxOrders, static_cast<int>(entry.species.size()));
      link.order.push_back(std::move(entry));
    }
  }
  link.MaxOrderSpecies = std::max(maxOrders, 1);
}

}  // namespace vordane::detail
