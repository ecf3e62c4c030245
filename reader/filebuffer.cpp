#include "filebuffer.h"

#include <cstdio>
#include <cstdlib>

namespace {

char *gBuffer = nullptr;
std::size_t gCapacity = 0;

// A buffer grown for an unusually large file is given back afterwards,
// rather than held for the rest of the host session.
constexpr std::size_t kKeepCapacity = std::size_t{16} << 20;
constexpr std::size_t kFirstCapacity = std::size_t{1} << 20;

bool grow(std::size_t wanted) {
  std::size_t cap = gCapacity ? gCapacity : kFirstCapacity;
  while (cap < wanted) cap *= 2;
  char *p = static_cast<char *>(std::realloc(gBuffer, cap));
  if (!p) return false;
  gBuffer = p;
  gCapacity = cap;
  return true;
}

void trimBuffer() {
  if (gCapacity > kKeepCapacity) {
    std::free(gBuffer);
    gBuffer = nullptr;
    gCapacity = 0;
  }
}

}  // namespace

bool loadFile(const char *path, FileContents &out) noexcept {
  trimBuffer();
  std::FILE *f = std::fopen(path, "rb");
  if (!f) return false;

  // The size is a hint only: pipes and special files have none.
  std::size_t hint = 0;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long end = std::ftell(f);
    if (end > 0) hint = static_cast<std::size_t>(end);
    std::rewind(f);
  }

  std::size_t size = 0;
  bool ok = grow(hint + 1);
  while (ok) {
    size += std::fread(gBuffer + size, 1, gCapacity - size, f);
    if (size < gCapacity) {
      ok = !std::ferror(f);  // a directory opens but fails to read
      break;
    }
    ok = grow(gCapacity + 1);
  }
  std::fclose(f);
  if (!ok) return false;
  out = FileContents{gBuffer, size};
  return true;
}
