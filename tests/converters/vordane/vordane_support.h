// Helpers of the mechanism converter tests: small mechanisms written in code. Scratch folders
// and whole-file reads come from tests/support.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "converters/vordane/vordane.h"

namespace vordane::fixture {

using Composition = std::vector<std::pair<std::string, int>>;
using Coefficients = std::array<double, 7>;

// The same coefficients in both ranges: the species then has a single range.
inline constexpr Coefficients kFlat = {3.5, 0.0, 0.0, 0.0, 0.0, -1000.0, 4.0};

// One NASA entry in its fixed columns; `high` and `low` are the two ranges' a1..a7.
inline std::string ThermoEntry(const std::string& name, const Composition& composition,
                               const Coefficients& low = kFlat, const Coefficients& high = kFlat,
                               double lowT = 300.0, double commonT = 1000.0,
                               double highT = 5000.0) {
  char buffer[128];
  std::string first = name;
  first.resize(18, ' ');
  first += "TEST  ";
  for (std::size_t i = 0; i < 4; ++i) {
    if (i < composition.size()) {
      std::snprintf(buffer, sizeof buffer, "%-2s%3d", composition[i].first.c_str(),
                    composition[i].second);
      first += buffer;
    } else {
      first += "     ";
    }
  }
  std::snprintf(buffer, sizeof buffer, "G%10.3f%10.3f%8.2f", lowT, highT, commonT);
  first += buffer;
  first.resize(79, ' ');
  first += "1\n";
  const double values[14] = {high[0], high[1], high[2], high[3], high[4], high[5], high[6],
                             low[0],  low[1],  low[2],  low[3],  low[4],  low[5],  low[6]};
  std::string rows;
  std::size_t at = 0;
  for (int row = 2; row <= 4; ++row) {
    std::string line;
    const std::size_t fields = row == 4 ? 4 : 5;
    for (std::size_t f = 0; f < fields; ++f) {
      std::snprintf(buffer, sizeof buffer, "%15.8E", values[at++]);
      line += buffer;
    }
    line.resize(79, ' ');
    rows += line + std::to_string(row) + "\n";
  }
  return first + rows;
}

// Species of the inline mechanisms, numbered as listed (1-based in the linking file).
inline const std::vector<std::pair<std::string, Composition>>& TestSpecies() {
  static const std::vector<std::pair<std::string, Composition>> kSpecies = {
      {"H", {{"H", 1}}},                // 1
      {"O", {{"O", 1}}},                // 2
      {"OH", {{"O", 1}, {"H", 1}}},     // 3
      {"H2", {{"H", 2}}},               // 4
      {"O2", {{"O", 2}}},               // 5
      {"H2O", {{"H", 2}, {"O", 1}}},    // 6
      {"HO2", {{"H", 1}, {"O", 2}}},    // 7
      {"H2O2", {{"H", 2}, {"O", 2}}},   // 8
      {"AR", {{"AR", 1}}},              // 9
      {"N2", {{"N", 2}}},               // 10
      {"E", {{"E", 1}}},                // 11
      {"AR+", {{"AR", 1}, {"E", -1}}},  // 12
      {"iH2", {{"H", 2}}},              // 13: a mixed-case name, distinct from H2
  };
  return kSpecies;
}

// A whole mechanism around `reactions`, with its thermo inside.
inline std::string Mechanism(const std::string& reactions,
                             const std::string& reactionLine = "REACTIONS") {
  std::string text = "ELEMENTS\nH O AR N E\nEND\nSPECIES\n";
  for (const auto& [name, composition] : TestSpecies()) text += name + " ";
  text += "\nEND\nTHERMO\n   300.000  1000.000  5000.000\n";
  for (const auto& [name, composition] : TestSpecies()) text += ThermoEntry(name, composition);
  text += "END\n" + reactionLine + "\n" + reactions + "END\n";
  return text;
}

}  // namespace vordane::fixture
