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

int AppendFallOffForm(const ReactionEntry& reaction, std::vector<double>& values) {
  if (reaction.troe) {
    values.insert(values.end(), reaction.troe->begin(), reaction.troe->end());
    return reaction.troe->size() == 4 ? 4 : 3;
  }
  if (reaction.sri) {
    values.insert(values.end(), reaction.sri->begin(), reaction.sri->end());
    if (reaction.sri->size() == 3) values.insert(values.end(), {1.0, 0.0});
    return 2;
  }
  return 1;
}

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
  for (const auto& reaction : reactions_) {
    halfSlots = std::max({halfSlots, static_cast<int>(reaction.reactants.size()),
                          static_cast<int>(reaction.products.size())});
    maxThirdBodies = std::max(maxThirdBodies, static_cast<int>(reaction.efficiencies.size()));
  }
  link.MaxReactionSpecies = 2 * halfSlots;
  link.MaxThirdBodies = std::max(maxThirdBodies, 1);
  int maxOrders = 0;

  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const ReactionEntry& reaction = reactions_[i];
    const int number = static_cast<int>(i + 1);
    kinetics::LinkReaction out;
    out.slots.assign(static_cast<std::size_t>(link.MaxReactionSpecies), {});
    bool real = false;
    double reactantOrder = 0.0;
    double productOrder = 0.0;
    std::vector<double> realCoefficients(static_cast<std::size_t>(link.MaxReactionSpecies), 0.0);
    for (std::size_t index = 0; index < reaction.reactants.size(); ++index) {
      const double coefficient = reaction.reactants[index].coefficient;
      real = real || !IsIntegral(coefficient);
      reactantOrder += coefficient;
      out.slots[index] = {-std::max(1, static_cast<int>(std::lround(coefficient))),
                          reaction.reactants[index].species + 1};
      realCoefficients[index] = -coefficient;
    }
    for (std::size_t index = 0; index < reaction.products.size(); ++index) {
      const double coefficient = reaction.products[index].coefficient;
      real = real || !IsIntegral(coefficient);
      productOrder += coefficient;
      const std::size_t slot = static_cast<std::size_t>(halfSlots) + index;
      out.slots[slot] = {std::max(1, static_cast<int>(std::lround(coefficient))),
                         reaction.products[index].species + 1};
      realCoefficients[slot] = coefficient;
    }
    const bool mixture = reaction.thirdBody == ThirdBodyKind::Mixture ||
                         reaction.thirdBody == ThirdBodyKind::FallOffMixture;
    const bool fallOff = reaction.thirdBody == ThirdBodyKind::FallOffMixture ||
                         reaction.thirdBody == ThirdBodyKind::FallOffSpecies;
    if (reaction.thirdBody == ThirdBodyKind::Mixture) {
      reactantOrder += 1.0;
      productOrder += 1.0;
    }
    // A in MOLECULES units is per molecule: scale by N_A to the power of the order less one.
    const auto toMoles = [&](double preExponential, double order, const Units& units) {
      return units.molecules ? preExponential * std::pow(kAvogadro, order - 1.0) : preExponential;
    };
    // A reverse rate of exactly zero leaves the reaction irreversible.
    const bool zeroReverse = reaction.reverse && (*reaction.reverse)[0] == 0.0;
    const bool reversible = reaction.reversible && !zeroReverse;
    const int used = static_cast<int>(reaction.reactants.size() + reaction.products.size());
    out.speciesCount = reversible ? used : -used;
    out.auxCount = static_cast<int>(reaction.reactants.size());
    out.rateParameters = {toMoles(reaction.rate[0], reactantOrder, reaction.units),
                          reaction.rate[1],
                          EnergyToKelvin(reaction.rate[2], reaction.units.energy)};
    link.reactions.push_back(std::move(out));
    // PLOG, CHEB and HIGH go to the pressure-table record, and their rate at one atmosphere
    // replaces the parameters of record 5.
    const bool tabulated =
        !reaction.pressureRows.empty() || !reaction.chebyshev.empty() || reaction.high;
    if (tabulated) buildTables(reaction, number, reactantOrder);

    if (reaction.reverse && !zeroReverse) {
      const auto& reverseRate = *reaction.reverse;
      link.reverse.push_back(
          {number,
           {toMoles(reverseRate[0], productOrder, reaction.units), reverseRate[1],
            EnergyToKelvin(reverseRate[2], reaction.units.energy)}});
    }
    if (fallOff && reaction.low) {
      kinetics::LinkFallOff entry;
      entry.reaction = number;
      entry.thirdBody =
          reaction.thirdBody == ThirdBodyKind::FallOffSpecies ? reaction.fallOffSpecies + 1 : 0;
      const auto& low = *reaction.low;
      entry.values = {toMoles(low[0], reactantOrder + 1.0, reaction.units), low[1],
                      EnergyToKelvin(low[2], reaction.units.energy)};
      entry.form = AppendFallOffForm(reaction, entry.values);
      entry.values.resize(8, 0.0);
      link.fallOff.push_back(std::move(entry));
    }
    if (mixture && !tabulated) {
      kinetics::LinkThirdBody entry;
      entry.reaction = number;
      for (const auto& [species, efficiency] : reaction.efficiencies) {
        entry.species.push_back(species + 1);
        entry.efficiencies.push_back(efficiency);
      }
      link.thirdBody.push_back(std::move(entry));
    }
    if (reaction.landauTeller) {
      link.landauTeller.push_back(
          {number, {(*reaction.landauTeller)[0], (*reaction.landauTeller)[1]}});
    }
    if (reaction.reverseLandauTeller) {
      link.reverseLandauTeller.push_back(
          {number, {(*reaction.reverseLandauTeller)[0], (*reaction.reverseLandauTeller)[1]}});
    }
    if (reaction.wavelength) link.wavelength.push_back({number, {*reaction.wavelength}});
    if (reaction.electronImpact) link.electronImpact.push_back({number, 2});
    if (reaction.janev) link.janev.push_back({number, *reaction.janev});
    if (reaction.fit) link.fit.push_back({number, *reaction.fit});
    if (reaction.excitation) link.excitation.push_back({number, {*reaction.excitation}});
    if (real) link.realStoich.push_back({number, realCoefficients});
    if (!reaction.forwardOrders.empty() || !reaction.reverseOrders.empty()) {
      // Every reactant and product with its default order (its coefficient); the keywords
      // override them or add species that are not participants.
      kinetics::LinkOrder entry;
      entry.reaction = number;
      const auto setOrder = [&](int code, double value) {
        const auto found = std::find(entry.species.begin(), entry.species.end(), code);
        if (found != entry.species.end()) {
          entry.values[static_cast<std::size_t>(found - entry.species.begin())] = value;
        } else {
          entry.species.push_back(code);
          entry.values.push_back(value);
        }
      };
      for (const auto& participant : reaction.reactants)
        setOrder(-(participant.species + 1), participant.coefficient);
      for (const auto& participant : reaction.products)
        setOrder(participant.species + 1, participant.coefficient);
      for (const auto& [species, order] : reaction.forwardOrders) setOrder(-(species + 1), order);
      for (const auto& [species, order] : reaction.reverseOrders) setOrder(species + 1, order);
      maxOrders = std::max(maxOrders, static_cast<int>(entry.species.size()));
      link.order.push_back(std::move(entry));
    }
  }
  link.MaxOrderSpecies = std::max(maxOrders, 1);
}

}  // namespace vordane::detail
