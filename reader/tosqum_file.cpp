// The legacy command's way from a file-name field to an assembled solution:
// take the name out of its blank-padded field, open the file, assemble.
#include <cstdio>
#include <cstring>

#include "core/bytesource.h"
#include "core/linestream.h"
#include "reader/tosqum.h"

namespace geomex {

namespace {

// The name is the field without its trailing blanks and NULs, in any mix:
// a host that copies a shorter name leaves its terminating NUL inside the
// field, possibly with blanks after it.  A NUL before the last other
// character stays and ends the C name there (the gateway refuses such names).
void trimFileName(const char *field, char (&path)[kFileNameField + 1]) {
  int len = kFileNameField;
  while (len > 0 && (field[len - 1] == ' ' || field[len - 1] == '\0')) --len;
  std::memcpy(path, field, len);
  path[len] = '\0';
}

}  // namespace

TosqumStatus tosqum(const char *fname, double *vel, double *outcov, double *nvec, double *llh,
                    LineSink say) noexcept {
  char path[kFileNameField + 1];
  trimFileName(fname, path);

  FileSource source;
  switch (source.open(path, nullptr)) {
    case OpenResult::kOpened:
      break;
    case OpenResult::kNotOpened:
    case OpenResult::kNotRegular:
    case OpenResult::kReadError:
      // The legacy command has one line for every way a file fails to open.
      say(" ** Error in opening file ** ");
      return TosqumStatus{true, {}};
  }
  if (source.size() > kMaxFileSize) {
    TosqumStatus s{false, {}};
    std::snprintf(s.message, sizeof s.message,
                  "file '%s' is larger than %zu bytes: not a velocity solution", path,
                  static_cast<std::size_t>(kMaxFileSize));
    return s;
  }
  // The records are read through this buffer, kept from call to call (the
  // command reads small files over and over); only the records the header
  // asks for are read, so a pseudo-file that claims no size but never ends
  // (/proc/self/pagemap) costs one block.
  static char buffer[LineStream::kBlock + LineStream::kMaxKeptLine];
  return tosqumSource(source, path, buffer, sizeof buffer, vel, outcov, nvec, llh, say);
}

}  // namespace geomex
