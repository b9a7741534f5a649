// Units of the rate parameters and their conversion to the units of the linking file.
#include <map>
#include <string>
#include <string_view>

#include "converters/vordane/interpreter.h"
#include "converters/vordane/text_fields.h"

namespace vordane::detail {

const char* EnergyUnitName(EnergyUnit unit) {
  switch (unit) {
    case EnergyUnit::Cal:
      return "CAL/MOLE";
    case EnergyUnit::Kcal:
      return "KCAL/MOLE";
    case EnergyUnit::Joule:
      return "JOULES/MOLE";
    case EnergyUnit::Kjoule:
      return "KJOULES/MOLE";
    case EnergyUnit::Kelvin:
      return "KELVINS";
    case EnergyUnit::Evolt:
      return "EVOLTS";
  }
  return "";
}

// E/R in kelvin of an activation energy in `unit`.
double EnergyToKelvin(double energy, EnergyUnit unit) {
  switch (unit) {
    case EnergyUnit::Cal:
      return energy / kGasConstantCal;
    case EnergyUnit::Kcal:
      return energy * 1000.0 / kGasConstantCal;
    case EnergyUnit::Joule:
      return energy / kGasConstantJoule;
    case EnergyUnit::Kjoule:
      return energy * 1000.0 / kGasConstantJoule;
    case EnergyUnit::Kelvin:
      return energy;
    case EnergyUnit::Evolt:
      return energy * (kElementaryCharge / kBoltzmann);
  }
  return energy;
}

// Reads one unit word; false when the word is not a unit.
bool ApplyUnitWord(std::string_view word, Units& units) {
  const std::string upper = ToUpper(word);
  static const std::map<std::string, EnergyUnit, std::less<>> kEnergy = {
      {"CAL/MOLE", EnergyUnit::Cal},        {"CAL/MOL", EnergyUnit::Cal},
      {"KCAL/MOLE", EnergyUnit::Kcal},      {"KCAL/MOL", EnergyUnit::Kcal},
      {"KCAL", EnergyUnit::Kcal},           {"JOULES/MOLE", EnergyUnit::Joule},
      {"JOULES/MOL", EnergyUnit::Joule},    {"JOUL/MOLE", EnergyUnit::Joule},
      {"JOULES", EnergyUnit::Joule},        {"J/MOL", EnergyUnit::Joule},
      {"KJOULES/MOLE", EnergyUnit::Kjoule}, {"KJOULES/MOL", EnergyUnit::Kjoule},
      {"KJOU/MOLE", EnergyUnit::Kjoule},    {"KJOULES", EnergyUnit::Kjoule},
      {"KJ/MOL", EnergyUnit::Kjoule},       {"KELVINS", EnergyUnit::Kelvin},
      {"KELVIN", EnergyUnit::Kelvin},       {"EVOLTS", EnergyUnit::Evolt},
      {"EVOLT", EnergyUnit::Evolt},         {"EV", EnergyUnit::Evolt},
  };
  if (const auto found = kEnergy.find(upper); found != kEnergy.end()) {
    units.energy = found->second;
    return true;
  }
  if (upper == "MOLES" || upper == "MOLE" || upper == "MOL") {
    units.molecules = false;
    return true;
  }
  if (upper == "MOLECULES" || upper == "MOLECULE" || upper == "MOLEC") {
    units.molecules = true;
    return true;
  }
  return false;
}

}  // namespace vordane::detail
