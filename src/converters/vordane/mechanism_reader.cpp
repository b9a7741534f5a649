// Sections of the mechanism text, element and species lists, and the order of the passes.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "converters/vordane/interpreter.h"
#include "converters/vordane/periodic_table.h"
#include "converters/vordane/text_fields.h"

namespace vordane::detail {

std::string FormatReal(double value, const char* format) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  int number = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    Line line;
    line.number = ++number;
    line.raw = text.substr(start, end - start);
    if (!line.raw.empty() && line.raw.back() == '\r') line.raw.pop_back();
    for (char& c : line.raw) {
      if (c == '\t' || c == '\r') c = ' ';
    }
    const std::size_t comment = line.raw.find('!');
    line.text = line.raw.substr(0, comment);
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

Section SectionOfWord(std::string_view word) {
  const std::string upper = ToUpper(word);
  if (upper == "END") return Section::End;
  if (IsAbbreviation(upper, "ELEMENTS", 4)) return Section::Elements;
  if (IsAbbreviation(upper, "SPECIES", 4)) return Section::Species;
  if (IsAbbreviation(upper, "THERMO", 4)) return Section::Thermo;
  if (IsAbbreviation(upper, "REACTIONS", 4)) return Section::Reactions;
  if (IsAbbreviation(upper, "TRANSPORT", 4)) return Section::Ignored;
  return Section::None;
}

int Interpreter::findSpecies(std::string_view name) const {
  const auto found = speciesIndex_.find(std::string(name));
  return found == speciesIndex_.end() ? -1 : found->second;
}

void Interpreter::readElementWords(const std::string& file, const Line& line,
                                   std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    if (text[at] == '/') {
      const std::size_t close = text.find('/', at + 1);
      if (close == std::string_view::npos) {
        error(file, line.number, "atomic weight without its closing '/'");
        return;
      }
      double weight = 0.0;
      if (elements_.empty() || !ParseReal(text.substr(at + 1, close - at - 1), weight) ||
          weight <= 0.0) {
        error(file, line.number,
              "malformed atomic weight '" + std::string(text.substr(at, close - at + 1)) + "'");
      } else {
        elements_.back().weight = weight;
      }
      at = close + 1;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '/') ++end;
    const std::string name = ToUpper(text.substr(at, end - at));
    at = end;
    // A weight given with the name makes a custom element.
    std::size_t next = at;
    while (next < text.size() && text[next] == ' ') ++next;
    const bool hasWeight = next < text.size() && text[next] == '/';
    if (std::any_of(elements_.begin(), elements_.end(),
                    [&](const ElementEntry& e) { return e.name == name; })) {
      warning(file, line.number, "element " + name + " declared twice; kept once");
      if (hasWeight) {
        // Skip the repeated weight.
        const std::size_t close = text.find('/', next + 1);
        at = close == std::string_view::npos ? text.size() : close + 1;
      }
      continue;
    }
    const auto weight = BuiltInAtomicWeight(name);
    if (!weight && !hasWeight) {
      error(file, line.number, "unknown element " + name + " (no atomic weight)");
    }
    if (name.size() > kNameWidth) {
      error(file, line.number, "element name " + name + " longer than 16 characters");
    }
    elements_.push_back({name, weight.value_or(0.0), line.number});
  }
}

void Interpreter::readSpeciesWords(const std::string& file, const Line& line,
                                   std::string_view text) {
  for (const std::string_view word : SplitWords(text)) {
    const std::string name(word);
    // The text is a part of the line's text, which starts where the line starts.
    const auto begin = static_cast<std::size_t>(word.data() - line.text.data());
    const SourceSpan span{line.number, begin, begin + word.size()};
    if (const auto known = speciesIndex_.find(name); known != speciesIndex_.end()) {
      result_.source.declarations.push_back({known->second, span});
      warning(file, line.number, "species " + name + " declared twice; kept once");
      continue;
    }
    result_.source.declarations.push_back({static_cast<int>(species_.size()), span});
    if (name.size() > kNameWidth) {
      error(file, line.number, "species name " + name + " longer than 16 characters");
    }
    speciesIndex_.emplace(name, static_cast<int>(species_.size()));
    species_.push_back({name, line.number, std::nullopt});
  }
}

