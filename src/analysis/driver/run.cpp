#include "analysis/driver/run.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "analysis/core/analysis_tables.h"
#include "analysis/core/path_flux.h"
#include "analysis/driver/case_library.h"
#include "analysis/driver/result_lines.h"
#include "analysis/driver/selection_file.h"
#include "common/output_files.h"
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
  if (!common::WriteTextFileAtomically(path, counts + '\n' + list + '\n')) {
    common::stopRun(console, {" Cannot write " + path + "."}, false);
  }
}

double processorSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// The two linking files, open from the first step to their loads.
struct LinkingFiles {
  common::RecordReader kinetics;
  common::RecordReader transport;
};

// The work arrays of the run, made once with the lengths the two headers declare.
struct WorkArrays {
  kinetics::LinkSizes declared;  // of the kinetics file, with KK and ReactionCount
  std::int32_t LENIKW = 0, LENRKW = 0, LENSKW = 0, LENITW = 0, LENRTW = 0;
  std::vector<std::int32_t> IKWORK;
  std::vector<double> RKWORK;
  std::vector<std::string> SKWORK;
  std::vector<std::int32_t> ITWORK;
  std::vector<double> RTWORK;
};

LinkingFiles openLinkingFiles(const std::array<std::string, 6>& names, common::Console& console) {
  LinkingFiles files;
  openLinkingFile(files.kinetics, names[kKineticsFile], console);
  openLinkingFile(files.transport, names[kTransportFile], console);
  return files;
}

