// The transport conversion: from the kinetics linking file and the transport data file to the
// transport linking file and a listing.
//
// Pure-species viscosities and conductivities, the binary diffusion coefficients of every pair
// at one atmosphere and the thermal diffusion ratios of every species against each light species
// (molecular weight below 5) are computed by kinetic theory (properties.h) from 300 K to the
// highest thermo temperature of the mechanism, and fitted with four coefficients: ln(property)
// as a cubic in ln T for the first three, the ratio itself as a cubic in T for thermal diffusion.
//
// The fits are least squares at 50 temperatures, Chebyshev-Lobatto points in ln T (denser towards
// both ends of the range, where an evenly spaced least-squares fit errs most). The pure-species
// and thermal diffusion fits are then reweighted (Lawson's iteration) towards the fit with the
// smallest largest error; the pair fits keep the plain least-squares fit. The listed fit error
// is the largest relative error over the fit temperatures and the points halfway between them.
// For thermal diffusion ratios, which pass through zero, it is taken relative to the largest
// magnitude of the ratio over the range.
//
// The conductivity needs Cp, which a species' thermo gives over its own range only; beyond it Cp
// is held at the range's end (mechanism.h), and inside it Cp/R is held inside the species'
// physical band (FitSpecies). A species whose range leaves part of the fit range uncovered has
// its conductivity fitted at 50 points of its own range (and the points halfway), with the fit
// temperatures beyond it at half the weight (kBeyondRangeImportance): inside its range the fit
// follows its own Cp, and beyond it, where the held values are only a guess, it is tied to them
// more loosely instead of being bent towards them. Its listed conductivity error is the one
// inside its range.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "converters/quillet/diagnostics.h"
#include "converters/quillet/mechanism.h"
#include "converters/quillet/properties.h"

namespace quillet {

// Values of the error flag.
enum ErrorFlag : std::int32_t {
  kSuccess = 0,
  kInputError = 1,          // transport data or thermo data unusable; see the listing
  kKineticsUnreadable = 2,  // the kinetics linking file could not be read
  kOutputUnwritable = 3,    // the transport linking file could not be written, or is the same
                            // file as an input
  kListingUnwritable = 4,   // the listing could not be written, or is the same file as an
                            // input or as the transport linking file
  kInternalError = 5,       // an unexpected failure (for example out of memory)
};

inline constexpr std::int32_t kFitOrder = 4;
inline constexpr std::int32_t kFitPoints = 50;
inline constexpr double kLowestTemperature = 300.0;
inline constexpr double kLightWeightLimit = 5.0;
inline constexpr double kReferencePressure = kAtmosphere;
// Weight of a species' conductivity beyond its own thermo range against that inside it: beyond
// it the fit may stray twice as far from the conductivity with Cp held. Held Cp usually falls
// short of the real one, which keeps rising, so a fit far below it there is no better; with a tenth
// of the weight the fits of the published mechanisms fell up to 17% below it, with half of it 5%,
// while inside the ranges they gained little more.
inline constexpr double kBeyondRangeImportance = 0.5;

// One species as the fit sees it.
struct FitSpecies {
  std::string name;
  double molecularWeight = 0.0;
  const SpeciesThermo* thermo = nullptr;
  MolecularParameters parameters;
  std::int64_t line = 0;  // of the species in the transport data file
  // The physical band of its Cp/R (mechanism.h), none when its atoms are unknown. The
  // conductivity takes Cp/R held inside it: a polynomial that leaves the band has left what it
  // was fitted to, and the conductivity of an unphysical heat capacity is no better.
  std::optional<HeatCapacityBand> heatCapacityBand;
};

struct TransportFits {
  double lowTemperature = 0.0;
  double highTemperature = 0.0;
  std::vector<double> conductivity;        // N * K
  std::vector<double> viscosity;           // N * K
  std::vector<double> diffusion;           // N * K * K: coefficient, species j, species k
  std::vector<std::int32_t> lightSpecies;  // 1-based species numbers
  std::vector<double> thermalDiffusion;    // N * K * L: coefficient, species k, light species l
  std::vector<PairParameters> pairs;       // K * K, (j, k) at j + k K

  // Largest relative fit errors, per species.
  std::vector<double> viscosityError;
  // Inside the species' own thermo range (the whole fit range when its range lies wholly
  // outside).
  std::vector<double> conductivityError;
  // Beyond the species' own thermo range, where its Cp is held: the largest relative deviation
  // of the fit from the conductivity with that Cp. NaN when its range covers the fit range.
  std::vector<double> conductivityBeyondRange;
  std::vector<double> diffusionError;          // worst pair of the species
  std::vector<std::int32_t> diffusionPartner;  // 0-based partner of that pair
  std::vector<double> thermalDiffusionError;   // worst light species, NaN when L = 0
};

// Computes and fits every property. A property that comes out not finite or, where it is fitted
// by its logarithm, not positive is reported as an error against the species' line of
// `dataFile`; a mechanism whose thermo ends below 300 K against `kineticsFile`.
TransportFits FitTransport(std::span<const FitSpecies> species, const std::string& kineticsFile,
                           const std::string& dataFile, Diagnostics& diagnostics);

struct ConversionFiles {
  std::string kinetics;       // read
  std::string transportLink;  // written
  std::string transportData;  // read
  std::string listing;        // written
};

struct ConversionResult {
  std::int32_t errorFlag = kSuccess;
  std::string summary;  // one line, also the last line of the listing
};

// Runs the whole conversion. It never throws. Whenever a transport linking file name is given,
// a file is written there: the fits on success, and on any failure (the kinetics file
// unreadable included) a file whose error flag is set, so that a stale file from an earlier run
// can never pass for this run's result. The one exception is a clash of names: when an output
// is the same file as an input or as the other output (common/output_files.h), nothing is read
// or written and the summary names the two files.
ConversionResult ConvertTransport(const ConversionFiles& files);

}  // namespace quillet
