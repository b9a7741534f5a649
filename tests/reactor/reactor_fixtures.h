// The mechanism and mixtures the reactor tests share.
#pragma once

#include <vector>

#include "reactor/reactor.h"
#include "support/shared_data.h"

namespace reactor::testing {

// GRI-Mech 3.0 from the shared data folder, loaded once.
const Mechanism& Gri30();

// n-heptane (llnl_nheptane_v2) from the shared data folder, loaded once.
const Mechanism& NHeptane();

// Glarborg 2018 (151 species, 177 pressure tables), converted from the shared corpus once.
const Mechanism& Glarborg2018();

// Methane/air (O2:N2 = 1:3.76 by moles) at equivalence ratio phi.
std::vector<double> MethaneAir(const Mechanism& mechanism, double phi);

}  // namespace reactor::testing
