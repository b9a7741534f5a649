// Input files of the integration tests, built in code with the project's writers.
#pragma once

#include <string>

#include "kinetics/link_mechanism.h"
#include "program_runner.h"
#include "transport/linking_file.h"

namespace integration {

// Five species A..E of one element, all of weight 10, and four irreversible reactions with
// temperature-independent rate constants:
//   1  A => B       k = 1e3
//   2  A + C => 2C  k = 1e9   (autocatalytic: it matters only where C is abundant)
//   3  B => D       k = 1e3
//   4  E => D       k = 1
// With start species A and threshold 0.1, a state with little C keeps A, B, D (D through
// the second generation A -> B -> D), and a state with much C keeps A, B, C, D. E never joins:
// it makes a thousandth of D's production.
kinetics::LinkMechanism PathMechanism();

// `speciesCount` species and no reactions.
kinetics::LinkMechanism SpeciesOnlyMechanism(int speciesCount);

// A transport file for `speciesCount` species with plausible parameters and zero fits.
transport::TransportLink SmallTransport(int speciesCount, int lightCount = 1);

void WriteKinetics(const Workspace& workspace, const std::string& name,
                   const kinetics::LinkMechanism& mechanism);
void WriteTransport(const Workspace& workspace, const std::string& name,
                    const transport::TransportLink& link);

// The path-mechanism inputs: chem.bin, tran.bin, selection.dat (start A, threshold 0.1).
void WritePathInputs(const Workspace& workspace, const std::string& selection = "1\n0.1\n");

// A case line of the path mechanism at 1 atm and 1000 K with the given mole fractions.
std::string PathCase(const std::string& moleFractions);
// A case with little C (keeps 1 2 4) and one with much C (keeps 1 2 3 4).
std::string LeanCase();
std::string RichCase();

// The console lines the program writes before it reads the kinetics file.
std::string Banner();
// The pause prompt line.
std::string Prompt();
// " FILE " + the name padded to 100 characters + " not found."
std::string NotFound(const std::string& name);

}  // namespace integration