WorkArrays makeWorkArrays(LinkingFiles& files, common::Console& console) {
  WorkArrays arrays;
  arrays.declared = kinetics::QueryLinkSizes(files.kinetics, console);
  const transport::TransportLengths transportLengths =
      transport::ReadTransportHeader(files.transport, console);
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

void checkWorkLengths(const WorkArrays& arrays, common::Console& console) {
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

// Loads the kinetics file, writes the counts line and checks the run's dimensions.
void loadKinetics(LinkingFiles& files, WorkArrays& arrays, common::Console& console) {
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

void loadTransport(LinkingFiles& files, WorkArrays& arrays, common::Console& console) {
  transport::LoadTransportLink(files.transport, console, arrays.LENITW, arrays.LENRTW,
                               arrays.ITWORK, arrays.RTWORK);
  files.transport.close();
}

// The loop over the case library: one selection per case line, a merge at every block end, the
// merge of all blocks and the trim file at the end line.
class LibraryAnalysis {
 public:
  LibraryAnalysis(WorkArrays& arrays, analysis::AnalysisTables& tables, const Selection& selection,
                  ResultFile& result, std::string trimPath, common::Console& console)
      : arrays_(arrays),
        tables_(tables),
        selection_(selection),
        result_(result),
        trimPath_(std::move(trimPath)),
        console_(console),
        rowLength_(static_cast<std::size_t>(tables.NS)),
        KeptFlags_(kCaseDimension * rowLength_, 0),
        KeptList_(kCaseDimension * rowLength_, 0),
        BlockKeptFlags_(kBlockDimension * rowLength_, 0),
        BlockKeptList_(kBlockDimension * rowLength_, 0),
        MergeFlags_(rowLength_, 0),
        massFractions_(rowLength_, 0.0) {}

  // Reads the library to its end; the exit status of a normal end.
  int run(CaseLibrary& library) {
    for (;;) {
      const LibraryLine line = library.next();
      if (line.kind == LibraryLine::Kind::Comment) continue;
      if (line.closesBlock) {
        const bool merged = CaseNumber_ > 0 && BlockNumber_ > 0;
        if (merged) mergeBlock();
        if (line.kind == LibraryLine::Kind::End) {
          if (!merged) return common::kExitNoResults;
          mergeAllBlocks();
          return common::kExitResults;
        }
      }
      if (line.kind == LibraryLine::Kind::BlockHeader) {
        openBlock(line);
        continue;
      }
      if (line.kind == LibraryLine::Kind::BlankStart) {
        console_.line(" Wrong data format starting with space:" + line.firstFive);
        return common::kExitNoResults;
      }
      analyseCase(line, library);
    }
  }

 private:
  void openBlock(const LibraryLine& line) {
    console_.freeLine({"TAU0=", line.tau0});
    ++BlockNumber_;
    CaseNumber_ = 0;
    if (BlockNumber_ > kBlockDimension) {
      common::stopRun(console_, {common::freeFormat({"Case number is too small"})}, false);
    }
  }

  void analyseCase(const LibraryLine& line, CaseLibrary& library) {
    const std::span<const double> values = library.caseValues();
    if (BlockNumber_ == 0) {
      common::stopRun(console_,
                      {" Case line " + std::to_string(line.origin.lineNumber) + " of " +
                       library.path() + " comes before the first TAU0 line."},
                      true);
    }
    const std::int32_t KK = tables_.KK;
    if (!kinetics::MoleToMassFractions(CaseMoleFractions(values), arrays_.IKWORK, arrays_.RKWORK,
                                       std::span<double>(massFractions_).first(KK))) {
      common::stopRun(
          console_,
          {" The mole fractions of case " + std::to_string(CaseNumber_ + 1) + " of block " +
           std::to_string(BlockNumber_) + " (line " + std::to_string(line.origin.lineNumber) +
           " of " + library.path() + ") do not give a positive mass."},
          true);
    }
    ++CaseNumber_;
    // The case tables grow when a block holds more cases than the usual dimension, so no
    // block can write past them.
    if (CaseNumber_ > caseCapacity_) {
      caseCapacity_ *= 2;
      KeptFlags_.resize(caseCapacity_ * rowLength_, 0);
      KeptList_.resize(caseCapacity_ * rowLength_, 0);
    }
    const double started = processorSeconds();
    std::int32_t KeptCount = 0;
    analysis::PathFluxSelect(
        tables_.stoichDimension, tables_.NS, tables_.NR, caseCapacity_, CaseNumber_, arrays_.IKWORK,
        arrays_.RKWORK, CasePressure(values), CaseTemperature(values), massFractions_, KK,
        selection_.SelectedCount(), selection_.SelectedSpecies, selection_.Threshold,
        tables_.StoichiometryMatrix, tables_.SpeciesReactionIndex, KeptCount, KeptFlags_, KeptList_,
        tables_.scratch, console_);
    const std::span<const std::int32_t> kept(&KeptList_[(CaseNumber_ - 1) * rowLength_],
                                             static_cast<std::size_t>(KeptCount));
    result_.line(CaseLine(CaseNumber_, kept));
    for (const std::string& text : CaseConsoleLines(CaseNumber_, kept)) console_.line(text);
    console_.line(CpuTimeLine(processorSeconds() - started));
  }

  // The species kept in some case of the block, species by species.
  void mergeBlock() {
    std::int32_t merged = 0;
    std::int32_t* list = &BlockKeptList_[(BlockNumber_ - 1) * rowLength_];
    std::uint8_t* blockFlags = &BlockKeptFlags_[(BlockNumber_ - 1) * rowLength_];
    for (std::int32_t k = 1; k <= tables_.KK; ++k) {
      for (std::int32_t c = 1; c <= CaseNumber_; ++c) {
        if (!MergeFlags_[k - 1] && KeptFlags_[(c - 1) * rowLength_ + (k - 1)] != 0) {
          MergeFlags_[k - 1] = 1;
          list[merged++] = k;
          blockFlags[k - 1] = 1;
        }
      }
    }
    const std::string line = BlockLine(BlockNumber_, std::span<const std::int32_t>(list, merged));
    result_.line(line);
    console_.line(line);
    std::fill(MergeFlags_.begin(), MergeFlags_.end(), 0);
  }

  // The species kept in some block; the others are written to the trim file.
  void mergeAllBlocks() {
    std::vector<std::int32_t> AllCasesList;
    std::vector<std::int32_t> TrimList;
    for (std::int32_t k = 1; k <= tables_.KK; ++k) {
      for (std::int32_t b = 1; b <= BlockNumber_; ++b) {
        if (!MergeFlags_[k - 1] && BlockKeptFlags_[(b - 1) * rowLength_ + (k - 1)] != 0) {
          AllCasesList.push_back(k);
          MergeFlags_[k - 1] = 1;
        }
      }
    }
    const std::string line = AllCasesLine(AllCasesList);
    result_.line(line);
    console_.line(line);
    for (std::int32_t k = 1; k <= tables_.KK; ++k) {
      if (!MergeFlags_[k - 1]) TrimList.push_back(k);
    }
    writeTrimFile(trimPath_, TrimCountsLine(tables_.KK, static_cast<std::int32_t>(TrimList.size())),
                  TrimListLine(TrimList), console_);
  }

  WorkArrays& arrays_;
  analysis::AnalysisTables& tables_;
  const Selection& selection_;
  ResultFile& result_;
  std::string trimPath_;
  common::Console& console_;
  std::size_t rowLength_;  // NS: every per-case and per-block row
  std::int32_t caseCapacity_ = kCaseDimension;
  std::vector<std::int32_t> KeptFlags_;
  std::vector<std::int32_t> KeptList_;
  std::vector<std::uint8_t> BlockKeptFlags_;
  std::vector<std::int32_t> BlockKeptList_;
  std::vector<std::uint8_t> MergeFlags_;
  std::vector<double> massFractions_;
  std::int32_t BlockNumber_ = 0;
  std::int32_t CaseNumber_ = 0;
};

}  // namespace

const char* const kTarnwickUsage =
    "usage: tarnwick [CHEM.BIN TRAN.BIN LIBDATA.ASC SELECTION.DAT OUTPUT.DAT FORTRIM.TXT]\n"
    "  The path-flux analysis of the case library LIBDATA.ASC for the mechanism of the kinetics\n"
    "  and transport linking files, from the start species and threshold of SELECTION.DAT.\n"
    "  Writes the report to the console, the kept species to OUTPUT.DAT and the species no\n"
    "  case needs to FORTRIM.TXT. Without arguments the six files are chem.bin tran.bin\n"
    "  libdata.asc selection.dat output.dat fortrim.txt in the current folder.\n"
    "  Exit status: 0 when the trim file was written; 1 for a stop on an error; 2 when the\n"
    "  library ended without final results or the command line is wrong.\n";

std::array<std::string, 6> ResolveFileNames(int argc, const char* const* argv) {
  std::array<std::string, 6> names;
  for (int i = 0; i < 6; ++i) {
    std::string name = argc > 6 ? argv[i + 1] : kDefaultNames[i];
    if (name.size() > kNameLength) name.resize(kNameLength);
    names[i] = name;
  }
  return names;
}

CommandLine ReadCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      return CommandLine::Help;
    }
  }
  return argc == 1 || argc == 7 ? CommandLine::Run : CommandLine::Wrong;
}

