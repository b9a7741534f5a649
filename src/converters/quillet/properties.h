// Transport properties of dilute gases by the kinetic theory of Chapman and Enskog, with the
// Stockmayer potential for the molecular interactions (Hirschfelder, Curtiss and Bird,
// "Molecular Theory of Gases and Liquids", 1954; Monchick and Mason 1961).
//
// Units are CGS throughout: g/(cm s) for viscosity, erg/(cm s K) for conductivity, cm^2/s for
// diffusion coefficients, dyn/cm^2 for pressure. Molecular parameters come in the units of the
// transport data file: well depth epsilon/k in K, diameter in angstrom, dipole in debye,
// polarizability in cubic angstrom.
#pragma once

#include <cstdint>

#include "converters/quillet/collision_integrals.h"

namespace quillet {

// Physical constants, CGS, from the exact SI definitions of 2019.
inline constexpr double kBoltzmann = 1.380649e-16;              // erg/K
inline constexpr double kAvogadro = 6.02214076e23;              // 1/mol
inline constexpr double kGasConstant = kBoltzmann * kAvogadro;  // erg/(mol K)
inline constexpr double kAtmosphere = 1013250.0;                // dyn/cm^2

enum Geometry : std::int32_t { kAtom = 0, kLinear = 1, kNonlinear = 2 };

// One species' line of the transport data.
struct MolecularParameters {
  std::int32_t geometry = kAtom;
  double wellDepth = 0.0;             // epsilon/k, K
  double diameter = 0.0;              // sigma, angstrom
  double dipole = 0.0;                // mu, debye
  double polarizability = 0.0;        // alpha, cubic angstrom
  double rotationalRelaxation = 0.0;  // Z_rot at 298 K
};

// Interaction parameters of a pair of species.
struct PairParameters {
  double wellDepth = 0.0;      // K
  double diameter = 0.0;       // angstrom
  double reducedDipole = 0.0;  // delta* = mu_j mu_k / (2 epsilon_jk sigma_jk^3)
};

// delta* of a dipole product mu_j mu_k (debye^2) with the pair's well depth and diameter.
double ReducedDipole(double dipoleProduct, double wellDepth, double diameter);

// The pair parameters: depth and diameter by the transport library's combining rule
// (transport::CombinePairRule, the one the linking-file reader uses), and delta*, which is zero
// unless both species are polar.
PairParameters CombinePair(const MolecularParameters& j, const MolecularParameters& k);

// Z_rot at `temperature` from its value at 298 K, by Parker's temperature dependence
// Z_rot(T) = Z_rot(298) F(298)/F(T), F(T) = 1 + pi^(3/2)/2 (e/kT)^(1/2)
// + (pi^2/4 + 2)(e/kT) + pi^(3/2)(e/kT)^(3/2).
double RotationalRelaxation(const MolecularParameters& species, double temperature);

// The properties of one pure species over temperature. The collision integrals at the
// species' delta* are set up once.
class SpeciesProperties {
 public:
  SpeciesProperties(double molecularWeight, const MolecularParameters& species);

  // eta = (5/16) sqrt(pi m k T) / (pi sigma^2 Omega(2,2)*).
  double viscosity(double temperature) const;

  // Thermal conductivity, split into translational, rotational and internal (vibrational)
  // parts after Warnatz:
  //   lambda = eta/W (f_tr Cv_tr + f_rot Cv_rot + f_vib Cv_vib),
  //   f_tr = 5/2 (1 - 2/pi Cv_rot/Cv_tr A/B), f_rot = rho D/eta (1 + 2/pi A/B), f_vib = rho D/eta,
  //   A = 5/2 - rho D/eta, B = Z_rot + 2/pi (5/3 Cv_rot/R + rho D/eta),
  // with D the self-diffusion coefficient, Cv_tr = 3/2 R, Cv_rot = 0, R or 3/2 R by the
  // geometry, and Cv_vib the rest of Cv = Cp - R. `heatCapacity` is Cp/R at `temperature`.
  double conductivity(double temperature, double heatCapacity) const;

  // rho D_kk / eta, the ratio the conductivity model needs; it does not depend on pressure.
  double selfDiffusionRatio(double temperature) const;

 private:
  double weight_;
  MolecularParameters species_;
  CollisionIntegral omega22_;
  CollisionIntegral omega11_;
};

// Binary diffusion coefficient of a pair at `pressure`:
// D_jk = (3/16) sqrt(2 pi (kT)^3 / m_jk) / (p pi sigma_jk^2 Omega(1,1)*), m_jk the reduced mass.
class PairDiffusion {
 public:
  PairDiffusion(double weightJ, double weightK, const PairParameters& pair);
  double operator()(double temperature, double pressure) const;
  // ln D_jk at ln T and ln p: the form the fits need, without a logarithm per factor.
  double logarithm(double logTemperature, double logPressure) const;

 private:
  double factor_;  // everything but T^(3/2), 1/p and 1/Omega(1,1)*
  double logFactor_;
  double wellDepth_;
  double logWellDepth_;
  CollisionIntegral omega11_;
};

// Thermal diffusion ratio of a light species l against species k, in the first Chapman-Cowling
// approximation:
//   theta_lk = 15/2 (2A* + 5)(6C* - 5) / (A* (16A* - 12B* + 55)) (W_l - W_k)/(W_l + W_k),
// with A*, B*, C* at the pair's T* and delta*. The thermal diffusion ratio of l in a mixture is
// the sum over k of theta_lk X_l X_k; theta_lk is negative when l is the lighter one, which
// sends l towards the hot side.
class ThermalDiffusion {
 public:
  ThermalDiffusion(double lightWeight, double weightK, const PairParameters& pair);
  double operator()(double temperature) const;

 private:
  double massFactor_;
  double wellDepth_;
  CollisionIntegral aStar_;
  CollisionIntegral bStar_;
  CollisionIntegral cStar_;
};

}  // namespace quillet
