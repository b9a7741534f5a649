// Section starts of the work arrays, computed by hand from the counts of the fixtures.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kinetics/linking_file.h"
#include "kinetics/work_arrays.h"
#include "kinetics_support.h"

namespace kinetics {
namespace {

using testing::FullMechanism;
using testing::PlainMechanism;

struct Start {
  const char* section;
  std::int64_t actual;
  std::int64_t expected;
};

void ExpectStarts(const std::vector<Start>& starts) {
  for (const Start& start : starts) {
    EXPECT_EQ(start.actual, start.expected) << start.section;
  }
}

// E = 2, KK = 3, I = 4, 6 slots, 2 third-body slots, 3 bounds, 7 coefficients per range,
// 3 rate parameters, and one entry in every auxiliary list but two third-body entries.
TEST(WorkArrayLayout, EveryAuxiliaryCountNonZero) {
  const KineticsCounts counts = CountsOf(FullMechanism());
  const WorkArrayLayout layout = ComputeWorkArrayLayout(counts);
  const IntegerSections& i = layout.integer;
  const RealSections& r = layout.real;
  ExpectStarts({
      {"InitMark", i.InitMark, 1},
      {"ElementComposition", i.ElementComposition, 2},
      {"SpeciesIntA", i.SpeciesIntA, 8},
      {"SpeciesIntB", i.SpeciesIntB, 11},
      {"TemperatureCount", i.TemperatureCount, 14},
      {"StoichCoefficients", i.StoichCoefficients, 17},
      {"StoichSpecies", i.StoichSpecies, 41},
      {"ReactionSpeciesCount", i.ReactionSpeciesCount, 65},
      {"ReactionAuxCount", i.ReactionAuxCount, 69},
      {"LandauTellerReactions", i.LandauTellerReactions, 73},
      {"ReverseLandauTellerReactions", i.ReverseLandauTellerReactions, 74},
      {"FallOffReactions", i.FallOffReactions, 75},
      {"FallOffForm", i.FallOffForm, 76},
      {"FallOffThirdBody", i.FallOffThirdBody, 77},
      {"ThirdBodyReactions", i.ThirdBodyReactions, 78},
      {"ThirdBodyCount", i.ThirdBodyCount, 80},
      {"ThirdBodySpecies", i.ThirdBodySpecies, 82},
      {"ReverseReactions", i.ReverseReactions, 86},
      {"WavelengthReactions", i.WavelengthReactions, 87},
      {"ElectronImpactReactions", i.ElectronImpactReactions, 88},
      {"ElectronTemperatureIndex", i.ElectronTemperatureIndex, 89},
      {"JanevReactions", i.JanevReactions, 90},
      {"FitReactions", i.FitReactions, 91},
      {"ExcitationReactions", i.ExcitationReactions, 92},
      {"RealStoichReactions", i.RealStoichReactions, 93},
      {"OrderReactions", i.OrderReactions, 94},
      {"OrderSpecies", i.OrderSpecies, 95},
      {"used integers", layout.usedIntLength, 96},
      {"AtomicWeights", r.AtomicWeights, 1},
      {"MolecularWeights", r.MolecularWeights, 3},
      {"TemperatureBounds", r.TemperatureBounds, 6},
      {"ThermoCoefficients", r.ThermoCoefficients, 15},
      {"RateParameters", r.RateParameters, 57},
      {"ReverseParameters", r.ReverseParameters, 73},
      {"LandauTellerParameters", r.LandauTellerParameters, 77},
      {"ReverseLandauTellerParameters", r.ReverseLandauTellerParameters, 79},
      {"FallOffParameters", r.FallOffParameters, 81},
      {"ThirdBodyEfficiencies", r.ThirdBodyEfficiencies, 89},
      {"Wavelengths", r.Wavelengths, 93},
      {"JanevParameters", r.JanevParameters, 94},
      {"FitParameters", r.FitParameters, 97},
      {"ExcitationEnergies", r.ExcitationEnergies, 99},
      {"RealStoichCoefficients", r.RealStoichCoefficients, 100},
      {"OrderValues", r.OrderValues, 106},
      {"GasConstant", r.GasConstant, 108},
      {"GasConstantCal", r.GasConstantCal, 109},
      {"StandardPressure", r.StandardPressure, 110},
      {"ForwardRateCoefficients", r.ForwardRateCoefficients, 111},
      {"ReverseRateCoefficients", r.ReverseRateCoefficients, 115},
      {"ConcentrationScratch", r.ConcentrationScratch, 119},
      {"SpeciesScratch2", r.SpeciesScratch2, 122},
      {"SpeciesScratch3", r.SpeciesScratch3, 125},
      {"SpeciesScratch4", r.SpeciesScratch4, 128},
      {"ForwardProgressScratch", r.ForwardProgressScratch, 131},
      {"ReverseProgressScratch", r.ReverseProgressScratch, 135},
      {"ThirdBodyScratch", r.ThirdBodyScratch, 139},
      {"used reals", layout.usedRealLength, 142},
      {"ElementNames", layout.character.ElementNames, 1},
      {"SpeciesNames", layout.character.SpeciesNames, 3},
      {"used names", layout.usedCharLength, 5},
  });
}

// Without auxiliary lists their sections are empty and share their start with the next one;
// GasConstant follows RateParameters directly.
TEST(WorkArrayLayout, EveryAuxiliaryCountZero) {
  const WorkArrayLayout layout = ComputeWorkArrayLayout(CountsOf(PlainMechanism()));
  const IntegerSections& i = layout.integer;
  const RealSections& r = layout.real;
  ExpectStarts({
      {"ReactionAuxCount", i.ReactionAuxCount, 69},
      {"LandauTellerReactions", i.LandauTellerReactions, 73},
      {"ThirdBodySpecies", i.ThirdBodySpecies, 73},
      {"OrderSpecies", i.OrderSpecies, 73},
      {"used integers", layout.usedIntLength, 72},
      {"RateParameters", r.RateParameters, 57},
      {"ReverseParameters", r.ReverseParameters, 73},
      {"OrderValues", r.OrderValues, 73},
      {"GasConstant", r.GasConstant, 73},
      {"StandardPressure", r.StandardPressure, 75},
      {"ForwardRateCoefficients", r.ForwardRateCoefficients, 76},
      {"ConcentrationScratch", r.ConcentrationScratch, 84},
      {"ThirdBodyScratch", r.ThirdBodyScratch, 104},
      {"used reals", layout.usedRealLength, 107},
  });
}

// Counts far beyond any declared length give a layout that is seen not to fit instead of
// wrapping around.
TEST(WorkArrayLayout, AbsurdCountsStayAbsurd) {
  KineticsCounts counts = CountsOf(PlainMechanism());
  counts.KK = 2'000'000'000;
  counts.MaxTemperatures = 2'000'000'000;
  counts.CpCoefficientCount = 2'000'000'000;
  const WorkArrayLayout layout = ComputeWorkArrayLayout(counts);
  EXPECT_GT(layout.usedRealLength, std::int64_t{1} << 40);
  EXPECT_GT(layout.usedIntLength, std::int64_t{2'000'000'000});
}

}  // namespace
}  // namespace kinetics
