// Independent parts of one job on several threads.
#ifndef CORE_RUN_PARTS_H
#define CORE_RUN_PARTS_H

#include <atomic>
#include <thread>
#include <vector>

namespace geomex {

// Runs job(t) for t = 0 .. threads-1, the last one on the calling thread.
// A thread the system refuses to start is run on the calling thread too:
// the parts are independent, so the results are the same either way.
// Returns false when a part failed with an exception (out of memory for its
// buffer): no exception leaves a thread, and every thread is joined.
template <typename Job>
bool runParts(unsigned threads, Job job) {
  std::atomic<bool> failed{false};
  auto guarded = [&](unsigned t) {
    try {
      job(t);
    } catch (...) {
      failed.store(true);
    }
  };
  std::vector<std::thread> pool;
  unsigned started = 0;
  try {
    pool.reserve(threads - 1);
    for (; started + 1 < threads; ++started) pool.emplace_back(guarded, started);
  } catch (...) {
    // Fewer threads than asked for; the rest run below.
  }
  for (unsigned t = started; t < threads; ++t) guarded(t);
  for (std::thread &th : pool) th.join();
  return !failed.load();
}

}  // namespace geomex

#endif  // CORE_RUN_PARTS_H