void Interpreter::readReactionUnits(const std::string& file, const Line& line,
                                    std::string_view text) {
  for (const std::string_view word : SplitWords(text)) {
    if (!ApplyUnitWord(word, sectionUnits_)) {
      warning(file, line.number,
              "unusual units '" + std::string(word) + "' on the reaction section line; ignored");
    }
  }
}

void Interpreter::readMechanism(const SourceText& source) {
  const std::vector<Line> lines = SplitLines(source.text);
  const std::string& file = source.name;
  Section section = Section::None;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    std::string_view text = Trim(line.text);
    if (section == Section::Reactions) {
      if (text.empty()) continue;
      const auto words = SplitWords(text);
      const Section opened = SectionOfWord(words.front());
      const bool hasEqual = text.find('=') != std::string_view::npos;
      const bool hasSlash = text.find('/') != std::string_view::npos;
      // A line ending in three numbers after some other text reads as a reaction line.
      bool endsInRate = words.size() >= 4;
      for (std::size_t k = words.size() >= 3 ? words.size() - 3 : 0; endsInRate && k < words.size();
           ++k) {
        double value = 0.0;
        endsInRate = ParseReal(words[k], value);
      }
      if (opened == Section::End) {
        section = Section::None;
        reactionsEnded_ = true;
      } else if (IsAbbreviation(ToUpper(words.front()), "REACTIONS", 4)) {
        sectionUnits_ = Units{};
        readReactionUnits(file, line, text.substr(words.front().size()));
      } else if (opened != Section::None && !hasEqual && !hasSlash) {
        warning(file, line.number, "reaction section without END");
        section = Section::None;
        --i;  // read the line again as a section line
      } else if ((hasEqual && !hasSlash) || endsInRate) {
        readReactionLine(file, line);
      } else {
        readAuxiliaryLine(file, line);
      }
      continue;
    }
    // Element and species lists are free-form: they may share lines with their keyword and
    // with END, and a list whose END is missing ends at the next section keyword.
    while (!text.empty()) {
      const std::vector<std::string_view> words = SplitWords(text);
      if (section == Section::Elements || section == Section::Species) {
        std::size_t cut = text.size();
        Section found = Section::None;
        for (const std::string_view word : words) {
          found = SectionOfWord(word);
          if (found != Section::None) {
            cut = static_cast<std::size_t>(word.data() - text.data());
            break;
          }
        }
        if (section == Section::Elements) {
          readElementWords(file, line, text.substr(0, cut));
        } else {
          readSpeciesWords(file, line, text.substr(0, cut));
        }
        if (found == Section::None) break;
        section = Section::None;
        text = Trim(text.substr(cut));
        if (found == Section::End) {
          text = Trim(text.substr(SplitWords(text).front().size()));
        } else {
          warning(file, line.number,
                  "section without END before " + ToUpper(SplitWords(text).front()));
        }
        continue;
      }
      if (section == Section::Ignored) {
        if (SectionOfWord(words.front()) == Section::End) section = Section::None;
        break;
      }
      const Section opened = SectionOfWord(words.front());
      const std::string_view afterKeyword = Trim(text.substr(words.front().size()));
      if (opened == Section::Elements || opened == Section::Species) {
        section = opened;
        text = afterKeyword;
        continue;
      }
      if (opened == Section::Thermo) {
        if (ToUpper(afterKeyword).rfind("ALL", 0) == 0) mechanismHasAllThermo_ = true;
        i = readThermo(file, lines, i, true) - 1;
      } else if (opened == Section::Reactions) {
        section = Section::Reactions;
        readReactionUnits(file, line, afterKeyword);
      } else if (opened == Section::Ignored) {
        section = Section::Ignored;  // transport data: the transport converter reads it
      } else if (opened == Section::None && reactionsEnded_) {
        return;  // notes after the reaction section's END
      } else if (opened == Section::None) {
        error(file, line.number,
              "unknown section or text outside a section: '" + std::string(words.front()) + "'");
      }
      break;
    }
  }
  if (section == Section::Elements || section == Section::Species) {
    warning(file, lines.empty() ? 0 : lines.back().number, "section without END at the end");
  }
}

