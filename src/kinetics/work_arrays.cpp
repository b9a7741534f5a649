#include "kinetics/work_arrays.h"

#include "common/saturating.h"

namespace kinetics {

using common::SaturatingAdd;
using common::SaturatingMultiply;

KineticsState& MutableKineticsState() {
  static KineticsState state;
  return state;
}

WorkArrayLayout ComputeWorkArrayLayout(const KineticsCounts& counts, const TableCounts& tables) {
  using Length = std::int64_t;
  const Length E = counts.ElementCount;
  const Length K = counts.KK;
  const Length I = counts.ReactionCount;
  const Length perRange = Length{counts.CpCoefficientCount} + 2;
  const Length perSpecies = SaturatingMultiply(Length{counts.MaxTemperatures} - 1, perRange);

  WorkArrayLayout layout;
  // Each start is the previous start plus the previous length.
  Length next = 2;
  auto place = [&next](std::int64_t& start, Length length) {
    start = next;
    next = SaturatingAdd(next, length);
  };

  IntegerSections& integer = layout.integer;
  integer.InitMark = 1;
  place(integer.ElementComposition, SaturatingMultiply(E, K));
  place(integer.SpeciesIntA, K);
  place(integer.SpeciesIntB, K);
  place(integer.TemperatureCount, K);
  place(integer.StoichCoefficients, SaturatingMultiply(counts.MaxReactionSpecies, I));
  place(integer.StoichSpecies, SaturatingMultiply(counts.MaxReactionSpecies, I));
  place(integer.ReactionSpeciesCount, I);
  place(integer.ReactionAuxCount, I);
  place(integer.LandauTellerReactions, counts.LandauTellerReactionCount);
  place(integer.ReverseLandauTellerReactions, counts.ReverseLandauTellerReactionCount);
  place(integer.FallOffReactions, counts.FallOffReactionCount);
  place(integer.FallOffForm, counts.FallOffReactionCount);
  place(integer.FallOffThirdBody, counts.FallOffReactionCount);
  place(integer.ThirdBodyReactions, counts.ThirdBodyReactionCount);
  place(integer.ThirdBodyCount, counts.ThirdBodyReactionCount);
  place(integer.ThirdBodySpecies,
        SaturatingMultiply(counts.MaxThirdBodies, counts.ThirdBodyReactionCount));
  place(integer.ReverseReactions, counts.ReverseReactionCount);
  place(integer.WavelengthReactions, counts.WavelengthReactionCount);
  place(integer.ElectronImpactReactions, counts.ElectronImpactReactionCount);
  place(integer.ElectronTemperatureIndex, counts.ElectronImpactReactionCount);
  place(integer.JanevReactions, counts.JanevReactionCount);
  place(integer.FitReactions, counts.FitReactionCount);
  place(integer.ExcitationReactions, counts.ExcitationReactionCount);
  place(integer.RealStoichReactions, counts.RealStoichReactionCount);
  place(integer.OrderReactions, counts.OrderReactionCount);
  place(integer.OrderSpecies,
        SaturatingMultiply(counts.MaxOrderSpecies, counts.OrderReactionCount));
  place(integer.PressureTableReactions, tables.PressureTableReactionCount);
  place(integer.PressureTableFirstRow, tables.PressureTableReactionCount);
  place(integer.PressureTableRows, tables.PressureTableReactionCount);
  place(integer.ChebyshevReactions, tables.ChebyshevReactionCount);
  place(integer.ChebyshevTemperatureCount, tables.ChebyshevReactionCount);
  place(integer.ChebyshevPressureCount, tables.ChebyshevReactionCount);
  place(integer.ChebyshevFirstCoefficient, tables.ChebyshevReactionCount);
  place(integer.ActivatedReactions, tables.ActivatedReactionCount);
  place(integer.ActivatedForm, tables.ActivatedReactionCount);
  place(integer.ActivatedThirdBody, tables.ActivatedReactionCount);
  place(integer.ActivatedFirstEfficiency, tables.ActivatedReactionCount);
  place(integer.ActivatedEfficiencyCount, tables.ActivatedReactionCount);
  place(integer.ActivatedEfficiencySpecies, tables.ActivatedEfficiencyCount);
  layout.usedIntLength = next - 1;

  RealSections& real = layout.real;
  const Length rateStride = Length{counts.RateParameterCount} + 1;
  next = 1;
  place(real.AtomicWeights, E);
  place(real.MolecularWeights, K);
  place(real.TemperatureBounds, SaturatingMultiply(counts.MaxTemperatures, K));
  place(real.ThermoCoefficients, SaturatingMultiply(perSpecies, K));
  place(real.RateParameters, SaturatingMultiply(rateStride, I));
  place(real.ReverseParameters, SaturatingMultiply(rateStride, counts.ReverseReactionCount));
  place(real.LandauTellerParameters,
        SaturatingMultiply(counts.LandauTellerParameterCount, counts.LandauTellerReactionCount));
  place(real.ReverseLandauTellerParameters,
        SaturatingMultiply(counts.LandauTellerParameterCount,
                           counts.ReverseLandauTellerReactionCount));
  place(real.FallOffParameters,
        SaturatingMultiply(counts.FallOffParameterCount, counts.FallOffReactionCount));
  place(real.ThirdBodyEfficiencies,
        SaturatingMultiply(counts.MaxThirdBodies, counts.ThirdBodyReactionCount));
  place(real.Wavelengths, counts.WavelengthReactionCount);
  place(real.JanevParameters,
        SaturatingMultiply(counts.JanevParameterCount, counts.JanevReactionCount));
  place(real.FitParameters, SaturatingMultiply(counts.FitParameterCount, counts.FitReactionCount));
  place(real.ExcitationEnergies, counts.ExcitationReactionCount);
  place(real.RealStoichCoefficients,
        SaturatingMultiply(counts.MaxReactionSpecies, counts.RealStoichReactionCount));
  place(real.OrderValues, SaturatingMultiply(counts.MaxOrderSpecies, counts.OrderReactionCount));
  // The table data keep to the data, before the constants and the kernel's scratch; without
  // tables they are empty and nothing moves.
  place(real.PressureTablePressures, tables.PressureRowCount);
  place(real.PressureTableParameters,
        SaturatingMultiply(kTableRateParameterCount, tables.PressureRowCount));
  place(real.ChebyshevRanges,
        SaturatingMultiply(kChebyshevRangeCount, tables.ChebyshevReactionCount));
  place(real.ChebyshevCoefficients, tables.ChebyshevCoefficientCount);
  place(real.ActivatedHighParameters,
        SaturatingMultiply(kTableRateParameterCount, tables.ActivatedReactionCount));
  place(real.ActivatedParameters,
        SaturatingMultiply(kActivatedParameterCount, tables.ActivatedReactionCount));
  place(real.ActivatedEfficiencies, tables.ActivatedEfficiencyCount);
  place(real.GasConstant, 1);
  place(real.GasConstantCal, 1);
  place(real.StandardPressure, 1);
  place(real.ForwardRateCoefficients, I);
  place(real.ReverseRateCoefficients, I);
  place(real.ConcentrationScratch, K);
  place(real.SpeciesScratch2, K);
  place(real.SpeciesScratch3, K);
  place(real.SpeciesScratch4, K);
  place(real.ForwardProgressScratch, I);
  place(real.ReverseProgressScratch, I);
  place(real.ThirdBodyScratch, I);
  layout.usedRealLength = next - 1;

  layout.character.ElementNames = 1;
  layout.character.SpeciesNames = E + 1;
  layout.usedCharLength = E + K;
  return layout;
}

}  // namespace kinetics
