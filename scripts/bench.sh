#!/usr/bin/env bash
# Measures the reader and the ellipse module against their floors and prints
# one table (docs/performance.md explains it):
#
#   bash scripts/bench.sh
#
# Installs and builds what is missing first (scripts/setup.sh; BUILD_DIR
# chooses the build folder).  Writes solution files of 10, 25, 50 and 99
# stations with tools/gensol (GEOMEX_BENCH_STATIONS overrides the list; the
# largest is the one of the main table; the reference station sits in the
# middle) into a temporary folder, then times in one run:
#   - the floor: reading the file from the page cache into a buffer and
#     looking at every byte once, one at a time (and, for reference, the
#     memory bandwidth: the same count sixteen bytes a step);
#   - tosqum, the reading routine alone (Google Benchmark), on the file and
#     on the file already in memory;
#   - tosqumg called in octave-cli, over batches of calls, start-up excluded;
#   - bench/tosqumg_octave.m, the same reading in plain Octave code, after
#     checking that it returns what tosqumg returns;
#   - brisol on an 8000 x 8000 matrix next to Octave's diag of it.
# Every time is that of the fastest of several repeated batches (the one
# least disturbed by other work); still, run it on an otherwise idle machine.
#
#   bash scripts/bench.sh --scale        # the above, then the scale section
#   bash scripts/bench.sh --scale-only   # the scale section alone
#
# The scale section (also turned on by GEOMEX_BENCH_SCALE=1, or =only) times
# readvelsol on the format's large solutions: 99, 333, 1000 and 3333 stations
# (GEOMEX_BENCH_SCALE_STATIONS overrides the list), up to 1.8 GB a file, so it
# runs only when asked.  One file at a time is written with tools/gensol into
# the first folder with room for it (GEOMEX_BENCH_DIR, TMPDIR or /tmp, the
# build folder), measured by bench/readvelsol_octave.m in one octave-cli run
# (the floor, zeros (m), readvelsol, and tosqumg with the plain-Octave reader
# up to 99 stations, each with the process's peak memory growth) and
# deleted; then velsol2enu at 3333 stations (GEOMEX_ENU_STATIONS) beside one
# plain copy of its covariance, and eulerpole with the full covariance beside
# one chol of its 6666 x 6666 horizontal part.  It needs about 6 GB of memory at 3333
# stations and takes a few minutes.
#
#   bash scripts/bench.sh --sinex        # the SINEX section alone
#
# The SINEX section (also run after --scale and --scale-only) times
# readsinex on frame-sized solutions written by tools/gensnx: 100, 333 and
# 1111 sites with position and velocity and the full L COVA matrix
# (GEOMEX_BENCH_SINEX_SITES overrides the list; 1111 sites make about
# 600 MB), each also gzip-compressed, measured by bench/readsinex_octave.m
# in one octave-cli run beside the floor, gzip -dc and zeros (P), with the
# peak memory growth of each call.  About 3 GB of memory at 1111 sites.
set -euo pipefail

scale="${GEOMEX_BENCH_SCALE:-}"
sinex=""
for arg in "$@"; do
  case "$arg" in
    --scale) scale=1 ;;
    --scale-only) scale=only ;;
    --sinex) sinex=only ;;
    *) echo "usage: bash scripts/bench.sh [--scale | --scale-only | --sinex]" >&2; exit 2 ;;
  esac
done
[ -z "$scale" ] || [ "$scale" = 0 ] || sinex=1

. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

stations="${GEOMEX_BENCH_STATIONS:-10 25 50 99}"
octave=(octave-cli --no-history --no-init-file --no-window-system)

for prog in bench/bench_floor bench/bench_reader tools/gensol tools/gensnx; do
  if [ ! -x "$build/$prog" ]; then
    echo "bench.sh: $build/$prog was not built (the benchmarks need libbenchmark-dev)" >&2
    exit 1
  fi
