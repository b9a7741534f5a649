// Plain readers of the analysis' input files for tests and benchmarks, independent of the
// driver's own readers: the case lines of a case library and the selection file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// The values of the first `limit` case lines of a case library, in file order across blocks:
// every line after the heading and the KK line that is not a comment, a TAU0 line or the END
// line. Value 2 is the pressure, value 7 the temperature, values 8.. the mole fractions.
std::vector<std::vector<double>> ReadCaseLines(const std::string& path, std::size_t limit);

// The start species (line 1) and the threshold (line 2) of a selection file.
struct SelectionFile {
  std::vector<std::int32_t> start;
  double threshold = 0.0;
};
SelectionFile ReadSelectionFile(const std::string& path);

}  // namespace test_support
