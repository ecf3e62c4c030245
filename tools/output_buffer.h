// Output collected in large blocks before it is handed to stdio: the
// generators write hundreds of millions of short records, built in place.
#ifndef TOOLS_OUTPUT_BUFFER_H
#define TOOLS_OUTPUT_BUFFER_H

#include <cstddef>
#include <cstdio>
#include <vector>

namespace gensol {

class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE *f) : f_(f), data_(kSize) {}
  // Room for at least n more characters (n well below the buffer's size).
  char *reserve(std::size_t n) {
    if (used_ + n > data_.size()) flush();
    return data_.data() + used_;
  }
  void commit(std::size_t n) { used_ += n; }
  // Hands everything collected to stdio; false once any write failed.
  bool flush() {
    ok_ = ok_ && std::fwrite(data_.data(), 1, used_, f_) == used_;
    used_ = 0;
    return ok_;
  }

 private:
  static constexpr std::size_t kSize = std::size_t{1} << 22;
  std::FILE *f_;
  std::vector<char> data_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace gensol

#endif  // TOOLS_OUTPUT_BUFFER_H
