// The property computation and the fits (FitTransport of converter.h).
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <sstream>

#include "converters/quillet/converter.h"
#include "converters/quillet/fitting.h"

namespace quillet {
namespace {

// Largest number of reweighting passes of the pure-species and thermal diffusion fits; they stop
// earlier once the largest error no longer shrinks. The diffusion fits, K^2/2 of them, keep the
// plain least-squares fit, whose error is well within the accuracy of the data.
constexpr int kMinimaxPasses = 200;

// The check grid: 2 * kFitPoints - 1 temperatures. The even ones are the fit temperatures,
// Chebyshev-Lobatto points in ln T (closer together towards both ends, which keeps the largest
// error of a least-squares fit near that of the best possible fit, instead of letting it grow
// at the ends of the range); the odd ones lie halfway between them in ln T.
std::vector<double> checkTemperatures(double low, double high) {
  const std::size_t count = 2 * kFitPoints - 1;
  const double logLow = std::log(low);
  const double logHigh = std::log(high);
  const double centre = 0.5 * (logLow + logHigh);
  const double halfWidth = 0.5 * (logHigh - logLow);
  std::vector<double> logs(count);
  for (std::size_t i = 0; i < count; i += 2) {
    const double angle = std::numbers::pi * static_cast<double>(kFitPoints - 1 - i / 2) /
                         static_cast<double>(kFitPoints - 1);
    logs[i] = centre + halfWidth * std::cos(angle);
  }
  for (std::size_t i = 1; i < count; i += 2) logs[i] = 0.5 * (logs[i - 1] + logs[i + 1]);
  std::vector<double> temperatures(count);
  for (std::size_t i = 0; i < count; ++i) temperatures[i] = std::exp(logs[i]);
  temperatures.front() = low;
  temperatures.back() = high;
  return temperatures;
}

std::string temperatureText(double temperature) {
  std::ostringstream text;
  text.precision(6);
  text << temperature << " K";
  return text.str();
}

// Largest relative error exp(d) - 1 of the fitted property over points [first, last).
double largestRelativeError(std::span<const double> coefficients,
                            std::span<const double> logTemperatures,
                            std::span<const double> logValues, std::size_t first,
                            std::size_t last) {
  // exp(d) - 1 is largest, in magnitude, at the largest or the smallest deviation d.
  double above = 0.0, below = 0.0;
  for (std::size_t i = first; i < last; ++i) {
    const double deviation =
        PolynomialFit::evaluate(coefficients, logTemperatures[i]) - logValues[i];
    above = std::max(above, deviation);
    below = std::min(below, deviation);
  }
  return std::max(std::expm1(above), -std::expm1(below));
}

// Fits `logValues`, the logarithms of a property at every check temperature, and returns the
// largest relative error of the fitted property over the check grid. With `minimaxPasses` the
// least-squares fit is then reweighted towards the smallest largest error over the grid.
double fitLogarithm(const PolynomialFit& fit, std::span<const double> logTemperatures,
                    std::span<const double> logValues, std::span<double> coefficients,
                    int minimaxPasses = 0) {
  double fitValues[kFitPoints];
  for (std::size_t i = 0; i < static_cast<std::size_t>(kFitPoints); ++i) {
    fitValues[i] = logValues[2 * i];
  }
  fit.fit(fitValues, coefficients);
  if (minimaxPasses > 0) {
    PolynomialFit::refineMinimax(logTemperatures, logValues, coefficients, minimaxPasses);
  }
  return largestRelativeError(coefficients, logTemperatures, logValues, 0, logValues.size());
}

void takeLogarithms(std::span<double> values) {
  for (double& value : values) value = std::log(value);
}

double fitDirect(const PolynomialFit& fit, std::span<const double> temperatures,
                 std::span<const double> values, std::span<double> coefficients) {
  double fitValues[kFitPoints];
  double largest = 0.0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(kFitPoints); ++i) {
    fitValues[i] = values[2 * i];
  }
  for (double value : values) largest = std::max(largest, std::abs(value));
  fit.fit(fitValues, coefficients);
  if (largest == 0.0) return 0.0;
  PolynomialFit::refineMinimax(temperatures, values, coefficients, kMinimaxPasses);
  double worst = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double fitted = PolynomialFit::evaluate(coefficients, temperatures[i]);
    worst = std::max(worst, std::abs(fitted - values[i]) / largest);
  }
  return worst;
}

