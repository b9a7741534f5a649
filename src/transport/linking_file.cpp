// Reading the transport linking file into ITWORK and RTWORK.
//
// The header is read twice: once by the driver before it makes the arrays, and again by the
// loader, which then rewinds and reads all three records into the arrays. The file's counts
// are refused unless every section the loader or the pair rule writes lies inside the lengths
// the file declares; the loader in turn refuses caller lengths below the declared ones and
// spans shorter than the caller's lengths. So nothing is ever written outside an array, and
// every element is addressed through one 1-based accessor.
#include "transport/linking_file.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/declared_length.h"
#include "common/fixed_format.h"
#include "common/work_array.h"

namespace transport {
namespace {

constexpr std::size_t kNameWidth = 16;
constexpr std::string_view kHeaderReadError =
    "Error reading Multi-component Transport binary file.";
constexpr std::string_view kLoadReadError = " Error reading Transport binary file...";
constexpr std::string_view kErrorFlagLine = " There is an error in the transport binary file...";
constexpr std::string_view kErrorFlagAdvice = " Check QUILLET output for error conditions.";
constexpr std::string_view kPrecisionLine =
    " Precision of Transport binary file does not agree with precision of Transport Library";
constexpr std::string_view kNegativeCounts =
    " Transport binary file declares a negative length or count:";
constexpr std::string_view kCountsExceedLengths =
    " Transport binary file declares work arrays too short for its counts:";
constexpr std::string_view kLightSpeciesOutside =
    " Transport binary file names a light species outside 1..KK:";
constexpr std::string_view kSpanShort = " Transport work array holds fewer elements than stated:";
constexpr std::string_view kCannotOpen = " Cannot open the transport linking file ";

struct HeaderCounts {
  std::int32_t TranIntLength = 0;
  std::int32_t TranRealLength = 0;
  std::int32_t FitOrder = 0;
  std::int32_t KK = 0;
  std::int32_t LightCount = 0;
};

// Writes the lines, pauses and stops.
[[noreturn]] void pauseAndStop(common::Console& messages, std::vector<std::string> lines) {
  common::stopRun(messages, std::move(lines), true);
}

// The end of the file where a record should begin ends the run at once, without the pause.
[[noreturn]] void endOfFile(common::RecordReader& unit, common::Console& messages, int record) {
  common::stopRun(messages,
                  {common::freeFormat({"End of file in the transport linking file ", unit.path(),
                                       ": record", std::int64_t{record}, " is missing."})},
                  false);
}

// Next record, or the end-of-file stop. A damaged record comes back as Failure.
common::RecordStatus nextRecord(common::RecordReader& unit, common::Console& messages, int record) {
  const common::RecordStatus status = unit.next();
  if (status == common::RecordStatus::EndOfFile) endOfFile(unit, messages, record);
  return status;
}

struct FirstRecord {
  std::string version;
  std::string precision;
  bool errorFlag = false;
};

bool readFirstRecord(common::RecordReader& unit, common::Console& messages, FirstRecord& out) {
  if (nextRecord(unit, messages, 1) != common::RecordStatus::Ok) return false;
  common::FieldReader fields(unit.payload());
  fields.readName(out.version, kNameWidth);
  fields.readName(out.precision, kNameWidth);
  fields.readLogical(out.errorFlag);
  return fields.ok();
}

bool readSecondRecord(common::RecordReader& unit, common::Console& messages, HeaderCounts& out) {
  if (nextRecord(unit, messages, 2) != common::RecordStatus::Ok) return false;
  common::FieldReader fields(unit.payload());
  fields.readInt(out.TranIntLength);
  fields.readInt(out.TranRealLength);
  fields.readInt(out.FitOrder);
  fields.readInt(out.KK);
  fields.readInt(out.LightCount);
  return fields.ok();
}

// Refuses counts that are negative or that need more of either array than the file declares.
void checkCounts(const HeaderCounts& counts, common::Console& messages) {
  if (counts.TranIntLength < 0 || counts.TranRealLength < 0 || counts.FitOrder < 0 ||
      counts.KK < 0 || counts.LightCount < 0) {
    pauseAndStop(messages,
                 {std::string(kNegativeCounts),
                  common::freeFormat({"TranIntLength=", std::int64_t{counts.TranIntLength},
                                      " TranRealLength=", std::int64_t{counts.TranRealLength},
                                      " FitOrder=", std::int64_t{counts.FitOrder},
                                      " KK=", std::int64_t{counts.KK},
                                      " LightCount=", std::int64_t{counts.LightCount}})});
  }
  TransportState layout;
  layout.FitOrder = counts.FitOrder;
  layout.KK = counts.KK;
  layout.LightCount = counts.LightCount;
  ComputeTransportSections(layout);
  const std::int64_t KSquared = std::int64_t{counts.KK} * counts.KK;
  // The loader writes ITWORK through LightSpecies and RTWORK through PairDiameters.
  const std::int64_t intNeeded = layout.IntWorkspace - 1;
  const std::int64_t realNeeded = layout.PairDiameters - 1 + KSquared;
  const bool intShort = intNeeded > counts.TranIntLength;
  const bool realShort = realNeeded > counts.TranRealLength;
  if (!intShort && !realShort) return;
  std::vector<std::string> lines{std::string(kCountsExceedLengths)};
  if (intShort) {
    lines.push_back(common::freeFormat(
        {"ITWORK needs at least", intNeeded, ", declared", std::int64_t{counts.TranIntLength}}));
  }
  if (realShort) {
    lines.push_back(common::freeFormat(
        {"RTWORK needs at least", realNeeded, ", declared", std::int64_t{counts.TranRealLength}}));
  }
  pauseAndStop(messages, std::move(lines));
}

// Ten blanks, the text, a blank and the length in five columns. A length of more than five
// digits is written in full: asterisks would hide the very number the user needs.
std::string dimensionLine(std::string_view array, std::int32_t length) {
  std::string line = std::string(10, ' ') + std::string(array) + " MUST BE DIMENSIONED AT LEAST ";
  const std::string field = common::formatInteger(length, 5);
  line += field.find('*') == std::string::npos ? field : std::to_string(length);
  return line;
}

[[noreturn]] void loadReadError(common::Console& messages) {
  pauseAndStop(messages, {common::freeFormat({kLoadReadError})});
}

void readThirdRecord(common::RecordReader& unit, common::Console& messages, TransportState& state,
                     std::span<std::int32_t> ITWORK, std::span<double> RTWORK) {
  if (nextRecord(unit, messages, 3) != common::RecordStatus::Ok) loadReadError(messages);
  const std::int64_t K = state.KK;
  const std::int64_t N = state.FitOrder;
  const std::int64_t L = state.LightCount;
  // The counts passed checkCounts, so these products stay far inside 64 bits.
  const std::int64_t reals = 2 * N * K + N * K * K + N * K * L;
  const std::int64_t bytes = 8 + 52 * K + 8 * reals + 4 * L;
  if (static_cast<std::int64_t>(unit.payload().size()) < bytes) loadReadError(messages);

  common::FieldReader fields(unit.payload());
  fields.readReal(state.ReferencePressure);
  const std::int64_t parameterStarts[] = {state.SpeciesWeights,     state.WellDepths,
                                          state.CollisionDiameters, state.DipoleMoments,
                                          state.Polarizabilities,   state.RotationalRelaxation};
  for (std::int64_t k = 1; k <= K; ++k) {
    for (const std::int64_t start : parameterStarts)
      fields.readReal(common::Entry(RTWORK, start, k));
    fields.readInt(common::Entry(ITWORK, state.GeometryCodes, k));
  }
  auto readReals = [&](std::int64_t start, std::int64_t count) {
    for (std::int64_t i = 1; i <= count; ++i) fields.readReal(common::Entry(RTWORK, start, i));
  };
  readReals(state.ConductivityFits, N * K);
  readReals(state.ViscosityFits, N * K);
  readReals(state.DiffusionFits, N * K * K);
  for (std::int64_t l = 1; l <= L; ++l)
    fields.readInt(common::Entry(ITWORK, state.LightSpecies, l));
  readReals(state.ThermalDiffusionFits, N * K * L);
  if (!fields.ok()) loadReadError(messages);
}

// A light species number outside 1..KK would send a later property evaluation outside the
// species sections.
void checkLightSpecies(const TransportState& state, std::span<const std::int32_t> ITWORK,
                       common::Console& messages) {
  for (std::int64_t l = 1; l <= state.LightCount; ++l) {
    const std::int32_t number = common::Entry(ITWORK, state.LightSpecies, l);
    if (number >= 1 && number <= state.KK) continue;
    pauseAndStop(messages,
                 {std::string(kLightSpeciesOutside),
                  common::freeFormat({"LightSpecies entry", l, " is", std::int64_t{number},
                                      ", KK=", std::int64_t{state.KK}})});
  }
}

}  // namespace

TransportState& MutableTransportState() {
  static TransportState state;
  return state;
}

TransportLengths ReadTransportHeader(common::RecordReader& unit, common::Console& messages) {
  TransportState& state = MutableTransportState();
  state.TranVersion.assign(kNameWidth, ' ');
  state.TranPrecision.assign(kNameWidth, ' ');
  state.TranIntLength = 0;
  state.TranRealLength = 0;
  unit.rewind();

  FirstRecord first;
  if (!readFirstRecord(unit, messages, first)) {
    pauseAndStop(messages, {std::string(kHeaderReadError)});
  }
  state.TranVersion = first.version;
  state.TranPrecision = first.precision;
  state.TranErrorFlag = first.errorFlag;

  // Both faults are reported before the one pause.
  const bool wrongPrecision = first.precision.find("DOUB") == std::string::npos;
  std::vector<std::string> faults;
  if (first.errorFlag) {
    faults.insert(faults.end(), {"", std::string(kErrorFlagLine), std::string(kErrorFlagAdvice)});
  }
  if (wrongPrecision) faults.insert(faults.end(), {"", std::string(kPrecisionLine)});
  if (!faults.empty()) pauseAndStop(messages, std::move(faults));

  HeaderCounts counts;
  if (!readSecondRecord(unit, messages, counts)) {
    pauseAndStop(messages, {std::string(kHeaderReadError)});
  }
  checkCounts(counts, messages);
  // The caller makes its arrays with these lengths: a damaged header must not ask for more
  // memory than a file of this size could use.
  std::vector<std::string> implausible = common::ImplausibleDeclaredLengths(
      "The transport linking file " + unit.path(),
      {{"ITWORK", counts.TranIntLength}, {"RTWORK", counts.TranRealLength}}, unit.size());
  if (!implausible.empty()) pauseAndStop(messages, std::move(implausible));
  unit.rewind();

  state.TranIntLength = counts.TranIntLength;
  state.TranRealLength = counts.TranRealLength;
  return {counts.TranIntLength, counts.TranRealLength};
}

void LoadTransportLink(common::RecordReader& unit, common::Console& messages,
                       std::int32_t lengthITWORK, std::int32_t lengthRTWORK,
                       std::span<std::int32_t> ITWORK, std::span<double> RTWORK) {
  const bool intSpanShort = static_cast<std::int64_t>(ITWORK.size()) < lengthITWORK;
  const bool realSpanShort = static_cast<std::int64_t>(RTWORK.size()) < lengthRTWORK;
  if (intSpanShort || realSpanShort) {
    std::vector<std::string> lines{std::string(kSpanShort)};
    if (intSpanShort) {
      lines.push_back(common::freeFormat({"ITWORK stated", std::int64_t{lengthITWORK}, ", held",
                                          static_cast<std::int64_t>(ITWORK.size())}));
    }
    if (realSpanShort) {
      lines.push_back(common::freeFormat({"RTWORK stated", std::int64_t{lengthRTWORK}, ", held",
                                          static_cast<std::int64_t>(RTWORK.size())}));
    }
    pauseAndStop(messages, std::move(lines));
  }

  const TransportLengths declared = ReadTransportHeader(unit, messages);
  const bool intShort = lengthITWORK < declared.TranIntLength;
  const bool realShort = lengthRTWORK < declared.TranRealLength;
  std::vector<std::string> dimensionLines;
  if (intShort) dimensionLines.push_back(dimensionLine("ITWORK", declared.TranIntLength));
  if (realShort) dimensionLines.push_back(dimensionLine("RTWORK", declared.TranRealLength));
  if (!dimensionLines.empty()) pauseAndStop(messages, std::move(dimensionLines));

  unit.rewind();
  TransportState& state = MutableTransportState();
  FirstRecord first;
  if (!readFirstRecord(unit, messages, first)) loadReadError(messages);
  state.TranVersion = first.version;
  state.TranPrecision = first.precision;
  state.TranErrorFlag = first.errorFlag;

  HeaderCounts counts;
  if (!readSecondRecord(unit, messages, counts)) loadReadError(messages);
  // The arrays were checked against the header's lengths; a file that changed since then
  // must not carry the loader past them.
  if (counts.TranIntLength != declared.TranIntLength ||
      counts.TranRealLength != declared.TranRealLength) {
    loadReadError(messages);
  }
  checkCounts(counts, messages);
  state.TranIntLength = counts.TranIntLength;
  state.TranRealLength = counts.TranRealLength;
  state.FitOrder = counts.FitOrder;
  state.KK = counts.KK;
  state.LightCount = counts.LightCount;
  ComputeTransportSections(state);

  readThirdRecord(unit, messages, state, ITWORK, RTWORK);
  checkLightSpecies(state, ITWORK, messages);
  CombinePairParameters(state, RTWORK);
}

LoadedTransport LoadTransportFile(const std::string& path, common::Console& messages) {
  common::RecordReader unit;
  if (!unit.open(path)) {
    pauseAndStop(messages, {std::string(kCannotOpen) + path + "."});
  }
  const TransportLengths lengths = ReadTransportHeader(unit, messages);
  LoadedTransport loaded;
  loaded.ITWORK.assign(static_cast<std::size_t>(lengths.TranIntLength), 0);
  loaded.RTWORK.assign(static_cast<std::size_t>(lengths.TranRealLength), 0.0);
  LoadTransportLink(unit, messages, lengths.TranIntLength, lengths.TranRealLength, loaded.ITWORK,
                    loaded.RTWORK);
  return loaded;
}

}  // namespace transport