Interpretation Interpreter::run(const SourceText& mechanism, const SourceText* thermo) {
  mechanismFile_ = mechanism.name;
  thermoFile_ = thermo ? thermo->name : std::string();
  readMechanism(mechanism);
  if (elements_.empty()) error(mechanism.name, 0, "no elements declared");
  if (species_.empty()) error(mechanism.name, 0, "no species declared");
  const bool needThermo = std::any_of(species_.begin(), species_.end(),
                                      [](const SpeciesEntry& s) { return !s.thermo; });
  result_.thermoFileNeeded = needThermo && !mechanismHasAllThermo_;
  if (needThermo && !mechanismHasAllThermo_ && thermo != nullptr) {
    const std::vector<Line> lines = SplitLines(thermo->text);
    std::size_t start = 0;
    while (start < lines.size() && Trim(lines[start].text).empty()) ++start;
    if (start < lines.size()) readThermo(thermo->name, lines, start, false);
  }
  for (const auto& species : species_) {
    if (!species.thermo) {
      error(mechanism.name, species.line, "missing thermo for species " + species.name);
    }
  }
  // Thermo compositions may only use declared elements: one error per undeclared element,
  // at its first use, naming the species that use it.
  std::vector<std::pair<std::string, std::vector<SpeciesEntry*>>> undeclared;
  for (auto& species : species_) {
    if (!species.thermo) continue;
    for (const auto& [symbol, count] : species.thermo->composition) {
      if (std::any_of(elements_.begin(), elements_.end(),
                      [&name = symbol](const ElementEntry& e) { return e.name == name; })) {
        continue;
      }
      auto use = std::find_if(undeclared.begin(), undeclared.end(),
                              [&name = symbol](const auto& u) { return u.first == name; });
      if (use == undeclared.end()) use = undeclared.insert(use, {symbol, {}});
      use->second.push_back(&species);
      species.thermo->refused = true;
    }
  }
  for (const auto& [symbol, users] : undeclared) {
    std::string names;
    for (std::size_t u = 0; u < users.size() && u < 8; ++u)
      names += (u ? ", " : "") + users[u]->name;
    if (users.size() > 8) names += ", ...";
    const ThermoEntry& first = *users.front()->thermo;
    error(first.file, first.line,
          "element " + symbol + " is not declared, but the thermo of " +
              std::to_string(users.size()) +
              (users.size() == 1 ? " species uses" : " species use") + " it (" + names + ")");
  }
  checkReactions();
  checkDuplicates();
  buildMechanism();
  writeListing();
  writeTableListing();
  recordSource();
  return std::move(result_);
}

MechanismSource Interpreter::locateThermo(const std::vector<std::string>& names,
                                          const SourceText& thermo) {
  for (const std::string& name : names) {
    speciesIndex_.emplace(name, static_cast<int>(species_.size()));
    species_.push_back({name, 0, std::nullopt});
  }
  const std::vector<Line> lines = SplitLines(thermo.text);
  std::size_t start = 0;
  while (start < lines.size() && Trim(lines[start].text).empty()) ++start;
  if (start < lines.size()) readThermo(thermo.name, lines, start, false);
  return std::move(result_.source);
}

void Interpreter::recordSource() {
  for (const ReactionEntry& reaction : reactions_) {
    ReactionSource source;
    source.firstLine = reaction.line;
    source.lastLine = std::max(reaction.line, reaction.lastLine);
    for (const auto* side : {&reaction.reactants, &reaction.products}) {
      for (const Participant& participant : *side) source.species.push_back(participant.species);
    }
    if (reaction.fallOffSpecies >= 0) source.species.push_back(reaction.fallOffSpecies);
    for (const auto* orders : {&reaction.forwardOrders, &reaction.reverseOrders}) {
      for (const auto& [species, order] : *orders) source.species.push_back(species);
    }
    if (reaction.electronSpecies >= 0) source.species.push_back(reaction.electronSpecies);
    source.efficiencies = reaction.efficiencySpans;
    source.duplicateMarkers = reaction.duplicateSpans;
    source.duplicateGroup = reaction.duplicateGroup;
    result_.source.reactions.push_back(std::move(source));
  }
}

}  // namespace vordane::detail

namespace vordane {

Interpretation Interpret(const SourceText& mechanism, const SourceText* thermo) {
  detail::Interpreter interpreter;
  return interpreter.run(mechanism, thermo);
}

MechanismSource LocateThermoEntries(const std::vector<std::string>& names,
                                    const SourceText& thermo) {
  detail::Interpreter interpreter;
  return interpreter.locateThermo(names, thermo);
}

}  // namespace vordane
