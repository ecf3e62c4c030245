// Reading the data lines of SOLUTION/MATRIX_ESTIMATE: a pipeline of one
// reading thread and converting threads for blocks in the order programs
// write them, and a line-by-line reader for everything else and for
// wording faults.
#include "sinex/matrix_block.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "core/sections.h"
#include "sinex/sinex_records.h"

namespace geomex {

namespace {

// Bytes handed to a converting thread at a time: about 13000 lines, many
// more than it takes to start and hand over, few enough that a 2-core
// machine keeps both cores busy on a block of a few megabytes.
constexpr std::size_t kPiece = std::size_t{1} << 20;
constexpr const char *kBlock = "SOLUTION/MATRIX_ESTIMATE";

// What is wrong with the elements of a line that converted.
enum class Placement { kInside, kRowOutside, kColumnOutside, kOffTriangle };

Placement place(const SinexMatrixLine &line, const MatrixLayout &L, int32_t &column) {
  if (line.row < 1 || line.row > L.P) return Placement::kRowOutside;
  column = line.column;
  if (line.column < 1 || line.column > L.P) return Placement::kColumnOutside;
  for (int k = 0; k < line.count; ++k) {
    column = line.column + k;
    if (column > L.P) return Placement::kColumnOutside;
    if (column < L.rowFirst(line.row) || column > L.rowLast(line.row))
      return Placement::kOffTriangle;
  }
  return Placement::kInside;
}

void store(const SinexMatrixLine &line, const MatrixLayout &L, double *m,
           DiagonalMarks *diagonal) {
  // One to three stores, written out: a library copy call per line costs
  // more than the stores themselves.
  double *at = m + L.at(line.row, line.column);
  switch (line.count) {
    case 3:
      at[2] = line.value[2];
      [[fallthrough]];
    case 2:
      at[1] = line.value[1];
      [[fallthrough]];
    case 1:
      at[0] = line.value[0];
      break;
    default:
      break;
  }
  const int32_t d = line.row - line.column;
  if (d >= 0 && d < line.count) diagonal[line.row - 1].store(1, std::memory_order_relaxed);
}

bool isDataStart(char c) { return c == ' ' || c == '*' || c == '\n' || c == '\r'; }

// The first and last element a piece wrote, in file order.
struct PieceKeys {
  bool ok = true, any = false;
  int32_t firstRow = 0, firstCol = 0, lastRow = 0, lastCol = 0;
};

// Converts the whole lines of one piece; fails at anything the in-order
// reader would have to word, or an element not after the one before it.
PieceKeys convertPiece(const char *text, std::size_t size, const MatrixLayout &L, double *m,
                       DiagonalMarks *diagonal) {
  PieceKeys k;
  const char *p = text, *end = text + size;
  while (p < end) {
    const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const char *next = nl ? nl + 1 : end;
    std::size_t len = static_cast<std::size_t>((nl ? nl : end) - p);
    if (len > 0 && p[len - 1] == '\r') --len;
    if (len == 0 || p[0] == '*') {
      p = next;
      continue;
    }
    SinexMatrixLine line;
    FieldFault fault;
    int32_t column;
    if (!readSinexMatrixLine(p, len, line, fault) || place(line, L, column) != Placement::kInside) {
      k.ok = false;
      return k;
    }
    if (line.count > 0) {
      if (k.any) {
        if (line.row < k.lastRow || (line.row == k.lastRow && line.column <= k.lastCol)) {
          k.ok = false;
          return k;
        }
        zeroBetween(m, L, k.lastRow, k.lastCol, line.row, line.column);
      } else {
        k.any = true;
        k.firstRow = line.row;
        k.firstCol = line.column;
      }
      store(line, L, m, diagonal);
      k.lastRow = line.row;
      k.lastCol = line.column + line.count - 1;
    }
    p = next;
  }
  return k;
}

// The pieces between the reading thread and the converting ones.
struct Pipeline {
  std::mutex mu;
  std::condition_variable cv;
  std::vector<std::unique_ptr<char[]>> buffers;
  std::vector<char *> free;
  struct Job {
    std::size_t index;
    char *data;
    std::size_t size;
  };
  std::deque<Job> ready;
  std::vector<PieceKeys> keys;
  bool closed = false;
  bool failed = false;

