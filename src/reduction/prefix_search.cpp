#include "reduction/prefix_search.h"

#include <map>

namespace reduction {

std::size_t ShortestPassingPrefix(std::size_t count,
                                  const std::function<bool(std::size_t)>& passes) {
  std::map<std::size_t, bool> tried{{count, true}};
  const auto test = [&](std::size_t n) {
    const auto known = tried.find(n);
    if (known != tried.end()) return known->second;
    return tried[n] = passes(n);
  };
  std::size_t low = 0, high = count;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (test(middle)) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  std::size_t answer = high;
  for (std::size_t below = 1; below <= kNeighboursChecked && below <= answer;) {
    if (test(answer - below)) {
      answer -= below;
      below = 1;
    } else {
      ++below;
    }
  }
  return answer;
}

}  // namespace reduction
