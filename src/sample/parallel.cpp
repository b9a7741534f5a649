#include "sample/parallel.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace sample {

void ParallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work,
                 const std::function<void(std::size_t)>& finished) {
  std::atomic<std::size_t> next{0};
  std::size_t done = 0;
  std::mutex reporting;
  const auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      work(i);
      const std::lock_guard<std::mutex> lock(reporting);
      finished(++done);
    }
  };
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& thread : pool) thread.join();
}

}  // namespace sample
