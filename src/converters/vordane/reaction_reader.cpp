// Reaction lines: the equation, the rate parameters and the auxiliary keywords that follow.
#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "converters/vordane/interpreter.h"
#include "converters/vordane/text_fields.h"

namespace vordane::detail {

bool Interpreter::readSide(std::string_view text, Side& side, std::string& problem) const {
  // A fall-off third body closes the side: "(+M)" or "(+species)".
  if (!text.empty() && text.back() == ')') {
    std::size_t search = text.size();
    while (search > 0) {
      const std::size_t open = text.rfind("(+", search - 1);
      if (open == std::string_view::npos) break;
      const std::string inner(text.substr(open + 2, text.size() - open - 3));
      const int index = findSpecies(inner);
      if (index < 0 && ToUpper(inner) == "M") {
        side.fallOff = ThirdBodyKind::FallOffMixture;
      } else if (index >= 0) {
        side.fallOff = ThirdBodyKind::FallOffSpecies;
        side.fallOffSpecies = index;
      }
      if (side.fallOff != ThirdBodyKind::None) {
        text = text.substr(0, open);
        break;
      }
      search = open;
    }
    if (side.fallOff == ThirdBodyKind::None && text.rfind("(+") != std::string_view::npos) {
      const std::size_t open = text.rfind("(+");
      problem = "unknown fall-off third body '" +
                std::string(text.substr(open + 2, text.size() - open - 3)) + "'";
      return false;
    }
  }
  // Some files write the fall-off third body after a species inside the side
  // ("A(+M)+B"): it is the same reaction as "A+B(+M)".
  if (side.fallOff == ThirdBodyKind::None) {
    for (std::size_t open = text.find("(+"); open != std::string_view::npos;
         open = text.find("(+", open + 1)) {
      const std::size_t close = text.find(')', open);
      if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != '+')
        continue;
      const std::string inner(text.substr(open + 2, close - open - 2));
      const int index = findSpecies(inner);
      if (index < 0 && ToUpper(inner) != "M") continue;
      // Not when the parenthesis belongs to a species' name.
      const std::size_t termStart = text.rfind('+', open == 0 ? 0 : open - 1);
      const std::size_t from = termStart == std::string_view::npos ? 0 : termStart + 1;
      if (findSpecies(text.substr(from, close + 1 - from)) >= 0) continue;
      side.fallOff = index >= 0 ? ThirdBodyKind::FallOffSpecies : ThirdBodyKind::FallOffMixture;
      side.fallOffSpecies = index;
      side.fallOffInside = true;
      side.rest = std::string(text.substr(0, open)) + std::string(text.substr(close + 1));
      text = side.rest;
      break;
    }
  }
  if (text.empty()) {
    problem = "a side of the equation is empty";
    return false;
  }
  // Names that are not species: the mixture as third body and the photon.
  constexpr int kUnknown = -1;
  constexpr int kMixture = -2;
  constexpr int kPhoton = -3;
  std::size_t at = 0;
  while (at < text.size()) {
    // The longest known name from here that ends at a '+' or at the end of the side.
    const auto matchName = [&](std::size_t from, std::size_t& end) -> int {
      for (std::size_t e = text.size(); e > from; --e) {
        if (e != text.size() && text[e] != '+') continue;
        const std::string_view candidate = text.substr(from, e - from);
        const int index = findSpecies(candidate);
        if (index >= 0) {
          end = e;
          return index;
        }
        const std::string upper = ToUpper(candidate);
        if (upper == "M") {
          end = e;
          return kMixture;
        }
        if (upper == "HV") {
          end = e;
          return kPhoton;
        }
      }
      return kUnknown;
    };
    std::size_t end = at;
    double coefficient = 1.0;
    int index = matchName(at, end);
    if (index == kUnknown) {
      // A leading coefficient: the longest number whose remainder is a name.
      for (std::size_t e = text.size(); e > at && index == kUnknown; --e) {
        double value = 0.0;
        const std::string_view number = text.substr(at, e - at);
        if (!std::isdigit(static_cast<unsigned char>(number.front())) && number.front() != '.') {
          break;
        }
        if (!ParseReal(number, value) || value <= 0.0 || value > kMaxCoefficient) continue;
        std::size_t nameEnd = e;
        const int found = matchName(e, nameEnd);
        if (found != kUnknown) {
          index = found;
          coefficient = value;
          end = nameEnd;
        }
      }
    }
    if (index == kUnknown) {
      std::size_t stop = text.find('+', at);
      if (stop == at) stop = text.find('+', at + 1);
      problem = "unknown species '" +
                std::string(text.substr(
                    at, stop == std::string_view::npos ? text.size() - at : stop - at)) +
                "'";
      return false;
    }
    if (index == kMixture) {
      if (side.mixture || coefficient != 1.0) {
        problem = "third body M given more than once on a side";
        return false;
      }
      side.mixture = true;
    } else if (index == kPhoton) {
      side.photon = true;
    } else {
      auto existing = std::find_if(side.participants.begin(), side.participants.end(),
                                   [&](const Participant& p) { return p.species == index; });
      if (existing != side.participants.end()) {
        existing->coefficient += coefficient;
      } else {
        side.participants.push_back({index, coefficient});
      }
    }
    at = end;
    if (at < text.size()) {
      ++at;  // the '+' between terms
      if (at == text.size()) {
        problem = "the equation ends with '+'";
        return false;
      }
    }
  }
  return true;
}

