// The kinetics work arrays and KineticsState.
//
// All mechanism data of a run lives in three flat, 1-based work arrays owned by the driver:
// IKWORK (32-bit integers), RKWORK (doubles) and SKWORK (16-character names). Each array is a
// sequence of named sections whose lengths follow from the counts of the kinetics linking
// file; a section start is the array position of its first entry, and entry j of block n of a
// section with stride w sits at start + (n - 1) * w + j - 1. The declared lengths in a linking
// file are measured in these units, so the order and lengths below are part of the format.
//
// KineticsState holds the counts and every section start. The loader fills it once per run;
// everything else only reads it. Positions are computed in 64-bit arithmetic so that a file
// with absurd counts is seen to be absurd instead of wrapping around.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/work_array.h"

namespace kinetics {

// The counts of record 2 of the kinetics linking file, in file order (without the three
// declared lengths and the ignored count).
struct KineticsCounts {
  std::int32_t ElementCount = 0;
  std::int32_t KK = 0;
  std::int32_t ReactionCount = 0;
  std::int32_t MaxReactionSpecies = 0;
  std::int32_t MaxThirdBodies = 0;
  std::int32_t MaxTemperatures = 0;
  std::int32_t CpCoefficientCount = 0;
  std::int32_t RateParameterCount = 0;
  std::int32_t LandauTellerParameterCount = 0;
  std::int32_t FallOffParameterCount = 0;
  std::int32_t ReverseReactionCount = 0;
  std::int32_t FallOffReactionCount = 0;
  std::int32_t ThirdBodyReactionCount = 0;
  std::int32_t LandauTellerReactionCount = 0;
  std::int32_t ReverseLandauTellerReactionCount = 0;
  std::int32_t WavelengthReactionCount = 0;
  std::int32_t ElectronImpactReactionCount = 0;
  std::int32_t JanevParameterCount = 0;
  std::int32_t JanevReactionCount = 0;
  std::int32_t FitParameterCount = 0;
  std::int32_t FitReactionCount = 0;
  std::int32_t ExcitationReactionCount = 0;
  std::int32_t RealStoichReactionCount = 0;
  std::int32_t OrderReactionCount = 0;
  std::int32_t MaxOrderSpecies = 0;
};

// The counts of the pressure-table record that may follow the last present record (see
// linking_file.h); all zero for files without it.
struct TableCounts {
  std::int32_t PressureTableReactionCount = 0;  // reactions with a table of Arrhenius rows
  std::int32_t PressureRowCount = 0;            // rows of all pressure tables together
  std::int32_t ChebyshevReactionCount = 0;      // reactions with a Chebyshev fit
  std::int32_t ChebyshevCoefficientCount = 0;   // coefficients of all fits together
  std::int32_t ActivatedReactionCount = 0;      // chemically activated fall-off reactions
  std::int32_t ActivatedEfficiencyCount = 0;    // their enhanced third bodies together
};

// Section starts of IKWORK (1-based positions).
struct IntegerSections {
  std::int64_t InitMark = 1;
  std::int64_t ElementComposition = 0;
  std::int64_t SpeciesIntA = 0;
  std::int64_t SpeciesIntB = 0;
  std::int64_t TemperatureCount = 0;
  std::int64_t StoichCoefficients = 0;
  std::int64_t StoichSpecies = 0;
  std::int64_t ReactionSpeciesCount = 0;
  std::int64_t ReactionAuxCount = 0;
  std::int64_t LandauTellerReactions = 0;
  std::int64_t ReverseLandauTellerReactions = 0;
  std::int64_t FallOffReactions = 0;
  std::int64_t FallOffForm = 0;
  std::int64_t FallOffThirdBody = 0;
  std::int64_t ThirdBodyReactions = 0;
  std::int64_t ThirdBodyCount = 0;
  std::int64_t ThirdBodySpecies = 0;
  std::int64_t ReverseReactions = 0;
  std::int64_t WavelengthReactions = 0;
  std::int64_t ElectronImpactReactions = 0;
  std::int64_t ElectronTemperatureIndex = 0;
  std::int64_t JanevReactions = 0;
  std::int64_t FitReactions = 0;
  std::int64_t ExcitationReactions = 0;
  std::int64_t RealStoichReactions = 0;
  std::int64_t OrderReactions = 0;
  std::int64_t OrderSpecies = 0;
  // The pressure-table sections follow every section of the base layout.
  std::int64_t PressureTableReactions = 0;
  std::int64_t PressureTableFirstRow = 0;  // 1-based row of the reaction's lowest pressure
  std::int64_t PressureTableRows = 0;
  std::int64_t ChebyshevReactions = 0;
  std::int64_t ChebyshevTemperatureCount = 0;
  std::int64_t ChebyshevPressureCount = 0;
  std::int64_t ChebyshevFirstCoefficient = 0;  // 1-based entry of the reaction's first one
  std::int64_t ActivatedReactions = 0;
  std::int64_t ActivatedForm = 0;
  std::int64_t ActivatedThirdBody = 0;  // 0 = the mixture, else a species number
  std::int64_t ActivatedFirstEfficiency = 0;
  std::int64_t ActivatedEfficiencyCount = 0;
  std::int64_t ActivatedEfficiencySpecies = 0;
};

// Section starts of RKWORK (1-based positions).
struct RealSections {
  std::int64_t AtomicWeights = 1;
  std::int64_t MolecularWeights = 0;
  std::int64_t TemperatureBounds = 0;
  std::int64_t ThermoCoefficients = 0;
  std::int64_t RateParameters = 0;
  std::int64_t ReverseParameters = 0;
  std::int64_t LandauTellerParameters = 0;
  std::int64_t ReverseLandauTellerParameters = 0;
  std::int64_t FallOffParameters = 0;
  std::int64_t ThirdBodyEfficiencies = 0;
  std::int64_t Wavelengths = 0;
  std::int64_t JanevParameters = 0;
  std::int64_t FitParameters = 0;
  std::int64_t ExcitationEnergies = 0;
  std::int64_t RealStoichCoefficients = 0;
  std::int64_t OrderValues = 0;
  // The pressure-table sections, empty without tables.
  std::int64_t PressureTablePressures = 0;   // atm, ascending within a reaction
  std::int64_t PressureTableParameters = 0;  // A, beta, E/R of each row
  std::int64_t ChebyshevRanges = 0;          // Tmin, Tmax (K), Pmin, Pmax (atm)
  std::int64_t ChebyshevCoefficients = 0;    // temperature index outer, pressure index inner
  std::int64_t ActivatedHighParameters = 0;  // high-pressure A, beta, E/R
  std::int64_t ActivatedParameters = 0;      // low-pressure A, beta, E/R, form parameters
  std::int64_t ActivatedEfficiencies = 0;
  std::int64_t GasConstant = 0;
  std::int64_t GasConstantCal = 0;
  std::int64_t StandardPressure = 0;
  std::int64_t ForwardRateCoefficients = 0;
  std::int64_t ReverseRateCoefficients = 0;
  std::int64_t ConcentrationScratch = 0;
  std::int64_t SpeciesScratch2 = 0;
  std::int64_t SpeciesScratch3 = 0;
  std::int64_t SpeciesScratch4 = 0;
  std::int64_t ForwardProgressScratch = 0;
  std::int64_t ReverseProgressScratch = 0;
  std::int64_t ThirdBodyScratch = 0;
};

// Section starts of SKWORK (1-based positions).
struct CharacterSections {
  std::int64_t ElementNames = 1;
  std::int64_t SpeciesNames = 0;
};

// The whole layout: section starts and the lengths the sections occupy together.
struct WorkArrayLayout {
  IntegerSections integer;
  RealSections real;
  CharacterSections character;
  std::int64_t usedIntLength = 0;   // 1 + the sum of the integer section lengths
  std::int64_t usedRealLength = 0;  // sum of the real section lengths
  std::int64_t usedCharLength = 0;  // ElementCount + KK
};

// Per-row and per-fit strides of the pressure-table sections.
inline constexpr std::int32_t kTableRateParameterCount = 3;  // A, beta, E/R
inline constexpr std::int32_t kChebyshevRangeCount = 4;      // Tmin, Tmax, Pmin, Pmax
inline constexpr std::int32_t kActivatedParameterCount = 8;  // as FallOffParameterCount

// Computes every section start from the counts. Negative counts are the caller's to refuse;
// here they are treated as given. Lengths and starts saturate (common/saturating.h), so absurd
// counts give an absurd layout instead of overflowing. Without tables the pressure-table
// sections are empty and the layout is the base layout, position for position.
WorkArrayLayout ComputeWorkArrayLayout(const KineticsCounts& counts,
                                       const TableCounts& tables = {});

// The floor of the rate kernel's divisions and logarithms: 1.0e-300 as the kinetics library
// has always stored it, a few units in the last place above the nearest double.
inline constexpr double kSmallValue = 1.0000000000000324e-300;

// The process-wide record of the kinetics library.
struct KineticsState {
  std::int32_t RequiredIntLength = 0;
  std::int32_t RequiredRealLength = 0;
  std::int32_t RequiredCharLength = 0;
  KineticsCounts counts;
  TableCounts tables;
  std::int32_t EnthalpyCoefficient = 0;     // CpCoefficientCount + 1
  std::int32_t CoefficientsPerRange = 0;    // CpCoefficientCount + 2
  std::int32_t CoefficientsPerSpecies = 0;  // (MaxTemperatures - 1) * CoefficientsPerRange
  WorkArrayLayout layout;
  double HeaderTolerance = 0.0;
  // Numeric limits of the rate kernel.
  double SmallValue = kSmallValue;
  double BigValue = 1.0e+300;
  double ExpCap = 690.7755278982137;  // ln(1.0e+300)
};

// The record the loader fills; read by the queries and the rate kernel.
KineticsState& MutableKineticsState();
inline const KineticsState& CurrentKineticsState() {
  return MutableKineticsState();
}

// The constants the loader stores in their single-value sections of RKWORK.
inline constexpr double kGasConstant = 8.31451E+07;            // erg/(mol K)
inline constexpr double kGasConstantCal = 1.9872155831739962;  // cal/(mol K)
inline constexpr double kStandardPressure = 1013250.0;         // dyn/cm2, one atmosphere

// The index rule of the arrays (common/work_array.h), under the names the kinetics code uses.
using common::BlockEntry;
using common::Entry;

}  // namespace kinetics
