#include "analysis/driver/selection_file.h"

#include <vector>

#include "analysis/driver/free_format.h"
#include "analysis/driver/number_fields.h"
#include "analysis/driver/text_lines.h"

namespace driver {

Selection ReadSelectionFile(const std::string& path, std::int32_t speciesCount,
                            common::Console& console) {
  TextLines lines;
  if (!lines.open(path)) {
    common::stopRun(console, {" Cannot open the selection file " + path + "."}, true);
  }
  Selection selection;
  std::vector<double> values(kValueCapacity);
  std::int32_t count = 0;
  if (lines.next()) {
    ParseNumberFields(kValueCapacity, lines.buffer(), 1, NChar, count, values, lines.origin(),
                      console);
  }
  if (count == 0) {
    common::stopRun(console, {" Need at least one selected species to start!"}, false);
  }
  for (std::int32_t i = 0; i < count; ++i) {
    const double shifted = values[i] + 0.1;
    // Truncation toward zero; values beyond the integer range are out of range anyway.
    const bool representable = shifted > -2147483648.0 && shifted < 2147483648.0;
    const auto species = representable ? static_cast<std::int32_t>(shifted) : 0;
    if (!representable || species < 1 || species > speciesCount) {
      common::stopRun(console,
                      {" Selected species " + common::formatRoundTrip(values[i]) + " in " + path +
                       " is not a species number 1.." + std::to_string(speciesCount) + "."},
                      true);
    }
    selection.SelectedSpecies.push_back(species);
  }

  // The threshold: the first word of the following non-blank line.
  while (lines.next()) {
    const std::string_view word = FirstWord(lines.buffer());
    if (word.empty()) continue;
    const auto threshold = ReadFreeReal(word);
    if (!threshold) {
      common::stopRun(console,
                      {" Error reading the threshold at line " +
                       std::to_string(lines.origin().lineNumber) + " of " + path + "."},
                      false);
    }
    selection.Threshold = *threshold;
    return selection;
  }
  common::stopRun(console, {" End of file reading the threshold in " + path + "."}, false);
}

}  // namespace driver
