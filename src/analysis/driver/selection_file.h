// The species selection file: line 1 the start species (numbers in the species order of the
// kinetics file, blank- or comma-separated), line 2 the threshold in free format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/console.h"

namespace driver {

struct Selection {
  std::vector<std::int32_t> SelectedSpecies;  // as read: order kept, repeats kept
  double Threshold = 0.0;
  std::int32_t SelectedCount() const { return static_cast<std::int32_t>(SelectedSpecies.size()); }
};

// Reads the selection file `path` (the caller has checked that it exists). Species numbers
// outside 1..speciesCount are refused before the analysis starts.
Selection ReadSelectionFile(const std::string& path, std::int32_t speciesCount,
                            common::Console& console);

}  // namespace driver
