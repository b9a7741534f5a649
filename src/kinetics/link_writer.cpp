// Writing the kinetics linking file from a LinkMechanism.
//
// Record 2 is made from the mechanism's strides and the sizes of its lists, so the file always
// agrees with itself: the counts are the list sizes and every per-entry list is cut or padded
// with zeros to the stride record 2 gives it. Records 6 to 17 are written only for non-empty
// lists, as the reader expects, and the pressure-table record only when it has entries.
#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <type_traits>

#include "kinetics/linking_file.h"

namespace kinetics {

namespace {

using common::FieldWriter;

constexpr std::size_t kNameLength = 16;

std::int32_t countOf(std::size_t size) {
  return static_cast<std::int32_t>(
      std::min<std::size_t>(size, std::numeric_limits<std::int32_t>::max()));
}

std::size_t strideOf(std::int64_t stride) {
  return static_cast<std::size_t>(std::max<std::int64_t>(stride, 0));
}

template <class T>
void putPadded(FieldWriter& record, const std::vector<T>& values, std::int64_t stride) {
  const std::size_t count = strideOf(stride);
  for (std::size_t j = 0; j < count; ++j) {
    const T value = j < values.size() ? values[j] : T{};
    if constexpr (std::is_same_v<T, double>) {
      record.putReal(value);
    } else {
      record.putInt(value);
    }
  }
}

// Entries "reaction number, then `stride` reals".
FieldWriter parameterRecord(const std::vector<LinkParameterEntry>& entries, std::int64_t stride) {
  FieldWriter record;
  for (const LinkParameterEntry& entry : entries) {
    record.putInt(entry.reaction);
    putPadded(record, entry.values, stride);
  }
  return record;
}

// Sums of list sizes saturate at the largest count the file can hold.
std::int32_t countOf(std::int64_t size) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(size, 0, std::numeric_limits<std::int32_t>::max()));
}

bool hasTables(const LinkMechanism& m) {
  return !m.pressureTables.empty() || !m.chebyshev.empty() || !m.activated.empty();
}

FieldWriter tableRecord(const LinkMechanism& m, const TableCounts& t) {
  FieldWriter record;
  record.putName(std::string(kTableRecordMark), kNameLength);
  record.putInt(kTableRecordFormat);
  record.putReal(kTablePressureUnit);
  for (std::int32_t count :
       {t.PressureTableReactionCount, t.PressureRowCount, t.ChebyshevReactionCount,
        t.ChebyshevCoefficientCount, t.ActivatedReactionCount, t.ActivatedEfficiencyCount}) {
    record.putInt(count);
  }
  for (const LinkPressureTable& table : m.pressureTables) {
    record.putInt(table.reaction);
    record.putInt(countOf(table.rows.size()));
    for (const LinkPressureRow& row : table.rows) {
      record.putReal(row.pressure);
      for (double value : row.rate) record.putReal(value);
    }
  }
  for (const LinkChebyshev& fit : m.chebyshev) {
    record.putInt(fit.reaction);
    record.putInt(fit.temperatureCount);
    record.putInt(fit.pressureCount);
    for (double value : fit.ranges) record.putReal(value);
    putPadded(record, fit.coefficients,
              std::int64_t{std::max(fit.temperatureCount, 0)} * std::max(fit.pressureCount, 0));
  }
  for (const LinkActivated& entry : m.activated) {
    record.putInt(entry.reaction);
    record.putInt(entry.form);
    record.putInt(entry.thirdBody);
    record.putInt(countOf(entry.species.size()));
    for (double value : entry.high) record.putReal(value);
    putPadded(record, entry.values, kActivatedParameterCount);
    for (std::size_t j = 0; j < entry.species.size(); ++j) {
      record.putInt(entry.species[j]);
      record.putReal(j < entry.efficiencies.size() ? entry.efficiencies[j] : 0.0);
    }
  }
  return record;
}

}  // namespace

TableCounts TableCountsOf(const LinkMechanism& m) {
  TableCounts counts;
  counts.PressureTableReactionCount = countOf(m.pressureTables.size());
  std::int64_t rows = 0;
  for (const LinkPressureTable& table : m.pressureTables) {
    rows += static_cast<std::int64_t>(table.rows.size());
  }
  counts.PressureRowCount = countOf(rows);
  counts.ChebyshevReactionCount = countOf(m.chebyshev.size());
  std::int64_t coefficients = 0;
  for (const LinkChebyshev& fit : m.chebyshev) {
    coefficients +=
        std::int64_t{std::max(fit.temperatureCount, 0)} * std::max(fit.pressureCount, 0);
  }
  counts.ChebyshevCoefficientCount = countOf(coefficients);
  counts.ActivatedReactionCount = countOf(m.activated.size());
  std::int64_t efficiencies = 0;
  for (const LinkActivated& entry : m.activated) {
    efficiencies += static_cast<std::int64_t>(entry.species.size());
  }
  counts.ActivatedEfficiencyCount = countOf(efficiencies);
  return counts;
}