  // Converts one piece and gives its buffer back (called without the lock).
  void convert(const Job &job, const MatrixLayout &L, double *m, DiagonalMarks *diagonal,
               bool skip) {
    PieceKeys k;
    if (skip)
      k.ok = false;
    else
      k = convertPiece(job.data, job.size, L, m, diagonal);
    std::lock_guard<std::mutex> lock(mu);
    keys[job.index] = k;
    failed = failed || !k.ok;
    free.push_back(job.data);
    cv.notify_all();
  }

  void work(const MatrixLayout &L, double *m, DiagonalMarks *diagonal) {
    for (;;) {
      std::unique_lock<std::mutex> lock(mu);
      cv.wait(lock, [&] { return !ready.empty() || closed; });
      if (ready.empty()) return;
      const Job job = ready.front();
      ready.pop_front();
      const bool skip = failed;
      lock.unlock();
      convert(job, L, m, diagonal, skip);
    }
  }

  // A free buffer for the reading thread, which converts waiting pieces
  // itself meanwhile (so that it is never idle); null once a piece failed.
  char *take(const MatrixLayout &L, double *m, DiagonalMarks *diagonal, std::size_t index) {
    std::unique_lock<std::mutex> lock(mu);
    for (;;) {
      if (failed) return nullptr;
      if (!free.empty()) {
        char *buf = free.back();
        free.pop_back();
        keys.resize(index + 1);
        return buf;
      }
      if (!ready.empty()) {
        const Job job = ready.front();
        ready.pop_front();
        lock.unlock();
        convert(job, L, m, diagonal, false);
        lock.lock();
        continue;
      }
      cv.wait(lock);
    }
  }

  // Converts what is still waiting, alongside the converting threads.
  void drain(const MatrixLayout &L, double *m, DiagonalMarks *diagonal) {
    std::unique_lock<std::mutex> lock(mu);
    while (!ready.empty()) {
      const Job job = ready.front();
      ready.pop_front();
      const bool skip = failed;
      lock.unlock();
      convert(job, L, m, diagonal, skip);
      lock.lock();
    }
  }
};

// Joins the converting threads however the reading one leaves.
struct Workers {
  Pipeline &pipe;
  std::vector<std::thread> threads;
  ~Workers() {
    {
      std::lock_guard<std::mutex> lock(pipe.mu);
      pipe.closed = true;
    }
    pipe.cv.notify_all();
    for (std::thread &t : threads) t.join();
  }
};

}  // namespace

void zeroBetween(double *m, const MatrixLayout &L, int32_t r1, int32_t c1, int32_t r2,
                 int32_t c2) {
  auto clear = [&](int32_t row, int32_t from, int32_t to) {  // columns from..to of a row
    if (from <= to) std::fill(m + L.at(row, from), m + L.at(row, to) + 1, 0.0);
  };
  if (r1 == r2) {
    clear(r1, c1 + 1, c2 - 1);
    return;
  }
  if (r1 >= 1) clear(r1, std::max(c1 + 1, L.rowFirst(r1)), L.rowLast(r1));
  for (int32_t r = r1 + 1; r < r2 && r <= L.P; ++r) clear(r, L.rowFirst(r), L.rowLast(r));
  if (r2 <= L.P) clear(r2, L.rowFirst(r2), c2 - 1);
}

bool readMatrixInParallel(ByteSource &source, uint64_t offset, const MatrixLayout &L, double *m,
                          DiagonalMarks *diagonal, unsigned threads, uint64_t &end,
                          long &lines) {
  Pipeline pipe;
  const unsigned converters = threads > 1 ? threads - 1 : 0;
  try {
    for (unsigned b = 0; b < converters + 2; ++b) {
      pipe.buffers.emplace_back(new char[kPiece]);
      pipe.free.push_back(pipe.buffers.back().get());
    }
  } catch (const std::bad_alloc &) {
    return false;  // read in order instead
  }
  std::string carry;  // the start of a line the last piece cut
  bool closedFound = false, ok = true;
  {
    Workers workers{pipe, {}};
    try {
      for (unsigned t = 0; t < converters; ++t)
        workers.threads.emplace_back([&] { pipe.work(L, m, diagonal); });
    } catch (...) {
      // Fewer threads; with none, the reading thread converts too.
    }
    const bool inline_ = workers.threads.empty();
    uint64_t bufStart = offset, next = offset;
    long count = 0;
    try {
      for (std::size_t index = 0; !closedFound; ++index) {
        char *buf = pipe.take(L, m, diagonal, index);
        if (!buf) {
          ok = false;
          break;
        }
        std::memcpy(buf, carry.data(), carry.size());
        const long long got = source.readAt(next, buf + carry.size(), kPiece - carry.size());
        if (got < 0) {
          ok = false;
          break;
        }
        next += static_cast<uint64_t>(got);
        const std::size_t n = carry.size() + static_cast<std::size_t>(got);
        // Whole lines up to the first that is not a data line.
        const char *p = buf, *e = buf + n;
        while (p < e) {
          if (!isDataStart(*p)) {
            closedFound = true;
            break;
          }
          const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(e - p)));
          if (!nl) break;
          ++count;
          p = nl + 1;
        }
        const std::size_t size = static_cast<std::size_t>(p - buf);
        if (!closedFound && (got == 0 || size == 0)) {
          ok = false;  // the file ends inside the block, or a line longer than a piece
          break;
        }
        if (!closedFound) carry.assign(p, static_cast<std::size_t>(e - p));
        const Pipeline::Job job{index, buf, size};
        if (inline_) {
          pipe.convert(job, L, m, diagonal, false);
        } else {
          std::lock_guard<std::mutex> lock(pipe.mu);
          pipe.ready.push_back(job);
          pipe.cv.notify_all();
        }
        bufStart += size;
      }
    } catch (const std::bad_alloc &) {
      ok = false;
    }
    end = bufStart;
    lines = count;
    if (ok) pipe.drain(L, m, diagonal);
  }  // the converting threads finish and are joined here
  if (!ok || pipe.failed) return false;

  // The pieces one after another: each must start after the last one
  // ended; the elements between them, and before the first and after the
  // last, are 0.
  int32_t row = 1, col = 0;
  for (const PieceKeys &k : pipe.keys) {
    if (!k.ok) return false;
    if (!k.any) continue;
    if (k.firstRow < row || (k.firstRow == row && k.firstCol <= col)) return false;
    zeroBetween(m, L, row, col, k.firstRow, k.firstCol);
    row = k.lastRow;
    col = k.lastCol;
  }
  zeroBetween(m, L, row, col, L.P + 1, L.rowFirst(L.P + 1));
  return true;
}

