// The reactor kernels: right-hand side and analytic Jacobian of the homogeneous reactor
// equations, and the tables of a Mechanism they read. Like the rate kernel they do no I/O and
// allocate nothing per call; every buffer lives in a Workspace made once per run.
//
// State vector y = (T, Y_1 .. Y_K): temperature (K) and mass fractions. With the molar
// production rates w_k of the rates of progress (the reactor's own evaluation of the rate
// kernel's formulas, or the rate kernel itself for reactions that evaluation does not cover),
//   dY_k/dt = W_k w_k / rho  (+ (Y_in,k - Y_k) / tau in the stirred reactor)
//   dT/dt   = -sum_k e_k w_k / (rho c)  (+ sum_k Y_in,k (h_k(T_in) - h_k(T)) / (W_k tau c))
// with e = h, c = c_p at constant pressure and e = u = h - RT, c = c_v at constant volume.
//
// The Jacobian is analytic in the mass fractions: the exact derivative of every rate of progress
// with respect to each concentration (mass action, third-body enhancement, the fall-off
// blending's dependence on its bath; the slope of the broadening factor F in the reduced
// pressure is a central difference of the kernel's own F in ln Pr, exact to about 1e-8). So is
// the temperature column on the reactor's own rates: d ln k/dT of the Arrhenius forms, of the
// equilibrium constants from h_k, of c_p(T), with the rates of pressure tables and fits and the
// broadening factors' own T-dependence as central differences in T. With the rate kernel it is
// a central difference of the right-hand side in T, which covers every form the kernel knows
// (Landau-Teller, chemically activated reactions) at two right-hand sides per Jacobian.
//
// Three parts of the species block are dense and of rank one together, so that the sparse part
// keeps the mechanism's own sparsity: the uniform efficiency 1 of every mixture bath (each
// species changes [M] alike); at constant pressure the density, through which every
// concentration depends on every mass fraction; at constant volume the pressure, through which
// every mass fraction moves the rate constants of pressure tables and Chebyshev fits. Each is a
// column vector times v_j = 1 / W_j; the Jacobian returns that product as the two vectors.
#pragma once

#include <cstdint>
#include <span>
#include <sstream>
#include <vector>

#include "kinetics/linking_file.h"
#include "reactor/reactor.h"

namespace reactor {

struct Mechanism::Data {
  kinetics::LoadedKinetics loaded;
  std::int32_t speciesCount = 0;
  std::int32_t reactionCount = 0;
  std::vector<std::string> speciesNames;
  std::vector<std::string> elementNames;
  std::vector<double> weights;  // g/mol
  std::vector<double> inverseWeights;
  std::vector<double> composition;  // speciesCount x elementCount, species outer
  double gasConstant = 0.0;         // erg/(mol K)
  double lowestCommon = 0.0;
  double highestCommon = 0.0;

  // One concentration factor of a rate of progress: species (0-based) to an order.
  struct Factor {
    std::int32_t species = 0;
    double order = 0.0;
    bool integerOrder = true;
  };
  // Per reaction: forward factors, reverse factors, net coefficients (CSR, reaction outer).
  std::vector<std::int32_t> forwardStart, reverseStart, netStart;
  std::vector<Factor> forwardFactors, reverseFactors;
  std::vector<std::int32_t> netSpecies;
  std::vector<double> netCoefficients;
  std::vector<double> netMoles;  // sum of the net coefficients

  // How a reaction's rate depends on bath concentrations. The multiplier bath M1 scales the
  // rate (plain third bodies); the fall-off bath M2 enters the reduced pressure.
  enum class Blend : std::int8_t { None, FallOff, Activated };
  std::vector<std::int32_t> thirdBodyEntry;  // 1-based entry of the third-body list, 0 if none
  std::vector<bool> multiplierBath;          // the mixture of thirdBodyEntry multiplies the rate
  std::vector<bool> blendMixture;            // the fall-off bath is a mixture (not one species)
  std::vector<Blend> blend;
  std::vector<std::int32_t> blendEntry;  // 1-based entry of the fall-off or activated list
  std::vector<double> multiplier;        // the rate multiplier of the reaction
  // Dependencies of each reaction's rate (CSR, reaction outer): species column, efficiency in
  // M1 and M2 beyond the mixture's uniform 1 (the whole efficiency for a named bath species),
  // index of the forward and reverse factor (-1 when none).
  struct Dependency {
    std::int32_t species = 0;
    double multiplierEfficiency = 0.0;
    double blendEfficiency = 0.0;
    std::int32_t forwardFactor = -1;
    std::int32_t reverseFactor = -1;
  };
  std::vector<std::int32_t> dependencyStart;
  std::vector<Dependency> dependencies;
  // For dependency d of reaction i and net species n of it, the entry of the Jacobian's value
  // array at (row of the species, column of the dependency): dependencyPositionStart[i] +
  // (d - dependencyStart[i]) * netCount(i) + n.
  std::vector<std::int64_t> dependencyPositionStart;
  std::vector<std::int64_t> positions;

