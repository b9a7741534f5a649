// The file side of a conversion: reading the inputs, writing the linking file and listing.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "common/output_files.h"
#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"

namespace vordane {
namespace {

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  text = buffer.str();
  return true;
}

std::string SummaryLine(const ConversionReport& report, bool binaryWritten) {
  return std::to_string(report.elements) + " elements, " + std::to_string(report.species) +
         " species, " + std::to_string(report.reactions) + " reactions; " +
         std::to_string(report.errors) + " errors, " + std::to_string(report.warnings) +
         " warnings; " +
         (!binaryWritten   ? "linking file not written"
          : report.success ? "linking file written"
                           : "linking file marked as failed");
}

// Outputs that clash are refused before anything is read: there is no listing to hold the
// message, so the summary says it.
ConversionReport RefuseClash(const common::FileClash& clash) {
  ConversionReport report;
  report.errors = 1;
  report.summary = SummaryLine(report, false) + "; listing not written: " + clash.message();
  return report;
}

}  // namespace

ConversionReport ConvertFiles(const std::string& mechanismPath, const std::string& thermoPath,
                              const std::string& binaryPath, const std::string& listingPath) {
  const common::RoleFile inputs[] = {{"mechanism file", mechanismPath},
                                     {"thermo data file", thermoPath}};
  const common::RoleFile outputs[] = {{"linking file", binaryPath}, {"listing", listingPath}};
  if (const auto clash = common::FindOutputClash(inputs, outputs)) return RefuseClash(*clash);

  ConversionReport report;
  Interpretation result;
  SourceText mechanism{mechanismPath, {}};
  if (mechanismPath.empty()) {
    result.diagnostics.error("", 0, "no name given for the mechanism file");
  } else if (!ReadWholeFile(mechanismPath, mechanism.text)) {
    result.diagnostics.error(mechanismPath, 0, "cannot read the mechanism file");
  } else {
    SourceText thermo{thermoPath, {}};
    bool haveThermo = false;
    std::string thermoProblem;
    if (!thermoPath.empty()) {
      haveThermo = ReadWholeFile(thermoPath, thermo.text);
      if (!haveThermo) thermoProblem = "cannot read the thermo data file";
    }
    result = Interpret(mechanism, haveThermo ? &thermo : nullptr);
    // A missing thermo file matters only when some species found no thermo elsewhere.
    if (!thermoProblem.empty() && result.thermoFileNeeded) {
      Diagnostics diagnostics;
      diagnostics.error(thermoPath, 0, thermoProblem);
      diagnostics.append(result.diagnostics);
      result.diagnostics = std::move(diagnostics);
    }
  }

  kinetics::LinkMechanism written;
  if (result.ok()) {
    written = result.mechanism;
  } else {
    // Only the header, with the error flag set: a reader refuses the file at once.
    written.errorFlag = true;
  }
  bool binaryWritten = false;
  if (binaryPath.empty()) {
    result.diagnostics.error("", 0, "no name for the linking file");
  } else {
    std::string writeError;
    binaryWritten = kinetics::WriteKineticsLink(binaryPath, written, writeError);
    if (!binaryWritten) {
      result.diagnostics.error(binaryPath, 0, "cannot write the linking file: " + writeError);
    }
  }

  report.errors = result.errorCount();
  report.warnings = result.warningCount();
  report.elements = static_cast<int>(result.mechanism.elements.size());
  report.species = static_cast<int>(result.mechanism.species.size());
  report.reactions = static_cast<int>(result.mechanism.reactions.size());
  report.success = report.errors == 0;
  report.summary = SummaryLine(report, binaryWritten);

  result.diagnostics.orderByFileAndLine();

  std::string listing = result.listing;
  listing += "MESSAGES\n";
  if (result.diagnostics.empty()) listing += "  none\n";
  for (const Diagnostic& diagnostic : result.diagnostics) {
    listing += "  " + FormatDiagnostic(diagnostic) + "\n";
  }
  listing += "\n" + report.summary + "\n";
  bool listingWritten = false;
  if (!listingPath.empty()) {
    std::ofstream out(listingPath, std::ios::binary | std::ios::trunc);
    out << listing;
    out.flush();
    listingWritten = static_cast<bool>(out);
  }
  if (!listingWritten) {
    // Nowhere to report it but the flag and the summary.
    report.success = false;
    report.summary += "; listing not written";
  }
  return report;
}

}  // namespace vordane
