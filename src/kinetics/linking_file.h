// Reading and writing the kinetics linking file (chem.bin).
//
// The reader validates the two header records, checks the caller's work-array lengths, and
// loads records 3 to 17 into IKWORK, RKWORK and SKWORK at the places the work-array layout
// gives them, filling the process-wide KineticsState. Every failure writes its message lines
// to the console and throws common::Stop; nothing is read or written outside an array.
//
// Pressure tables. Rate constants tabulated over pressure (PLOG), Chebyshev fits and chemically
// activated fall-off have no place in records 1 to 17. A file that carries them holds one more
// record after its last present record, the pressure-table record (18 in messages):
//
//   name     kTableRecordMark
//   int      kTableRecordFormat
//   real     kTablePressureUnit: pascals per unit of the table pressures (one atmosphere)
//   6 ints   the TableCounts, in their order
//   for each pressure table: reaction (int); row count (int); per row, in ascending pressure:
//            pressure (atm), A, beta, E/R (4 reals), units as in record 5
//   for each Chebyshev fit: reaction (int); temperature terms N (int); pressure terms M (int);
//            Tmin, Tmax (K), Pmin, Pmax (atm) (4 reals); N x M coefficients of log10 k
//            (k in mol, cm3, s), pressure index inner
//   for each chemically activated reaction: reaction (int); form (int, as in record 7); third
//            body (int, 0 = the mixture); enhanced third bodies E (int); high-pressure A, beta,
//            E/R (3 reals); low-pressure A, beta, E/R and the form parameters (8 reals, as in
//            record 7); E pairs of species (int) and efficiency (real)
//
// Record 5 holds each of these reactions' rate at one atmosphere as an Arrhenius form, and
// records 7 and 8 do not list them, so a reader that stops after the last present record, as
// readers of this format do, gets a sound mechanism at one atmosphere. The declared lengths of
// record 2 include the sections of the pressure-table record (work_arrays.h), which are empty
// in a file without it: such a file is laid out and read as before.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/console.h"
#include "common/record_file.h"
#include "kinetics/link_mechanism.h"
#include "kinetics/work_arrays.h"

namespace kinetics {

inline constexpr std::string_view kTableRecordMark = "PRESSURE-TABLES";
inline constexpr std::int32_t kTableRecordFormat = 1;
inline constexpr double kTablePressureUnit = 101325.0;  // Pa

struct LinkSizes {
  std::int32_t RequiredIntLength = 0;
  std::int32_t RequiredRealLength = 0;
  std::int32_t RequiredCharLength = 0;
  std::int32_t KK = 0;             // QueryLinkSizes only
  std::int32_t ReactionCount = 0;  // QueryLinkSizes only
};

// Validates records 1 and 2 and returns the three declared lengths; leaves the file rewound.
LinkSizes ReadLinkHeader(common::RecordReader& unit, common::Console& messages);

// ReadLinkHeader that also returns KK and ReactionCount.
LinkSizes QueryLinkSizes(common::RecordReader& unit, common::Console& messages);

// How the load ended.
enum class LoadOutcome {
  Complete,              // every present record was read
  EndedBeforeReactions,  // the file ended where record 5 should begin (the quiet return)
};

// Loads the whole file. SKWORK entries are names of `skworkElementLength` characters.
// Besides the read failures it refuses, with a message and a paused stop: arrays shorter than
// the stated LEN*, negative counts, counts whose sections exceed the declared lengths, species
// without a temperature range, and any species, reaction, third-body count, order code,
// temperature count or electron temperature index outside its range. The end of the file where
// a record other than 5 should begin stops at once, without the pause.
LoadOutcome LoadKineticsLink(std::int32_t LENIKW, std::int32_t LENRKW, std::int32_t LENSKW,
                             common::RecordReader& unit, common::Console& messages,
                             std::span<std::int32_t> IKWORK, std::span<double> RKWORK,
                             std::span<std::string> SKWORK, std::int32_t skworkElementLength = 16);

// A whole kinetics linking file loaded into work arrays of exactly the declared lengths.
struct LoadedKinetics {
  KineticsState state;  // a copy of the state the load left, for programs that hold two files
  std::vector<std::int32_t> IKWORK;
  std::vector<double> RKWORK;
  std::vector<std::string> SKWORK;  // 16-character entries
  LoadOutcome outcome = LoadOutcome::Complete;
};

// Opens `path`, sizes the work arrays with QueryLinkSizes and loads them with LoadKineticsLink.
// A file that cannot be opened writes its message and stops like every other failure.
LoadedKinetics LoadKineticsFile(const std::string& path, common::Console& messages);

// The same from a whole linking file held in memory; `name` stands for its path in messages.
LoadedKinetics LoadKineticsBytes(const std::string& name, std::string bytes,
                                 common::Console& messages);

// The bytes of the kinetics linking file of `mechanism`, for loading in-process; empty with
// `error` set when the mechanism cannot be written.
std::string KineticsLinkBytes(const LinkMechanism& mechanism, std::string& error);

// Writes `mechanism` as a kinetics linking file (through a temporary file renamed into
// place). The declared lengths are computed from the layout unless the mechanism sets them.
// Returns false with `error` set when the file cannot be written.
bool WriteKineticsLink(const std::string& path, const LinkMechanism& mechanism, std::string& error);

// The counts of record 2 that `mechanism` gives.
KineticsCounts CountsOf(const LinkMechanism& mechanism);

// The counts of the pressure-table record that `mechanism` gives (all zero without tables).
TableCounts TableCountsOf(const LinkMechanism& mechanism);

}  // namespace kinetics
