#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in <build>/fuzz and runs each for a fixed
# number of executions, starting from the seed corpus in fuzz/corpus/<target>.
#
#   fuzz/run.sh [--short] [executions] [targets...]
#
#   --short      a quick pass: at most 3 seconds a target (for the test command)
#   executions   runs per target (default 100000)
#   targets      any of: ini settings command_line encoder_job progress
#                media_probe asx asf_header asf_packets (default: all)
#
# Environment: VELTO_BUILD (build root, default build), JOBS (build jobs),
# FUZZ_SECONDS (a time limit per target), FUZZ_ARGS (more libFuzzer options).
# Inputs found to grow coverage are kept in <build>/fuzz/corpus/<target>;
# a crashing input is written to <build>/fuzz/findings/ and the script exits
# with status 1. Any other failure (no clang, build error) exits with 2.
set -uo pipefail

FUZZ_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$FUZZ_DIR/.." && pwd)
BUILD_ROOT=${VELTO_BUILD:-$ROOT/build}
BUILD=$BUILD_ROOT/fuzz
JOBS=${JOBS:-2}
ALL_TARGETS=(ini settings command_line encoder_job progress media_probe asx asf_header asf_packets)

say() { echo "== fuzz: $*" >&2; }

short=0
runs=
seconds=${FUZZ_SECONDS:-0}
targets=()
for arg in "$@"; do
  case $arg in
    --short) short=1 ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    ''|*[!0-9]*)
      if [[ " ${ALL_TARGETS[*]} " == *" $arg "* ]]; then targets+=("$arg")
      else say "unknown target or option '$arg'"; exit 2; fi ;;
    *) runs=$arg ;;
  esac
done
[ ${#targets[@]} -eq 0 ] && targets=("${ALL_TARGETS[@]}")
if [ $short -eq 1 ]; then
  runs=${runs:-1000000}
  seconds=3
fi
runs=${runs:-100000}

CXX=${FUZZ_CXX:-}
if [ -z "$CXX" ]; then
  for c in clang++ clang++-14; do command -v "$c" >/dev/null 2>&1 && { CXX=$(command -v "$c"); break; }; done
fi
if [ -z "$CXX" ]; then
  say "clang++ not found (Debian packages clang and libclang-rt-14-dev)"; exit 2
fi

mkdir -p "$BUILD"
build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
# One build at a time, when several runs share the folder.
exec 9>"$BUILD/.build-lock"
flock 9
if [ ! -f "$BUILD/build.ninja" ] || [ "$FUZZ_DIR/CMakeLists.txt" -nt "$BUILD/build.ninja" ]; then
  if ! cmake -S "$FUZZ_DIR" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER="$CXX" >"$BUILD/configure.log" 2>&1; then
    cat "$BUILD/configure.log" >&2; say "configuring failed"; exit 2
  fi
fi
if ! cmake --build "$BUILD" -j "$JOBS" --target "${build_targets[@]}" >"$BUILD/build.log" 2>&1; then
  cat "$BUILD/build.log" >&2; say "building failed"; exit 2
fi
flock -u 9
exec 9>&-

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for t in "${targets[@]}"; do
  corpus=$BUILD/corpus/$t
  findings=$BUILD/findings
  log=$BUILD/logs/$t.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  options=(-runs="$runs" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$findings/$t-")
  [ "$seconds" -gt 0 ] && options+=(-max_total_time="$seconds")
  # shellcheck disable=SC2206
  options+=(${FUZZ_ARGS:-})
  start=$(date +%s)
  "$BUILD/fuzz_$t" "${options[@]}" "$corpus" "$FUZZ_DIR/corpus/$t" >"$log" 2>&1
  status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ $status -ne 0 ]; then
    tail -n 60 "$log" >&2
    say "$t: FAILED (status $status; log $log; input in $findings)"
    failed+=("$t")
  else
    say "$t: ${execs:-?} executions in $(( $(date +%s) - start )) s, no finding"
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  say "findings in: ${failed[*]}"
  exit 1
fi
say "all ${#targets[@]} targets clean"
