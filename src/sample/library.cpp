#include "sample/library.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace sample {
namespace {

// The state nearest to `target` in `values` (sorted or not) that is not taken yet.
std::size_t nearestFree(std::span<const double> values, double target,
                        const std::vector<bool>& taken) {
  std::size_t best = values.size();
  double distance = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (taken[i]) continue;
    const double d = std::abs(values[i] - target);
    if (d < distance) {
      distance = d;
      best = i;
    }
  }
  return best;
}

// One value as the case library's reader takes it, with the blank that ends it.
void appendValue(std::string& line, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.8E ", value);
  line += text;
}

}  // namespace

std::vector<std::size_t> ChooseStates(std::span<const double> times,
                                      std::span<const double> temperatures, double delay,
                                      std::size_t count) {
  const std::size_t states = std::min(times.size(), temperatures.size());
  count = std::min(count, states);
  std::vector<bool> taken(states, false);
  std::vector<std::size_t> chosen;
  const auto take = [&](std::span<const double> values, double target) {
    const std::size_t i = nearestFree(values.first(states), target, taken);
    if (i < states) {
      taken[i] = true;
      chosen.push_back(i);
    }
  };
  if (count == 0) return chosen;
  if (!std::isfinite(delay)) {
    const double duration = times[states - 1];
    for (std::size_t j = 1; j <= count; ++j) {
      take(times, duration * static_cast<double>(j) / static_cast<double>(count));
    }
  } else {
    const std::size_t induction = count / 2;
    const std::size_t release = count - induction;
    for (std::size_t j = 1; j <= induction; ++j) {
      take(times, delay * static_cast<double>(j) / static_cast<double>(induction + 1));
    }
    const double first = temperatures[0];
    const double last = temperatures[states - 1];
    for (std::size_t i = 1; i <= release; ++i) {
      take(temperatures,
           first + (last - first) * static_cast<double>(i) / static_cast<double>(release));
    }
  }
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

std::string LibraryText(const std::string& heading, std::size_t speciesCount,
                        const std::vector<std::string>& comments,
                        const std::vector<Block>& blocks) {
  std::string text = heading + "\n";
  char line[64];
  std::snprintf(line, sizeof line, "KK%6zu  \n", speciesCount);
  text += line;
  for (const std::string& comment : comments) text += "! " + comment + "\n";
  for (const Block& block : blocks) {
    if (!block.comment.empty()) text += "! " + block.comment + "\n";
    text += "TAU0 ";
    appendValue(text, block.tau0);
    text += "\n";
    for (const CaseState& state : block.cases) {
      std::string caseLine;
      for (const double value :
           {state.time, state.pressure, state.density, 0.0, 0.0, 0.0, state.temperature}) {
        appendValue(caseLine, value);
      }
      for (const double x : state.moleFractions) {
        // Round-off below zero, and values the reader's exponent cannot scale, are zero.
        appendValue(caseLine, x > 1e-300 ? x : 0.0);
      }
      text += caseLine + "\n";
    }
  }
  text += "END\n";
  return text;
}

}  // namespace sample
