// Benchmarks of the reading routine without a host, next to the floor (the
// bare read of the same file) and the ellipse routine next to a plain strided
// copy of the matrix diagonal.
//
//   bench_reader [benchmark flags] FILE...
//
// For each solution FILE (labelled by its station count) it registers
//   floor_read/stations:N  read the file from the page cache, touch each byte
//   floor_mmap/stations:N  the same through a mapping of the file
//   tosqum/stations:N      the reading routine on the file
//   tosqumText/stations:N  the same on the file already in memory
// and, once, brisol and a diagonal copy on an 8000 x 8000 matrix.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ellipse/brisol.h"
#include "bench/floor_read.h"
#include "reader/tosqum.h"

using namespace geomex;

namespace {

// Result areas of the fixed shapes the gateway creates.  They are zeroed
// once: the routine only writes, so stale contents cost it nothing.
struct Results {
  std::vector<double> vel = std::vector<double>(kVelRows * kVelCols);
  std::vector<double> outcov = std::vector<double>(kOutcovDim * kOutcovDim);
  double nvec = 0;
  std::vector<double> llh = std::vector<double>(kLlhRows * kLlhCols);
};

long gLines = 0;
void countLine(const char *) { ++gLines; }

// The blank-padded name field the gateway hands over.
std::string nameField(const std::string &path) {
  std::string f = path;
  f.resize(kFileNameField, ' ');
  return f;
}

std::vector<char> slurp(const std::string &path) {
  std::vector<char> buf;
  if (readAndTouch(path.c_str(), buf) < 0) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(1);
  }
  return buf;
}

int stationCount(const std::vector<char> &text) {
  // Header: (X,I4,...) -> n in columns 2-5, stations = n / 3.
  if (text.size() < 5) return 0;
  return std::atoi(std::string(text.data() + 1, 4).c_str()) / 3;
}

void failIfBad(benchmark::State &state, const TosqumStatus &s) {
  if (!s.ok) state.SkipWithError(s.message);
}

void BM_FloorRead(benchmark::State &state, std::string path) {
  std::vector<char> buf;
  for (auto _ : state) benchmark::DoNotOptimize(readAndTouch(path.c_str(), buf));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(buf.size()));
}

void BM_FloorMap(benchmark::State &state, std::string path) {
  const std::size_t bytes = slurp(path).size();
  for (auto _ : state) benchmark::DoNotOptimize(mapAndTouch(path.c_str()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void BM_Tosqum(benchmark::State &state, std::string path) {
  Results r;
  const std::string field = nameField(path);
  const std::size_t bytes = slurp(path).size();
  for (auto _ : state) {
    const TosqumStatus s =
        tosqum(field.c_str(), r.vel.data(), r.outcov.data(), &r.nvec, r.llh.data(), countLine);
    failIfBad(state, s);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void BM_TosqumText(benchmark::State &state, std::string path) {
  Results r;
  const std::vector<char> text = slurp(path);
  for (auto _ : state) {
    const TosqumStatus s = tosqumText(text.data(), text.size(), path.c_str(), r.vel.data(),
                                      r.outcov.data(), &r.nvec, r.llh.data(), countLine);
    failIfBad(state, s);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// An 8000 x 8000 covariance whose 2 x 2 diagonal blocks are realistic;
// the rest is never read by either benchmark and stays zero.
constexpr int kEllipseDim = 8000;
std::vector<double> &ellipseMatrix() {
  static std::vector<double> m = [] {
    std::vector<double> c(static_cast<std::size_t>(kEllipseDim) * kEllipseDim);
    for (int q = 0; q + 1 < kEllipseDim; q += 2) {
      const double s11 = 1e-6 * (1 + q % 7), s22 = 2e-6 * (1 + q % 5);
      const double s21 = 0.3 * std::sqrt(s11 * s22) * ((q / 2) % 3 - 1);
      c[q + static_cast<std::size_t>(q) * kEllipseDim] = s11;
      c[q + 1 + static_cast<std::size_t>(q + 1) * kEllipseDim] = s22;
      c[q + 1 + static_cast<std::size_t>(q) * kEllipseDim] = s21;
      c[q + static_cast<std::size_t>(q + 1) * kEllipseDim] = s21;
    }
    return c;
  }();
  return m;
}

void BM_Brisol(benchmark::State &state) {
  const std::vector<double> &c = ellipseMatrix();
  const int k = kEllipseDim / 2;
  std::vector<double> smaj(k), smin(k), azim(k);
  for (auto _ : state) {
    brisol(c.data(), kEllipseDim, kEllipseDim, smaj.data(), smin.data(), azim.data());
    benchmark::ClobberMemory();
  }
}

// What diag() does: one strided read per row.
void BM_Diagonal(benchmark::State &state) {
  const std::vector<double> &c = ellipseMatrix();
  std::vector<double> d(kEllipseDim);
  for (auto _ : state) {
    for (int i = 0; i < kEllipseDim; ++i) d[i] = c[i + static_cast<std::size_t>(i) * kEllipseDim];
    benchmark::ClobberMemory();
  }
}

// The fastest repetition, as scripts/bench.sh reports every time: the one
// least disturbed by other work on the machine.
double fastest(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  std::vector<benchmark::internal::Benchmark *> registered;
  for (int i = 1; i < argc; ++i) {
    const std::string path = argv[i];
    const std::string label = "/stations:" + std::to_string(stationCount(slurp(path)));
    registered.push_back(
        benchmark::RegisterBenchmark(("floor_read" + label).c_str(), BM_FloorRead, path));
    registered.push_back(
        benchmark::RegisterBenchmark(("floor_mmap" + label).c_str(), BM_FloorMap, path));
    registered.push_back(benchmark::RegisterBenchmark(("tosqum" + label).c_str(), BM_Tosqum, path));
    registered.push_back(
        benchmark::RegisterBenchmark(("tosqumText" + label).c_str(), BM_TosqumText, path));
  }
  registered.push_back(benchmark::RegisterBenchmark("brisol/8000", BM_Brisol));
  registered.push_back(benchmark::RegisterBenchmark("diagonal/8000", BM_Diagonal));
  for (benchmark::internal::Benchmark *b : registered) b->ComputeStatistics("min", fastest);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
