// Reading the kinetics linking file.
//
// The header operations read records 1 and 2 and rewind; the loader reads the header again,
// then the whole file from the first record. Every record is read whole and its fields are
// taken from the front of the payload, so a record longer than its fields is accepted and a
// shorter one is a read failure.
//
// The file is not trusted beyond its framing. Before anything is stored the loader checks that
// the counts are non-negative and that the sections they give fit the lengths the file
// declares (which the caller's arrays hold); while reading it checks every number that later
// serves as an index (species, reactions, third-body counts, order codes, temperature counts).
// Storing therefore never leaves the arrays, and neither does any later reader that trusts the
// loaded data.
#include "kinetics/linking_file.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/declared_length.h"
#include "common/fixed_format.h"

namespace kinetics {

namespace {

using common::Console;
using common::FieldReader;
using common::RecordReader;
using common::RecordStatus;

constexpr std::size_t kHeaderNameLength = 16;
// The header reads 23 ints and one real from the front of record 2; the loader all of it.
constexpr std::size_t kHeaderPrefixBytes = 23 * 4 + 8;
constexpr int kRecord2IntCount = 29;

// Versions of the file the library reads, compared over all 16 characters.
constexpr std::array<std::string_view, 5> kAcceptedVersions = {"3.6b", "3.6c", "3.6d", "3.8",
                                                               "3.9"};
constexpr std::string_view kPrecisionMark = "DOUB";

constexpr std::string_view kErrorFlagMessage = " There is an error in the kinetics binary file...";
constexpr std::string_view kErrorFlagAdvice = " Check VORDANE output for error conditions.";
constexpr std::string_view kVersionMessage =
    " Kinetics binary file is incompatible with Kinetics Library Version 4.3";
constexpr std::string_view kPrecisionMessage =
    " Precision of kinetics binary file does not agree with precision of kinetics library";
constexpr std::string_view kHeaderReadFailure = " Error reading kinetics binary file.";

constexpr std::string_view kDimensionAdvice = "Check Quillet";
constexpr std::string_view kDimensionIndent = "          ";
constexpr std::string_view kIntDimensionMessage = "IKWORK MUST BE DIMENSIONED AT LEAST ";
constexpr std::string_view kRealDimensionMessage = "RKWORK MUST BE DIMENSIONED AT LEAST ";
constexpr std::string_view kCharDimensionMessage = "SKWORK MUST BE DIMENSIONED AT LEAST ";
constexpr std::string_view kElementLengthMessage =
    "CHARACTER LENGTH OF SKWORK MUST BE AT LEAST 16 ";
constexpr std::int32_t kMinimumElementLength = 16;

constexpr std::string_view kBinaryReadFailure = " Error reading binary file...";
constexpr std::string_view kElementReadFailure = " Error reading element data...";
constexpr std::string_view kSpeciesReadFailure = " Error reading species data...";
constexpr std::string_view kReactionReadFailure = " Error reading reaction data...";
constexpr std::string_view kReverseReadFailure = " Error reading reverse Arrhenius parameters...";
constexpr std::string_view kFallOffReadFailure = " Error reading Fall-off data...";
constexpr std::string_view kThirdBodyReadFailure = " Error reading third-body data...";
constexpr std::string_view kLandauTellerReadFailure = " Error reading Landau-Teller data...";
constexpr std::string_view kReverseLandauTellerReadFailure =
    " Error reading reverse Landau-Teller data...";
constexpr std::string_view kWavelengthReadFailure = " Error reading Wavelength data...";
constexpr std::string_view kElectronImpactReadFailure = " Error reading Electron-impact data...";
constexpr std::string_view kJanevReadFailure = " Error reading Janev-Langer-Evans-Post data...";
constexpr std::string_view kFitReadFailure = " Error reading Fit # 1 data...";
constexpr std::string_view kExcitationReadFailure = " Error reading excitation-reaction data...";
constexpr std::string_view kRealStoichReadFailure = " Error reading real stoichometric data...";
constexpr std::string_view kOrderReadFailure = " Error reading order data...";
constexpr std::string_view kTableReadFailure = " Error reading pressure-table data...";
constexpr int kTableRecord = 18;  // the pressure-table record, wherever it lies

[[noreturn]] void stopAfter(Console& messages, std::string_view line) {
  common::stopRun(messages, {std::string(line)}, true);
}

// The end of the file where a record should begin ends the run at once, without the pause.
[[noreturn]] void stopAtEndOfFile(const RecordReader& unit, Console& messages, int record) {
  common::stopRun(messages,
                  {" End of file " + unit.path() + " reached where record " +
                   std::to_string(record) + " should begin."},
                  false);
}

std::string recordContext(int record) {
  if (record == kTableRecord) return " The pressure-table record of the kinetics linking file";
  return " Record " + std::to_string(record) + " of the kinetics linking file";
}

// A value that later serves as an index lies outside its range.
[[noreturn]] void stopOutOfRange(Console& messages, int record, const std::string& where,
                                 std::string_view what, std::int64_t value, std::int64_t low,
                                 std::int64_t high) {
  stopAfter(messages, recordContext(record) + ", " + where + ": " + std::string(what) + " " +
                          std::to_string(value) + " is outside " + std::to_string(low) + " to " +
                          std::to_string(high) + ".");
}

std::string entryWhere(std::string_view kind, std::int64_t n) {
  return std::string(kind) + " " + std::to_string(n);
}

std::string slotWhere(std::string_view kind, std::int64_t n, std::int64_t slot) {
  return entryWhere(kind, n) + ", slot " + std::to_string(slot);
}

// Reads the next record, which the file must hold. A broken record writes `failure` and stops
// after the pause.
std::span<const std::byte> readRecord(RecordReader& unit, Console& messages, int record,
                                      std::string_view failure) {
  const RecordStatus status = unit.next();
  if (status == RecordStatus::EndOfFile) stopAtEndOfFile(unit, messages, record);
  if (status == RecordStatus::Failure) stopAfter(messages, failure);
  return unit.payload();
}

// The fields of one record; a field beyond the end of the record is that record's read failure.
class RecordFields {
 public:
  RecordFields(std::span<const std::byte> payload, Console& messages, std::string_view failure)
      : reader_(payload), messages_(messages), failure_(failure) {}

