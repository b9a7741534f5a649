#include "analysis/driver/run.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "analysis/core/path_flux.h"
#include "analysis/core/species_reaction_index.h"
#include "analysis/driver/case_library.h"
#include "analysis/driver/result_lines.h"
#include "analysis/driver/selection_file.h"
#include "common/record_file.h"
#include "kinetics/linking_file.h"
#include "kinetics/queries.h"
#include "transport/linking_file.h"

namespace driver {
namespace {

constexpr std::size_t kNameLength = 100;
constexpr std::int32_t kCaseDimension = 2000;
constexpr std::int32_t kBlockDimension = 2000;
constexpr const char* kDefaultNames[6] = {"chem.bin",      "tran.bin",   "libdata.asc",
                                          "selection.dat", "output.dat", "fortrim.txt"};

// The name as the file system sees it: trailing blanks of the 100-character field dropped.
std::string fileSystemName(const std::string& name) {
  const auto end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

void requireFile(const std::string& name, common::Console& console) {
  std::error_code ignored;
  if (std::filesystem::exists(fileSystemName(name), ignored)) return;
  std::string padded = name;
  padded.resize(kNameLength, ' ');
  common::stopRun(console, {" FILE " + padded + " not found."}, true);
}

void openLinkingFile(common::RecordReader& unit, const std::string& name,
                     common::Console& console) {
  requireFile(name, console);
  if (!unit.open(fileSystemName(name))) {
    common::stopRun(console,
                    {" Cannot open " + fileSystemName(name) + ": " + std::strerror(errno) + "."},
                    true);
  }
}

void writeBanner(common::Console& console) {
  console.line(" ======     Tarnwick     ======");
  console.line(" Path-flux analysis of detailed kinetic mechanisms");
  console.line(" Release 2010.8, V1.10.08.14.12");
  console.line("");
  console.line(" Input files:");
  console.line(" 1. Combustion data file: libdata.asc from Sorvane");
  console.line(" 2. Selection species file: selection.dat");
  console.line(" 3. Chem.bin and Tran.bin");
  console.line(" 4. Use Sorvane to remove the useless species");
  console.line("");
}

// A work length that does not fit the 32-bit lengths of the work arrays.
std::int32_t checkedLength(std::int64_t length, common::Console& console) {
  if (length > 0x7FFFFFFF) {
    common::stopRun(
        console, {" The linking files declare work arrays longer than 2147483647 entries."}, true);
  }
  return static_cast<std::int32_t>(length);
}

// The result file: every line is checked, since a file that cannot be written stops the run.
class ResultFile {
 public:
  ResultFile(const std::string& path, common::Console& console) : path_(path), console_(console) {
    file_.open(path, std::ios::trunc);
    if (!file_) fail();
  }
  void line(const std::string& text) {
    file_ << text << '\n';
    if (!file_) fail();
  }

 private:
  [[noreturn]] void fail() {
    common::stopRun(console_, {" Cannot write " + path_ + ": " + std::strerror(errno) + "."},
                    false);
  }
  std::string path_;
  common::Console& console_;
  std::ofstream file_;
};

// The trim file is written once, through a temporary file, so that a failed write never
// leaves a file that looks like a result.
void writeTrimFile(const std::string& path, const std::string& counts, const std::string& list,
                   common::Console& console) {
  const std::string temporary = path + ".part";
  {
    std::ofstream file(temporary, std::ios::trunc);
    file << counts << '\n' << list << '\n';
    file.close();
    if (!file) {
      std::filesystem::remove(temporary);
      common::stopRun(console, {" Cannot write " + path + "."}, false);
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    common::stopRun(console, {" Cannot write " + path + "."}, false);
  }
}

double processorSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

std::array<std::string, 6> ResolveFileNames(int argc, const char* const* argv) {
  std::array<std::string, 6> names;
  for (int i = 0; i < 6; ++i) {
    std::string name = argc > 6 ? argv[i + 1] : kDefaultNames[i];
    if (name.size() > kNameLength) name.resize(kNameLength);
    names[i] = name;
  }
  return names;
}

int RunTarnwick(common::Console& console, int argc, char** argv) {
  const std::array<std::string, 6> names = ResolveFileNames(argc, argv);

  common::RecordReader kineticsUnit;
  common::RecordReader transportUnit;
  openLinkingFile(kineticsUnit, names[kKineticsFile], console);
  openLinkingFile(transportUnit, names[kTransportFile], console);

  const kinetics::LinkSizes sizes = kinetics::QueryLinkSizes(kineticsUnit, console);
  const transport::TransportLengths transportLengths =
      transport::ReadTransportHeader(transportUnit, console);

  // The real and integer work arrays hold the transport lengths on top of the kinetics ones.
  const std::int32_t LENIKW = checkedLength(
      std::int64_t{sizes.RequiredIntLength} + transportLengths.TranIntLength, console);
  const std::int32_t LENRKW = checkedLength(
      std::int64_t{sizes.RequiredRealLength} + transportLengths.TranRealLength, console);
  const std::int32_t LENSKW = sizes.RequiredCharLength;
  const std::int32_t LENITW = transportLengths.TranIntLength;
  const std::int32_t LENRTW = transportLengths.TranRealLength;
  std::vector<std::int32_t> IKWORK(LENIKW > 0 ? LENIKW : 0);
  std::vector<double> RKWORK(LENRKW > 0 ? LENRKW : 0);
  std::vector<std::string> SKWORK(LENSKW > 0 ? LENSKW : 0, std::string(16, ' '));
  std::vector<std::int32_t> ITWORK(LENITW > 0 ? LENITW : 0);
  std::vector<double> RTWORK(LENRTW > 0 ? LENRTW : 0);

  writeBanner(console);

  if (LENRKW < 1 || LENRKW < std::int64_t{LENRTW} + 1) {
    common::stopRun(console,
                    {common::freeFormat({"Too small...LENRKW,at least of ", std::int64_t{1},
                                         std::int64_t{LENRTW} + 1})},
                    false);
  }
  if (LENIKW < 1 || LENIKW < std::int64_t{LENITW} + 1) {
    common::stopRun(console,
                    {common::freeFormat({"Too small...LENIKW,at least of ", std::int64_t{1},
                                         std::int64_t{LENITW} + 1})},
                    false);
  }
  if (LENSKW < 1) {
    common::stopRun(console,
                    {common::freeFormat({"Too small... LENSKW, at least of ", std::int64_t{1}})},
                    false);
  }

  const kinetics::LoadOutcome outcome = kinetics::LoadKineticsLink(
      LENIKW, LENRKW, LENSKW, kineticsUnit, console, IKWORK, RKWORK, SKWORK, 16);
  kineticsUnit.close();

  std::int32_t elementCount = 0, KK = 0, reactionCount = 0, coefficientsPerRange = 0;
  kinetics::QueryCounts(IKWORK, RKWORK, elementCount, KK, reactionCount, coefficientsPerRange);
  // A file that ends before its reactions would make every rate zero and every species but
  // the start species look trimmable.
  if (outcome == kinetics::LoadOutcome::EndedBeforeReactions && reactionCount > 0) {
    common::stopRun(console,
                    {" The kinetics binary file ends before its reaction data (" +
                     std::to_string(reactionCount) + " reactions declared)."},
                    true);
  }
  const std::int64_t NS = std::int64_t{sizes.KK} + 10;
  const std::int64_t NR = std::int64_t{sizes.ReactionCount} + 1;
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

  transport::LoadTransportLink(transportUnit, console, LENITW, LENRTW, ITWORK, RTWORK);
  transportUnit.close();

  // The analysis tables, made once now that the dimensions are known to be sound.
  const auto ns = static_cast<std::size_t>(NS);
  const auto nr = static_cast<std::size_t>(NR);
  std::vector<std::int32_t> StoichiometryMatrix(ns * nr, 0);
  kinetics::QueryStoichMatrix(static_cast<std::int32_t>(NS), IKWORK, RKWORK, StoichiometryMatrix);

  std::vector<std::int32_t> SpeciesReactionIndex(ns * (nr + 1), 0);
  analysis::BuildSpeciesReactionIndex(static_cast<std::int32_t>(NS), static_cast<std::int32_t>(NR),
                                      static_cast<std::int32_t>(NS), KK, reactionCount,
                                      StoichiometryMatrix, SpeciesReactionIndex);

  requireFile(names[kSelectionFile], console);
  const Selection selection = ReadSelectionFile(fileSystemName(names[kSelectionFile]), KK, console);

  ResultFile result(fileSystemName(names[kResultFile]), console);
  result.line(PreselectionLine(selection.SelectedSpecies));
  result.line(ThresholdLine(selection.Threshold));

  requireFile(names[kCaseLibrary], console);
  CaseLibrary library(fileSystemName(names[kCaseLibrary]), KK, console);

  // Per-case and per-block tables, rows of NS entries. The case tables grow when a block
  // holds more cases than the usual dimension, so no block can write past them.
  std::int32_t caseCapacity = kCaseDimension;
  std::vector<std::int32_t> KeptFlags(caseCapacity * ns, 0);
  std::vector<std::int32_t> KeptList(caseCapacity * ns, 0);
  std::vector<std::uint8_t> BlockKeptFlags(kBlockDimension * ns, 0);
  std::vector<std::int32_t> BlockKeptList(kBlockDimension * ns, 0);
  std::vector<std::int32_t> BlockKeptCount(kBlockDimension, 0);
  std::vector<std::uint8_t> MergeFlags(ns, 0);
  std::vector<std::int32_t> AllCasesList;
  std::vector<std::int32_t> TrimList;
  AllCasesList.reserve(ns);
  TrimList.reserve(ns);
  std::vector<double> massFractions(ns, 0.0);
  analysis::PathFluxScratch scratch(static_cast<std::int32_t>(NS), static_cast<std::int32_t>(NR),
                                    StoichiometryMatrix, static_cast<std::int32_t>(NS),
                                    SpeciesReactionIndex, KK);

  std::int32_t BlockNumber = 0;
  std::int32_t CaseNumber = 0;

  const auto mergeBlock = [&] {
    std::int32_t merged = 0;
    std::int32_t* list = &BlockKeptList[(BlockNumber - 1) * ns];
    std::uint8_t* blockFlags = &BlockKeptFlags[(BlockNumber - 1) * ns];
    for (std::int32_t k = 1; k <= KK; ++k) {
      for (std::int32_t c = 1; c <= CaseNumber; ++c) {
        if (!MergeFlags[k - 1] && KeptFlags[(c - 1) * ns + (k - 1)] != 0) {
          MergeFlags[k - 1] = 1;
          list[merged++] = k;
          blockFlags[k - 1] = 1;
        }
      }
    }
    BlockKeptCount[BlockNumber - 1] = merged;
    const std::string line = BlockLine(BlockNumber, std::span<const std::int32_t>(list, merged));
    result.line(line);
    console.line(line);
    std::fill(MergeFlags.begin(), MergeFlags.end(), 0);
  };

  const auto mergeAllBlocks = [&] {
    for (std::int32_t k = 1; k <= KK; ++k) {
      for (std::int32_t b = 1; b <= BlockNumber; ++b) {
        if (!MergeFlags[k - 1] && BlockKeptFlags[(b - 1) * ns + (k - 1)] != 0) {
          AllCasesList.push_back(k);
          MergeFlags[k - 1] = 1;
        }
      }
    }
    const std::string line = AllCasesLine(AllCasesList);
    result.line(line);
    console.line(line);
    for (std::int32_t k = 1; k <= KK; ++k) {
      if (!MergeFlags[k - 1]) TrimList.push_back(k);
    }
    writeTrimFile(fileSystemName(names[kTrimFile]),
                  TrimCountsLine(KK, static_cast<std::int32_t>(TrimList.size())),
                  TrimListLine(TrimList), console);
  };

  for (;;) {
    const LibraryLine line = library.next();
    if (line.kind == LibraryLine::Kind::Comment) continue;
    if (line.closesBlock) {
      const bool merged = CaseNumber > 0 && BlockNumber > 0;
      if (merged) mergeBlock();
      if (line.kind == LibraryLine::Kind::End) {
        if (!merged) return common::kExitNoResults;
        mergeAllBlocks();
        return common::kExitResults;
      }
    }
    if (line.kind == LibraryLine::Kind::BlockHeader) {
      console.freeLine({"TAU0=", line.tau0});
      ++BlockNumber;
      CaseNumber = 0;
      if (BlockNumber > kBlockDimension) {
        common::stopRun(console, {common::freeFormat({"Case number is too small"})}, false);
      }
      continue;
    }
    if (line.kind == LibraryLine::Kind::BlankStart) {
      console.line(" Wrong data format starting with space:" + line.firstFive);
      return common::kExitNoResults;
    }

    // A case line.
    const std::span<const double> values = library.caseValues();
    if (BlockNumber == 0) {
      common::stopRun(console,
                      {" Case line " + std::to_string(line.origin.lineNumber) + " of " +
                       library.path() + " comes before the first TAU0 line."},
                      true);
    }
    const std::span<const double> moleFractions = CaseMoleFractions(values);
    if (!kinetics::MoleToMassFractions(moleFractions, IKWORK, RKWORK,
                                       std::span<double>(massFractions).first(KK))) {
      common::stopRun(
          console,
          {" The mole fractions of case " + std::to_string(CaseNumber + 1) + " of block " +
           std::to_string(BlockNumber) + " (line " + std::to_string(line.origin.lineNumber) +
           " of " + library.path() + ") do not give a positive mass."},
          true);
    }
    ++CaseNumber;
    if (CaseNumber > caseCapacity) {
      caseCapacity *= 2;
      KeptFlags.resize(caseCapacity * ns, 0);
      KeptList.resize(caseCapacity * ns, 0);
    }
    const double started = processorSeconds();
    std::int32_t KeptCount = 0;
    analysis::PathFluxSelect(static_cast<std::int32_t>(NS), static_cast<std::int32_t>(NS),
                             static_cast<std::int32_t>(NR), caseCapacity, CaseNumber, IKWORK,
                             RKWORK, CasePressure(values), CaseTemperature(values), massFractions,
                             KK, selection.SelectedCount(), selection.SelectedSpecies,
                             selection.Threshold, StoichiometryMatrix, SpeciesReactionIndex,
                             KeptCount, KeptFlags, KeptList, scratch, console);
    const std::span<const std::int32_t> kept(&KeptList[(CaseNumber - 1) * ns],
                                             static_cast<std::size_t>(KeptCount));
    result.line(CaseLine(CaseNumber, kept));
    for (const std::string& text : CaseConsoleLines(CaseNumber, kept)) console.line(text);
    console.line(CpuTimeLine(processorSeconds() - started));
  }
}

}  // namespace driver