bool Interpreter::readEquation(const std::string& equation, ReactionEntry& reaction,
                               std::string& problem) {
  std::string compact;
  for (const char c : equation) {
    if (c != ' ') compact.push_back(c);
  }
  reaction.equation = compact;
  std::string firstProblem;
  bool anyArrow = false;
  for (std::size_t equal = compact.find('='); equal != std::string::npos;
       equal = compact.find('=', equal + 1)) {
    anyArrow = true;
    std::size_t leftEnd = equal;
    std::size_t rightStart = equal + 1;
    bool reversible = true;
    if (equal + 1 < compact.size() && compact[equal + 1] == '>') {
      rightStart = equal + 2;
      if (equal > 0 && compact[equal - 1] == '<') {
        leftEnd = equal - 1;
      } else {
        reversible = false;
      }
    }
    Side left;
    Side right;
    std::string leftProblem;
    std::string rightProblem;
    const bool leftOk = readSide(std::string_view(compact).substr(0, leftEnd), left, leftProblem);
    const bool rightOk =
        readSide(std::string_view(compact).substr(rightStart), right, rightProblem);
    if (!leftOk || !rightOk) {
      if (firstProblem.empty()) firstProblem = leftOk ? rightProblem : leftProblem;
      continue;
    }
    if (left.participants.empty()) {
      problem = "reaction without reactants";
      return false;
    }
    if (right.participants.empty() && !right.photon) {
      problem = "reaction without products";
      return false;
    }
    if (left.mixture != right.mixture) {
      problem = "third body M on one side only";
      return false;
    }
    if (left.fallOff != right.fallOff || left.fallOffSpecies != right.fallOffSpecies) {
      problem = "fall-off third bodies of the two sides differ";
      return false;
    }
    if (left.mixture && left.fallOff != ThirdBodyKind::None) {
      problem = "both +M and a fall-off third body";
      return false;
    }
    reaction.reversible = reversible;
    reaction.fallOffInside = left.fallOffInside || right.fallOffInside;
    reaction.reactants = left.participants;
    reaction.products = right.participants;
    reaction.photon = left.photon || right.photon;
    if (left.mixture) reaction.thirdBody = ThirdBodyKind::Mixture;
    if (left.fallOff != ThirdBodyKind::None) {
      reaction.thirdBody = left.fallOff;
      reaction.fallOffSpecies = left.fallOffSpecies;
    }
    return true;
  }
  problem = anyArrow ? firstProblem : "no reaction arrow ('=', '=>' or '<=>')";
  return false;
}

