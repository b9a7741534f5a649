#include "converters/quillet/properties.h"

#include <cmath>
#include <numbers>

#include "transport/pair_parameters.h"

namespace quillet {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kCentimetresPerAngstrom = 1.0e-8;
// 1 debye = 1e-18 statC cm; delta* = mu^2 / (2 epsilon sigma^3) with epsilon = k (epsilon/k)
// and sigma in angstrom gives this factor on debye^2 / (K angstrom^3).
constexpr double kReducedDipoleFactor = 0.5 * 1.0e-36 / (kBoltzmann * 1.0e-24);

double cube(double value) {
  return value * value * value;
}

double parkerFactor(double reducedInverseTemperature) {
  const double x = reducedInverseTemperature;
  const double piPower = std::pow(kPi, 1.5);
  return 1.0 + 0.5 * piPower * std::sqrt(x) + (0.25 * kPi * kPi + 2.0) * x +
         piPower * x * std::sqrt(x);
}

double rotationalHeatCapacity(std::int32_t geometry) {
  switch (geometry) {
    case kLinear:
      return 1.0;
    case kNonlinear:
      return 1.5;
    default:
      return 0.0;
  }
}

// D_jk p without Omega(1,1)*: (3/16) sqrt(2 pi (kT)^3 / m_jk) / (pi sigma_jk^2).
double diffusionFactor(double weightJ, double weightK, double diameter) {
  const double reducedMass = weightJ * weightK / ((weightJ + weightK) * kAvogadro);
  const double sigma = diameter * kCentimetresPerAngstrom;
  return 3.0 / 16.0 * std::sqrt(2.0 * kPi / reducedMass) * std::pow(kBoltzmann, 1.5) /
         (kPi * sigma * sigma);
}

}  // namespace

double ReducedDipole(double dipoleProduct, double wellDepth, double diameter) {
  return kReducedDipoleFactor * dipoleProduct / (wellDepth * cube(diameter));
}

PairParameters CombinePair(const MolecularParameters& j, const MolecularParameters& k) {
  auto ruleSpecies = [](const MolecularParameters& m) {
    return transport::PairRuleSpecies{m.wellDepth, m.diameter, m.dipole, m.polarizability};
  };
  const transport::CombinedPair combined =
      transport::CombinePairRule(ruleSpecies(j), ruleSpecies(k));
  PairParameters pair;
  pair.wellDepth = combined.wellDepth;
  pair.diameter = combined.diameter;
  // The dipole-dipole term of the potential needs two dipoles; the induced attraction is in
  // the corrected well depth already.
  pair.reducedDipole = ReducedDipole(j.dipole * k.dipole, pair.wellDepth, pair.diameter);
  return pair;
}

double RotationalRelaxation(const MolecularParameters& species, double temperature) {
  return species.rotationalRelaxation * parkerFactor(species.wellDepth / 298.0) /
         parkerFactor(species.wellDepth / temperature);
}

SpeciesProperties::SpeciesProperties(double molecularWeight, const MolecularParameters& species)
    : weight_(molecularWeight),
      species_(species),
      omega22_(CollisionQuantity::Omega22,
               ReducedDipole(species.dipole * species.dipole, species.wellDepth, species.diameter)),
      omega11_(CollisionQuantity::Omega11, ReducedDipole(species.dipole * species.dipole,
                                                         species.wellDepth, species.diameter)) {}

double SpeciesProperties::viscosity(double temperature) const {
  const double mass = weight_ / kAvogadro;
  const double sigma = species_.diameter * kCentimetresPerAngstrom;
  const double omega = omega22_(temperature / species_.wellDepth);
  return 5.0 / 16.0 * std::sqrt(kPi * mass * kBoltzmann * temperature) /
         (kPi * sigma * sigma * omega);
}

double SpeciesProperties::selfDiffusionRatio(double temperature) const {
  const double reducedTemperature = temperature / species_.wellDepth;
  const double diffusionTimesPressure = diffusionFactor(weight_, weight_, species_.diameter) *
                                        temperature * std::sqrt(temperature) /
                                        omega11_(reducedTemperature);
  // rho = p W / (R T)
  return weight_ / (kGasConstant * temperature) * diffusionTimesPressure / viscosity(temperature);
}

double SpeciesProperties::conductivity(double temperature, double heatCapacity) const {
  const double rotational = rotationalHeatCapacity(species_.geometry);  // Cv_rot / R
  const double translational = 1.5;                                     // Cv_tr / R
  const double vibrational = heatCapacity - 1.0 - translational - rotational;
  const double diffusionRatio = selfDiffusionRatio(temperature);
  const double a = 2.5 - diffusionRatio;
  const double b = RotationalRelaxation(species_, temperature) +
                   2.0 / kPi * (5.0 / 3.0 * rotational + diffusionRatio);
  const double exchange = 2.0 / kPi * a / b;
  const double fTranslational = 2.5 * (1.0 - exchange * rotational / translational);
  const double fRotational = diffusionRatio * (1.0 + exchange);
  const double fVibrational = diffusionRatio;
  return viscosity(temperature) / weight_ * kGasConstant *
         (fTranslational * translational + fRotational * rotational + fVibrational * vibrational);
}

PairDiffusion::PairDiffusion(double weightJ, double weightK, const PairParameters& pair)
    : factor_(diffusionFactor(weightJ, weightK, pair.diameter)),
      logFactor_(std::log(factor_)),
      wellDepth_(pair.wellDepth),
      logWellDepth_(std::log(pair.wellDepth)),
      omega11_(CollisionQuantity::Omega11, pair.reducedDipole) {}

double PairDiffusion::logarithm(double logTemperature, double logPressure) const {
  return logFactor_ + 1.5 * logTemperature - logPressure -
         std::log(omega11_.atLogTemperature(logTemperature - logWellDepth_));
}

double PairDiffusion::operator()(double temperature, double pressure) const {
  return factor_ * temperature * std::sqrt(temperature) /
         (pressure * omega11_(temperature / wellDepth_));
}

ThermalDiffusion::ThermalDiffusion(double lightWeight, double weightK, const PairParameters& pair)
    : massFactor_((lightWeight - weightK) / (lightWeight + weightK)),
      wellDepth_(pair.wellDepth),
      aStar_(CollisionQuantity::AStar, pair.reducedDipole),
      bStar_(CollisionQuantity::BStar, pair.reducedDipole),
      cStar_(CollisionQuantity::CStar, pair.reducedDipole) {}

double ThermalDiffusion::operator()(double temperature) const {
  const double reducedTemperature = temperature / wellDepth_;
  const double a = aStar_(reducedTemperature);
  const double b = bStar_(reducedTemperature);
  const double c = cStar_(reducedTemperature);
  return 7.5 * (2.0 * a + 5.0) * (6.0 * c - 5.0) / (a * (16.0 * a - 12.0 * b + 55.0)) * massFactor_;
}

}  // namespace quillet
