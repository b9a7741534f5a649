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
#include "analysis/driver/analysis_inputs.h"
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

// The tarnwick run over the case library: one selection per case, a merge at every block end,
// the merge of all blocks and the trim file at the end line.
class LibraryAnalysis : public CaseVisitor {
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
        MergeFlags_(rowLength_, 0) {}

  void visitCase(std::int32_t block, std::int32_t caseNumber,
                 const analysis::CaseState& at) override {
    BlockNumber_ = block;
    CaseNumber_ = caseNumber;
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
        arrays_.RKWORK, at.pressure, at.temperature, at.massFractions, tables_.KK,
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
  void closeBlock(std::int32_t, std::int32_t) override {
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
  void closeLibrary(std::int32_t) override {
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

 private:
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
  LinkingFiles files = OpenLinkingFiles(names[kKineticsFile], &names[kTransportFile], console);
  WorkArrays arrays = MakeWorkArrays(files, console);
  writeBanner(console);
  CheckWorkLengths(arrays, console);
  LoadKinetics(files, arrays, console);
  LoadTransport(files, arrays, console);
  // The analysis tables, made once now that the dimensions are known to be sound.
  analysis::AnalysisTables tables =
      analysis::BuildAnalysisTables(kinetics::CurrentKineticsState(), arrays.IKWORK);

  RequireFile(names[kSelectionFile], console);
  const Selection selection =
      ReadSelectionFile(FileSystemName(names[kSelectionFile]), tables.KK, console);
  ResultFile result(FileSystemName(names[kResultFile]), console);
  result.line(PreselectionLine(selection.SelectedSpecies));
  result.line(ThresholdLine(selection.Threshold));

  RequireFile(names[kCaseLibrary], console);
  CaseLibrary library(FileSystemName(names[kCaseLibrary]), tables.KK, console);
  LibraryAnalysis analysis(arrays, tables, selection, result, FileSystemName(names[kTrimFile]),
                           console);
  return WalkCaseLibrary(library, arrays, tables.KK, tables.NS, analysis, console);
}

}  // namespace driver