int RunTarnwick(common::Console& console, int argc, char** argv) {
  const std::array<std::string, 6> names = ResolveFileNames(argc, argv);
  LinkingFiles files = openLinkingFiles(names, console);
  WorkArrays arrays = makeWorkArrays(files, console);
  writeBanner(console);
  checkWorkLengths(arrays, console);
  loadKinetics(files, arrays, console);
  loadTransport(files, arrays, console);
  // The analysis tables, made once now that the dimensions are known to be sound.
  analysis::AnalysisTables tables =
      analysis::BuildAnalysisTables(kinetics::CurrentKineticsState(), arrays.IKWORK);

  requireFile(names[kSelectionFile], console);
  const Selection selection =
      ReadSelectionFile(fileSystemName(names[kSelectionFile]), tables.KK, console);
  ResultFile result(fileSystemName(names[kResultFile]), console);
  result.line(PreselectionLine(selection.SelectedSpecies));
  result.line(ThresholdLine(selection.Threshold));

  requireFile(names[kCaseLibrary], console);
  CaseLibrary library(fileSystemName(names[kCaseLibrary]), tables.KK, console);
  LibraryAnalysis analysis(arrays, tables, selection, result, fileSystemName(names[kTrimFile]),
                           console);
  return analysis.run(library);
}

}  // namespace driver
