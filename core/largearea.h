// A hint for result areas of hundreds of megabytes.
//
// Writing fresh memory for the first time costs a page fault per page, and
// on virtual machines each fault costs microseconds: for a 9999 x 9999
// covariance that is most of the reader's time.  Where the system offers
// transparent huge pages on request, asking for them turns 512 faults into
// one.  The contents and the results are the same either way.
#ifndef CORE_LARGEAREA_H
#define CORE_LARGEAREA_H

#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace geomex {

inline void adviseLargeArea(void *data, std::size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  if (bytes < 4 * kHuge) return;
  // Only whole huge pages inside the area can be backed by huge pages.
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace geomex

#endif  // CORE_LARGEAREA_H