  std::int32_t integer() {
    std::int32_t value = 0;
    if (!reader_.readInt(value)) fail();
    return value;
  }
  double real() {
    double value = 0.0;
    if (!reader_.readReal(value)) fail();
    return value;
  }
  bool logical() {
    bool value = false;
    if (!reader_.readLogical(value)) fail();
    return value;
  }
  std::string name(std::size_t width) {
    std::string value;
    if (!reader_.readName(value, width)) fail();
    return value;
  }

 private:
  [[noreturn]] void fail() { stopAfter(messages_, failure_); }

  FieldReader reader_;
  Console& messages_;
  std::string_view failure_;
};

std::string paddedName(std::string_view text) {
  std::string padded(text);
  padded.resize(kHeaderNameLength, ' ');
  return padded;
}

bool versionAccepted(std::string_view version) {
  for (std::string_view accepted : kAcceptedVersions) {
    if (version == paddedName(accepted)) return true;
  }
  return false;
}

// The steps common to ReadLinkHeader and QueryLinkSizes.
LinkSizes readHeader(RecordReader& unit, Console& messages) {
  unit.rewind();
  RecordFields first(readRecord(unit, messages, 1, kHeaderReadFailure), messages,
                     kHeaderReadFailure);
  const std::string version = first.name(kHeaderNameLength);
  const std::string precision = first.name(kHeaderNameLength);
  const bool errorFlag = first.logical();

  const bool versionOk = versionAccepted(version);
  const bool precisionOk = precision.find(kPrecisionMark) != std::string::npos;
  std::vector<std::string> faults;
  if (errorFlag)
    faults.insert(faults.end(),
                  {"", std::string(kErrorFlagMessage), std::string(kErrorFlagAdvice)});
  if (!versionOk) faults.insert(faults.end(), {"", std::string(kVersionMessage)});
  if (!precisionOk) faults.insert(faults.end(), {"", std::string(kPrecisionMessage)});
  if (!faults.empty()) common::stopRun(messages, std::move(faults), true);

  const auto second = readRecord(unit, messages, 2, kHeaderReadFailure);
  if (second.size() < kHeaderPrefixBytes) stopAfter(messages, kHeaderReadFailure);
  RecordFields fields(second.first(kHeaderPrefixBytes), messages, kHeaderReadFailure);
  std::int32_t prefix[6] = {};
  for (std::int32_t& value : prefix) value = fields.integer();

  LinkSizes sizes;
  sizes.RequiredIntLength = prefix[0];
  sizes.RequiredRealLength = prefix[1];
  sizes.RequiredCharLength = prefix[2];
  sizes.KK = prefix[4];
  sizes.ReactionCount = prefix[5];
  // The callers make their arrays with these lengths: a damaged header must not ask for more
  // memory than a file of this size could use.
  std::vector<std::string> implausible = common::ImplausibleDeclaredLengths(
      "The kinetics linking file " + unit.path(),
      {{"IKWORK", sizes.RequiredIntLength},
       {"RKWORK", sizes.RequiredRealLength},
       {"SKWORK", sizes.RequiredCharLength, common::EntryKind::Name}},
      unit.size());
  if (!implausible.empty()) common::stopRun(messages, std::move(implausible), true);
  unit.rewind();
  return sizes;
}

void checkDimensions(std::int32_t LENIKW, std::int32_t LENRKW, std::int32_t LENSKW,
                     const LinkSizes& required, Console& messages) {
  const bool intShort = LENIKW < required.RequiredIntLength;
  const bool realShort = LENRKW < required.RequiredRealLength;
  const bool charShort = LENSKW < required.RequiredCharLength;
  if (!intShort && !realShort && !charShort) return;
  std::vector<std::string> lines;
  auto demand = [&lines](std::string_view text, std::int32_t length) {
    lines.push_back(std::string(kDimensionIndent) + std::string(text) +
                    common::formatInteger(length, 5));
  };
  if (intShort) {
    lines.emplace_back(kDimensionAdvice);
    demand(kIntDimensionMessage, required.RequiredIntLength);
  }
  if (realShort) demand(kRealDimensionMessage, required.RequiredRealLength);
  if (charShort) demand(kCharDimensionMessage, required.RequiredCharLength);
  common::stopRun(messages, std::move(lines), true);
}

// The caller states the lengths of its arrays; an array that holds fewer entries than stated
// would be written past its end.
void checkArraysHoldStatedLengths(std::int32_t LENIKW, std::int32_t LENRKW, std::int32_t LENSKW,
                                  std::size_t intSize, std::size_t realSize, std::size_t charSize,
                                  Console& messages) {
  struct Stated {
    std::string_view array;
    std::string_view length;
    std::int32_t stated;
    std::size_t held;
  };
  const Stated all[] = {{"IKWORK", "LENIKW", LENIKW, intSize},
                        {"RKWORK", "LENRKW", LENRKW, realSize},
                        {"SKWORK", "LENSKW", LENSKW, charSize}};
  std::vector<std::string> lines;
  for (const Stated& each : all) {
    if (each.stated > 0 && static_cast<std::size_t>(each.stated) > each.held) {
      lines.push_back(" " + std::string(each.array) + " holds " + std::to_string(each.held) +
                      " entries, fewer than " + std::string(each.length) + " = " +
                      std::to_string(each.stated) + ".");
    }
  }
  if (!lines.empty()) common::stopRun(messages, std::move(lines), true);
}

KineticsCounts countsFromRecord2(const std::int32_t (&ints)[kRecord2IntCount]) {
  // Fields 4 to 19 and 21 to 29 of record 2 (1-based); field 20 is the ignored count.
  KineticsCounts counts;
  counts.ElementCount = ints[3];
  counts.KK = ints[4];
  counts.ReactionCount = ints[5];
  counts.MaxReactionSpecies = ints[6];
  counts.MaxThirdBodies = ints[7];
  counts.MaxTemperatures = ints[8];
  counts.CpCoefficientCount = ints[9];
  counts.RateParameterCount = ints[10];
  counts.LandauTellerParameterCount = ints[11];
  counts.FallOffParameterCount = ints[12];
  counts.ReverseReactionCount = ints[13];
  counts.FallOffReactionCount = ints[14];
  counts.ThirdBodyReactionCount = ints[15];
  counts.LandauTellerReactionCount = ints[16];
  counts.ReverseLandauTellerReactionCount = ints[17];
  counts.WavelengthReactionCount = ints[18];
  counts.ElectronImpactReactionCount = ints[20];
  counts.JanevParameterCount = ints[21];
  counts.JanevReactionCount = ints[22];
  counts.FitParameterCount = ints[23];
  counts.FitReactionCount = ints[24];
  counts.ExcitationReactionCount = ints[25];
  counts.RealStoichReactionCount = ints[26];
  counts.OrderReactionCount = ints[27];
  counts.MaxOrderSpecies = ints[28];
  return counts;
}

// Refuses counts that would place sections before the start of an array or past the lengths
// the file declares.
void checkCounts(const KineticsCounts& c, const LinkSizes& required, const WorkArrayLayout& layout,
                 Console& messages) {
  const std::pair<std::string_view, std::int32_t> named[] = {
      {"ElementCount", c.ElementCount},
      {"KK", c.KK},
      {"ReactionCount", c.ReactionCount},
      {"MaxReactionSpecies", c.MaxReactionSpecies},
      {"MaxThirdBodies", c.MaxThirdBodies},
      {"MaxTemperatures", c.MaxTemperatures},
      {"CpCoefficientCount", c.CpCoefficientCount},
      {"RateParameterCount", c.RateParameterCount},
      {"LandauTellerParameterCount", c.LandauTellerParameterCount},
      {"FallOffParameterCount", c.FallOffParameterCount},
      {"ReverseReactionCount", c.ReverseReactionCount},
      {"FallOffReactionCount", c.FallOffReactionCount},
      {"ThirdBodyReactionCount", c.ThirdBodyReactionCount},
      {"LandauTellerReactionCount", c.LandauTellerReactionCount},
      {"ReverseLandauTellerReactionCount", c.ReverseLandauTellerReactionCount},
      {"WavelengthReactionCount", c.WavelengthReactionCount},
      {"ElectronImpactReactionCount", c.ElectronImpactReactionCount},
      {"JanevParameterCount", c.JanevParameterCount},
      {"JanevReactionCount", c.JanevReactionCount},
      {"FitParameterCount", c.FitParameterCount},
      {"FitReactionCount", c.FitReactionCount},
      {"ExcitationReactionCount", c.ExcitationReactionCount},
      {"RealStoichReactionCount", c.RealStoichReactionCount},
      {"OrderReactionCount", c.OrderReactionCount},
      {"MaxOrderSpecies", c.MaxOrderSpecies}};
  for (const auto& [name, value] : named) {
    if (value < 0) {
      stopAfter(messages, recordContext(2) + ": " + std::string(name) + " = " +
                              std::to_string(value) + " is negative.");
    }
  }
  // Every species needs one temperature range at least: the rate kernel reads the
  // coefficients of range 1 of every species, which fewer than two bounds do not provide.
  if (c.KK > 0 && c.MaxTemperatures < 2) {
    stopAfter(messages, recordContext(2) +
                            ": MaxTemperatures = " + std::to_string(c.MaxTemperatures) +
                            " leaves the species no temperature range.");
  }

  // Entries of the auxiliary lists name reactions, which a mechanism without reactions lacks.
  if (c.ReactionCount == 0) {
    for (const auto& [name, value] : named) {
      const bool listOfReactions = name.ends_with("ReactionCount") && name != "ReactionCount";
      if (listOfReactions && value > 0) {
        stopAfter(messages, recordContext(2) + ": " + std::string(name) + " = " +
                                std::to_string(value) + " lists reactions, but ReactionCount = 0.");
      }
    }
  }

  struct Fit {
    std::string_view kind;
    std::int64_t used;
    std::int32_t declared;
  };
  const Fit fits[] = {{"integer", layout.usedIntLength, required.RequiredIntLength},
                      {"real", layout.usedRealLength, required.RequiredRealLength},
                      {"character", layout.usedCharLength, required.RequiredCharLength}};
  std::vector<std::string> lines;
  for (const Fit& fit : fits) {
    if (fit.used > fit.declared) {
      lines.push_back(recordContext(2) + ": its counts need " + std::to_string(fit.used) + " " +
                      std::string(fit.kind) + " work entries, more than the " +
                      std::to_string(fit.declared) + " it declares.");
    }
  }
  if (!lines.empty()) common::stopRun(messages, std::move(lines), true);
}

// Reads and stores records 3 to 17 once the layout is known to fit the arrays.
class RecordLoader {
 public:
  RecordLoader(RecordReader& unit, Console& messages, KineticsState& state,
               std::span<std::int32_t> IKWORK, std::span<double> RKWORK,
               std::span<std::string> SKWORK, std::size_t nameLength)
      : unit_(unit),
        messages_(messages),
        state_(state),
        counts_(state.counts),
        integer_(state.layout.integer),
        real_(state.layout.real),
        character_(state.layout.character),
        IKWORK_(IKWORK),
        RKWORK_(RKWORK),
        SKWORK_(SKWORK),
        nameLength_(nameLength) {}

