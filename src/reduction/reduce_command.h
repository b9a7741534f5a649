// sorvane reduce: the smallest mechanism whose results stay within an error limit of the
// detailed mechanism's at every condition, found in one process: the detailed mechanism is
// converted in memory, its states and delays computed once, every species ranked by its
// critical threshold over those states, and the prefixes of that ranking searched (see
// prefix_search.h for what the search promises). The reduced files, the validation table and
// plot, and the record of every probe are written into the output folder.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "reduction/reduce_config.h"

namespace reduction {

// One reduced mechanism tried by the search.
struct Probe {
  std::size_t prefix = 0;  // candidates kept beyond the always-kept species
  std::size_t species = 0;
  std::size_t reactions = 0;
  double largestError = 0.0;  // relative; 1 when a run failed
  bool passed = false;        // every condition ran and stayed within the limit
  double seconds = 0.0;       // conversion and every run
  std::string note;           // the condition of the largest error, or why the probe failed
};

struct ReduceSummary {
  std::size_t speciesBefore = 0, reactionsBefore = 0;
  std::size_t speciesAfter = 0, reactionsAfter = 0;
  double largestError = 0.0;  // relative, of the chosen mechanism
  std::string where;          // its condition
  std::vector<Probe> probes;  // in the order they ran
  double seconds = 0.0;       // the whole command
  std::vector<std::string> written;
  std::string plotNote;  // why a plot is missing; empty when every plot was drawn
};

// The search's parts, for the command and for tests that try every prefix: the constructor
// checks everything, converts the detailed mechanism, runs it at every condition and ranks the
// species; probe(n) converts and runs the reduced mechanism of prefix n. Throws common::Stop
// as Reduce does.
class ReductionSearch {
 public:
  ReductionSearch(const ReduceOptions& options, std::ostream& progress, bool showProgress);
  ~ReductionSearch();
  ReductionSearch(const ReductionSearch&) = delete;
  ReductionSearch& operator=(const ReductionSearch&) = delete;

  // The species that are not always kept, which the prefixes take in order.
  std::size_t candidateCount() const;
  Probe probe(std::size_t prefix);

  struct State;

 private:
  friend ReduceSummary Reduce(const ReduceOptions&, std::ostream&, bool);
  std::unique_ptr<State> state_;
};

// The whole command. Every check of the options, the files, the species and the conditions
// (each must ignite within the end time on the detailed mechanism) comes before the first
// write; a failure throws common::Stop naming the key at fault, and then nothing is written.
ReduceSummary Reduce(const ReduceOptions& options, std::ostream& progress, bool showProgress);

}  // namespace reduction
