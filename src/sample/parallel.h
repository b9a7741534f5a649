// Independent runs on every core, with results kept by index so that the output does not depend
// on which thread ran what.
#pragma once

#include <cstddef>
#include <functional>

namespace sample {

// Calls work(i) once for every i in [0, count), on `threads` threads (0: every core); after
// each, finished(number of runs done so far), one call at a time.
void ParallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work,
                 const std::function<void(std::size_t)>& finished);

}  // namespace sample