  void readElements() {
    RecordFields fields(readRecord(unit_, messages_, 3, kElementReadFailure), messages_,
                        kElementReadFailure);
    for (std::int64_t m = 1; m <= counts_.ElementCount; ++m) {
      Entry(SKWORK_, character_.ElementNames, m) = fields.name(nameLength_);
      Entry(RKWORK_, real_.AtomicWeights, m) = fields.real();
    }
  }

  void readSpecies() {
    RecordFields fields(readRecord(unit_, messages_, 4, kSpeciesReadFailure), messages_,
                        kSpeciesReadFailure);
    const std::int64_t perRange = state_.CoefficientsPerRange;
    const std::int64_t perSpecies = state_.CoefficientsPerSpecies;
    for (std::int64_t k = 1; k <= counts_.KK; ++k) {
      Entry(SKWORK_, character_.SpeciesNames, k) = fields.name(nameLength_);
      for (std::int64_t m = 1; m <= counts_.ElementCount; ++m) {
        BlockEntry(IKWORK_, integer_.ElementComposition, counts_.ElementCount, k, m) =
            fields.integer();
      }
      Entry(IKWORK_, integer_.SpeciesIntA, k) = fields.integer();
      Entry(IKWORK_, integer_.SpeciesIntB, k) = fields.integer();
      Entry(RKWORK_, real_.MolecularWeights, k) = fields.real();
      const std::int32_t temperatureCount = fields.integer();
      // The thermodynamic fits look up ranges below the species' own count of bounds.
      if (temperatureCount > counts_.MaxTemperatures) {
        stopAfter(messages_, recordContext(4) + ", species " + std::to_string(k) +
                                 ": TemperatureCount " + std::to_string(temperatureCount) +
                                 " is above MaxTemperatures = " +
                                 std::to_string(counts_.MaxTemperatures) + ".");
      }
      Entry(IKWORK_, integer_.TemperatureCount, k) = temperatureCount;
      for (std::int64_t l = 1; l <= counts_.MaxTemperatures; ++l) {
        BlockEntry(RKWORK_, real_.TemperatureBounds, counts_.MaxTemperatures, k, l) = fields.real();
      }
      for (std::int64_t l = 1; l < counts_.MaxTemperatures; ++l) {
        for (std::int64_t i = 1; i <= perRange; ++i) {
          BlockEntry(RKWORK_, real_.ThermoCoefficients, perSpecies, k, (l - 1) * perRange + i) =
              fields.real();
        }
      }
    }
  }