  // Compressed-column sparsity of the Jacobian (size K + 1; index 0 is T). Column 0 and row 0
  // are full; the species block holds the pattern of the reactions and the diagonal.
  std::vector<std::int64_t> columnStart;
  std::vector<std::int64_t> rowIndex;
  std::vector<std::int64_t> temperatureRowPosition;  // entry of (0, j) for j = 0..K
  std::vector<std::int64_t> diagonalPosition;        // entry of (j, j) for j = 0..K

  // Thermodynamic polynomials, flat: per species its interior range bounds and per range the
  // basisCount + 2 coefficients (stride thermoStride per species).
  std::int32_t basisCount = 0;
  std::int32_t thermoStride = 0;
  std::vector<std::int32_t> boundStart;  // CSR over species
  std::vector<double> interiorBounds;
  std::vector<double> thermoCoefficients;

  // The reactor's own evaluation of the rates of progress: the rate kernel's formulas over flat
  // 0-based tables, without its 1-based sections and the slots of absent species. Used when
  // `directRates` is set, that is when every reaction has a form it covers (Landau-Teller and
  // chemically activated reactions keep the rate kernel).
  enum class Reverse : std::int8_t { None, Equilibrium, Explicit };
  struct Arrhenius {
    double A = 0.0, beta = 0.0, activation = 0.0;  // activation energy over R, K
    bool constant = false;                         // beta = 0 and E = 0: k = A
    std::int32_t exponential = -1;                 // entry of its (beta, E) in the list below
  };
  // The distinct (beta, E/R) of all Arrhenius forms: each exp(beta ln T - E/(RT)) is formed
  // once per call and shared by the rates that have it (in large mechanisms half of them).
  std::vector<double> exponentBeta, exponentActivation;
  struct FallOffEntry {
    std::int32_t reaction = 0;
    std::int32_t form = 0;
    std::int32_t namedBath = -1;     // species, -1 for the mixture of the third-body list
    std::size_t parameterStart = 0;  // 0-based index of its first parameter in loaded.RKWORK
    Arrhenius low;
  };
  bool directRates = false;
  std::vector<Arrhenius> forwardRate, reverseRate;  // reverseRate for Reverse::Explicit
  std::vector<std::int32_t> forwardExponential;     // of forwardRate; constant: the last entry
  // Per reaction, the entry of its bath multiplier (third-body list + 1, 0 for none or when the
  // list enters a fall-off's reduced pressure) and of its fall-off (entry + 1, 0 for none).
  std::vector<std::int32_t> bathSlot, blendSlot;
  std::vector<Reverse> reverse;
  std::vector<std::int32_t> moleChange;  // sum of the signed coefficients of all slots
  // Reactions by the work their rates need, so that the loops over them do not branch.
  std::vector<std::int32_t> equilibriumReactions, explicitReactions, irreversibleReactions;
  std::vector<std::int32_t> generalProducts;  // orders that are not whole, or many factors
  std::vector<std::int32_t> silentReactions;  // no concentration product: no progress
  // Concentration products as productWidth species per reaction and side, each factor repeated
  // by its order, padded with species K (concentration 1).
  std::int32_t productWidth = 0;
  std::vector<std::int32_t> forwardSlots, reverseSlots;
  // Net coefficients of each equilibrium reaction, netWidth per reaction, padded with 0 x K.
  std::int32_t netWidth = 0;
  std::vector<std::int32_t> equilibriumSpecies;
  std::vector<double> equilibriumCoefficients;
  // And as equilibriumFactorWidth species per side, repeated by their coefficient, padded with K.
  std::int32_t equilibriumFactorWidth = 0;
  std::vector<std::int32_t> equilibriumProducts, equilibriumReactants;
  std::vector<double> equilibriumOrder;  // sum of |nu_k| of each equilibrium reaction
  // Net coefficients by species (CSR, species outer, reactions ascending).
  std::vector<std::int32_t> speciesStart, speciesReactions;
  std::vector<double> speciesCoefficients;
  // Third-body lists (enhanced species and efficiency - 1, CSR) and the reaction of each.
  std::vector<std::int32_t> thirdBodyReaction, enhancedStart, enhancedSpecies;
  std::vector<double> enhancedExcess;
  std::vector<FallOffEntry> fallOffs;