KineticsCounts CountsOf(const LinkMechanism& m) {
  KineticsCounts counts;
  counts.ElementCount = countOf(m.elements.size());
  counts.KK = countOf(m.species.size());
  counts.ReactionCount = countOf(m.reactions.size());
  counts.MaxReactionSpecies = m.MaxReactionSpecies;
  counts.MaxThirdBodies = m.MaxThirdBodies;
  counts.MaxTemperatures = m.MaxTemperatures;
  counts.CpCoefficientCount = m.CpCoefficientCount;
  counts.RateParameterCount = m.RateParameterCount;
  counts.LandauTellerParameterCount = m.LandauTellerParameterCount;
  counts.FallOffParameterCount = m.FallOffParameterCount;
  counts.ReverseReactionCount = countOf(m.reverse.size());
  counts.FallOffReactionCount = countOf(m.fallOff.size());
  counts.ThirdBodyReactionCount = countOf(m.thirdBody.size());
  counts.LandauTellerReactionCount = countOf(m.landauTeller.size());
  counts.ReverseLandauTellerReactionCount = countOf(m.reverseLandauTeller.size());
  counts.WavelengthReactionCount = countOf(m.wavelength.size());
  counts.ElectronImpactReactionCount = countOf(m.electronImpact.size());
  counts.JanevParameterCount = m.JanevParameterCount;
  counts.JanevReactionCount = countOf(m.janev.size());
  counts.FitParameterCount = m.FitParameterCount;
  counts.FitReactionCount = countOf(m.fit.size());
  counts.ExcitationReactionCount = countOf(m.excitation.size());
  counts.RealStoichReactionCount = countOf(m.realStoich.size());
  counts.OrderReactionCount = countOf(m.order.size());
  counts.MaxOrderSpecies = m.MaxOrderSpecies;
  return counts;
}

namespace {

// The records of the linking file of `m`; false with `error` set when it cannot be counted.
bool linkRecords(const LinkMechanism& m, std::vector<FieldWriter>& records, std::string& error) {
  const KineticsCounts c = CountsOf(m);
  const std::size_t limit = std::numeric_limits<std::int32_t>::max();
  if (m.elements.size() > limit || m.species.size() > limit || m.reactions.size() > limit) {
    error = "the mechanism has more entries than the kinetics linking file can count";
    return false;
  }
  const TableCounts tables = TableCountsOf(m);
  const WorkArrayLayout layout = ComputeWorkArrayLayout(c, tables);
  // A declared length beyond 32 bits cannot be written; the layout is then absurd anyway.
  auto declared = [](const std::optional<std::int32_t>& given, std::int64_t used) {
    if (given) return *given;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(used, 0, std::numeric_limits<std::int32_t>::max()));
  };

  FieldWriter first;
  first.putName(m.version, kNameLength);
  first.putName(m.precision, kNameLength);
  first.putLogical(m.errorFlag);
  records.push_back(first);

  FieldWriter second;
  const std::int32_t header[29] = {declared(m.RequiredIntLength, layout.usedIntLength),
                                   declared(m.RequiredRealLength, layout.usedRealLength),
                                   declared(m.RequiredCharLength, layout.usedCharLength),
                                   c.ElementCount,
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
                                   m.IgnoredCount,
                                   c.ElectronImpactReactionCount,
                                   c.JanevParameterCount,
                                   c.JanevReactionCount,
                                   c.FitParameterCount,
                                   c.FitReactionCount,
                                   c.ExcitationReactionCount,
                                   c.RealStoichReactionCount,
                                   c.OrderReactionCount,
                                   c.MaxOrderSpecies};
  for (std::int32_t value : header) second.putInt(value);
  second.putReal(m.HeaderTolerance);
  records.push_back(second);

  FieldWriter elements;
  for (const LinkElement& element : m.elements) {
    elements.putName(element.name, kNameLength);
    elements.putReal(element.atomicWeight);
  }
  records.push_back(elements);

  const std::int64_t perRange = std::int64_t{m.CpCoefficientCount} + 2;
  const std::int64_t perSpecies = (std::int64_t{m.MaxTemperatures} - 1) * perRange;
  FieldWriter species;
  for (const LinkSpecies& one : m.species) {
    species.putName(one.name, kNameLength);
    putPadded(species, one.composition, c.ElementCount);
    species.putInt(one.phase);
    species.putInt(one.charge);
    species.putReal(one.molecularWeight);
    species.putInt(one.temperatureCount);
    putPadded(species, one.temperatureBounds, m.MaxTemperatures);
    putPadded(species, one.coefficients, perSpecies);
  }
  records.push_back(species);