  // False when the file ends where the reactions should begin.
  bool readReactions() {
    const RecordStatus status = unit_.next();
    if (status == RecordStatus::EndOfFile) return false;
    if (status == RecordStatus::Failure) stopAfter(messages_, kReactionReadFailure);
    RecordFields fields(unit_.payload(), messages_, kReactionReadFailure);
    const std::int64_t rateStride = std::int64_t{counts_.RateParameterCount} + 1;
    for (std::int64_t i = 1; i <= counts_.ReactionCount; ++i) {
      Entry(IKWORK_, integer_.ReactionSpeciesCount, i) = fields.integer();
      Entry(IKWORK_, integer_.ReactionAuxCount, i) = fields.integer();
      for (std::int64_t j = 1; j <= counts_.RateParameterCount; ++j) {
        BlockEntry(RKWORK_, real_.RateParameters, rateStride, i, j) = fields.real();
      }
      for (std::int64_t s = 1; s <= counts_.MaxReactionSpecies; ++s) {
        BlockEntry(IKWORK_, integer_.StoichCoefficients, counts_.MaxReactionSpecies, i, s) =
            fields.integer();
        const std::int32_t species = fields.integer();
        checkSpecies(5, slotWhere("reaction", i, s), species, 0);
        BlockEntry(IKWORK_, integer_.StoichSpecies, counts_.MaxReactionSpecies, i, s) = species;
      }
    }
    // The multiplier is never read from the file.
    for (std::int64_t i = 1; i <= counts_.ReactionCount; ++i) {
      BlockEntry(RKWORK_, real_.RateParameters, rateStride, i, rateStride) = 1.0;
    }
    return true;
  }