  std::int64_t stateSize() const { return std::int64_t{speciesCount} + 1; }
  std::int64_t nonZeroCount() const { return static_cast<std::int64_t>(rowIndex.size()); }
};

// What the right-hand side needs besides the state.
struct ReactorSetting {
  Model model = Model::ConstantPressure;
  double pressure = 0.0;  // dyn/cm2, constant pressure and stirred reactor
  double density = 0.0;   // g/cm3, constant volume
  // Stirred reactor: residence time (0 for a closed reactor), inlet mass fractions and the
  // inlet's species enthalpies (erg/mol).
  double residenceTime = 0.0;
  std::span<const double> inletMassFractions;
  std::span<const double> inletEnthalpies;
};

// Buffers of one run (one per thread).
class Workspace {
 public:
  explicit Workspace(const Mechanism::Data& data);

  std::vector<double> RKWORK;
  std::vector<double> concentration;                       // per species and a padding entry of 1
  std::vector<double> production, enthalpy, heatCapacity;  // per species
  std::vector<double> rawForward, rawReverse;  // per reaction, before baths and fall-off
  // Per reaction: the rate coefficients as applied (baths, fall-off and multiplier in) and the
  // rates of progress.
  std::vector<double> forwardCoefficient, reverseCoefficient, forwardProgress, reverseProgress;
  std::vector<double> netProgress;  // per reaction
  // Per third-body list and per fall-off, after an entry of 1 (Data::bathSlot, blendSlot).
  std::vector<double> bath, blend;
  // Per species, with one more entry (concentration 1, Gibbs term 0) for the padded slots.
  std::vector<double> gibbs, gibbsMagnitude, gibbsExponential, gibbsInverse;
  std::vector<double> exponentials;  // per distinct Arrhenius exponent, then 1
  // Per fall-off: the three exponentials of a Troe centre, and the broadening F.
  std::vector<double> centreTerms, broadening;
  std::vector<double> concentrationSlope, uniformSlope, pressureSlope;  // per reaction
  std::vector<double> production2;  // (G C)_k while the Jacobian is formed
  std::vector<double> rateSlope;    // per dependency
  std::vector<double> temperatureRow, scratchState, plusState, minusState;
  // The Jacobian's temperature column: per reaction dq/dT and d ln k/dT of the forward rate and
  // of the fall-off blending, per species d(c_p/R)/dT.
  std::vector<double> temperatureSlope, forwardLogSlope, blendLogSlope, heatCapacitySlope;
  double temperatures[2] = {0.0, 0.0};
  double pressure = 0.0, density = 0.0, meanWeight = 0.0, specificHeat = 0.0;
  std::ostringstream sink;
  std::istringstream noInput;
  common::Console console;
};

// Molar c_p/R, h/(RT) and s/R of every species at T (each span KK long, any may be empty).
void SpeciesThermo(const Mechanism::Data& data, double T, std::span<double> heatCapacity,
                   std::span<double> enthalpy, std::span<double> entropy);

// dy/dt at y. Throws common::Stop when the rate kernel stops.
void RightHandSide(const Mechanism::Data& data, const ReactorSetting& setting,
                   std::span<const double> y, std::span<double> ydot, Workspace& work);

// The Jacobian at y: `values` in the compressed-column order of data.rowIndex, and the rank-one
// part u v^T of the species block (both spans K + 1 long, entry 0 zero). J = sparse + u v^T.
void Jacobian(const Mechanism::Data& data, const ReactorSetting& setting, std::span<const double> y,
              std::span<double> values, std::span<double> rankOneRow,
              std::span<double> rankOneColumn, Workspace& work);

}  // namespace reactor
