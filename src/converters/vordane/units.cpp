// Units of the rate parameters and their conversion to the units of the linking file.
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

bool ApplyUnitWord(std::string_view word, Units& units) {
  // Energy units may carry "/MOLE" (or "/MOL"); every word may be cut to its first letters.
  const std::string upper = ToUpper(word);
  const std::size_t slash = upper.find('/');
  const std::string head = upper.substr(0, slash);
  const std::string tail = slash == std::string::npos ? std::string() : upper.substr(slash + 1);
  const bool perMole = tail.empty() || IsAbbreviation(tail, "MOLES", 3);
  if (!perMole) return false;
  if (head == "CAL" || IsAbbreviation(head, "CALORIES", 4)) {
    units.energy = EnergyUnit::Cal;
  } else if (head == "KCAL" || IsAbbreviation(head, "KCALORIES", 5)) {
    units.energy = EnergyUnit::Kcal;
  } else if (head == "J" || IsAbbreviation(head, "JOULES", 4)) {
    units.energy = EnergyUnit::Joule;
  } else if (head == "KJ" || IsAbbreviation(head, "KJOULES", 4)) {
    units.energy = EnergyUnit::Kjoule;
  } else if (tail.empty() && IsAbbreviation(head, "KELVINS", 4)) {
    units.energy = EnergyUnit::Kelvin;
  } else if (tail.empty() && (head == "EV" || IsAbbreviation(head, "EVOLTS", 4))) {
    units.energy = EnergyUnit::Evolt;
  } else if (tail.empty() && IsAbbreviation(head, "MOLECULES", 5)) {
    units.molecules = true;
  } else if (tail.empty() && IsAbbreviation(head, "MOLES", 3)) {
    units.molecules = false;
  } else {
    return false;
  }
  return true;
}

}  // namespace vordane::detail
