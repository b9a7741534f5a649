// The file side of a conversion: reading the inputs, writing the linking file and listing.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

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

// True when `output` names the same existing file as one of the inputs: writing it would
// destroy the input.
bool IsAnInput(const std::string& output, const std::string& mechanism, const std::string& thermo) {
  std::error_code error;
  for (const std::string* input : {&mechanism, &thermo}) {
    if (!input->empty() && std::filesystem::equivalent(output, *input, error)) return true;
  }
  return false;
}

}  // namespace

ConversionReport ConvertFiles(const std::string& mechanismPath, const std::string& thermoPath,
                              const std::string& binaryPath, const std::string& listingPath) {
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
  } else if (IsAnInput(binaryPath, mechanismPath, thermoPath)) {
    result.diagnostics.error(binaryPath, 0, "the linking file would overwrite an input file");
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
  report.summary = std::to_string(report.elements) + " elements, " +
                   std::to_string(report.species) + " species, " +
                   std::to_string(report.reactions) + " reactions; " +
                   std::to_string(report.errors) + " errors, " + std::to_string(report.warnings) +
                   " warnings; " +
                   (!binaryWritten   ? "linking file not written"
                    : report.success ? "linking file written"
                                     : "linking file marked as failed");

  result.diagnostics.orderByFileAndLine();

  std::string listing = result.listing;
  listing += "MESSAGES\n";
  if (result.diagnostics.empty()) listing += "  none\n";
  for (const Diagnostic& diagnostic : result.diagnostics) {
    listing += "  " + FormatDiagnostic(diagnostic) + "\n";
  }
  listing += "\n" + report.summary + "\n";
  bool listingWritten = false;
  const bool listingIsInput = IsAnInput(listingPath, mechanismPath, thermoPath);
  if (listingIsInput) {
    report.success = false;
    report.summary += "; listing not written: it would overwrite an input file";
  }
  if (!listingPath.empty() && !listingIsInput) {
    std::ofstream out(listingPath, std::ios::binary | std::ios::trunc);
    out << listing;
    out.flush();
    listingWritten = static_cast<bool>(out);
  }
  if (!listingWritten && !listingIsInput) {
    // Nowhere to report it but the flag and the summary.
    report.success = false;
    report.summary += "; listing not written";
  }
  return report;
}

}  // namespace vordane