  void readAuxiliaryRecords() {
    const std::int64_t rateStride = std::int64_t{counts_.RateParameterCount} + 1;
    if (counts_.ReverseReactionCount > 0) {
      RecordFields fields = open(6, kReverseReadFailure);
      for (std::int64_t n = 1; n <= counts_.ReverseReactionCount; ++n) {
        Entry(IKWORK_, integer_.ReverseReactions, n) = reaction(fields, 6, n);
        for (std::int64_t j = 1; j <= counts_.RateParameterCount; ++j) {
          BlockEntry(RKWORK_, real_.ReverseParameters, rateStride, n, j) = fields.real();
        }
      }
    }
    if (counts_.FallOffReactionCount > 0) {
      RecordFields fields = open(7, kFallOffReadFailure);
      for (std::int64_t n = 1; n <= counts_.FallOffReactionCount; ++n) {
        Entry(IKWORK_, integer_.FallOffReactions, n) = reaction(fields, 7, n);
        Entry(IKWORK_, integer_.FallOffForm, n) = fields.integer();
        const std::int32_t thirdBody = fields.integer();
        checkSpecies(7, entryWhere("entry", n), thirdBody, 0, "third body");
        Entry(IKWORK_, integer_.FallOffThirdBody, n) = thirdBody;
        readReals(fields, real_.FallOffParameters, counts_.FallOffParameterCount, n);
      }
    }
    if (counts_.ThirdBodyReactionCount > 0) {
      RecordFields fields = open(8, kThirdBodyReadFailure);
      for (std::int64_t n = 1; n <= counts_.ThirdBodyReactionCount; ++n) {
        Entry(IKWORK_, integer_.ThirdBodyReactions, n) = reaction(fields, 8, n);
        const std::int32_t used = fields.integer();
        if (used < 0 || used > counts_.MaxThirdBodies) {
          stopOutOfRange(messages_, 8, entryWhere("entry", n), "count of enhanced third bodies",
                         used, 0, counts_.MaxThirdBodies);
        }
        Entry(IKWORK_, integer_.ThirdBodyCount, n) = used;
        for (std::int64_t j = 1; j <= counts_.MaxThirdBodies; ++j) {
          const std::int32_t species = fields.integer();
          // Slots in use name a species; the slots after them may be empty.
          checkSpecies(8, slotWhere("entry", n, j), species, j <= used ? 1 : 0);
          BlockEntry(IKWORK_, integer_.ThirdBodySpecies, counts_.MaxThirdBodies, n, j) = species;
          BlockEntry(RKWORK_, real_.ThirdBodyEfficiencies, counts_.MaxThirdBodies, n, j) =
              fields.real();
        }
      }
    }
    readParameterList(9, kLandauTellerReadFailure, counts_.LandauTellerReactionCount,
                      integer_.LandauTellerReactions, real_.LandauTellerParameters,
                      counts_.LandauTellerParameterCount);
    readParameterList(10, kReverseLandauTellerReadFailure, counts_.ReverseLandauTellerReactionCount,
                      integer_.ReverseLandauTellerReactions, real_.ReverseLandauTellerParameters,
                      counts_.LandauTellerParameterCount);
    readParameterList(11, kWavelengthReadFailure, counts_.WavelengthReactionCount,
                      integer_.WavelengthReactions, real_.Wavelengths, 1);
    if (counts_.ElectronImpactReactionCount > 0) {
      RecordFields fields = open(12, kElectronImpactReadFailure);
      for (std::int64_t n = 1; n <= counts_.ElectronImpactReactionCount; ++n) {
        Entry(IKWORK_, integer_.ElectronImpactReactions, n) = reaction(fields, 12, n);
        const std::int32_t index = fields.integer();
        // The index selects an entry of the caller's temperature array, which starts at 1;
        // its upper end depends on the caller and is checked where the array is known.
        if (index < 1) {
          stopAfter(messages_, recordContext(12) + ", " + entryWhere("entry", n) +
                                   ": temperature index " + std::to_string(index) + " is below 1.");
        }
        Entry(IKWORK_, integer_.ElectronTemperatureIndex, n) = index;
      }
    }
    readParameterList(13, kJanevReadFailure, counts_.JanevReactionCount, integer_.JanevReactions,
                      real_.JanevParameters, counts_.JanevParameterCount);
    readParameterList(14, kFitReadFailure, counts_.FitReactionCount, integer_.FitReactions,
                      real_.FitParameters, counts_.FitParameterCount);
    readParameterList(15, kExcitationReadFailure, counts_.ExcitationReactionCount,
                      integer_.ExcitationReactions, real_.ExcitationEnergies, 1);
    readParameterList(16, kRealStoichReadFailure, counts_.RealStoichReactionCount,
                      integer_.RealStoichReactions, real_.RealStoichCoefficients,
                      counts_.MaxReactionSpecies);
    if (counts_.OrderReactionCount > 0) {
      RecordFields fields = open(17, kOrderReadFailure);
      for (std::int64_t n = 1; n <= counts_.OrderReactionCount; ++n) {
        Entry(IKWORK_, integer_.OrderReactions, n) = reaction(fields, 17, n);
        for (std::int64_t j = 1; j <= counts_.MaxOrderSpecies; ++j) {
          // -k orders the forward rate by species k, +k the reverse rate, 0 is skipped.
          const std::int32_t code = fields.integer();
          if (code < -counts_.KK || code > counts_.KK) {
            stopOutOfRange(messages_, 17, slotWhere("entry", n, j), "species code", code,
                           -std::int64_t{counts_.KK}, counts_.KK);
          }
          BlockEntry(IKWORK_, integer_.OrderSpecies, counts_.MaxOrderSpecies, n, j) = code;
          BlockEntry(RKWORK_, real_.OrderValues, counts_.MaxOrderSpecies, n, j) = fields.real();
        }
      }
    }
  }

