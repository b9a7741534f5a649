// The file side of a conversion: checking the output names, reading the inputs, writing the
// linking file and the listing.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/output_files.h"
#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"

namespace vordane {
namespace {

bool readWholeFile(const std::string& path, std::string& text) {
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

// Reads and interprets the mechanism, with the thermo file when one is named. A thermo file
// that cannot be read matters only when some species found no thermo in the mechanism.
Interpretation interpretFiles(const std::string& mechanismPath, const std::string& thermoPath) {
  Interpretation result;
  SourceText mechanism{mechanismPath, {}};
  if (mechanismPath.empty()) {
    result.diagnostics.error("", 0, "no name given for the mechanism file");
    return result;
  }
  if (!readWholeFile(mechanismPath, mechanism.text)) {
    result.diagnostics.error(mechanismPath, 0, "cannot read the mechanism file");
    return result;
  }
  SourceText thermo{thermoPath, {}};
  const bool thermoRead = !thermoPath.empty() && readWholeFile(thermoPath, thermo.text);
  result = Interpret(mechanism, thermoRead ? &thermo : nullptr);
  if (!thermoPath.empty() && !thermoRead && result.thermoFileNeeded) {
    // Listed first: the messages of a file come in the order the files were first named.
    Diagnostics diagnostics;
    diagnostics.error(thermoPath, 0, "cannot read the thermo data file");
    diagnostics.append(result.diagnostics);
    result.diagnostics = std::move(diagnostics);
  }
  return result;
}

// Writes the mechanism when it is free of errors; otherwise only the header, with the error
// flag set, so that a reader refuses the file at once. True when a file was written.
bool writeLinkingFile(const std::string& binaryPath, Interpretation& result) {
  if (binaryPath.empty()) {
    result.diagnostics.error("", 0, "no name for the linking file");
    return false;
  }
  kinetics::LinkMechanism written;
  if (result.ok()) {
    written = result.mechanism;
  } else {
    written.errorFlag = true;
  }
  std::string writeError;
  if (!kinetics::WriteKineticsLink(binaryPath, written, writeError)) {
    result.diagnostics.error(binaryPath, 0, "cannot write the linking file: " + writeError);
    return false;
  }
  return true;
}

ConversionReport reportOf(const Interpretation& result) {
  ConversionReport report;
  report.errors = result.errorCount();
  report.warnings = result.warningCount();
  report.elements = static_cast<int>(result.mechanism.elements.size());
  report.species = static_cast<int>(result.mechanism.species.size());
  report.reactions = static_cast<int>(result.mechanism.reactions.size());
  report.success = report.errors == 0;
  return report;
}

std::string summaryLine(const ConversionReport& report, bool binaryWritten) {
  return std::to_string(report.elements) + " elements, " + std::to_string(report.species) +
         " species, " + std::to_string(report.reactions) + " reactions; " +
         std::to_string(report.errors) + " errors, " + std::to_string(report.warnings) +
         " warnings; " +
         (!binaryWritten   ? "linking file not written"
          : report.success ? "linking file written"
                           : "linking file marked as failed");
}

// What was read, then every message, the appendix, then the summary.
std::string listingText(const Interpretation& result, const std::string& summary) {
  std::string listing = result.listing;
  listing += "MESSAGES\n";
  if (result.diagnostics.empty()) listing += "  none\n";
  for (const Diagnostic& diagnostic : result.diagnostics) {
    listing += "  " + FormatDiagnostic(diagnostic) + "\n";
  }
  if (!result.appendix.empty()) listing += "\n" + result.appendix;
  listing += "\n" + summary + "\n";
  return listing;
}

bool writeListing(const std::string& listingPath, const std::string& text) {
  if (listingPath.empty()) return false;
  std::ofstream out(listingPath, std::ios::binary | std::ios::trunc);
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

// Outputs that clash are refused before anything is read: there is no listing to hold the
// message, so the summary says it.
ConversionReport refuseClash(const common::FileClash& clash) {
  ConversionReport report;
  report.errors = 1;
  report.summary = summaryLine(report, false) + "; listing not written: " + clash.message();
  return report;
}

}  // namespace

ConversionReport ConvertFiles(const std::string& mechanismPath, const std::string& thermoPath,
                              const std::string& binaryPath, const std::string& listingPath) {
  const common::RoleFile inputs[] = {{"mechanism file", mechanismPath},
                                     {"thermo data file", thermoPath}};
  const common::RoleFile outputs[] = {{"linking file", binaryPath}, {"listing", listingPath}};
  if (const auto clash = common::FindOutputClash(inputs, outputs)) return refuseClash(*clash);

  Interpretation result = interpretFiles(mechanismPath, thermoPath);
  const bool binaryWritten = writeLinkingFile(binaryPath, result);
  result.diagnostics.orderByFileAndLine();
  ConversionReport report = reportOf(result);
  report.summary = summaryLine(report, binaryWritten);
  if (!writeListing(listingPath, listingText(result, report.summary))) {
    // Nowhere to report it but the flag and the summary.
    report.success = false;
    report.summary += "; listing not written";
  }
  return report;
}

}  // namespace vordane