// The temperatures at which the conductivity of a species whose own thermo range
// [ownLow, ownHigh] covers only part of the fit range is fitted (converter.h): the check
// temperatures of its own range with importance 1, then those of the fit range beyond it with
// importance kBeyondRangeImportance.
struct OwnRangeGrid {
  std::vector<double> temperatures;  // the own range's check temperatures, then the others
  std::vector<double> logTemperatures;
  std::vector<double> importance;
  std::size_t ownCount = 0;
};

OwnRangeGrid ownRangeGrid(double ownLow, double ownHigh, std::span<const double> fitGrid) {
  OwnRangeGrid grid;
  grid.temperatures = checkTemperatures(ownLow, ownHigh);
  grid.ownCount = grid.temperatures.size();
  for (double temperature : fitGrid) {
    if (temperature < ownLow || temperature > ownHigh) grid.temperatures.push_back(temperature);
  }
  grid.importance.assign(grid.temperatures.size(), kBeyondRangeImportance);
  std::fill_n(grid.importance.begin(), grid.ownCount, 1.0);
  for (double temperature : grid.temperatures)
    grid.logTemperatures.push_back(std::log(temperature));
  return grid;
}

// Cp/R for the conductivity of `species`: its own polynomial, held at its range's ends and, when
// its band is known, inside the band (converter.h).
double conductivityHeatCapacity(const FitSpecies& species, double temperature) {
  const double value = species.thermo->heatCapacity(temperature);
  if (!species.heatCapacityBand) return value;
  return std::clamp(value, species.heatCapacityBand->lower, species.heatCapacityBand->upper);
}

// First temperature at which a value is not finite, or not positive when `positive`; -1 if none.
std::ptrdiff_t firstBadValue(std::span<const double> values, bool positive) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!std::isfinite(values[i]) || (positive && !(values[i] > 0.0))) {
      return static_cast<std::ptrdiff_t>(i);
    }
  }
  return -1;
}

}  // namespace

