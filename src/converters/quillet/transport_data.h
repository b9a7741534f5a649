// Reading the transport data file: one line per species with its molecular parameters.
//
//   name  geometry  epsilon/k [K]  sigma [angstrom]  mu [debye]  alpha [angstrom^3]  Z_rot(298)
//
// Fields are separated by blanks or tabs; "!" starts a comment that runs to the end of the
// line; blank lines are skipped. A line whose first field is END (in any case) ends the data:
// published files carry other blocks after it. Lines of species that are not in the mechanism
// are skipped unread, since published files cover many mechanisms at once.
//
// For a species of the mechanism the line must hold exactly the seven fields. The geometry is
// 0 (atom), 1 (linear) or 2 (non-linear); it may also be written as a real whose fraction is
// all zeros ("1.00", "2."), which some published files do, and means the same code. Any other
// form ("3", "1.5", "a", "0.9999999999999999") is an error: a geometry that is not exactly one of
// the three codes is not a value to round. The reals accept a Fortran "D" exponent. Well depth
// and diameter must be positive; dipole, polarizability and Z_rot must not be negative.
//
// The first line of a species wins; the later ones are counted in one warning per file and
// listed in `repeats`. A species of the mechanism without a line is an error.
//
// A mechanism file may carry the data in a TRANSPORT section beside its other sections: a line
// whose first word is TRANSPORT (in any case, abbreviated to no fewer than four letters) and
// nothing more but ALL opens it, END closes it. A file with such a line is read for the lines of
// its TRANSPORT sections only, everything else being the mechanism's; a section left without
// END ends at the next section keyword (ELEMENTS, SPECIES, THERMO, REACTIONS), with a warning.
// Messages keep the line numbers of the whole file.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "converters/quillet/diagnostics.h"
#include "converters/quillet/properties.h"

namespace quillet {

struct TransportEntry {
  MolecularParameters parameters;
  std::int64_t line = 0;  // line number in the transport data file
};

// A species of the mechanism given more than once: the line kept and the lines passed over.
struct RepeatedEntry {
  std::string name;
  std::int64_t keptLine = 0;
  std::vector<std::int64_t> ignoredLines;
};

struct TransportData {
  std::vector<std::optional<TransportEntry>> entries;  // one per mechanism species
  std::int64_t skippedLines = 0;                       // lines of other species
  bool endSeen = false;
  std::int64_t sectionLine = 0;  // of the first TRANSPORT keyword; 0 for a plain data file
  std::vector<RepeatedEntry> repeats;
};

// Reads `input` (named `fileName` in the messages) for the species `names` (trimmed).
TransportData ParseTransportData(std::istream& input, const std::string& fileName,
                                 std::span<const std::string> names, Diagnostics& diagnostics);

// Opens and reads the file at `path`; an unreadable file is an error in `diagnostics`.
TransportData ReadTransportData(const std::string& path, std::span<const std::string> names,
                                Diagnostics& diagnostics);

}  // namespace quillet