MatrixRead readMatrixInOrder(LineStream &lines, const MatrixLayout &L, double *m,
                             DiagonalMarks *diagonal, const std::string &name, Line &closing,
                             const char *&id, std::string &message) {
  zeroBetween(m, L, 1, 0, L.P + 1, L.rowFirst(L.P + 1));
  for (int32_t k = 0; k < L.P; ++k) diagonal[k].store(0, std::memory_order_relaxed);
  Line line;
  while (lines.next(line)) {
    if (line.length == 0 || line.text[0] == '*') continue;
    if (line.text[0] != ' ') {
      closing = line;
      return MatrixRead::kClosed;
    }
    SinexMatrixLine values;
    FieldFault field;
    if (!readSinexMatrixLine(line.text, line.length, values, field)) {
      RecordFault fault;
      describeBadField(line, kBlock, field, fault);
      char text[1024];
      formatFault(fault, name.c_str(), text, sizeof text);
      id = sinex_id::kFormat;
      message = text;
      return MatrixRead::kFault;
    }
    int32_t column = 0;
    const Placement where = place(values, L, column);
    if (where != Placement::kInside) {
      const std::string at = "file '" + name + "', line " + std::to_string(line.number) + ": ";
      id = sinex_id::kIndex;
      if (where == Placement::kRowOutside)
        message = at + "matrix row index " + std::to_string(values.row) + " is outside 1 to " +
                  std::to_string(L.P);
      else if (where == Placement::kColumnOutside)
        message = at + "matrix column index " + std::to_string(column) + " is outside 1 to " +
                  std::to_string(L.P);
      else
        message = at + "matrix element (" + std::to_string(values.row) + ", " +
                  std::to_string(column) + ") is outside the " + (L.lower ? "lower (L)" : "upper (U)") +
                  " triangle the block declares";
      return MatrixRead::kFault;
    }
    store(values, L, m, diagonal);
  }
  return MatrixRead::kEnded;
}

}  // namespace geomex