  if (c.ReactionCount > 0) {
    FieldWriter reactions;
    for (const LinkReaction& reaction : m.reactions) {
      reactions.putInt(reaction.speciesCount);
      reactions.putInt(reaction.auxCount);
      putPadded(reactions, reaction.rateParameters, m.RateParameterCount);
      for (std::size_t s = 0; s < strideOf(m.MaxReactionSpecies); ++s) {
        const LinkSlot slot = s < reaction.slots.size() ? reaction.slots[s] : LinkSlot{};
        reactions.putInt(slot.coefficient);
        reactions.putInt(slot.species);
      }
    }
    records.push_back(reactions);
  }

  if (!m.reverse.empty()) records.push_back(parameterRecord(m.reverse, m.RateParameterCount));
  if (!m.fallOff.empty()) {
    FieldWriter record;
    for (const LinkFallOff& entry : m.fallOff) {
      record.putInt(entry.reaction);
      record.putInt(entry.form);
      record.putInt(entry.thirdBody);
      putPadded(record, entry.values, m.FallOffParameterCount);
    }
    records.push_back(record);
  }
  if (!m.thirdBody.empty()) {
    FieldWriter record;
    const std::size_t slots = strideOf(m.MaxThirdBodies);
    for (const LinkThirdBody& entry : m.thirdBody) {
      record.putInt(entry.reaction);
      // The count is what the slots actually hold.
      record.putInt(countOf(std::min(entry.species.size(), slots)));
      for (std::size_t j = 0; j < slots; ++j) {
        record.putInt(j < entry.species.size() ? entry.species[j] : 0);
        record.putReal(j < entry.efficiencies.size() ? entry.efficiencies[j] : 0.0);
      }
    }
    records.push_back(record);
  }
  if (!m.landauTeller.empty()) {
    records.push_back(parameterRecord(m.landauTeller, m.LandauTellerParameterCount));
  }
  if (!m.reverseLandauTeller.empty()) {
    records.push_back(parameterRecord(m.reverseLandauTeller, m.LandauTellerParameterCount));
  }
  if (!m.wavelength.empty()) records.push_back(parameterRecord(m.wavelength, 1));
  if (!m.electronImpact.empty()) {
    FieldWriter record;
    for (const LinkElectronImpact& entry : m.electronImpact) {
      record.putInt(entry.reaction);
      record.putInt(entry.temperatureIndex);
    }
    records.push_back(record);
  }
  if (!m.janev.empty()) records.push_back(parameterRecord(m.janev, m.JanevParameterCount));
  if (!m.fit.empty()) records.push_back(parameterRecord(m.fit, m.FitParameterCount));
  if (!m.excitation.empty()) records.push_back(parameterRecord(m.excitation, 1));
  if (!m.realStoich.empty()) {
    records.push_back(parameterRecord(m.realStoich, m.MaxReactionSpecies));
  }
  if (!m.order.empty()) {
    FieldWriter record;
    const std::size_t slots = strideOf(m.MaxOrderSpecies);
    for (const LinkOrder& entry : m.order) {
      record.putInt(entry.reaction);
      for (std::size_t j = 0; j < slots; ++j) {
        record.putInt(j < entry.species.size() ? entry.species[j] : 0);
        record.putReal(j < entry.values.size() ? entry.values[j] : 0.0);
      }
    }
    records.push_back(record);
  }
  if (hasTables(m)) records.push_back(tableRecord(m, tables));
  return true;
}

}  // namespace

std::string KineticsLinkBytes(const LinkMechanism& m, std::string& error) {
  std::vector<FieldWriter> records;
  if (!linkRecords(m, records, error)) return {};
  std::vector<std::byte> bytes;
  for (const FieldWriter& record : records) {
    if (record.bytes().size() > 0x7FFFFFFFu) {
      error = "a record of the kinetics linking file would exceed 2 GB";
      return {};
    }
    const auto length = static_cast<std::int32_t>(record.bytes().size());
    common::appendInt32(bytes, length);
    bytes.insert(bytes.end(), record.bytes().begin(), record.bytes().end());
    common::appendInt32(bytes, length);
  }
  error.clear();
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool WriteKineticsLink(const std::string& path, const LinkMechanism& m, std::string& error) {
  std::vector<FieldWriter> records;
  if (!linkRecords(m, records, error)) return false;
  common::RecordWriter writer;
  if (!writer.open(path)) {
    error = "cannot create " + path;
    return false;
  }
  for (const FieldWriter& record : records) {
    if (!writer.write(record)) {
      writer.abandon();
      error = "cannot write " + path;
      return false;
    }
  }
  if (!writer.commit()) {
    error = "cannot write " + path;
    return false;
  }
  error.clear();
  return true;
}

}  // namespace kinetics
