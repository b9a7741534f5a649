#include "fixtures.h"

#include <gtest/gtest.h>

#include "common/console.h"
#include "kinetics/linking_file.h"

namespace integration {
namespace {

kinetics::LinkSpecies makeSpecies(const std::string& name) {
  kinetics::LinkSpecies species;
  species.name = name;
  species.composition = {1};
  species.molecularWeight = 10.0;
  species.temperatureCount = 3;
  species.temperatureBounds = {300.0, 1000.0, 5000.0};
  species.coefficients.assign(14, 0.0);
  species.coefficients[0] = 3.5;  // cp/R = 3.5 in both ranges
  species.coefficients[7] = 3.5;
  return species;
}

kinetics::LinkReaction irreversible(double rateConstant, std::vector<kinetics::LinkSlot> slots) {
  kinetics::LinkReaction reaction;
  int used = 0, reactants = 0;
  for (const auto& slot : slots) {
    if (slot.species != 0) ++used;
    if (slot.coefficient < 0) ++reactants;
  }
  reaction.speciesCount = -used;
  reaction.auxCount = reactants;
  reaction.rateParameters = {rateConstant, 0.0, 0.0};
  reaction.slots = std::move(slots);
  return reaction;
}

}  // namespace

kinetics::LinkMechanism SpeciesOnlyMechanism(int speciesCount) {
  kinetics::LinkMechanism mechanism;
  mechanism.elements = {{"X", 10.0}};
  for (int k = 1; k <= speciesCount; ++k) {
    mechanism.species.push_back(makeSpecies("S" + std::to_string(k)));
  }
  return mechanism;
}

kinetics::LinkMechanism PathMechanism() {
  kinetics::LinkMechanism mechanism;
  mechanism.elements = {{"X", 10.0}};
  for (const char* name : {"A", "B", "C", "D", "E"}) mechanism.species.push_back(makeSpecies(name));
  enum { A = 1, B, C, D, E };
  mechanism.reactions = {
      irreversible(1e3, {{-1, A}, {0, 0}, {0, 0}, {1, B}, {0, 0}, {0, 0}}),
      irreversible(1e9, {{-1, A}, {-1, C}, {0, 0}, {2, C}, {0, 0}, {0, 0}}),
      irreversible(1e3, {{-1, B}, {0, 0}, {0, 0}, {1, D}, {0, 0}, {0, 0}}),
      irreversible(1.0, {{-1, E}, {0, 0}, {0, 0}, {1, D}, {0, 0}, {0, 0}}),
  };
  return mechanism;
}

transport::TransportLink SmallTransport(int speciesCount, int lightCount) {
  transport::TransportLink link;
  for (int k = 0; k < speciesCount; ++k) {
    link.species.push_back({10.0, 100.0 + k, 3.0, 0.0, 0.0, 1.0, k % 3});
  }
  const auto K = static_cast<std::size_t>(speciesCount);
  const auto N = static_cast<std::size_t>(link.FitOrder);
  link.conductivityFits.assign(N * K, 0.0);
  link.viscosityFits.assign(N * K, 0.0);
  link.diffusionFits.assign(N * K * K, 0.0);
  for (int l = 1; l <= lightCount; ++l) link.lightSpecies.push_back(l);
  link.thermalDiffusionFits.assign(N * K * link.lightSpecies.size(), 0.0);
  return link;
}

void WriteKinetics(const Workspace& workspace, const std::string& name,
                   const kinetics::LinkMechanism& mechanism) {
  std::string error;
  ASSERT_TRUE(kinetics::WriteKineticsLink(workspace.path(name), mechanism, error)) << error;
}

void WriteTransport(const Workspace& workspace, const std::string& name,
                    const transport::TransportLink& link) {
  std::string error;
  ASSERT_TRUE(transport::WriteTransportLink(workspace.path(name), link, error)) << error;
}

void WritePathInputs(const Workspace& workspace, const std::string& selection) {
  WriteKinetics(workspace, "chem.bin", PathMechanism());
  WriteTransport(workspace, "tran.bin", SmallTransport(5));
  workspace.write("selection.dat", selection);
}

std::string PathCase(const std::string& moleFractions) {
  return "0 1013250 0 0 0 0 1000 " + moleFractions + " \n";
}

std::string LeanCase() {
  return PathCase("0.25 0.25 0.000001 0.25 0.249999");
}
std::string RichCase() {
  return PathCase("0.2 0.2 0.2 0.2 0.2");
}

std::string Banner() {
  return " ======     Tarnwick     ======\n"
         " Path-flux analysis of detailed kinetic mechanisms\n"
         " Release 2010.8, V1.10.08.14.12\n"
         "\n"
         " Input files:\n"
         " 1. Combustion data file: libdata.asc from Sorvane\n"
         " 2. Selection species file: selection.dat\n"
         " 3. Chem.bin and Tran.bin\n"
         " 4. Use Sorvane to remove the useless species\n"
         "\n";
}

std::string Prompt() {
  return std::string(common::kPausePrompt) + "\n";
}

std::string NotFound(const std::string& name) {
  std::string padded = name;
  padded.resize(100, ' ');
  return " FILE " + padded + " not found.\n";
}

}  // namespace integration
