#!/usr/bin/env bash
# The second compiler: builds the unit tests with Debian's clang++ in
# <build>-clang/ (warnings are errors, the flags of cmake/sources.mk) and runs
# them, so that the numeric routines give the same results under Clang as
# under GCC.  Only the unit tests are built, to keep the check quick.
#
#   bash scripts/checks/clang.sh          (scripts/test.sh runs it too)
#
# <build> is $BUILD_DIR, or build/ by default; CLANG_BUILD_DIR overrides the
# whole folder.  Installs clang (Debian 12) when it is missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${CLANG_BUILD_DIR:-${BUILD_DIR:-$root/build}-clang}"
jobs="${JOBS:-$(nproc)}"
say() { printf '==> clang: %s\n' "$*"; }

if ! command -v clang++ >/dev/null 2>&1 || ! command -v cmake >/dev/null 2>&1 ||
   [ ! -f /usr/include/gtest/gtest.h ]; then
  say "installing clang, cmake and googletest"
  . "$root/scripts/lib/packages.sh"
  install_packages clang cmake make libgtest-dev
fi
say "$(clang++ --version | head -n 1)"

say "configuring $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER=clang++ -DGEOMEX_WERROR=ON \
  -DWITH_MATLAB=OFF -DGEOMEX_FUZZ=OFF >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }

say "building the unit tests"
cmake --build "$build" --target unit_tests -j "$jobs" >"$build.build.log" 2>&1 ||
  { tail -50 "$build.build.log"; exit 1; }

say "running the unit tests"
log="$build/unit_tests.clang.log"
status=0
(cd "$build" && ./tests/unit_tests --gtest_color=no) >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  grep -E '^\[  FAILED  \]' "$log" | head -20 || true
  tail -20 "$log"
  say "FAILED (exit status $status); full output in $log"
  exit 1
fi
say "$(grep -E '^\[  PASSED  \]' "$log" | head -n 1)"
