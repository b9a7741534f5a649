// The listing: what was read, in the units it was written in.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>

#include "converters/vordane/interpreter.h"
#include "converters/vordane/text_fields.h"

namespace vordane::detail {

void Interpreter::writeListing() {
  std::string& out = result_.listing;
  char buffer[512];
  out += "Mechanism conversion listing\n";
  out += "  mechanism: " + mechanismFile_ + "\n";
  out += "  thermo data: " + (thermoFile_.empty() ? std::string("(none)") : thermoFile_) + "\n\n";
  out += "ELEMENTS\n";
  for (std::size_t m = 0; m < elements_.size(); ++m) {
    std::snprintf(buffer, sizeof buffer, "%5zu  %-16s %14.8f\n", m + 1, elements_[m].name.c_str(),
                  elements_[m].weight);
    out += buffer;
  }
  out += "\nSPECIES\n";
  out += "    #  name             weight        phase charge   T low   T high  composition\n";
  const auto& linkSpecies = result_.mechanism.species;
  for (std::size_t k = 0; k < species_.size() && k < linkSpecies.size(); ++k) {
    const auto& linked = linkSpecies[k];
    const auto& thermo = species_[k].thermo;
    std::snprintf(buffer, sizeof buffer, "%5zu  %-16s %12.6f   %c   %5d %8.1f %8.1f ", k + 1,
                  linked.name.c_str(), linked.molecularWeight, thermo ? thermo->phase : '?',
                  linked.charge, thermo ? thermo->lowTemperature : 0.0,
                  thermo ? thermo->highTemperature : 0.0);
    out += buffer;
    for (std::size_t m = 0; m < elements_.size() && m < linked.composition.size(); ++m) {
      if (linked.composition[m] != 0) {
        out += " " + elements_[m].name + " " + std::to_string(linked.composition[m]);
      }
    }
    out += "\n";
  }
  out += "\nREACTIONS (units: A in ";
  out += sectionUnits_.molecules ? "MOLECULES" : "MOLES";
  out += ", E in ";
  out += EnergyUnitName(sectionUnits_.energy);
  out += ")\n";
  out += "    #  equation                                            A        beta       E\n";
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    const auto& reaction = reactions_[i];
    std::snprintf(buffer, sizeof buffer, "%5zu  %-44s %12.4E %8.3f %12.4E\n", i + 1,
                  reaction.equation.c_str(), reaction.rate[0], reaction.rate[1], reaction.rate[2]);
    out += buffer;
    std::string efficiencies;
    for (const auto& note : reaction.notes) {
      if (note.efficiency) {
        efficiencies += " " + note.keyword + "/" + note.text + "/";
        continue;
      }
      out += "         " + note.keyword;
      if (!note.text.empty()) out += " / " + note.text + " /";
      out += "\n";
    }
    if (!efficiencies.empty()) out += "         third-body efficiencies:" + efficiencies + "\n";
    if (reaction.reverse && (*reaction.reverse)[0] == 0.0 && reaction.reversible) {
      out += "         (REV with A = 0: stored as irreversible)\n";
    }
  }
  out += "\n";
  writeAppendix();
}

// Species with more than one thermo entry in a file, after the messages: a file that repeats
// thousands of them would otherwise bury the messages.
void Interpreter::writeAppendix() {
  if (thermoRepeats_.empty()) return;
  std::string& out = result_.appendix;
  out += "APPENDIX: SPECIES WITH MORE THAN ONE THERMO ENTRY (the first is used)\n";
  const std::string* file = nullptr;
  for (const ThermoRepeat& repeat : thermoRepeats_) {
    if (file == nullptr || *file != repeat.file) {
      file = &repeat.file;
      out += "  " + repeat.file + "\n";
    }
    std::string name = repeat.species;
    name.resize(std::max<std::size_t>(name.size(), kNameWidth), ' ');
    out += "    " + name + " line " + std::to_string(repeat.usedLine) + " used; ";
    out += repeat.ignoredLines.size() == 1 ? "line" : "lines";
    for (std::size_t n = 0; n < repeat.ignoredLines.size(); ++n) {
      out += (n == 0 ? " " : ", ") + std::to_string(repeat.ignoredLines[n]);
    }
    out += " ignored\n";
  }
}

}  // namespace vordane::detail
