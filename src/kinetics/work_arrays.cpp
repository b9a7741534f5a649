#include "kinetics/work_arrays.h"

#include <algorithm>

namespace kinetics {

namespace {

// Section lengths are capped at 2^40 entries: far beyond any length a file can declare (at most
// 2^31 - 1), so a capped layout is still seen not to fit, and the sums of some thirty capped
// lengths stay far from the limits of 64-bit arithmetic.
constexpr std::int64_t kLengthCap = std::int64_t{1} << 40;

std::int64_t cappedProduct(std::int64_t a, std::int64_t b) {
  if (a == 0 || b == 0) return 0;
  const bool negative = (a < 0) != (b < 0);
  // Inputs come from 32-bit counts or earlier capped products, so negation cannot overflow.
  const std::int64_t magnitudeA = std::min(a < 0 ? -a : a, kLengthCap);
  const std::int64_t magnitudeB = std::min(b < 0 ? -b : b, kLengthCap);
  const std::int64_t magnitude =
      magnitudeA > kLengthCap / magnitudeB ? kLengthCap : magnitudeA * magnitudeB;
  return negative ? -magnitude : magnitude;
}

}  // namespace

KineticsState& MutableKineticsState() {
  static KineticsState state;
  return state;
}

WorkArrayLayout ComputeWorkArrayLayout(const KineticsCounts& c) {
  using Length = std::int64_t;
  const Length E = c.ElementCount;
  const Length K = c.KK;
  const Length I = c.ReactionCount;
  const Length perRange = Length{c.CpCoefficientCount} + 2;
  const Length perSpecies = cappedProduct(Length{c.MaxTemperatures} - 1, perRange);

  WorkArrayLayout layout;
  // Each start is the previous start plus the previous length.
  Length next = 2;
  auto place = [&next](std::int64_t& start, Length length) {
    start = next;
    next += length;
  };

  IntegerSections& i = layout.integer;
  i.InitMark = 1;
  place(i.ElementComposition, cappedProduct(E, K));
  place(i.SpeciesIntA, K);
  place(i.SpeciesIntB, K);
  place(i.TemperatureCount, K);
  place(i.StoichCoefficients, cappedProduct(c.MaxReactionSpecies, I));
  place(i.StoichSpecies, cappedProduct(c.MaxReactionSpecies, I));
  place(i.ReactionSpeciesCount, I);
  place(i.ReactionAuxCount, I);
  place(i.LandauTellerReactions, c.LandauTellerReactionCount);
  place(i.ReverseLandauTellerReactions, c.ReverseLandauTellerReactionCount);
  place(i.FallOffReactions, c.FallOffReactionCount);
  place(i.FallOffForm, c.FallOffReactionCount);
  place(i.FallOffThirdBody, c.FallOffReactionCount);
  place(i.ThirdBodyReactions, c.ThirdBodyReactionCount);
  place(i.ThirdBodyCount, c.ThirdBodyReactionCount);
  place(i.ThirdBodySpecies, cappedProduct(c.MaxThirdBodies, c.ThirdBodyReactionCount));
  place(i.ReverseReactions, c.ReverseReactionCount);
  place(i.WavelengthReactions, c.WavelengthReactionCount);
  place(i.ElectronImpactReactions, c.ElectronImpactReactionCount);
  place(i.ElectronTemperatureIndex, c.ElectronImpactReactionCount);
  place(i.JanevReactions, c.JanevReactionCount);
  place(i.FitReactions, c.FitReactionCount);
  place(i.ExcitationReactions, c.ExcitationReactionCount);
  place(i.RealStoichReactions, c.RealStoichReactionCount);
  place(i.OrderReactions, c.OrderReactionCount);
  place(i.OrderSpecies, cappedProduct(c.MaxOrderSpecies, c.OrderReactionCount));
  layout.usedIntLength = next - 1;

  RealSections& r = layout.real;
  const Length rateStride = Length{c.RateParameterCount} + 1;
  next = 1;
  place(r.AtomicWeights, E);
  place(r.MolecularWeights, K);
  place(r.TemperatureBounds, cappedProduct(c.MaxTemperatures, K));
  place(r.ThermoCoefficients, cappedProduct(perSpecies, K));
  place(r.RateParameters, cappedProduct(rateStride, I));
  place(r.ReverseParameters, cappedProduct(rateStride, c.ReverseReactionCount));
  place(r.LandauTellerParameters,
        cappedProduct(c.LandauTellerParameterCount, c.LandauTellerReactionCount));
  place(r.ReverseLandauTellerParameters,
        cappedProduct(c.LandauTellerParameterCount, c.ReverseLandauTellerReactionCount));
  place(r.FallOffParameters, cappedProduct(c.FallOffParameterCount, c.FallOffReactionCount));
  place(r.ThirdBodyEfficiencies, cappedProduct(c.MaxThirdBodies, c.ThirdBodyReactionCount));
  place(r.Wavelengths, c.WavelengthReactionCount);
  place(r.JanevParameters, cappedProduct(c.JanevParameterCount, c.JanevReactionCount));
  place(r.FitParameters, cappedProduct(c.FitParameterCount, c.FitReactionCount));
  place(r.ExcitationEnergies, c.ExcitationReactionCount);
  place(r.RealStoichCoefficients, cappedProduct(c.MaxReactionSpecies, c.RealStoichReactionCount));
  place(r.OrderValues, cappedProduct(c.MaxOrderSpecies, c.OrderReactionCount));
  place(r.GasConstant, 1);
  place(r.GasConstantCal, 1);
  place(r.StandardPressure, 1);
  place(r.ForwardRateCoefficients, I);
  place(r.ReverseRateCoefficients, I);
  place(r.ConcentrationScratch, K);
  place(r.SpeciesScratch2, K);
  place(r.SpeciesScratch3, K);
  place(r.SpeciesScratch4, K);
  place(r.ForwardProgressScratch, I);
  place(r.ReverseProgressScratch, I);
  place(r.ThirdBodyScratch, I);
  layout.usedRealLength = next - 1;

  layout.character.ElementNames = 1;
  layout.character.SpeciesNames = E + 1;
  layout.usedCharLength = E + K;
  return layout;
}

}  // namespace kinetics