done
[ -f "$build/mex/tosqumg.mex" ] || { echo "bench.sh: no modules in $build/mex" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/geomex-bench.XXXXXX")"
scaledir=""
trap 'rm -rf "$work" ${scaledir:+"$scaledir"}' EXIT

if [ "$scale" != only ] && [ "$sinex" != only ]; then
# The reader up to 99 stations.

say "writing solution files of $stations stations (tools/gensol)"
files=()
for n in $stations; do
  "$build/tools/gensol" --stations "$n" --seed 1 --out "$work/s$n.sol"
  files+=("$work/s$n.sol")
done

say "timing the floor"
: >"$work/floor.txt"
for n in $stations; do
  printf 'stations:%s %s\n' "$n" "$("$build/bench/bench_floor" "$work/s$n.sol")" >>"$work/floor.txt"
done

say "timing the reading routine (Google Benchmark)"
"$build/bench/bench_reader" "${files[@]}" --benchmark_repetitions=7 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv \
  >"$work/reader.csv" 2>"$work/reader.err" || { cat "$work/reader.err" >&2; exit 1; }

say "timing tosqumg, tosqumg_octave.m, brisol and diag in octave-cli"
"${octave[@]}" "$root/bench/bench_octave.m" "$build/mex:$build/bench/mex" "$work/octave.txt" "${files[@]}" \
  >"$work/octave.log" 2>&1 || { tail -n 20 "$work/octave.log" >&2; exit 1; }

largest="$(for n in $stations; do echo "$n"; done | sort -n | tail -n 1)"
say "results (fastest batch of each; ratio = time / floor)"
awk -v main="stations:$largest" -v stations="$stations" '
  FILENAME ~ /floor.txt$/ {
    floor[$1] = $3; viaread[$1] = $5; viamap[$1] = $7; lines[$1] = $9; bytes[$1] = $11; next
  }
  FILENAME ~ /reader.csv$/ {
    # "name_min",iterations,real_time,cpu_time,unit,...  (times in ns)
    n = split($0, f, ","); gsub(/"/, "", f[1])
    if (f[1] ~ /_min$/) { sub(/_min$/, "", f[1]); t[f[1]] = f[3] * 1e-9 }
    next
  }
  { t[$1] = $2 }
  function ms(x) { return sprintf("%9.3f ms", x * 1e3) }
  function row(label, x, base, target) {
    r = x / base
    verdict = target == "" ? "" : (r <= target ? sprintf("<= %gx  met", target) : sprintf("<= %gx  MISSED", target))
    printf("%-52s %s %9.2f   %s\n", label, ms(x), r, verdict)
  }
  END {
    fl = floor[main]
    printf("\nLargest file: %s (%d bytes, %d lines)\n\n", main, bytes[main], lines[main])
    printf("%-52s %12s %9s   %s\n", "measured", "time/call", "ratio", "target")
    printf("%-52s %12s %9s   %s\n", "--------", "---------", "-----", "------")
    row("floor: read(2) from page cache, each byte looked at", fl, fl, "")
    row("  bandwidth: read(2), 16-byte SIMD line count", viaread[main], fl, "")
    row("  bandwidth: mmap(2), 16-byte SIMD line count", viamap[main], fl, "")
    row("tosqum (reading routine alone, from the file)", t["tosqum/" main], fl, 1.5)
    row("tosqumText (the same, file already in memory)", t["tosqumText/" main], fl, "")
    row("tosqumg called in octave-cli", t["tosqumg/" main], fl, 2)
    row("  host share: same call and results, nothing read", t["outputs_only"], fl, "")
    row("tosqumg_octave.m (plain Octave) in octave-cli", t["tosqumg_octave/" main], fl, "")
    printf("\n%-52s %12s %9s   %s\n", "8000 x 8000 matrix, octave-cli", "time/call", "vs diag", "target")
    row("diag(C)", t["octave:diag/8000"], t["octave:diag/8000"], "")
    row("[smaj, smin, azim] = brisol(C)", t["octave:brisol/8000"], t["octave:diag/8000"], 2)
    printf("%-52s %12s %9s\n", "the same in C++, no host:", "", "vs copy")
    row("  copy of the diagonal", t["diagonal/8000"], t["diagonal/8000"], "")
    row("  brisol (the ellipse routine)", t["brisol/8000"], t["diagonal/8000"], "")
    printf("\nGrowth with the station count (correlation records grow as N^2)\n\n")
    printf("%8s %10s %8s %12s %12s %12s %12s %14s\n", "stations", "bytes", "lines",
           "floor", "tosqum", "tosqumg", "octave .m", "tosqum/line")
    k = split(stations, s, " ")
    for (i = 1; i <= k; ++i) {
      key = "stations:" s[i]
      printf("%8d %10d %8d %12s %12s %12s %12s %11.1f ns\n", s[i], bytes[key], lines[key],
             ms(floor[key]), ms(t["tosqum/" key]), ms(t["tosqumg/" key]),
             ms(t["tosqumg_octave/" key]), t["tosqum/" key] / lines[key] * 1e9)
    }
  }' "$work/floor.txt" "$work/reader.csv" "$work/octave.txt"
fi

# The first folder with at least $1 bytes free (GEOMEX_BENCH_DIR, TMPDIR or
# /tmp, the build folder), as a fresh folder inside it; df's free blocks
# are KiB.
room_for() {
  local dirs=("${TMPDIR:-/tmp}" "$build") dir free
  [ -z "${GEOMEX_BENCH_DIR:-}" ] || dirs=("$GEOMEX_BENCH_DIR" "${dirs[@]}")
  for dir in "${dirs[@]}"; do
    [ -d "$dir" ] && [ -w "$dir" ] || continue
    free=$(($(df -Pk "$dir" | awk 'NR == 2 { print $4 }') * 1024))
    if [ "$free" -ge "$1" ]; then
      mktemp -d "$dir/geomex-scale.XXXXXX"
      return 0
    fi
  done
  return 1
}

if [ -n "$scale" ] && [ "$scale" != 0 ]; then
# The scale section: readvelsol up to the format's largest solution.
scale_stations="${GEOMEX_BENCH_SCALE_STATIONS:-99 333 1000 3333}"

# Bytes of a gensol file of n stations: header 18, n + 1 station records of
# 66, 3n parameter records of 75, 3n(3n - 1)/2 correlation records of 36.
sol_bytes() { echo $((18 + 66 * ($1 + 1) + 75 * 3 * $1 + 36 * 3 * $1 * (3 * $1 - 1) / 2)); }
largest="$(for n in $scale_stations; do echo "$n"; done | sort -n | tail -n 1)"
need=$(($(sol_bytes "$largest") + 256 * 1024 * 1024))

scaledir="$(room_for "$need")" || scaledir=""
if [ -z "$scaledir" ]; then
  echo "bench.sh: no folder with $((need / 1048576)) MB free for the $largest-station file;" \
       "set GEOMEX_BENCH_DIR" >&2
  exit 1
fi
avail=$(awk '/^MemAvailable:/ { printf("%.0f\n", $2 * 1024) }' /proc/meminfo)
m=$((3 * largest))
if [ "$avail" -lt $((2 * $(sol_bytes "$largest") + 3 * 8 * m * m)) ]; then
  say "warning: $((avail / 1048576)) MB of memory available; the $largest-station run may swap or fail"
fi

say "scale: $scale_stations stations, files in $scaledir"
: >"$scaledir/scale.txt"
for n in $scale_stations; do
  file="$scaledir/s$n.sol"
  t0=$(date +%s.%N)
  "$build/tools/gensol" --stations "$n" --seed 1 --out "$file"
  t1=$(date +%s.%N)
  awk -v n="$n" -v t0="$t0" -v t1="$t1" 'BEGIN { printf("gensol/stations:%s %.3f\n", n, t1 - t0) }' \
    >>"$scaledir/scale.txt"
  say "scale: $n stations, $(($(stat -c %s "$file") / 1048576)) MB written; measuring"
  "${octave[@]}" "$root/bench/readvelsol_octave.m" "$build/mex" "$build/bench/bench_floor" \
    "$scaledir/scale.txt" "$file" >"$scaledir/octave.log" 2>&1 ||
    { tail -n 20 "$scaledir/octave.log" >&2; exit 1; }
  # The table; tosqumg's " match K" lines come before it.
  sed -n '/^[0-9]* stations, n = /,$p' "$scaledir/octave.log"
  grep '^readvelsol: not on the path' "$scaledir/octave.log" | head -n 1 || true
  rm -f "$file"
done

say "scale: growth with the station count (time; peak memory growth of octave-cli during the call)"
awk -v stations="$scale_stations" '
  { v[$1] = $2 }
  function s(x) { return x == "" ? "-" : x < 1 ? sprintf("%.2f ms", x * 1e3) : sprintf("%.2f s", x) }
  function mb(x) { return x == "" ? "-" : sprintf("%.1f MB", x / 1048576) }
  END {
    printf("%8s %9s %9s %9s %9s %11s %11s %11s %11s\n", "stations", "file", "gensol", "floor",
           "zeros", "readvelsol", "vs fl+z", "tosqumg", "octave .m")
    k = split(stations, st, " ")
    for (i = 1; i <= k; ++i) {
      key = "stations:" st[i]
      base = v["floor/" key] + v["zeros/" key]
      r = v["readvelsol/" key]
      printf("%8d %9s %9s %9s %9s %11s %11s %11s %11s\n", st[i], mb(v["bytes/" key]),
             s(v["gensol/" key]), s(v["floor/" key]), s(v["zeros/" key]),
             r == "" ? "(to come)" : s(r), r == "" ? "-" : sprintf("%.2fx", r / base),
             s(v["tosqumg/" key]), s(v["tosqumg_octave/" key]))
    }
    printf("\n%8s %11s %11s %11s %11s %11s %11s\n", "stations", "results", "limit", "zeros",
           "readvelsol", "tosqumg", "octave .m")
    for (i = 1; i <= k; ++i) {
      key = "stations:" st[i]
      res = v["results/" key]
      g = v["readvelsol_grow/" key]
      printf("%8d %11s %11s %11s %11s %11s %11s\n", st[i], mb(res), mb(2 * res + 64 * 1048576),
             mb(v["zeros_grow/" key]), g == "" ? "(to come)" : mb(g), mb(v["tosqumg_grow/" key]),
             mb(v["tosqumg_octave_grow/" key]))
    }
  }' "$scaledir/scale.txt"

# velsol2enu at the largest count, beside one plain copy of its covariance.
"${octave[@]}" "$root/bench/velsol2enu_bench.m" "$build/mex" "${GEOMEX_ENU_STATIONS:-3333}"

# eulerpole with the full covariance at the same count, beside one chol of
# the horizontal covariance.
"${octave[@]}" "$root/bench/eulerpole_bench.m" "$build/mex" "${GEOMEX_ENU_STATIONS:-3333}"
fi

[ -n "$sinex" ] || exit 0

# The SINEX section: readsinex on frame-sized solutions, plain and gzipped.
sinex_sites="${GEOMEX_BENCH_SINEX_SITES:-100 333 1111}"
# A gensnx file of n sites: P = 6n estimates, about P (P + 3) / 6 matrix
# lines of 79 bytes (three elements each), plus some 600 bytes a site.
snx_bytes() { echo $((6 * $1 * (6 * $1 + 3) / 6 * 79 + 600 * $1 + 4096)); }
largest="$(for n in $sinex_sites; do echo "$n"; done | sort -n | tail -n 1)"
sinexdir="$(room_for $((2 * $(snx_bytes "$largest") + 256 * 1024 * 1024)))" || {
  echo "bench.sh: no folder with room for the $largest-site SINEX file; set GEOMEX_BENCH_DIR" >&2
  exit 1
}
trap 'rm -rf "$work" ${scaledir:+"$scaledir"} "$sinexdir"' EXIT
say "sinex: $sinex_sites sites, files in $sinexdir"
: >"$sinexdir/sinex.txt"
for n in $sinex_sites; do
  file="$sinexdir/s$n.snx"
  t0=$(date +%s.%N)
  "$build/tools/gensnx" --stations "$n" --seed 1 --out "$file"
  t1=$(date +%s.%N)
  gzip -c "$file" >"$file.gz"
  t2=$(date +%s.%N)
  awk -v n="$n" -v t0="$t0" -v t1="$t1" -v t2="$t2" \
    'BEGIN { printf("gensnx/sites:%s %.3f\ngzip/sites:%s %.3f\n", n, t1 - t0, n, t2 - t1) }' \
    >>"$sinexdir/sinex.txt"
  say "sinex: $n sites, $(($(stat -c %s "$file") / 1048576)) MB written ($(($(stat -c %s "$file.gz") / 1048576)) MB gzipped); measuring"
  "${octave[@]}" "$root/bench/readsinex_octave.m" "$build/mex" "$build/bench/bench_floor" \
    "$sinexdir/sinex.txt" "$file" "$file.gz" >"$sinexdir/octave.log" 2>&1 ||
    { tail -n 20 "$sinexdir/octave.log" >&2; exit 1; }
  sed -n '/^[0-9]* sites, P = /,$p' "$sinexdir/octave.log"
  rm -f "$file" "$file.gz"
done

say "sinex: growth with the site count (time; peak memory growth of octave-cli during the call)"
awk -v sites="$sinex_sites" '
  { v[$1] = $2 }
  function s(x) { return x == "" ? "-" : x < 1 ? sprintf("%.1f ms", x * 1e3) : sprintf("%.2f s", x) }
  function mb(x) { return x == "" ? "-" : sprintf("%.1f MB", x / 1048576) }
  END {
    printf("%6s %9s %9s %8s %9s %9s %9s %10s %7s %10s %7s\n", "sites", "file", "gzipped", "gensnx",
           "floor", "gzip -dc", "zeros", "readsinex", "ratio", "from .gz", "ratio")
    k = split(sites, st, " ")
    for (i = 1; i <= k; ++i) {
      key = "sites:" st[i]
      z = v["zeros/" key]
      printf("%6d %9s %9s %8s %9s %9s %9s %10s %6.2fx %10s %6.2fx\n", st[i], mb(v["bytes/" key]),
             mb(v["gzbytes/" key]), s(v["gensnx/" key]), s(v["floor/" key]), s(v["gunzip/" key]),
             s(z), s(v["readsinex/" key]), v["readsinex/" key] / (v["floor/" key] + z),
             s(v["readsinex_gz/" key]), v["readsinex_gz/" key] / (v["gunzip/" key] + z))
    }
    printf("\n%6s %11s %11s %11s %11s %11s\n", "sites", "results", "limit", "zeros",
           "readsinex", "from .gz")
    for (i = 1; i <= k; ++i) {
      key = "sites:" st[i]
      res = v["results/" key]
      printf("%6d %11s %11s %11s %11s %11s\n", st[i], mb(res), mb(2 * res + 64 * 1048576),
             mb(v["zeros_grow/" key]), mb(v["readsinex_grow/" key]), mb(v["readsinex_gz_grow/" key]))
    }
  }' "$sinexdir/sinex.txt"
