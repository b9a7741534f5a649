#include "reduction/reduce_text.h"

#include <algorithm>
#include <sstream>
#include <unordered_map>
#include <utility>

#include "common/console.h"
#include "converters/quillet/transport_data.h"

namespace reduction {
namespace {

// The lines of a text with their line ends, and what a reduction does to each.
class EditedText {
 public:
  explicit EditedText(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find('\n', start);
      const std::size_t next = end == std::string::npos ? text.size() : end + 1;
      lines_.push_back(text.substr(start, next - start));
      start = next;
    }
    dropped_.assign(lines_.size(), false);
    cuts_.resize(lines_.size());
  }

  std::size_t size() const { return lines_.size(); }
  // Lines are numbered from 1, as the interpreter numbers them.
  const std::string& line(int number) const { return lines_[index(number)]; }
  void drop(int number) {
    if (number >= 1 && static_cast<std::size_t>(number) <= lines_.size())
      dropped_[index(number)] = true;
  }
  void dropAfter(int number) {
    for (std::size_t i = static_cast<std::size_t>(number); i < lines_.size(); ++i)
      dropped_[i] = true;
  }
  void cut(const vordane::SourceSpan& span) {
    cuts_[index(span.line)].emplace_back(span.begin, span.end);
  }

  bool commentOnly(int number) const {
    const std::string& text = line(number);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && text[first] == '!';
  }

  std::string join() const {
    std::string text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (!dropped_[i]) text += cutLine(lines_[i], cuts_[i]);
    }
    return text;
  }

 private:
  static std::size_t index(int number) { return static_cast<std::size_t>(number - 1); }

  // Takes the spans out of a line with the blanks that follow each. A line left with nothing
  // but blanks goes entirely; one left with its comment keeps it.
  static std::string cutLine(std::string text,
                             std::vector<std::pair<std::size_t, std::size_t>> cuts) {
    if (cuts.empty()) return text;
    std::sort(cuts.rbegin(), cuts.rend());
    const std::size_t content = text.find_last_not_of("\r\n") + 1;
    for (auto [begin, end] : cuts) {
      end = std::min(end, content);
      while (end < text.size() && (text[end] == ' ' || text[end] == '\t')) ++end;
      text.erase(begin, end - begin);
    }
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) return {};
    return text;
  }

  std::vector<std::string> lines_;
  std::vector<bool> dropped_;
  std::vector<std::vector<std::pair<std::size_t, std::size_t>>> cuts_;
};

std::string withoutComment(const std::string& line) {
  std::string text = line.substr(0, line.find('!'));
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

void dropThermoBlocks(EditedText& text, const std::string& file,
                      const std::vector<vordane::ThermoBlock>& blocks,
                      const std::vector<bool>& removed) {
  for (const vordane::ThermoBlock& block : blocks) {
    if (block.file != file) continue;
    const bool kept =
        block.used && block.species >= 0 && !removed[static_cast<std::size_t>(block.species)];
    if (kept) continue;
    for (int line = block.line; line < block.line + 4; ++line) text.drop(line);
  }
}

std::string reduceThermo(const vordane::SourceText& thermo,
                         const std::vector<std::string>& keptNames) {
  const vordane::MechanismSource located = vordane::LocateThermoEntries(keptNames, thermo);
  EditedText text(thermo.text);
  dropThermoBlocks(text, thermo.name, located.thermoBlocks,
                   std::vector<bool>(keptNames.size(), false));
  if (located.thermoFileEnd > 0) {
    text.dropAfter(located.thermoFileEnd);
    return text.join();
  }
  std::string reduced = text.join();
  if (!reduced.empty() && reduced.back() != '\n') reduced += '\n';
  return reduced + "END\n";
}

std::string reduceTransport(const vordane::SourceText& transport,
                            const std::vector<std::string>& keptNames,
                            std::vector<std::string>& withoutData) {
  std::istringstream input(transport.text);
  quillet::Diagnostics diagnostics;
  const quillet::TransportData data =
      quillet::ParseTransportData(input, transport.name, keptNames, diagnostics);
  std::vector<std::int64_t> lines;
  for (std::size_t k = 0; k < keptNames.size(); ++k) {
    if (data.entries[k]) {
      lines.push_back(data.entries[k]->line);
    } else {
      withoutData.push_back(keptNames[k]);
    }
  }
  // The missing species are reported in the listing; any other error is the file's own.
  if (diagnostics.errorCount() > withoutData.size()) {
    std::vector<std::string> messages{" " + transport.name + " does not read:"};
    for (const quillet::Diagnostic& diagnostic : diagnostics) {
      if (diagnostic.severity == quillet::Severity::Error)
        messages.push_back("  " + quillet::FormatDiagnostic(diagnostic));
    }
    throw common::Stop(std::move(messages), false, common::kExitStopped);
  }
  std::sort(lines.begin(), lines.end());
  const EditedText text(transport.text);
  std::string reduced;
  for (const std::int64_t line : lines) {
    reduced += text.line(static_cast<int>(line));
    if (reduced.back() != '\n') reduced += '\n';
  }
  return reduced;
}

}  // namespace