  // The pressure-table record, when a record follows the last present one. Its counts come
  // first; the sections they add to the layout must fit the declared lengths before anything
  // is stored.
  void readTables(const LinkSizes& required) {
    const RecordStatus status = unit_.next();
    if (status == RecordStatus::EndOfFile) return;
    if (status == RecordStatus::Failure) stopAfter(messages_, kTableReadFailure);
    RecordFields fields(unit_.payload(), messages_, kTableReadFailure);
    const std::string context = recordContext(kTableRecord);
    if (fields.name(kHeaderNameLength) != paddedName(kTableRecordMark)) {
      stopAfter(messages_, " The record after the last one the counts give does not start with \"" +
                               std::string(kTableRecordMark) + "\".");
    }
    const std::int32_t format = fields.integer();
    if (format != kTableRecordFormat) {
      stopAfter(messages_, context + " has format " + std::to_string(format) +
                               "; this reader knows " + std::to_string(kTableRecordFormat) + ".");
    }
    if (fields.real() != kTablePressureUnit) {
      stopAfter(messages_, context + " gives its pressures in another unit than the atmosphere.");
    }
    TableCounts t;
    const std::pair<std::string_view, std::int32_t*> named[] = {
        {"PressureTableReactionCount", &t.PressureTableReactionCount},
        {"PressureRowCount", &t.PressureRowCount},
        {"ChebyshevReactionCount", &t.ChebyshevReactionCount},
        {"ChebyshevCoefficientCount", &t.ChebyshevCoefficientCount},
        {"ActivatedReactionCount", &t.ActivatedReactionCount},
        {"ActivatedEfficiencyCount", &t.ActivatedEfficiencyCount}};
    for (const auto& [name, value] : named) {
      *value = fields.integer();
      if (*value < 0) {
        stopAfter(messages_, context + ": " + std::string(name) + " = " + std::to_string(*value) +
                                 " is negative.");
      }
    }
    const WorkArrayLayout layout = ComputeWorkArrayLayout(counts_, t);
    if (layout.usedIntLength > required.RequiredIntLength ||
        layout.usedRealLength > required.RequiredRealLength) {
      stopAfter(messages_, context + ": its tables need " + std::to_string(layout.usedIntLength) +
                               " integer and " + std::to_string(layout.usedRealLength) +
                               " real work entries, more than the " +
                               std::to_string(required.RequiredIntLength) + " and " +
                               std::to_string(required.RequiredRealLength) + " declared.");
    }
    state_.tables = t;
    state_.layout = layout;
    readPressureTables(fields, t);
    readChebyshevFits(fields, t);
    readActivated(fields, t);
  }

 private:
  void readPressureTables(RecordFields& fields, const TableCounts& t) {
    const std::string context = recordContext(kTableRecord);
    std::int64_t rowsUsed = 0;
    for (std::int64_t n = 1; n <= t.PressureTableReactionCount; ++n) {
      Entry(IKWORK_, integer_.PressureTableReactions, n) = reaction(fields, kTableRecord, n);
      const std::int32_t rows = fields.integer();
      if (rows < 1 || rows > t.PressureRowCount - rowsUsed) {
        stopOutOfRange(messages_, kTableRecord, entryWhere("pressure table", n), "row count", rows,
                       1, t.PressureRowCount - rowsUsed);
      }
      Entry(IKWORK_, integer_.PressureTableFirstRow, n) = static_cast<std::int32_t>(rowsUsed + 1);
      Entry(IKWORK_, integer_.PressureTableRows, n) = rows;
      double previous = 0.0;
      for (std::int64_t r = rowsUsed + 1; r <= rowsUsed + rows; ++r) {
        const double pressure = fields.real();
        // The kernel interpolates in ln P between ascending pressures.
        if (!(pressure > 0.0) || !std::isfinite(pressure) || pressure < previous) {
          stopAfter(messages_, context + ", " + entryWhere("pressure table", n) +
                                   ": the pressures are not positive and ascending.");
        }
        previous = pressure;
        Entry(RKWORK_, real_.PressureTablePressures, r) = pressure;
        readReals(fields, real_.PressureTableParameters, kTableRateParameterCount, r);
      }
      rowsUsed += rows;
    }
    if (rowsUsed != t.PressureRowCount) {
      stopAfter(messages_,
                context + ": the tables hold " + std::to_string(rowsUsed) +
                    " rows, not PressureRowCount = " + std::to_string(t.PressureRowCount) + ".");
    }
  }

  void readChebyshevFits(RecordFields& fields, const TableCounts& t) {
    const std::string context = recordContext(kTableRecord);
    std::int64_t used = 0;
    for (std::int64_t n = 1; n <= t.ChebyshevReactionCount; ++n) {
      const std::string where = entryWhere("Chebyshev fit", n);
      Entry(IKWORK_, integer_.ChebyshevReactions, n) = reaction(fields, kTableRecord, n);
      const std::int32_t temperatureTerms = fields.integer();
      const std::int32_t pressureTerms = fields.integer();
      const std::int64_t left = t.ChebyshevCoefficientCount - used;
      if (temperatureTerms < 1 || pressureTerms < 1 ||
          std::int64_t{temperatureTerms} * pressureTerms > left) {
        stopAfter(messages_, context + ", " + where + ": " + std::to_string(temperatureTerms) +
                                 " x " + std::to_string(pressureTerms) +
                                 " terms; each must be 1 or more and their product at most " +
                                 std::to_string(left) + ".");
      }
      Entry(IKWORK_, integer_.ChebyshevTemperatureCount, n) = temperatureTerms;
      Entry(IKWORK_, integer_.ChebyshevPressureCount, n) = pressureTerms;
      Entry(IKWORK_, integer_.ChebyshevFirstCoefficient, n) = static_cast<std::int32_t>(used + 1);
      readReals(fields, real_.ChebyshevRanges, kChebyshevRangeCount, n);
      const common::Section<double> range(RKWORK_, real_.ChebyshevRanges, kChebyshevRangeCount);
      // The reduced variables divide by the widths of the ranges, in 1/T and in log P.
      const bool ranges = range(n, 1) > 0.0 && range(n, 2) > range(n, 1) &&
                          std::isfinite(range(n, 2)) && range(n, 3) > 0.0 &&
                          range(n, 4) > range(n, 3) && std::isfinite(range(n, 4));
      if (!ranges) {
        stopAfter(messages_, context + ", " + where +
                                 ": the temperature or pressure range is not positive and "
                                 "increasing.");
      }
      const std::int64_t terms = std::int64_t{temperatureTerms} * pressureTerms;
      for (std::int64_t j = used + 1; j <= used + terms; ++j) {
        Entry(RKWORK_, real_.ChebyshevCoefficients, j) = fields.real();
      }
      used += terms;
    }
    if (used != t.ChebyshevCoefficientCount) {
      stopAfter(messages_, context + ": the fits hold " + std::to_string(used) +
                               " coefficients, not ChebyshevCoefficientCount = " +
                               std::to_string(t.ChebyshevCoefficientCount) + ".");
    }
  }

