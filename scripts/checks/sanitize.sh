#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang) in build-asan/ and runs them.  Any report fails the check: UBSan
# does not recover, ASan stops at the first error, LeakSanitizer runs at exit.
#
#   bash scripts/checks/sanitize.sh          (scripts/test.sh runs it too)
#
# Installs clang and its sanitizer runtimes (Debian 12) when they are missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${ASAN_BUILD_DIR:-${BUILD_DIR:-$root/build}-asan}"
jobs="${JOBS:-$(nproc)}"
say() { printf '==> sanitize: %s\n' "$*"; }

# A toolchain that can build and run a sanitized program?
probe_dir="$(mktemp -d)"
trap 'rm -rf "$probe_dir"' EXIT
can_sanitize() {
  command -v clang++ >/dev/null 2>&1 || return 1
  printf 'int main() { return 0; }\n' >"$probe_dir/p.cpp"
  clang++ -fsanitize=address,undefined "$probe_dir/p.cpp" -o "$probe_dir/p" >/dev/null 2>&1 &&
    "$probe_dir/p"
}
if ! can_sanitize || ! command -v cmake >/dev/null 2>&1 || [ ! -f /usr/include/gtest/gtest.h ]; then
  say "installing clang, its sanitizer runtimes, cmake and googletest"
  . "$root/scripts/lib/packages.sh"
  install_packages clang libclang-rt-14-dev cmake make libgtest-dev
  can_sanitize || { say "clang still cannot build a sanitized program"; exit 1; }
fi

flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
say "configuring $build (clang, $flags)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DWITH_MATLAB=OFF -DGEOMEX_FUZZ=OFF >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }

say "building the unit tests and the modules"
targets=(unit_tests)
host_tests="${SANITIZE_OCTAVE_TESTS:-test_bad_input test_soak test_tosqumg test_brisol test_readvelsol test_velsol2enu test_readsinex}"
if command -v octave-cli >/dev/null 2>&1 && command -v mkoctfile >/dev/null 2>&1; then
  targets+=(brisol tosqumg readvelsol readvelsol_mexgate readsinex readsinex_mexgate enurotate enurotate_mexgate toolbox_m gensol gensnx)
else
  say "octave-cli or mkoctfile missing: the modules are not checked in Octave"
  host_tests=""
fi
cmake --build "$build" --target "${targets[@]}" -j "$jobs" >"$build.build.log" 2>&1 ||
  { tail -50 "$build.build.log"; exit 1; }

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:detect_invalid_pointer_pairs=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
report='ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|SUMMARY: (Address|Undefined|Leak)'
failures=0

# Fails when the command failed or its output holds a sanitizer report (a
# report must fail the check even if it did not end the program).
judge() {  # name log status
  if [ "$3" -ne 0 ] || grep -qE "$report" "$2"; then
    say "$1: FAILED (exit status $3); full output in $2"
    grep -E "FAILED|!!!!!|$report" "$2" | head -20 || true
    tail -40 "$2"
    failures=$((failures + 1))
  else
    say "$1: no failure, no sanitizer report"
  fi
}

say "running the unit tests under the sanitizers"
log="$build/unit_tests.sanitize.log"
status=0
(cd "$build" && ./tests/unit_tests --gtest_color=no) >"$log" 2>&1 || status=$?
judge "unit tests ($(grep -E '^\[  PASSED  \]|^\[  FAILED  \]' "$log" | head -1))" "$log" "$status"

# The instrumented modules in the real host: octave-cli with the ASan
# runtime preloaded (the modules take it from the process).  Octave's own
# allocations at exit are no concern of ours: no leak check there.
if [ -n "$host_tests" ]; then
  runtime="$(clang++ -print-file-name=libclang_rt.asan-x86_64.so)"
  for t in $host_tests; do
    log="$build/$t.sanitize.log"
    status=0
    env LD_PRELOAD="$runtime" ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" GEOMEX_SANITIZED=1 \
      octave-cli --no-history --no-init-file --no-window-system \
      "$root/tests/octave/run_one.m" "$build/mex" "$root/tests/octave/$t.m" "$root" \
      >"$log" 2>&1 || status=$?
    judge "Octave $t ($(grep -E 'passed, [0-9]+ failed' "$log" | tail -1))" "$log" "$status"
  done
fi

if [ "$failures" -gt 0 ]; then
  say "FAILED: $failures run(s) failed or reported"
  exit 1
fi
say "all runs clean"
