#include "kinetics/work_arrays.h"

namespace kinetics {

KineticsState& MutableKineticsState() {
  static KineticsState state;
  return state;
}

bool CountsAreNonNegative(const KineticsCounts& c) {
  const std::int32_t all[] = {c.ElementCount,
                              c.KK,
                              c.ReactionCount,
                              c.MaxReactionSpecies,
                              c.MaxThirdBodies,
                              c.MaxTemperatures,
                              c.CpCoefficientCount,
                              c.RateParameterCount,
                              c.LandauTellerParameterCount,
                              c.FallOffParameterCount,
                              c.ReverseReactionCount,
                              c.FallOffReactionCount,
                              c.ThirdBodyReactionCount,
                              c.LandauTellerReactionCount,
                              c.ReverseLandauTellerReactionCount,
                              c.WavelengthReactionCount,
                              c.ElectronImpactReactionCount,
                              c.JanevParameterCount,
                              c.JanevReactionCount,
                              c.FitParameterCount,
                              c.FitReactionCount,
                              c.ExcitationReactionCount,
                              c.RealStoichReactionCount,
                              c.OrderReactionCount,
                              c.MaxOrderSpecies};
  for (std::int32_t count : all) {
    if (count < 0) return false;
  }
  return true;
}

WorkArrayLayout ComputeWorkArrayLayout(const KineticsCounts& c) {
  using Length = std::int64_t;
  const Length E = c.ElementCount;
  const Length K = c.KK;
  const Length I = c.ReactionCount;
  const Length perRange = Length{c.CpCoefficientCount} + 2;
  const Length perSpecies = (Length{c.MaxTemperatures} - 1) * perRange;

  WorkArrayLayout layout;
  // Each start is the previous start plus the previous length.
  Length next = 2;
  auto place = [&next](std::int64_t& start, Length length) {
    start = next;
    next += length;
  };

  IntegerSections& i = layout.integer;
  i.InitMark = 1;
  place(i.ElementComposition, E * K);
  place(i.SpeciesIntA, K);
  place(i.SpeciesIntB, K);
  place(i.TemperatureCount, K);
  place(i.StoichCoefficients, Length{c.MaxReactionSpecies} * I);
  place(i.StoichSpecies, Length{c.MaxReactionSpecies} * I);
  place(i.ReactionSpeciesCount, I);
  place(i.ReactionAuxCount, I);
  place(i.LandauTellerReactions, c.LandauTellerReactionCount);
  place(i.ReverseLandauTellerReactions, c.ReverseLandauTellerReactionCount);
  place(i.FallOffReactions, c.FallOffReactionCount);
  place(i.FallOffForm, c.FallOffReactionCount);
  place(i.FallOffThirdBody, c.FallOffReactionCount);
  place(i.ThirdBodyReactions, c.ThirdBodyReactionCount);
  place(i.ThirdBodyCount, c.ThirdBodyReactionCount);
  place(i.ThirdBodySpecies, Length{c.MaxThirdBodies} * c.ThirdBodyReactionCount);
  place(i.ReverseReactions, c.ReverseReactionCount);
  place(i.WavelengthReactions, c.WavelengthReactionCount);
  place(i.ElectronImpactReactions, c.ElectronImpactReactionCount);
  place(i.ElectronTemperatureIndex, c.ElectronImpactReactionCount);
  place(i.JanevReactions, c.JanevReactionCount);
  place(i.FitReactions, c.FitReactionCount);
  place(i.ExcitationReactions, c.ExcitationReactionCount);
  place(i.RealStoichReactions, c.RealStoichReactionCount);
  place(i.OrderReactions, c.OrderReactionCount);
  place(i.OrderSpecies, Length{c.MaxOrderSpecies} * c.OrderReactionCount);
  layout.usedIntLength = next - 1;

  RealSections& r = layout.real;
  const Length rateStride = Length{c.RateParameterCount} + 1;
  next = 1;
  place(r.AtomicWeights, E);
  place(r.MolecularWeights, K);
  place(r.TemperatureBounds, Length{c.MaxTemperatures} * K);
  place(r.ThermoCoefficients, perSpecies * K);
  place(r.RateParameters, rateStride * I);
  place(r.ReverseParameters, rateStride * c.ReverseReactionCount);
  place(r.LandauTellerParameters, Length{c.LandauTellerParameterCount} * c.LandauTellerReactionCount);
  place(r.ReverseLandauTellerParameters,
        Length{c.LandauTellerParameterCount} * c.ReverseLandauTellerReactionCount);
  place(r.FallOffParameters, Length{c.FallOffParameterCount} * c.FallOffReactionCount);
  place(r.ThirdBodyEfficiencies, Length{c.MaxThirdBodies} * c.ThirdBodyReactionCount);
  place(r.Wavelengths, c.WavelengthReactionCount);
  place(r.JanevParameters, Length{c.JanevParameterCount} * c.JanevReactionCount);
  place(r.FitParameters, Length{c.FitParameterCount} * c.FitReactionCount);
  place(r.ExcitationEnergies, c.ExcitationReactionCount);
  place(r.RealStoichCoefficients, Length{c.MaxReactionSpecies} * c.RealStoichReactionCount);
  place(r.OrderValues, Length{c.MaxOrderSpecies} * c.OrderReactionCount);
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
