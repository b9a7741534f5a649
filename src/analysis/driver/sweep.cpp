#include "analysis/driver/sweep.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <vector>

#include "analysis/core/analysis_tables.h"
#include "analysis/core/path_flux.h"
#include "analysis/driver/analysis_inputs.h"
#include "analysis/driver/case_library.h"
#include "analysis/driver/selection_file.h"
#include "common/output_files.h"
#include "kinetics/queries.h"

namespace driver {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::int32_t kNameLength = 16;

// Round-trip precision: a value printed here, given back as a threshold, decides the same way.
std::string exact(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// The library critical value of every species: the largest over the cases, with the first
// case (in library order) that reaches it.
class LibrarySweep : public CaseVisitor {
 public:
  LibrarySweep(WorkArrays& arrays, analysis::AnalysisTables& tables, const Selection& selection,
               double floor, common::Console& console)
      : arrays_(arrays),
        tables_(tables),
        selection_(selection),
        floor_(floor),
        console_(console),
        critical_(tables.KK, 0.0),
        best_(tables.KK, -kInfinity),
        block_(tables.KK, 0),
        case_(tables.KK, 0) {}

  void visitCase(std::int32_t block, std::int32_t caseNumber,
                 const analysis::CaseState& at) override {
    analysis::CriticalValuesOfCase(kinetics::CurrentKineticsState(), arrays_.IKWORK, arrays_.RKWORK,
                                   at, selection_.SelectedSpecies, floor_, tables_.scratch,
                                   critical_, console_);
    for (std::int32_t k = 0; k < tables_.KK; ++k) {
      if (critical_[k] > best_[k]) {
        best_[k] = critical_[k];
        block_[k] = block;
        case_[k] = caseNumber;
      }
    }
    ++caseCount_;
  }
  void closeBlock(std::int32_t, std::int32_t) override {}
  void closeLibrary(std::int32_t blockCount) override { blockCount_ = blockCount; }

  const std::vector<double>& best() const { return best_; }
  std::int32_t block(std::int32_t k) const { return block_[k]; }
  std::int32_t caseNumber(std::int32_t k) const { return case_[k]; }
  std::int32_t caseCount() const { return caseCount_; }
  std::int32_t blockCount() const { return blockCount_; }

 private:
  WorkArrays& arrays_;
  analysis::AnalysisTables& tables_;
  const Selection& selection_;
  double floor_;
  common::Console& console_;
  std::vector<double> critical_;
  std::vector<double> best_;
  std::vector<std::int32_t> block_;
  std::vector<std::int32_t> case_;
  std::int32_t caseCount_ = 0;
  std::int32_t blockCount_ = 0;
};

std::vector<std::string> speciesNames(const WorkArrays& arrays, std::int32_t KK,
                                      common::Console& console) {
  std::vector<std::string> names(KK, std::string(kNameLength, ' '));
  kinetics::QuerySpeciesNames(arrays.SKWORK, 16, console, names, kNameLength);
  for (std::string& name : names) name.resize(kinetics::TrimmedLength(name));
  return names;
}

// The species by decreasing critical value (ties by number), then the report lines.
void writeReport(const LibrarySweep& sweep, const std::vector<std::int32_t>& order,
                 const std::vector<std::string>& names, double floor, common::Console& console) {
  console.line(" Critical thresholds over " + std::to_string(sweep.caseCount()) + " cases in " +
               std::to_string(sweep.blockCount()) + " blocks, floor " + exact(floor));
  console.line(" A species is kept over the library at threshold t when its value is above t.");
  console.line("  Rank Species Name             Critical value          Block  Case");
  char text[160];
  std::int32_t rank = 0;
  for (const std::int32_t k : order) {
    const double value = sweep.best()[k];
    ++rank;
    if (value == kInfinity) {
      std::snprintf(text, sizeof text, "%6d %7d %-16s %-23s", rank, k + 1, names[k].c_str(),
                    "start species");
    } else if (!(value > floor)) {
      std::snprintf(text, sizeof text, "%6d %7d %-16s %-23s", rank, k + 1, names[k].c_str(),
                    ("<= " + exact(floor)).c_str());
    } else {
      std::snprintf(text, sizeof text, "%6d %7d %-16s %-23s %5d %5d", rank, k + 1, names[k].c_str(),
                    exact(value).c_str(), sweep.block(k), sweep.caseNumber(k));
    }
    std::string line(text);
    line.resize(kinetics::TrimmedLength(line));
    console.line(line);
  }
}

// One row per distinct critical value above the floor, and one at the floor: the species kept
// over the library at exactly that threshold.
std::string curve(const LibrarySweep& sweep, const std::vector<std::int32_t>& order, double floor) {
  std::string text = "threshold,kept_species\n";
  const std::vector<double>& best = sweep.best();
  std::size_t above = 0;
  while (above < order.size() && best[order[above]] == kInfinity) ++above;
  for (std::size_t n = above; n < order.size() && best[order[n]] > floor; ++n) {
    const double value = best[order[n]];
    if (n + 1 < order.size() && best[order[n + 1]] == value) continue;
    // Kept at t = value: the species before the first one of this value.
    std::size_t first = n;
    while (first > 0 && best[order[first - 1]] == value) --first;
    text += exact(value) + ',' + std::to_string(first) + '\n';
    above = n + 1;
  }
  text += exact(floor) + ',' + std::to_string(above) + '\n';
  return text;
}

}  // namespace

int RunSweep(common::Console& console, const SweepOptions& options) {
  if (std::isnan(options.floor) || options.floor == kInfinity) {
    common::stopRun(console, {" The floor must be a number below infinity."}, false);
  }
  if (!options.curveFile.empty()) {
    const common::RoleFile inputs[] = {{"kinetics file", options.kineticsFile},
                                       {"case library", options.caseLibrary},
                                       {"selection file", options.selectionFile}};
    const common::RoleFile outputs[] = {{"curve file", options.curveFile}};
    if (const auto clash = common::FindOutputClash(inputs, outputs)) {
      common::stopRun(console, {" " + clash->message() + "."}, false);
    }
  }
  LinkingFiles files = OpenLinkingFiles(options.kineticsFile, nullptr, console);
  WorkArrays arrays = MakeWorkArrays(files, console);
  CheckWorkLengths(arrays, console);
  LoadKinetics(files, arrays, console);
  analysis::AnalysisTables tables =
      analysis::BuildAnalysisTables(kinetics::CurrentKineticsState(), arrays.IKWORK);

  RequireFile(options.selectionFile, console);
  const Selection selection =
      ReadSelectionFile(FileSystemName(options.selectionFile), tables.KK, console);
  RequireFile(options.caseLibrary, console);
  CaseLibrary library(FileSystemName(options.caseLibrary), tables.KK, console);
  LibrarySweep sweep(arrays, tables, selection, options.floor, console);
  const int status = WalkCaseLibrary(library, arrays, tables.KK, tables.NS, sweep, console);
  if (status != common::kExitResults) return status;

  const std::vector<double>& best = sweep.best();
  std::vector<std::int32_t> order(tables.KK);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::int32_t l, std::int32_t r) { return best[l] > best[r]; });
  writeReport(sweep, order, speciesNames(arrays, tables.KK, console), options.floor, console);
  if (!options.curveFile.empty() &&
      !common::WriteTextFileAtomically(options.curveFile, curve(sweep, order, options.floor))) {
    common::stopRun(console, {" Cannot write " + options.curveFile + "."}, false);
  }
  return common::kExitResults;
}

}  // namespace driver