  void readActivated(RecordFields& fields, const TableCounts& t) {
    std::int64_t used = 0;
    for (std::int64_t n = 1; n <= t.ActivatedReactionCount; ++n) {
      const std::string where = entryWhere("activated entry", n);
      Entry(IKWORK_, integer_.ActivatedReactions, n) = reaction(fields, kTableRecord, n);
      const std::int32_t form = fields.integer();
      if (form < 1 || form > 4) stopOutOfRange(messages_, kTableRecord, where, "form", form, 1, 4);
      Entry(IKWORK_, integer_.ActivatedForm, n) = form;
      const std::int32_t thirdBody = fields.integer();
      checkSpecies(kTableRecord, where, thirdBody, 0, "third body");
      Entry(IKWORK_, integer_.ActivatedThirdBody, n) = thirdBody;
      const std::int32_t enhanced = fields.integer();
      if (enhanced < 0 || enhanced > t.ActivatedEfficiencyCount - used) {
        stopOutOfRange(messages_, kTableRecord, where, "count of enhanced third bodies", enhanced,
                       0, t.ActivatedEfficiencyCount - used);
      }
      Entry(IKWORK_, integer_.ActivatedFirstEfficiency, n) = static_cast<std::int32_t>(used + 1);
      Entry(IKWORK_, integer_.ActivatedEfficiencyCount, n) = enhanced;
      readReals(fields, real_.ActivatedHighParameters, kTableRateParameterCount, n);
      readReals(fields, real_.ActivatedParameters, kActivatedParameterCount, n);
      for (std::int64_t j = used + 1; j <= used + enhanced; ++j) {
        const std::int32_t species = fields.integer();
        checkSpecies(kTableRecord, where, species, 1);
        Entry(IKWORK_, integer_.ActivatedEfficiencySpecies, j) = species;
        Entry(RKWORK_, real_.ActivatedEfficiencies, j) = fields.real();
      }
      used += enhanced;
    }
    if (used != t.ActivatedEfficiencyCount) {
      stopAfter(messages_, recordContext(kTableRecord) + ": the activated entries hold " +
                               std::to_string(used) +
                               " enhanced third bodies, not ActivatedEfficiencyCount = " +
                               std::to_string(t.ActivatedEfficiencyCount) + ".");
    }
  }

  RecordFields open(int record, std::string_view failure) {
    return RecordFields(readRecord(unit_, messages_, record, failure), messages_, failure);
  }

  std::int32_t reaction(RecordFields& fields, int record, std::int64_t n) {
    const std::int32_t number = fields.integer();
    if (number < 1 || number > counts_.ReactionCount) {
      stopOutOfRange(messages_, record, entryWhere("entry", n), "reaction", number, 1,
                     counts_.ReactionCount);
    }
    return number;
  }

  void checkSpecies(int record, const std::string& where, std::int32_t species, std::int32_t lowest,
                    std::string_view what = "species") {
    if (species < lowest || species > counts_.KK) {
      stopOutOfRange(messages_, record, where, what, species, lowest, counts_.KK);
    }
  }

  void readReals(RecordFields& fields, std::int64_t start, std::int32_t stride, std::int64_t n) {
    for (std::int64_t j = 1; j <= stride; ++j)
      BlockEntry(RKWORK_, start, stride, n, j) = fields.real();
  }

  // The records made of entries "reaction number, then `stride` reals".
  void readParameterList(int record, std::string_view failure, std::int32_t count,
                         std::int64_t reactionsStart, std::int64_t valuesStart,
                         std::int32_t stride) {
    if (count <= 0) return;
    RecordFields fields = open(record, failure);
    for (std::int64_t n = 1; n <= count; ++n) {
      Entry(IKWORK_, reactionsStart, n) = reaction(fields, record, n);
      readReals(fields, valuesStart, stride, n);
    }
  }

