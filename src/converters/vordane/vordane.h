// The mechanism converter: reads a gas-phase mechanism in the common text format (elements,
// species, NASA 7-coefficient thermo, reactions with their auxiliary keywords), checks it and
// turns it into a kinetics linking file plus a human-readable listing.
//
// Interpret() works on text in memory and never touches the disk, so tests can feed it small
// inline mechanisms; ConvertFiles() adds the file handling of the program and the C entry.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "common/diagnostics.h"
#include "kinetics/link_mechanism.h"

namespace vordane {

// A text input and the name it is reported under.
struct SourceText {
  std::string name;
  std::string text;
};

// Both converters report through the one diagnostics type of common/diagnostics.h.
using common::Diagnostic;
using common::Diagnostics;
using common::FormatDiagnostic;
using common::Severity;

// Where the parts of the mechanism were written, for tools that rewrite the text rather than
// convert it. Lines are numbered from 1 in their file; a span is the bytes [begin, end) of one
// line as it stands in the file.
struct SourceSpan {
  int line = 0;
  std::size_t begin = 0;
  std::size_t end = 0;
};

struct SpeciesDeclaration {
  int species = 0;  // 0-based; a repeated declaration names the species it repeats
  SourceSpan name;
};

struct ReactionSource {
  int firstLine = 0;  // the reaction line
  int lastLine = 0;   // its last auxiliary line (the reaction line when it has none)
  // Every species the reaction cannot do without, 0-based: reactants, products, a fall-off
  // third body, and the species of FORD, RORD and TDEP.
  std::vector<int> species;
  std::vector<std::pair<int, SourceSpan>> efficiencies;  // species and its "NAME /value/"
  std::vector<SourceSpan> duplicateMarkers;
  // Reactions of one group are partners in the duplicate check: a DUPLICATE marker needs
  // another reaction of its group.
  int duplicateGroup = -1;
};

// A four-line thermo entry as it stands in a file, whether or not it was used.
struct ThermoBlock {
  std::string file;
  int line = 0;       // its first line
  int species = -1;   // 0-based; -1 for a name that is not a species of the mechanism
  bool used = false;  // the entry the species' thermo was taken from
};

struct MechanismSource {
  std::vector<SpeciesDeclaration> declarations;
  std::vector<ReactionSource> reactions;  // in the order of the linking file
  std::vector<ThermoBlock> thermoBlocks;
  int thermoFileEnd = 0;  // the line of the thermo file's END; 0 when it has none
};

struct Interpretation {
  // The mechanism as it goes into the linking file. When errors were found it still holds
  // what was read, but only ConvertFiles decides what is written.
  kinetics::LinkMechanism mechanism;
  Diagnostics diagnostics;
  std::string listing;            // everything but the diagnostics and the summary line
  std::string appendix;           // sections listed after the diagnostics; empty when none
  bool thermoFileNeeded = false;  // some species found no thermo in the mechanism
  MechanismSource source;

  int errorCount() const { return static_cast<int>(diagnostics.errorCount()); }
  int warningCount() const { return static_cast<int>(diagnostics.warningCount()); }
  bool ok() const { return errorCount() == 0; }
};

// Interprets a mechanism. `thermo` is the thermodynamic data file, read only for the species
// whose thermo the mechanism does not carry itself; null when there is none.
Interpretation Interpret(const SourceText& mechanism, const SourceText* thermo);

// The four-line entries of a thermo data file and its END, read as Interpret reads the file for
// species `names` that carry no thermo of their own: the first entry of a species is the used one.
MechanismSource LocateThermoEntries(const std::vector<std::string>& names,
                                    const SourceText& thermo);

// The outcome of a conversion of files.
struct ConversionReport {
  bool success = false;
  int elements = 0;
  int species = 0;
  int reactions = 0;
  int errors = 0;
  int warnings = 0;
  std::string summary;  // the one-line summary that ends the listing
};

// Reads the mechanism and thermo files, writes the linking file and the listing. On any error
// the linking file is still written, with its error flag set and no mechanism data, so that a
// reader refuses it. An empty thermo name means there is no thermo file.
//
// The one exception: when the linking file or the listing is the same file as an input or as
// the other output (common/output_files.h), nothing is read or written, and the summary names
// the two files.
ConversionReport ConvertFiles(const std::string& mechanismPath, const std::string& thermoPath,
                              const std::string& binaryPath, const std::string& listingPath);

}  // namespace vordane
