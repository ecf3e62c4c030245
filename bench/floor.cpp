// The floor of the reader benchmarks: how long it takes just to read a file
// from the page cache into a buffer and look at every byte once, one at a
// time.  For reference it also times the same with a sixteen-byte line
// count, after read(2) and through mmap(2): memory bandwidth alone.
//
//   bench_floor FILE [CALLS] [BATCHES]
//
// After a warm-up read that brings the file into the page cache, runs
// BATCHES batches of CALLS reads (defaults 200 and 15) of each kind, the two
// kinds alternating, and prints the time of one read in seconds in the
// fastest batch (the one least disturbed by other work on the machine):
//   floor_s <t> read_s <wide count after read> mmap_s <wide count, mapped>
//   lines <n> bytes <size>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/floor_read.h"

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [CALLS] [BATCHES]\n", argv[0]);
    return 2;
  }
  const char *path = argv[1];
  const int calls = argc > 2 ? std::atoi(argv[2]) : 200;
  const int batches = argc > 3 ? std::atoi(argv[3]) : 15;
  if (calls < 1 || batches < 1) {
    std::fprintf(stderr, "%s: CALLS and BATCHES must be positive\n", argv[0]);
    return 2;
  }

  std::vector<char> buf;
  const long lines = readAndTouch(path, buf);
  if (lines < 0) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], path);
    return 1;
  }

  // The fast line count is checked once against the obvious one.
  if (lines != std::count(buf.begin(), buf.end(), '\n')) {
    std::fprintf(stderr, "%s: the line count is wrong\n", argv[0]);
    return 1;
  }

  using clock = std::chrono::steady_clock;
  std::vector<double> floor, viaRead, viaMap;
  long check = 0;
  for (int b = 0; b < batches; ++b) {
    auto t0 = clock::now();
    for (int c = 0; c < calls; ++c) check += readAndTouch(path, buf);
    std::chrono::duration<double> dt = clock::now() - t0;
    floor.push_back(dt.count() / calls);
    t0 = clock::now();
    for (int c = 0; c < calls; ++c) check += readAndTouch(path, buf, true);
    dt = clock::now() - t0;
    viaRead.push_back(dt.count() / calls);
    t0 = clock::now();
    for (int c = 0; c < calls; ++c) check += mapAndTouch(path);
    dt = clock::now() - t0;
    viaMap.push_back(dt.count() / calls);
  }
  // The line count of every read is used, so no read can be left out.
  if (check != 3 * lines * static_cast<long>(calls) * batches) {
    std::fprintf(stderr, "%s: the file changed while it was read\n", argv[0]);
    return 1;
  }
  const double f = *std::min_element(floor.begin(), floor.end());
  const double r = *std::min_element(viaRead.begin(), viaRead.end());
  const double m = *std::min_element(viaMap.begin(), viaMap.end());
  std::printf("floor_s %.9g read_s %.9g mmap_s %.9g lines %ld bytes %zu\n", f, r, m, lines,
              buf.size());
  return 0;
}
