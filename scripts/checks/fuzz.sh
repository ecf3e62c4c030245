#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) in build-fuzz/ and runs
# each for a bounded time.  A crash, a sanitizer report or a broken property
# fails the check; the input that did it is kept in build-fuzz/artifacts/.
#
#   bash scripts/checks/fuzz.sh                  (scripts/test.sh runs it too)
#   FUZZ_SECONDS=600 bash scripts/checks/fuzz.sh (or scripts/fuzz-long.sh)
#   FUZZ_TARGETS="tosqum brisol" bash scripts/checks/fuzz.sh
#
# Seeds: fuzz/corpus/<target>/ and, for the reader, examples/*.sol.  What the
# fuzzers find worth keeping goes to build-fuzz/corpus/<target>/, which later
# runs on the same machine start from.  Installs clang and its runtimes
# (Debian 12) when they are missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${FUZZ_BUILD_DIR:-${BUILD_DIR:-$root/build}-fuzz}"
seconds="${FUZZ_SECONDS:-50}"
targets="${FUZZ_TARGETS:-fields records tosqum velsol brisol sinex}"
parallel="${FUZZ_JOBS:-$(nproc)}"
say() { printf '==> fuzz: %s\n' "$*"; }

probe_dir="$(mktemp -d)"
trap 'rm -rf "$probe_dir"' EXIT
can_fuzz() {
  command -v clang++ >/dev/null 2>&1 || return 1
  cat >"$probe_dir/p.cpp" <<'EOF'
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *, size_t) { return 0; }
EOF
  clang++ -fsanitize=fuzzer,address,undefined "$probe_dir/p.cpp" -o "$probe_dir/p" >/dev/null 2>&1 &&
    "$probe_dir/p" -runs=1 >/dev/null 2>&1
}
if ! can_fuzz || ! command -v cmake >/dev/null 2>&1; then
  say "installing clang, its fuzzer and sanitizer runtimes, cmake"
  . "$root/scripts/lib/packages.sh"
  install_packages clang libclang-rt-14-dev cmake make
  can_fuzz || { say "clang still cannot build a fuzz target"; exit 1; }
fi

say "configuring $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DGEOMEX_FUZZ=ON -DBUILD_TESTING=OFF -DWITH_MATLAB=OFF \
  >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
say "building the fuzz targets"
cmake --build "$build" --target fuzzers -j "$parallel" >"$build.build.log" 2>&1 ||
  { tail -50 "$build.build.log"; exit 1; }

export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"

# Runs one target; its output goes to $build/logs/<target>.log.
run_target() {
  local t="$1"
  local exe="$build/fuzz/fuzz_$t" work="$build/corpus/$t" seeds="$build/seeds/$t"
  mkdir -p "$work" "$seeds" "$build/artifacts" "$build/logs"
  if [ "$t" = tosqum ] || [ "$t" = velsol ]; then
    for f in "$root"/examples/*.sol; do [ -f "$f" ] && cp "$f" "$seeds/"; done
  fi
  local extra=()
  # Both readers take whole files: readvelsol's core starts from the
  # legacy reader's seeds and dictionary.
  local seed_corpus="$root/fuzz/corpus/$t" dict="$root/fuzz/$t.dict"
  if [ "$t" = velsol ]; then
    seed_corpus="$root/fuzz/corpus/tosqum"
    dict="$root/fuzz/tosqum.dict"
  fi
  [ -f "$dict" ] && extra+=("-dict=$dict")
  "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$t-" "${extra[@]}" \
    "$work" "$seed_corpus" "$seeds" >"$build/logs/$t.log" 2>&1
}

say "running each target for ${seconds}s (${parallel} at a time): $targets"
declare -A pids=()
failed=()
for t in $targets; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  run_target "$t" &
  pids[$t]=$!
done
for t in $targets; do
  if wait "${pids[$t]}"; then
    runs="$(grep -E '^stat::number_of_executed_units' "$build/logs/$t.log" | awk '{print $2}' || true)"
    say "$t: no failure in ${runs:-?} runs"
  else
    failed+=("$t")
    say "$t: FAILED"
    grep -E 'property failed|^  |ERROR:|runtime error:|SUMMARY:|Test unit written|artifact_prefix' \
      "$build/logs/$t.log" | head -30 || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  say "failures in: ${failed[*]}; inputs in $build/artifacts/, logs in $build/logs/"
  say "reproduce with: $build/fuzz/fuzz_<target> <input file>"
  exit 1
fi
say "all targets ran ${seconds}s without a failure"