TransportFits FitTransport(std::span<const FitSpecies> species, const std::string& kineticsFile,
                           const std::string& dataFile, Diagnostics& diagnostics) {
  TransportFits fits;
  const std::size_t speciesCount = species.size();
  const std::size_t fitOrder = kFitOrder;
  if (speciesCount == 0) return fits;

  double highest = 0.0;
  for (const FitSpecies& current : species)
    highest = std::max(highest, current.thermo->bounds.back());
  if (!(highest > kLowestTemperature)) {
    diagnostics.error(kineticsFile, 0,
                      "the highest thermo temperature of the mechanism, " +
                          temperatureText(highest) + ", is not above " +
                          temperatureText(kLowestTemperature));
    return fits;
  }
  fits.lowTemperature = kLowestTemperature;
  fits.highTemperature = highest;

  const std::vector<double> temperatures = checkTemperatures(kLowestTemperature, highest);
  const std::size_t checkCount = temperatures.size();
  std::vector<double> logTemperatures(checkCount);
  for (std::size_t i = 0; i < checkCount; ++i) logTemperatures[i] = std::log(temperatures[i]);
  std::vector<double> fitLogs, fitTemperatures;
  for (std::size_t i = 0; i < checkCount; i += 2) {
    fitLogs.push_back(logTemperatures[i]);
    fitTemperatures.push_back(temperatures[i]);
  }
  const PolynomialFit logFit(fitLogs, fitOrder);
  const PolynomialFit directFit(fitTemperatures, fitOrder);

  fits.conductivity.assign(fitOrder * speciesCount, 0.0);
  fits.viscosity.assign(fitOrder * speciesCount, 0.0);
  fits.diffusion.assign(fitOrder * speciesCount * speciesCount, 0.0);
  fits.pairs.resize(speciesCount * speciesCount);
  fits.viscosityError.assign(speciesCount, 0.0);
  fits.conductivityError.assign(speciesCount, 0.0);
  fits.conductivityBeyondRange.assign(speciesCount, std::numeric_limits<double>::quiet_NaN());
  fits.diffusionError.assign(speciesCount, 0.0);
  fits.diffusionPartner.assign(speciesCount, 0);
  fits.thermalDiffusionError.assign(speciesCount, std::numeric_limits<double>::quiet_NaN());

  std::vector<double> values(checkCount);
  auto reportBadAt = [&](std::size_t k, const std::string& what, double temperature,
                         bool positive) {
    diagnostics.error(dataFile, species[k].line,
                      what + (positive ? " is not a positive number" : " is not a number") +
                          " at " + temperatureText(temperature));
  };
  auto reportBad = [&](std::size_t k, const std::string& what, std::ptrdiff_t at, bool positive) {
    reportBadAt(k, what, temperatures[static_cast<std::size_t>(at)], positive);
  };

  // Fits the logarithm of a pure-species property held in `values` into the coefficients of
  // species k in `coefficients`; false, with an error, when a value is not positive.
  const auto fitPositiveProperty = [&](std::size_t k, const char* property,
                                       std::vector<double>& coefficients, double& fitError) {
    if (const auto bad = firstBadValue(values, true); bad >= 0) {
      reportBad(k, "species " + species[k].name + ": " + property, bad, true);
      return false;
    }
    takeLogarithms(values);
    fitError =
        fitLogarithm(logFit, logTemperatures, values,
                     std::span(coefficients).subspan(k * fitOrder, fitOrder), kMinimaxPasses);
    return true;
  };

  for (std::size_t k = 0; k < speciesCount; ++k) {
    const FitSpecies& current = species[k];
    const MolecularParameters& parameters = current.parameters;
    const double reducedDipole = ReducedDipole(parameters.dipole * parameters.dipole,
                                               parameters.wellDepth, parameters.diameter);
    if (reducedDipole > kLargestTabulatedDipole) {
      std::ostringstream text;
      text << "species " << current.name << ": reduced dipole " << reducedDipole
           << " lies beyond the collision-integral tables; their last column (2.5) is used";
      diagnostics.warning(dataFile, current.line, text.str());
    }
    const double reducedLow = kLowestTemperature / parameters.wellDepth;
    const double reducedHigh = highest / parameters.wellDepth;
    if (reducedLow < 0.1 || reducedHigh > 100.0) {
      std::ostringstream text;
      text << "species " << current.name << ": reduced temperatures " << reducedLow << " to "
           << reducedHigh
           << " leave the collision-integral tables (0.1 to 100); the Lennard-Jones fits "
              "extend them";
      diagnostics.warning(dataFile, current.line, text.str());
    }

    const SpeciesProperties properties(current.molecularWeight, parameters);
    for (std::size_t i = 0; i < checkCount; ++i) values[i] = properties.viscosity(temperatures[i]);
    if (!fitPositiveProperty(k, "viscosity", fits.viscosity, fits.viscosityError[k])) continue;

    const char* const kConductivity = "thermal conductivity";
    const double ownLow = std::max(kLowestTemperature, current.thermo->bounds.front());
    const double ownHigh = std::min(highest, current.thermo->bounds.back());
    const bool ownRangeInside = ownHigh > ownLow;
    if (!ownRangeInside || (ownLow == kLowestTemperature && ownHigh == highest)) {
      for (std::size_t i = 0; i < checkCount; ++i) {
        values[i] = properties.conductivity(temperatures[i],
                                            conductivityHeatCapacity(current, temperatures[i]));
      }
      fitPositiveProperty(k, kConductivity, fits.conductivity, fits.conductivityError[k]);
      // A range wholly outside the fit range leaves Cp held everywhere.
      if (!ownRangeInside) fits.conductivityBeyondRange[k] = fits.conductivityError[k];
      continue;
    }
    const OwnRangeGrid grid = ownRangeGrid(ownLow, ownHigh, temperatures);
    std::vector<double> logValues(grid.temperatures.size());
    for (std::size_t i = 0; i < logValues.size(); ++i) {
      const double temperature = grid.temperatures[i];
      logValues[i] =
          properties.conductivity(temperature, conductivityHeatCapacity(current, temperature));
    }
    if (const auto bad = firstBadValue(logValues, true); bad >= 0) {
      reportBadAt(k, "species " + current.name + ": " + kConductivity,
                  grid.temperatures[static_cast<std::size_t>(bad)], true);
      continue;
    }
    takeLogarithms(logValues);
    const std::span<double> coefficients =
        std::span(fits.conductivity).subspan(k * fitOrder, fitOrder);
    // Cannot fail: the grid spans the fit range with far more points than coefficients.
    PolynomialFit::fitWeighted(grid.logTemperatures, logValues, grid.importance, coefficients);
    PolynomialFit::refineMinimax(grid.logTemperatures, logValues, coefficients, kMinimaxPasses,
                                 grid.importance);
    fits.conductivityError[k] =
        largestRelativeError(coefficients, grid.logTemperatures, logValues, 0, grid.ownCount);
    fits.conductivityBeyondRange[k] = largestRelativeError(
        coefficients, grid.logTemperatures, logValues, grid.ownCount, logValues.size());
  }

  const double logPressure = std::log(kReferencePressure);
  for (std::size_t k = 0; k < speciesCount; ++k) {
    for (std::size_t j = 0; j <= k; ++j) {
      const PairParameters pair = CombinePair(species[j].parameters, species[k].parameters);
      fits.pairs[j + k * speciesCount] = pair;
      fits.pairs[k + j * speciesCount] = pair;
      const PairDiffusion diffusion(species[j].molecularWeight, species[k].molecularWeight, pair);
      for (std::size_t i = 0; i < checkCount; ++i) {
        values[i] = diffusion.logarithm(logTemperatures[i], logPressure);
      }
      if (const auto bad = firstBadValue(values, false); bad >= 0) {
        reportBad(
            k,
            "pair " + species[j].name + " - " + species[k].name + ": binary diffusion coefficient",
            bad, true);
        continue;
      }
      const std::span<double> coefficients =
          std::span(fits.diffusion).subspan((j + k * speciesCount) * fitOrder, fitOrder);
      const double error = fitLogarithm(logFit, logTemperatures, values, coefficients);
      std::copy(
          coefficients.begin(), coefficients.end(),
          fits.diffusion.begin() + static_cast<std::ptrdiff_t>((k + j * speciesCount) * fitOrder));
      if (error >= fits.diffusionError[k]) {
        fits.diffusionError[k] = error;
        fits.diffusionPartner[k] = static_cast<std::int32_t>(j);
      }
      if (error >= fits.diffusionError[j]) {
        fits.diffusionError[j] = error;
        fits.diffusionPartner[j] = static_cast<std::int32_t>(k);
      }
    }
  }

  for (std::size_t l = 0; l < speciesCount; ++l) {
    if (species[l].molecularWeight < kLightWeightLimit) {
      fits.lightSpecies.push_back(static_cast<std::int32_t>(l + 1));
    }
  }
  const std::size_t lightCount = fits.lightSpecies.size();
  fits.thermalDiffusion.assign(fitOrder * speciesCount * lightCount, 0.0);
  for (std::size_t n = 0; n < lightCount; ++n) {
    const std::size_t l = static_cast<std::size_t>(fits.lightSpecies[n] - 1);
    for (std::size_t k = 0; k < speciesCount; ++k) {
      const ThermalDiffusion ratio(species[l].molecularWeight, species[k].molecularWeight,
                                   fits.pairs[l + k * speciesCount]);
      for (std::size_t i = 0; i < checkCount; ++i) values[i] = ratio(temperatures[i]);
      if (const auto bad = firstBadValue(values, false); bad >= 0) {
        reportBad(k,
                  "pair " + species[l].name + " - " + species[k].name + ": thermal diffusion ratio",
                  bad, false);
        continue;
      }
      const double error = fitDirect(
          directFit, temperatures, values,
          std::span(fits.thermalDiffusion).subspan((k + n * speciesCount) * fitOrder, fitOrder));
      double& worst = fits.thermalDiffusionError[k];
      if (std::isnan(worst) || error > worst) worst = error;
    }
  }
  return fits;
}

}  // namespace quillet