void Interpreter::readReactionLine(const std::string& file, const Line& line) {
  ReactionEntry reaction;
  reaction.file = file;
  reaction.line = line.number;
  reaction.units = sectionUnits_;
  const std::string_view text = Trim(line.text);
  const std::vector<std::string_view> words = SplitWords(text);
  if (words.size() < 4) {
    error(file, line.number, "reaction line without its three rate parameters");
    reaction.valid = false;
    reaction.equation = std::string(text);
    reactions_.push_back(std::move(reaction));
    return;
  }
  bool numbers = true;
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string_view word = words[words.size() - 3 + k];
    if (!ParseReal(word, reaction.rate[k])) {
      error(file, line.number,
            "malformed number '" + std::string(word) + "' in the rate parameters");
      numbers = false;
    }
  }
  const std::size_t equationEnd =
      static_cast<std::size_t>(words[words.size() - 3].data() - text.data());
  std::string problem;
  if (!readEquation(std::string(text.substr(0, equationEnd)), reaction, problem)) {
    error(file, line.number, problem + " in '" + reaction.equation + "'");
    reaction.valid = false;
  } else if (reaction.fallOffInside) {
    warning(file, line.number,
            "fall-off third body written inside a side of '" + reaction.equation +
                "'; read as if it closed the side");
  }
  if (!numbers) reaction.valid = false;
  reactions_.push_back(std::move(reaction));
}

std::vector<double> Interpreter::numbersOf(const std::string& file, int line,
                                           const std::string& keyword, std::string_view text) {
  // Some files separate the values with commas.
  std::string separated(text);
  std::replace(separated.begin(), separated.end(), ',', ' ');
  std::vector<double> values;
  for (const std::string_view word : SplitWords(separated)) {
    double value = 0.0;
    if (!ParseReal(word, value)) {
      error(file, line, "malformed number '" + std::string(word) + "' in " + keyword);
      return {};
    }
    values.push_back(value);
  }
  return values;
}

void Interpreter::readAuxiliaryLine(const std::string& file, const Line& line) {
  if (reactions_.empty()) {
    error(file, line.number,
          "'" + std::string(Trim(line.text)) + "' before the first reaction line");
    return;
  }
  ReactionEntry& reaction = reactions_.back();
  reaction.lastLine = line.number;
  const std::string& text = line.text;
  const std::vector<std::string_view> words = SplitWords(text);
  if (text.find('/') == std::string::npos &&
      std::none_of(words.begin(), words.end(), [](std::string_view w) {
        const std::string upper = ToUpper(w);
        return IsAbbreviation(upper, "DUPLICATE", 3) || upper == "MOME" || upper == "XSMI";
      })) {
    error(file, line.number,
          "unreadable line in the reaction section: '" + std::string(Trim(text)) + "'");
    return;
  }
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '/') ++end;
    const std::string word = text.substr(at, end - at);
    if (word.empty()) {
      error(file, line.number, "'/' without a keyword or species before it");
      return;
    }
    std::size_t next = end;
    while (next < text.size() && text[next] == ' ') ++next;
    std::optional<std::string_view> parameters;
    const std::size_t wordBegin = at;
    at = next;
    if (next < text.size() && text[next] == '/') {
      std::size_t close = text.find('/', next + 1);
      // Units are written with a slash of their own ("UNITS / CAL/MOLE /"): the parameters
      // then run to the last slash of the line.
      if (ToUpper(word) == "UNITS") close = text.rfind('/');
      // An efficiency list whose last value runs to the end of the line without its '/'
      // is still unambiguous.
      double value = 0.0;
      if (close == std::string::npos && findSpecies(word) >= 0 &&
          ParseReal(Trim(std::string_view(text).substr(next + 1)), value)) {
        warning(file, line.number,
                "efficiency of " + word + " not closed by '/'; read to the end of the line");
        close = text.size();
      }
      if (close == std::string::npos || close == next) {
        error(file, line.number, "'" + word + "' parameters without the closing '/'");
        return;
      }
      parameters = std::string_view(text).substr(next + 1, close - next - 1);
      at = close + 1;
    }
    applyAuxiliary(file, line.number, reaction, word, parameters);
    // A last value left open runs to the end of the text, not past it.
    const SourceSpan span{line.number, wordBegin, parameters ? std::min(at, text.size()) : end};
    if (const int index = findSpecies(word); index >= 0 && parameters) {
      reaction.efficiencySpans.emplace_back(index, span);
    } else if (IsAbbreviation(ToUpper(word), "DUPLICATE", 3)) {
      reaction.duplicateSpans.push_back(span);
    }
  }
}

