#include "analysis/driver/analysis_inputs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "analysis/core/analysis_tables.h"
#include "kinetics/queries.h"
#include "transport/linking_file.h"

namespace driver {
namespace {

constexpr std::size_t kNameLength = 100;
constexpr std::int32_t kBlockDimension = 2000;

void openLinkingFile(common::RecordReader& unit, const std::string& name,
                     common::Console& console) {
  RequireFile(name, console);
  if (!unit.open(FileSystemName(name))) {
    common::stopRun(console,
                    {" Cannot open " + FileSystemName(name) + ": " + std::strerror(errno) + "."},
                    true);
  }
}

// A work length that does not fit the 32-bit lengths of the work arrays.
std::int32_t checkedLength(std::int64_t length, common::Console& console) {
  if (length > 0x7FFFFFFF) {
    common::stopRun(
        console, {" The linking files declare work arrays longer than 2147483647 entries."}, true);
  }
  return static_cast<std::int32_t>(length);
}

}  // namespace

std::string FileSystemName(const std::string& name) {
  const auto end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

void RequireFile(const std::string& name, common::Console& console) {
  std::error_code ignored;
  if (std::filesystem::exists(FileSystemName(name), ignored)) return;
  std::string padded = name;
  padded.resize(kNameLength, ' ');
  common::stopRun(console, {" FILE " + padded + " not found."}, true);
}

LinkingFiles OpenLinkingFiles(const std::string& kineticsName, const std::string* transportName,
                              common::Console& console) {
  LinkingFiles files;
  openLinkingFile(files.kinetics, kineticsName, console);
  if (transportName != nullptr) {
    openLinkingFile(files.transport, *transportName, console);
    files.withTransport = true;
  }
  return files;
}

WorkArrays MakeWorkArrays(LinkingFiles& files, common::Console& console) {
  WorkArrays arrays;
  arrays.declared = kinetics::QueryLinkSizes(files.kinetics, console);
  transport::TransportLengths transportLengths{};
  if (files.withTransport)
    transportLengths = transport::ReadTransportHeader(files.transport, console);
  // The real and integer work arrays hold the transport lengths on top of the kinetics ones.
  arrays.LENIKW = checkedLength(
      std::int64_t{arrays.declared.RequiredIntLength} + transportLengths.TranIntLength, console);
  arrays.LENRKW = checkedLength(
      std::int64_t{arrays.declared.RequiredRealLength} + transportLengths.TranRealLength, console);
  arrays.LENSKW = arrays.declared.RequiredCharLength;
  arrays.LENITW = transportLengths.TranIntLength;
  arrays.LENRTW = transportLengths.TranRealLength;
  auto size = [](std::int32_t length) { return static_cast<std::size_t>(length > 0 ? length : 0); };
  arrays.IKWORK.assign(size(arrays.LENIKW), 0);
  arrays.RKWORK.assign(size(arrays.LENRKW), 0.0);
  arrays.SKWORK.assign(size(arrays.LENSKW), std::string(16, ' '));
  arrays.ITWORK.assign(size(arrays.LENITW), 0);
  arrays.RTWORK.assign(size(arrays.LENRTW), 0.0);
  return arrays;
}

void CheckWorkLengths(const WorkArrays& arrays, common::Console& console) {
  if (arrays.LENRKW < 1 || arrays.LENRKW < std::int64_t{arrays.LENRTW} + 1) {
    common::stopRun(console,
                    {common::freeFormat({"Too small...LENRKW,at least of ", std::int64_t{1},
                                         std::int64_t{arrays.LENRTW} + 1})},
                    false);
  }
  if (arrays.LENIKW < 1 || arrays.LENIKW < std::int64_t{arrays.LENITW} + 1) {
    common::stopRun(console,
                    {common::freeFormat({"Too small...LENIKW,at least of ", std::int64_t{1},
                                         std::int64_t{arrays.LENITW} + 1})},
                    false);
  }
  if (arrays.LENSKW < 1) {
    common::stopRun(console,
                    {common::freeFormat({"Too small... LENSKW, at least of ", std::int64_t{1}})},
                    false);
  }
}

void LoadKinetics(LinkingFiles& files, WorkArrays& arrays, common::Console& console) {
  const kinetics::LoadOutcome outcome =
      kinetics::LoadKineticsLink(arrays.LENIKW, arrays.LENRKW, arrays.LENSKW, files.kinetics,
                                 console, arrays.IKWORK, arrays.RKWORK, arrays.SKWORK, 16);
  files.kinetics.close();

  std::int32_t elementCount = 0, KK = 0, reactionCount = 0, coefficientsPerRange = 0;
  kinetics::QueryCounts(arrays.IKWORK, arrays.RKWORK, elementCount, KK, reactionCount,
                        coefficientsPerRange);
  // A file that ends before its reactions would make every rate zero and every species but
  // the start species look trimmable.
  if (outcome == kinetics::LoadOutcome::EndedBeforeReactions && reactionCount > 0) {
    common::stopRun(console,
                    {" The kinetics binary file ends before its reaction data (" +
                     std::to_string(reactionCount) + " reactions declared)."},
                    true);
  }
  const std::int64_t NS = analysis::SpeciesDimension(arrays.declared.KK);
  const std::int64_t NR = analysis::ReactionDimension(arrays.declared.ReactionCount);
  if (NS < KK) {
    common::stopRun(
        console,
        {common::freeFormat({"Dimension NS is less than species number", std::int64_t{KK} + 8})},
        true);
  }
  console.freeLine({"Element#= ", std::int64_t{elementCount}, "  Species#= ", std::int64_t{KK},
                    "  Reaction#= ", std::int64_t{reactionCount}});
  if (!(reactionCount < NR && std::int64_t{KK} + 8 <= NS && 15 * (std::int64_t{KK} + 8) < NChar)) {
    common::stopRun(
        console,
        {common::freeFormat({"Check the array dimensions:NS,NR,NChar>=", std::int64_t{KK} + 8,
                             std::int64_t{reactionCount}, 15 * (std::int64_t{KK} + 8)})},
        true);
  }
}

void LoadTransport(LinkingFiles& files, WorkArrays& arrays, common::Console& console) {
  transport::LoadTransportLink(files.transport, console, arrays.LENITW, arrays.LENRTW,
                               arrays.ITWORK, arrays.RTWORK);
  files.transport.close();
}

int WalkCaseLibrary(CaseLibrary& library, const WorkArrays& arrays, std::int32_t KK,
                    std::int32_t NS, CaseVisitor& visitor, common::Console& console) {
  std::vector<double> massFractions(static_cast<std::size_t>(NS), 0.0);
  std::int32_t block = 0;
  std::int32_t caseNumber = 0;
  for (;;) {
    const LibraryLine line = library.next();
    if (line.kind == LibraryLine::Kind::Comment) continue;
    if (line.closesBlock) {
      const bool closed = caseNumber > 0 && block > 0;
      if (closed) visitor.closeBlock(block, caseNumber);
      if (line.kind == LibraryLine::Kind::End) {
        if (!closed) return common::kExitNoResults;
        visitor.closeLibrary(block);
        return common::kExitResults;
      }
    }
    if (line.kind == LibraryLine::Kind::BlockHeader) {
      console.freeLine({"TAU0=", line.tau0});
      ++block;
      caseNumber = 0;
      if (block > kBlockDimension) {
        common::stopRun(console, {common::freeFormat({"Case number is too small"})}, false);
      }
      continue;
    }
    if (line.kind == LibraryLine::Kind::BlankStart) {
      console.line(" Wrong data format starting with space:" + line.firstFive);
      return common::kExitNoResults;
    }

    const std::span<const double> values = library.caseValues();
    if (block == 0) {
      common::stopRun(console,
                      {" Case line " + std::to_string(line.origin.lineNumber) + " of " +
                       library.path() + " comes before the first TAU0 line."},
                      true);
    }
    if (!kinetics::MoleToMassFractions(CaseMoleFractions(values), arrays.IKWORK, arrays.RKWORK,
                                       std::span<double>(massFractions).first(KK))) {
      common::stopRun(
          console,
          {" The mole fractions of case " + std::to_string(caseNumber + 1) + " of block " +
           std::to_string(block) + " (line " + std::to_string(line.origin.lineNumber) + " of " +
           library.path() + ") do not give a positive mass."},
          true);
    }
    ++caseNumber;
    visitor.visitCase(block, caseNumber,
                      {CasePressure(values), CaseTemperature(values), massFractions});
  }
}

}  // namespace driver
