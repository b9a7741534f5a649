#include "converters/vordane/periodic_table.h"

#include <array>
#include <utility>

namespace vordane {
namespace {

// Conventional standard atomic weights (IUPAC; single values where IUPAC gives an interval)
// and, for elements without a stable isotope, the mass number of the longest-lived one.
// D and T are the isotope masses; E is the electron (CODATA 2018, in u).
constexpr std::array<std::pair<std::string_view, double>, 106> kWeights = {{
    {"H", 1.008},        {"HE", 4.002602},        {"LI", 6.94},         {"BE", 9.0121831},
    {"B", 10.81},        {"C", 12.011},           {"N", 14.007},        {"O", 15.999},
    {"F", 18.998403163}, {"NE", 20.1797},         {"NA", 22.98976928},  {"MG", 24.305},
    {"AL", 26.9815385},  {"SI", 28.085},          {"P", 30.973761998},  {"S", 32.06},
    {"CL", 35.45},       {"AR", 39.95},           {"K", 39.0983},       {"CA", 40.078},
    {"SC", 44.955908},   {"TI", 47.867},          {"V", 50.9415},       {"CR", 51.9961},
    {"MN", 54.938044},   {"FE", 55.845},          {"CO", 58.933194},    {"NI", 58.6934},
    {"CU", 63.546},      {"ZN", 65.38},           {"GA", 69.723},       {"GE", 72.63},
    {"AS", 74.921595},   {"SE", 78.971},          {"BR", 79.904},       {"KR", 83.798},
    {"RB", 85.4678},     {"SR", 87.62},           {"Y", 88.90584},      {"ZR", 91.224},
    {"NB", 92.90637},    {"MO", 95.95},           {"TC", 98.0},         {"RU", 101.07},
    {"RH", 102.9055},    {"PD", 106.42},          {"AG", 107.8682},     {"CD", 112.414},
    {"IN", 114.818},     {"SN", 118.71},          {"SB", 121.76},       {"TE", 127.6},
    {"I", 126.90447},    {"XE", 131.293},         {"CS", 132.90545196}, {"BA", 137.327},
    {"LA", 138.90547},   {"CE", 140.116},         {"PR", 140.90766},    {"ND", 144.242},
    {"PM", 145.0},       {"SM", 150.36},          {"EU", 151.964},      {"GD", 157.25},
    {"TB", 158.92535},   {"DY", 162.5},           {"HO", 164.93033},    {"ER", 167.259},
    {"TM", 168.93422},   {"YB", 173.045},         {"LU", 174.9668},     {"HF", 178.49},
    {"TA", 180.94788},   {"W", 183.84},           {"RE", 186.207},      {"OS", 190.23},
    {"IR", 192.217},     {"PT", 195.084},         {"AU", 196.966569},   {"HG", 200.592},
    {"TL", 204.38},      {"PB", 207.2},           {"BI", 208.9804},     {"PO", 209.0},
    {"AT", 210.0},       {"RN", 222.0},           {"FR", 223.0},        {"RA", 226.0},
    {"AC", 227.0},       {"TH", 232.0377},        {"PA", 231.03588},    {"U", 238.02891},
    {"NP", 237.0},       {"PU", 244.0},           {"AM", 243.0},        {"CM", 247.0},
    {"BK", 247.0},       {"CF", 251.0},           {"ES", 252.0},        {"FM", 257.0},
    {"MD", 258.0},       {"NO", 259.0},           {"LR", 262.0},        {"D", 2.01410177812},
    {"T", 3.0160492779}, {"E", 5.48579909065e-4},
}};

}  // namespace

std::optional<double> BuiltInAtomicWeight(std::string_view upperSymbol) {
  for (const auto& [symbol, weight] : kWeights) {
    if (symbol == upperSymbol) return weight;
  }
  return std::nullopt;
}

}  // namespace vordane
