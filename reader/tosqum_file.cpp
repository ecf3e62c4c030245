// The legacy command's way from a file-name field to an assembled solution:
// take the name out of its blank-padded field, load the file, assemble.
#include <cstdio>
#include <cstring>

#include "fileload.h"
#include "tosqum.h"

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

  FileContents file;
  switch (loadFile(path, file)) {
    case LoadResult::kLoaded:
      break;
    case LoadResult::kNotOpened:
    case LoadResult::kNotRegular:
    case LoadResult::kOutOfMemory:
    case LoadResult::kReadError:
      // The legacy command has one line for every way a file fails to open.
      say(" ** Error in opening file ** ");
      return TosqumStatus{true, {}};
    case LoadResult::kTooLarge: {
      TosqumStatus s{false, {}};
      std::snprintf(s.message, sizeof s.message,
                    "file '%s' is larger than %zu bytes: not a velocity solution", path,
                    static_cast<std::size_t>(kMaxFileSize));
      return s;
    }
  }
  return tosqumText(file.data, file.size, path, vel, outcov, nvec, llh, say);
}

}  // namespace geomex
