// The reduced files of a mechanism, made by copying the lines of the originals: the reactions
// and entries that stay go out byte for byte, and only what names a removed species is taken
// out (a reaction with its auxiliary and comment lines, a name in the species list, an
// efficiency, a thermo or transport entry). A reaction's comment lines are those between its
// reaction line and its last auxiliary line and those right above its reaction line (no blank
// line between); comments elsewhere always stay.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "converters/vordane/vordane.h"

namespace reduction {

struct ReductionInputs {
  vordane::SourceText mechanism;
  std::optional<vordane::SourceText> thermo;
  std::optional<vordane::SourceText> transport;
};

// A kept reaction whose text was changed.
struct ReactionChange {
  int reaction = 0;  // 1-based, in the detailed mechanism
  int line = 0;
  std::string what;
};

struct RemovedReaction {
  int reaction = 0;  // 1-based
  int line = 0;
  std::string text;  // the reaction line without its comment
};

struct Reduction {
  std::string mechanism;
  std::optional<std::string> thermo;
  std::optional<std::string> transport;
  std::vector<int> keptReactions;  // 1-based numbers of the detailed mechanism, in order
  std::vector<RemovedReaction> removedReactions;
  std::vector<ReactionChange> changes;
  std::vector<std::string> withoutTransport;  // kept species with no transport entry
};

// Reduces the inputs, whose mechanism `interpretation` read without errors, by the species
// flagged in `removed`. Throws common::Stop when the transport file does not read.
Reduction ReduceTexts(const ReductionInputs& inputs, const vordane::Interpretation& interpretation,
                      const std::vector<bool>& removed);

}  // namespace reduction