void Interpreter::applyAuxiliary(const std::string& file, int line, ReactionEntry& reaction,
                                 const std::string& word,
                                 std::optional<std::string_view> parameters) {
  const std::string keyword = ToUpper(word);
  const std::string parameterText = parameters ? std::string(Trim(*parameters)) : std::string();
  reaction.notes.push_back({keyword, parameterText, false});
  const auto numbers = [&](std::size_t minimum, std::size_t maximum) {
    std::optional<std::vector<double>> values;
    if (!parameters) {
      error(file, line, keyword + " without its parameters");
      return values;
    }
    std::vector<double> read = numbersOf(file, line, keyword, parameterText);
    if (read.empty() && !parameterText.empty()) return values;
    if (read.size() < minimum || read.size() > maximum) {
      error(file, line,
            keyword + " takes " +
                (minimum == maximum ? std::to_string(minimum)
                                    : std::to_string(minimum) + " to " + std::to_string(maximum)) +
                " parameters, not " + std::to_string(read.size()));
      return values;
    }
    values = std::move(read);
    return values;
  };
  const auto once = [&](bool given) {
    if (given) error(file, line, keyword + " given twice for one reaction");
    return !given;
  };
  const auto threeOf = [](const std::vector<double>& values) {
    return std::array<double, 3>{values[0], values[1], values[2]};
  };
  if (IsAbbreviation(keyword, "DUPLICATE", 3)) {
    reaction.duplicate = true;
  } else if (keyword == "LOW") {
    if (auto values = numbers(3, 3); values && once(reaction.low.has_value()))
      reaction.low = threeOf(*values);
  } else if (keyword == "TROE") {
    if (auto values = numbers(3, 4); values && once(reaction.troe.has_value()))
      reaction.troe = *values;
  } else if (keyword == "SRI") {
    if (auto values = numbers(3, 5); values && once(reaction.sri.has_value())) {
      if (values->size() == 4) {
        error(file, line, "SRI takes 3 or 5 parameters, not 4");
      } else {
        reaction.sri = *values;
      }
    }
  } else if (keyword == "REV") {
    if (auto values = numbers(3, 3); values && once(reaction.reverse.has_value())) {
      reaction.reverse = threeOf(*values);
    }
  } else if (keyword == "LT") {
    if (auto values = numbers(2, 2); values && once(reaction.landauTeller.has_value())) {
      reaction.landauTeller = std::array<double, 2>{(*values)[0], (*values)[1]};
    }
  } else if (keyword == "RLT") {
    if (auto values = numbers(2, 2); values && once(reaction.reverseLandauTeller.has_value())) {
      reaction.reverseLandauTeller = std::array<double, 2>{(*values)[0], (*values)[1]};
    }
  } else if (keyword == "HV") {
    if (auto values = numbers(1, 1); values && once(reaction.wavelength.has_value())) {
      reaction.wavelength = (*values)[0];
    }
  } else if (keyword == "EXCI") {
    if (auto values = numbers(1, 1); values && once(reaction.excitation.has_value())) {
      reaction.excitation = (*values)[0];
    }
  } else if (keyword == "JAN") {
    if (auto values = numbers(1, 9); values && once(reaction.janev.has_value())) {
      values->resize(9, 0.0);
      reaction.janev = *values;
    }
  } else if (keyword == "FIT1") {
    if (auto values = numbers(1, 4); values && once(reaction.fit.has_value())) {
      values->resize(4, 0.0);
      reaction.fit = *values;
    }
  } else if (keyword == "TDEP") {
    const int index = findSpecies(parameterText);
    if (!parameters || index < 0) {
      error(file, line, "TDEP names no known species: '" + parameterText + "'");
    } else if (once(reaction.electronImpact)) {
      reaction.electronImpact = true;
      reaction.electronSpecies = index;
    }
  } else if (keyword == "FORD" || keyword == "RORD") {
    const auto words = SplitWords(parameterText);
    double value = 0.0;
    if (!parameters || words.size() != 2) {
      error(file, line, keyword + " takes a species and an order");
      return;
    }
    const int index = findSpecies(words[0]);
    if (index < 0) {
      error(file, line, "unknown species '" + std::string(words[0]) + "' in " + keyword);
      return;
    }
    if (!ParseReal(words[1], value)) {
      error(file, line, "malformed number '" + std::string(words[1]) + "' in " + keyword);
      return;
    }
    auto& orders = keyword == "FORD" ? reaction.forwardOrders : reaction.reverseOrders;
    for (const auto& [species, order] : orders) {
      if (species == index) {
        error(file, line, keyword + " given twice for " + std::string(words[0]));
        return;
      }
    }
    orders.emplace_back(index, value);
  } else if (keyword == "UNITS") {
    if (!parameters) {
      error(file, line, "UNITS without its parameters");
      return;
    }
    for (const std::string_view unit : SplitWords(parameterText)) {
      if (!ApplyUnitWord(unit, reaction.units)) {
        warning(file, line, "unusual units '" + std::string(unit) + "' in UNITS; ignored");
      }
    }
  } else if (keyword == "MOME" || keyword == "XSMI") {
    warning(file, line,
            keyword +
                ": the linking file has no place for it; the reaction is kept as an "
                "ordinary reaction");
  } else if (keyword == "HIGH") {
    if (auto values = numbers(3, 3); values && once(reaction.high.has_value()))
      reaction.high = threeOf(*values);
  } else if (keyword == "PLOG") {
    if (auto values = numbers(4, 4)) {
      const std::vector<double>& row = *values;
      if (row[0] > 0.0) {
        reaction.pressureRows.push_back({row[0], {row[1], row[2], row[3]}});
      } else {
        tableError(reaction, line,
                   "PLOG pressure " + FormatReal(row[0], "%g") + " is not positive");
      }
    }
  } else if (keyword == "TCHEB" || keyword == "PCHEB") {
    auto& range = keyword == "TCHEB" ? reaction.chebyshevTemperatures : reaction.chebyshevPressures;
    if (auto values = numbers(2, 2); values && once(range.has_value())) {
      if ((*values)[0] > 0.0 && (*values)[1] > (*values)[0]) {
        range = std::array<double, 2>{(*values)[0], (*values)[1]};
      } else {
        tableError(reaction, line,
                   keyword + " range " + parameterText + " is not positive and increasing");
      }
    }
  } else if (keyword == "CHEB") {
    if (auto values = numbers(1, std::numeric_limits<std::size_t>::max())) {
      reaction.chebyshev.insert(reaction.chebyshev.end(), values->begin(), values->end());
    }
  } else if (const int index = findSpecies(word); index >= 0 && parameters) {
    double value = 0.0;
    if (!ParseReal(parameterText, value) || value < 0.0) {
      error(file, line, "malformed third-body efficiency '" + parameterText + "' of " + word);
      return;
    }
    // On a reaction without M the efficiencies are one error of their own, not repeats.
    const bool mixture = reaction.thirdBody == ThirdBodyKind::Mixture ||
                         reaction.thirdBody == ThirdBodyKind::FallOffMixture;
    for (const auto& [species, efficiency] : reaction.efficiencies) {
      if (species == index && !mixture) return;
      if (species == index) {
        error(file, line, "third-body efficiency of " + word + " given twice");
        return;
      }
    }
    reaction.efficiencies.emplace_back(index, value);
    reaction.notes.back() = {word, parameterText, true};
  } else if (parameters) {
    error(file, line, "unknown species or keyword '" + word + "'");
  } else {
    error(file, line, "unknown auxiliary keyword '" + word + "'");
  }
}

}  // namespace vordane::detail
