// The fixed-column lines of the console report, the result file and the trim file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace driver {

// "Preselection" and the start species as I8 each.
std::string PreselectionLine(std::span<const std::int32_t> selectedSpecies);
// "Threshold" and the threshold as F10.6.
std::string ThresholdLine(double threshold);

// "Line", case number I3, "/21 [", kept count I4, "]:", then the whole list as I5 each.
std::string CaseLine(std::int32_t caseNumber, std::span<const std::int32_t> kept);
// The same line as the console shows it: at most 20 species a line, the rest on continuation
// lines of 20 that start with 18 blanks.
std::vector<std::string> CaseConsoleLines(std::int32_t caseNumber,
                                          std::span<const std::int32_t> kept);

// "CPU TIME:" right-aligned in 20 columns, the seconds as F10.2, then " S".
std::string CpuTimeLine(double seconds);

// "Case", block number I4, merged count I5, ":", then the list as I5 each.
std::string BlockLine(std::int32_t blockNumber, std::span<const std::int32_t> merged);

// "Allcases", count I5, ":", then the list as I5 each.
std::string AllCasesLine(std::span<const std::int32_t> all);

// The two lines of the trim file.
std::string TrimCountsLine(std::int32_t speciesCount, std::int32_t trimCount);
std::string TrimListLine(std::span<const std::int32_t> trim);

}  // namespace driver
