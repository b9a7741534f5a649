// The search for the shortest prefix of a ranked candidate list that passes a test.
//
// The reduced mechanism of prefix n keeps the always-kept species and the first n candidates.
// Its error need not fall monotonically as n grows (a species can complete a path that another
// one opened), so the search cannot promise the globally shortest passing prefix without trying
// them all. It promises this: the prefix returned passes (or is the whole list, which is the
// detailed mechanism itself), and the prefixes one and two shorter were tried and fail. Where
// the test is monotone that is exactly the shortest passing prefix.
#pragma once

#include <cstddef>
#include <functional>

namespace reduction {

// How many prefixes just below the answer must fail before the search stops.
inline constexpr std::size_t kNeighboursChecked = 2;

// Bisection on [0, count] for the shortest prefix for which `passes` holds, prefix `count`
// taken to pass without a call; then the neighbours below the answer are tried, and the search
// moves down to any that passes, until the kNeighboursChecked prefixes below it fail. `passes`
// is called at most once per prefix.
std::size_t ShortestPassingPrefix(std::size_t count,
                                  const std::function<bool(std::size_t)>& passes);

}  // namespace reduction