  RecordReader& unit_;
  Console& messages_;
  KineticsState& state_;
  const KineticsCounts& counts_;
  const IntegerSections& integer_;
  const RealSections& real_;
  const CharacterSections& character_;
  std::span<std::int32_t> IKWORK_;
  std::span<double> RKWORK_;
  std::span<std::string> SKWORK_;
  std::size_t nameLength_;
};

// The file ended where its reactions should begin, so records 5 to 17 were never read. The
// reaction slots are emptied and the auxiliary lists counted as empty, so that no later reader
// takes a species or reaction number from entries the file never gave.
void forgetUnreadReactions(KineticsState& state, std::span<std::int32_t> IKWORK) {
  KineticsCounts& c = state.counts;
  const IntegerSections& I = state.layout.integer;
  const std::int64_t slots = std::int64_t{c.MaxReactionSpecies} * c.ReactionCount;
  for (std::int64_t j = 1; j <= slots; ++j) {
    Entry(IKWORK, I.StoichCoefficients, j) = 0;
    Entry(IKWORK, I.StoichSpecies, j) = 0;
  }
  c.ReverseReactionCount = 0;
  c.FallOffReactionCount = 0;
  c.ThirdBodyReactionCount = 0;
  c.LandauTellerReactionCount = 0;
  c.ReverseLandauTellerReactionCount = 0;
  c.WavelengthReactionCount = 0;
  c.ElectronImpactReactionCount = 0;
  c.JanevReactionCount = 0;
  c.FitReactionCount = 0;
  c.ExcitationReactionCount = 0;
  c.RealStoichReactionCount = 0;
  c.OrderReactionCount = 0;
}

}  // namespace

LinkSizes ReadLinkHeader(RecordReader& unit, Console& messages) {
  LinkSizes sizes = readHeader(unit, messages);
  sizes.KK = 0;
  sizes.ReactionCount = 0;
  return sizes;
}

LinkSizes QueryLinkSizes(RecordReader& unit, Console& messages) {
  return readHeader(unit, messages);
}

LoadOutcome LoadKineticsLink(std::int32_t LENIKW, std::int32_t LENRKW, std::int32_t LENSKW,
                             RecordReader& unit, Console& messages, std::span<std::int32_t> IKWORK,
                             std::span<double> RKWORK, std::span<std::string> SKWORK,
                             std::int32_t skworkElementLength) {
  KineticsState& state = MutableKineticsState();
  state.SmallValue = kSmallValue;
  state.BigValue = 1.0e+300;
  state.ExpCap = 690.7755278982137;

  const LinkSizes required = ReadLinkHeader(unit, messages);
  checkDimensions(LENIKW, LENRKW, LENSKW, required, messages);
  checkArraysHoldStatedLengths(LENIKW, LENRKW, LENSKW, IKWORK.size(), RKWORK.size(), SKWORK.size(),
                               messages);

  unit.rewind();
  RecordFields first(readRecord(unit, messages, 1, kBinaryReadFailure), messages,
                     kBinaryReadFailure);
  first.name(kHeaderNameLength);
  first.name(kHeaderNameLength);
  first.logical();
  RecordFields second(readRecord(unit, messages, 2, kBinaryReadFailure), messages,
                      kBinaryReadFailure);
  std::int32_t ints[kRecord2IntCount] = {};
  for (std::int32_t& value : ints) value = second.integer();
  const double headerTolerance = second.real();

  if (skworkElementLength < kMinimumElementLength) {
    stopAfter(messages, std::string(kDimensionIndent) + std::string(kElementLengthMessage));
  }

  // The counts take effect only once they are known to fit the arrays.
  KineticsState loaded = state;
  loaded.RequiredIntLength = required.RequiredIntLength;
  loaded.RequiredRealLength = required.RequiredRealLength;
  loaded.RequiredCharLength = required.RequiredCharLength;
  loaded.counts = countsFromRecord2(ints);
  loaded.tables = {};  // until a pressure-table record is read
  loaded.HeaderTolerance = headerTolerance;
  loaded.layout = ComputeWorkArrayLayout(loaded.counts);
  checkCounts(loaded.counts, required, loaded.layout, messages);
  const KineticsCounts& c = loaded.counts;
  // With species present these fit 32 bits, since their section fits a declared length;
  // without species nothing reads them.
  const std::int64_t perRange = std::int64_t{c.CpCoefficientCount} + 2;
  loaded.EnthalpyCoefficient = static_cast<std::int32_t>(perRange - 1);
  loaded.CoefficientsPerRange = static_cast<std::int32_t>(perRange);
  loaded.CoefficientsPerSpecies =
      static_cast<std::int32_t>((std::int64_t{c.MaxTemperatures} - 1) * perRange);
  state = loaded;

  const WorkArrayLayout& layout = state.layout;
  Entry(IKWORK, layout.integer.InitMark, 1) = 1;
  // The constants follow the table sections, so a pressure-table record moves them.
  const auto storeConstants = [&layout, RKWORK] {
    Entry(RKWORK, layout.real.GasConstant, 1) = kGasConstant;
    Entry(RKWORK, layout.real.GasConstantCal, 1) = kGasConstantCal;
    Entry(RKWORK, layout.real.StandardPressure, 1) = kStandardPressure;
  };
  storeConstants();

  RecordLoader loader(unit, messages, state, IKWORK, RKWORK, SKWORK,
                      static_cast<std::size_t>(skworkElementLength));
  loader.readElements();
  loader.readSpecies();
  if (c.ReactionCount == 0) return LoadOutcome::Complete;
  if (!loader.readReactions()) {
    forgetUnreadReactions(state, IKWORK);
    return LoadOutcome::EndedBeforeReactions;
  }
  loader.readAuxiliaryRecords();
  loader.readTables(required);
  storeConstants();
  return LoadOutcome::Complete;
}

namespace {

LoadedKinetics loadFrom(RecordReader& unit, Console& messages) {
  const LinkSizes sizes = QueryLinkSizes(unit, messages);
  auto length = [](std::int32_t declared) {
    return static_cast<std::size_t>(declared > 0 ? declared : 0);
  };
  LoadedKinetics loaded;
  loaded.IKWORK.assign(length(sizes.RequiredIntLength), 0);
  loaded.RKWORK.assign(length(sizes.RequiredRealLength), 0.0);
  loaded.SKWORK.assign(length(sizes.RequiredCharLength), std::string(kHeaderNameLength, ' '));
  loaded.outcome =
      LoadKineticsLink(sizes.RequiredIntLength, sizes.RequiredRealLength, sizes.RequiredCharLength,
                       unit, messages, loaded.IKWORK, loaded.RKWORK, loaded.SKWORK);
  loaded.state = CurrentKineticsState();
  return loaded;
}

}  // namespace

LoadedKinetics LoadKineticsFile(const std::string& path, Console& messages) {
  RecordReader unit;
  if (!unit.open(path)) stopAfter(messages, " Cannot open the kinetics linking file " + path + ".");
  return loadFrom(unit, messages);
}

LoadedKinetics LoadKineticsBytes(const std::string& name, std::string bytes, Console& messages) {
  RecordReader unit;
  unit.openBytes(name, std::move(bytes));
  return loadFrom(unit, messages);
}

}  // namespace kinetics
