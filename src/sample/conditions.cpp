#include "sample/conditions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace sample {
namespace {

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int indexOf(const std::vector<std::string>& names, const std::string& name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

// Mole fractions of one blend, normalised; empty with `problem` set when it cannot be.
std::vector<double> blendFractions(const SpeciesTable& table, const Blend& blend, const char* role,
                                   std::string& problem) {
  std::vector<double> x(table.species.size(), 0.0);
  double total = 0.0;
  for (const Part& part : blend) {
    const int k = indexOf(table.species, part.name);
    if (k < 0) {
      problem = std::string("unknown species ") + part.name + " in the " + role;
      return {};
    }
    if (!(part.amount >= 0.0) || !std::isfinite(part.amount)) {
      problem = std::string("the amount of ") + part.name + " in the " + role +
                " is not a number at least 0";
      return {};
    }
    x[static_cast<std::size_t>(k)] += part.amount;
    total += part.amount;
  }
  if (!(total > 0.0)) {
    problem = std::string("the ") + role + "'s amounts sum to zero";
    return {};
  }
  for (double& value : x) value /= total;
  return x;
}

// Oxygen atoms that one mole of the mixture needs to burn to CO2 and H2O (negative: it brings).
double oxygenDemand(const SpeciesTable& table, const std::vector<double>& x) {
  const int carbon = indexOf(table.elements, "C");
  const int hydrogen = indexOf(table.elements, "H");
  const int oxygen = indexOf(table.elements, "O");
  double demand = 0.0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    if (x[k] == 0.0) continue;
    const std::vector<double>& atoms = table.composition[k];
    const auto count = [&atoms](int element) {
      return element < 0 ? 0.0 : atoms[static_cast<std::size_t>(element)];
    };
    demand += x[k] * (2.0 * count(carbon) + 0.5 * count(hydrogen) - count(oxygen));
  }
  return demand;
}

}  // namespace

Blend ReadBlend(const std::string& text, std::string& problem) {
  Blend blend;
  std::istringstream items(text);
  for (std::string item; std::getline(items, item, ',');) {
    item = trimmed(item);
    Part part;
    const std::size_t colon = item.find(':');
    part.name = trimmed(item.substr(0, colon));
    if (colon != std::string::npos) {
      const std::string amount = trimmed(item.substr(colon + 1));
      const auto [end, error] =
          std::from_chars(amount.data(), amount.data() + amount.size(), part.amount);
      if (amount.empty() || error != std::errc() || end != amount.data() + amount.size()) {
        problem = "malformed amount '" + amount + "' in '" + text + "'";
        return {};
      }
    }
    if (part.name.empty()) {
      problem = "a species name is missing in '" + text + "'";
      return {};
    }
    blend.push_back(part);
  }
  if (blend.empty()) problem = "no species given";
  return blend;
}

std::vector<double> MixtureAt(const SpeciesTable& table, const Blend& fuel, const Blend& oxidizer,
                              double phi, std::string& problem) {
  if (!(phi > 0.0) || !std::isfinite(phi)) {
    problem = "the equivalence ratio must be a positive number";
    return {};
  }
  const std::vector<double> f = blendFractions(table, fuel, "fuel", problem);
  if (f.empty()) return {};
  const std::vector<double> o = blendFractions(table, oxidizer, "oxidizer", problem);
  if (o.empty()) return {};
  const double fuelDemand = oxygenDemand(table, f);
  const double oxidizerSupply = -oxygenDemand(table, o);
  if (!(fuelDemand > 0.0)) {
    problem = "the fuel needs no oxygen to burn";
    return {};
  }
  if (!(oxidizerSupply > 0.0)) {
    problem = "the oxidizer brings no oxygen";
    return {};
  }
  // Moles of oxidizer per mole of fuel.
  const double ratio = fuelDemand / (phi * oxidizerSupply);
  std::vector<double> x(f.size());
  for (std::size_t k = 0; k < x.size(); ++k) x[k] = (f[k] + ratio * o[k]) / (1.0 + ratio);
  return x;
}

std::vector<Condition> Grid(std::span<const double> phis, std::span<const double> pressures,
                            std::span<const double> temperatures,
                            std::span<const double> residenceTimes) {
  std::vector<Condition> grid;
  const std::vector<double> none{0.0};
  const std::span<const double> times = residenceTimes.empty() ? std::span(none) : residenceTimes;
  for (const double phi : phis) {
    for (const double pressure : pressures) {
      for (const double temperature : temperatures) {
        for (const double time : times) grid.push_back({phi, pressure, temperature, time});
      }
    }
  }
  return grid;
}

std::string Describe(const Condition& condition) {
  char text[160];
  std::snprintf(text, sizeof text, "phi %g, %g atm, %g K", condition.phi, condition.pressureAtm,
                condition.temperature);
  std::string described = text;
  if (condition.residenceTime > 0.0) {
    std::snprintf(text, sizeof text, ", residence time %g s", condition.residenceTime);
    described += text;
  }
  return described;
}

std::string FormatNumber(double value, const char* format) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace sample
