// The combining rule of the pair parameters: the one definition that the transport linking file
// reader (for the pair sections of RTWORK) and the transport converter (for its fits) both
// call, so that the two stay the same bit for bit.
#pragma once

namespace transport {

// What the rule reads of one species, in the units of the transport data file.
struct PairRuleSpecies {
  double wellDepth = 0.0;       // epsilon / k_B, K
  double diameter = 0.0;        // sigma, angstrom
  double dipole = 0.0;          // mu, debye
  double polarizability = 0.0;  // alpha, cubic angstrom
};

struct CombinedPair {
  double wellDepth = 0.0;  // K
  double diameter = 0.0;   // angstrom
};

// A species with a dipole above this is polar: 1.0e-20 held in single precision, as the
// transport library has always stored the threshold.
inline constexpr double kPolarThreshold = static_cast<double>(1.0e-20f);

// Arithmetic mean diameter and geometric mean depth, corrected by the induction factor xi for a
// polar/non-polar pair. Symmetric in its arguments bit for bit.
CombinedPair CombinePairRule(const PairRuleSpecies& j, const PairRuleSpecies& k);

}  // namespace transport