Reduction ReduceTexts(const ReductionInputs& inputs, const vordane::Interpretation& interpretation,
                      const std::vector<bool>& removed) {
  const vordane::MechanismSource& source = interpretation.source;
  const auto isRemoved = [&](int species) { return removed[static_cast<std::size_t>(species)]; };
  Reduction reduction;
  EditedText text(inputs.mechanism.text);

  for (const vordane::SpeciesDeclaration& declaration : source.declarations) {
    if (isRemoved(declaration.species)) text.cut(declaration.name);
  }

  std::vector<bool> keptReaction(source.reactions.size());
  for (std::size_t r = 0; r < source.reactions.size(); ++r) {
    const auto& species = source.reactions[r].species;
    keptReaction[r] = std::none_of(species.begin(), species.end(), isRemoved);
  }
  // Kept reactions per duplicate group: a marker needs a partner among them.
  std::unordered_map<int, int> keptInGroup;
  for (std::size_t r = 0; r < source.reactions.size(); ++r) {
    if (keptReaction[r]) ++keptInGroup[source.reactions[r].duplicateGroup];
  }
  int previousLast = 0;
  for (std::size_t r = 0; r < source.reactions.size(); ++r) {
    const vordane::ReactionSource& reaction = source.reactions[r];
    const int number = static_cast<int>(r) + 1;
    if (!keptReaction[r]) {
      reduction.removedReactions.push_back(
          {number, reaction.firstLine, withoutComment(text.line(reaction.firstLine))});
      for (int line = reaction.firstLine; line <= reaction.lastLine; ++line) text.drop(line);
      // The comment lines right above a reaction line are its own.
      for (int line = reaction.firstLine - 1; line > previousLast && text.commentOnly(line);
           --line) {
        text.drop(line);
      }
    } else {
      reduction.keptReactions.push_back(number);
      std::string efficiencies;
      int efficiencyLine = 0;
      for (const auto& [species, span] : reaction.efficiencies) {
        if (!isRemoved(species)) continue;
        text.cut(span);
        efficiencies +=
            " " + interpretation.mechanism.species[static_cast<std::size_t>(species)].name;
        if (efficiencyLine == 0) efficiencyLine = span.line;
      }
      if (efficiencyLine != 0) {
        reduction.changes.push_back(
            {number, efficiencyLine, "efficiencies removed:" + efficiencies});
      }
      const bool partner = keptInGroup[reaction.duplicateGroup] > 1;
      if (!partner && !reaction.duplicateMarkers.empty()) {
        for (const vordane::SourceSpan& marker : reaction.duplicateMarkers) text.cut(marker);
        reduction.changes.push_back({number, reaction.duplicateMarkers.front().line,
                                     "DUPLICATE removed: no partner reaction is left"});
      }
    }
    previousLast = reaction.lastLine;
  }
  dropThermoBlocks(text, inputs.mechanism.name, source.thermoBlocks, removed);
  reduction.mechanism = text.join();

  std::vector<std::string> keptNames;
  for (std::size_t k = 0; k < removed.size(); ++k) {
    if (!removed[k]) keptNames.push_back(interpretation.mechanism.species[k].name);
  }
  if (inputs.thermo) reduction.thermo = reduceThermo(*inputs.thermo, keptNames);
  if (inputs.transport) {
    reduction.transport = reduceTransport(*inputs.transport, keptNames, reduction.withoutTransport);
  }
  return reduction;
}

}  // namespace reduction
