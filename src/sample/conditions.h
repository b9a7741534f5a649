// The conditions of a sampling run: mixtures from fuel, oxidizer and equivalence ratio, and the
// grid of runs. Pure functions; the program checks names and ranges against the mechanism.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sample {

inline constexpr double kAtmosphere = 1013250.0;  // dyn/cm2

// A number as printf's `format` writes it, for messages, comments and tables.
std::string FormatNumber(double value, const char* format = "%g");

// "CH4" or "O2:1,N2:3.76": names with relative amounts (1 when left out).
struct Part {
  std::string name;
  double amount = 1.0;
};
using Blend = std::vector<Part>;

// Reads a blend; empty with `problem` set when the text is malformed.
Blend ReadBlend(const std::string& text, std::string& problem);

// Element counts of each species (by species, then element) and the element names, as the
// kinetics file gives them; with the species names, what a mixture needs of the mechanism.
struct SpeciesTable {
  std::vector<std::string> species;
  std::vector<std::string> elements;
  std::vector<std::vector<double>> composition;
};

// Mole fractions (in the species order of `table`) of fuel and oxidizer mixed at the
// equivalence ratio `phi`: the oxidizer supplies phi^-1 times the oxygen that burns the fuel
// to CO2 and H2O (2 C + H/2 - O oxygen atoms per molecule; other elements count nothing).
// Empty with `problem` set when a name is unknown, an amount is negative, a blend sums to zero,
// the fuel needs no oxygen or the oxidizer brings none.
std::vector<double> MixtureAt(const SpeciesTable& table, const Blend& fuel, const Blend& oxidizer,
                              double phi, std::string& problem);

// One run: an ignition (or a stirred reactor, whose `time` is the residence time).
struct Condition {
  double phi = 1.0;
  double pressureAtm = 1.0;
  double temperature = 0.0;    // initial (ignition) or inlet (stirred reactor) temperature, K
  double residenceTime = 0.0;  // s; stirred reactor only
};

// The grid in the order of the output: phi slowest, then pressure, then temperature or
// residence time.
std::vector<Condition> Grid(std::span<const double> phis, std::span<const double> pressures,
                            std::span<const double> temperatures,
                            std::span<const double> residenceTimes);

// "phi 1, 10 atm, 1200 K" (and ", tau 1e-3 s" for a stirred reactor): names a condition in
// messages and comment lines.
std::string Describe(const Condition& condition);

}  // namespace sample
