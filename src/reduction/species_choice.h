// Which species of a mechanism a reduction removes: the numbers of a trim file, or a list of
// names, less the species that must stay.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace reduction {

// The numbers of a trim file (1-based, in the mechanism's species order). The first line gives
// the species count of the mechanism the file was made for and the counts trimmed and kept;
// the second the numbers, in fields of five columns. Throws common::Stop when the file does not
// read so, or was made for a mechanism of another size than `speciesCount`.
std::vector<int> ReadTrimNumbers(const std::string& text, const std::string& fileName,
                                 int speciesCount);

// One flag per species: true for the species to remove. `trimNumbers` are 1-based; `removeNames`
// and `keepNames` are names of the mechanism (`speciesNames`), and a kept name wins. Throws
// common::Stop for a number out of range or a name that is not a species.
std::vector<bool> ChooseRemovedSpecies(std::span<const std::string> speciesNames,
                                       std::span<const int> trimNumbers,
                                       std::span<const std::string> removeNames,
                                       std::span<const std::string> keepNames);

}  // namespace reduction
