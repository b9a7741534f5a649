// The case library that the analysis reads: which states of a run become its cases, and the
// text of the file.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace sample {

// Indices (ascending, distinct) of at most `count` states of a run with the given times and
// temperatures, chosen so that both the induction period and the heat release are represented:
//  - half of them (rounded down) at equal fractions of the ignition delay, j / (n + 1) of it
//    for j = 1..n: the radical pool's growth and a first, low-temperature stage;
//  - the rest at equal fractions of the temperature rise, T0 + i / m (T_end - T0) for
//    i = 1..m: the heat release, stage by stage.
// Each target takes the state nearest to it that no earlier target took. A run that never
// ignites (delay not finite) takes all its states at equal fractions of its duration.
std::vector<std::size_t> ChooseStates(std::span<const double> times,
                                      std::span<const double> temperatures, double delay,
                                      std::size_t count);

struct CaseState {
  double time = 0.0;         // s
  double pressure = 0.0;     // dyn/cm2
  double density = 0.0;      // g/cm3
  double temperature = 0.0;  // K
  std::vector<double> moleFractions;
};

struct Block {
  double tau0 = 0.0;    // ignition delay, or residence time, s
  std::string comment;  // one line, without the leading "! "
  std::vector<CaseState> cases;
};

// The whole file: heading ("SENLIB" or "PSRLIB") and a title, the species count, comment
// lines, the blocks and the end line. Case lines hold time, pressure, density, three zeros,
// temperature and the mole fractions, each as d.ddddddddE+xx (nine digits: the reader's
// mantissa holds no more) followed by a blank; negative round-off in a mole fraction is
// written as zero.
std::string LibraryText(const std::string& heading, std::size_t speciesCount,
                        const std::vector<std::string>& comments, const std::vector<Block>& blocks);

}  // namespace sample
