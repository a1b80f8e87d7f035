#!/usr/bin/env bash
# Benchmarks of the whole chain under Wine, as ratios taken side by side in
# one run (the compared commands alternate; medians of RUNS runs each):
#
#   P1 conversion   one-clip batch through VeltoConverter.exe (Convert until
#                   the final message) / ffmpeg.exe run directly as one
#                   process with the arguments of veltoenc.exe's one run,
#                   started as veltoenc.exe starts it (the 60 s clip is split
#                   over the cores by veltoenc.exe: DVD and AVI <= 0.65)
#   P2 waiting cost processor time of VeltoConverter.exe / wall time, while
#                   the encoder runs and over the whole batch
#   P3 probing      Add of one clip (and of BATCH_FILES clips) / ffprobe.exe
#                   run directly on it (them), as veltoenc.exe runs it
#   P4 start-up     start to the main window / start of an empty dialog program
#   P5 cores        processor time of the whole process tree / wall time,
#                   DVD and AVI (>= 1.7 of 2 cores)
#   memory          peak working set of VeltoConverter.exe in a BATCH_FILES batch
#   compare         two builds of one program file (COMPARE_FILE in the bin
#                   folder, e.g. veltoenc.exe or ffmpeg.exe: COMPARE_A against
#                   COMPARE_B) taking turns in the P1 conversion of FORMATS:
#                   wall time and P5 of each, for a change too small to show
#                   between two runs of the script on a machine whose speed
#                   drifts (not part of the default PARTS)
#   resume          a batch of 4 copies of the clip as DVD, killed when the
#                   progress bar reaches 60 % of file 3 (650 per mille) and
#                   continued at the next start, against the same batch
#                   uninterrupted, taking turns (<= 1.10 + one range's
#                   share; not part of the default PARTS)
#   short           a list of SHORT_FILES (20) copies of a SHORT_SECONDS (10) s
#                   clip converted to FORMATS, files side by side, against
#                   the same engine runs one after the other with the
#                   threads the engine likes (<= 0.60 on 2 cores; P5;
#                   not part of the default PARTS)
#   loudness        the P1 conversion of FORMATS with "Even out loudness"
#                   checked against unchecked, taking turns: the cost of
#                   measuring the sound first (<= 1.10; not part of the
#                   default PARTS)
#
#   bench/run.sh                      # RUNS=5 CLIP_SECONDS=60 BATCH_FILES=99
#   RUNS=3 CLIP_SECONDS=10 FORMATS="0 7" BATCH_FILES=10 bench/run.sh   # a quick look
#   PARTS="P1 memory" FORMATS="6 7 8 9" KEEP_RESULTS=old.txt bench/run.sh # resume
#   PARTS=compare FORMATS="0 7" RUNS=8 COMPARE_FILE=veltoenc.exe \
#     COMPARE_A=before/veltoenc.exe COMPARE_B=after/veltoenc.exe bench/run.sh
#   PARTS=loudness FORMATS="0 7" bench/run.sh
#   PARTS=resume RUNS=3 bench/run.sh
#
# Uses its own build folder (VELTO_BUILD, default build-bench); the table is
# printed at the end and kept in $VELTO_BUILD/bench/table.txt.
set -euo pipefail
RUNS=${RUNS:-5}
CLIP_SECONDS=${CLIP_SECONDS:-60}
BATCH_FILES=${BATCH_FILES:-99}
SHORT_FILES=${SHORT_FILES:-20}
SHORT_SECONDS=${SHORT_SECONDS:-10}
FORMATS=${FORMATS:-"0 1 2 3 4 5 6 7 8 9"}
PARTS=${PARTS:-"P4 P3 P1 memory"}
COMPARE_FILE=${COMPARE_FILE:-veltoenc.exe}
# Measurements of an earlier (interrupted) run to keep in the table.
KEEP_RESULTS=${KEEP_RESULTS:-}
part() { [[ " $PARTS " == *" $1 "* ]]; }
BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export VELTO_BUILD=${VELTO_BUILD:-$(cd "$BENCH_DIR/.." && pwd)/build-bench}
export JOBS=${JOBS:-2}
source "$BENCH_DIR/../scripts/lib.sh"

setup_machine
# The bench's own programs are targets once bench/ is part of the build;
# until then they are compiled here with the same compiler and flags.
VELTO_WINDOWS_TARGETS="VeltoConverter veltoenc velto_tips_file velto_codec_engine" build_windows >/dev/null
BIN=$WINDOWS_BUILD/bin
if grep -q velto_bench_driver "$WINDOWS_BUILD/build.ninja" 2>/dev/null; then
  cmake --build "$WINDOWS_BUILD" -j "$JOBS" --target velto_bench_driver velto_bench_empty_dialog >/dev/null
else
  cxx=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++)
  flags=(-std=c++20 -O2 -Wall -Wextra -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601
         -I"$VELTO_ROOT" -municode -static -static-libgcc -static-libstdc++)
  "$cxx" "${flags[@]}" -o "$BIN/velto_bench_driver.exe" "$BENCH_DIR/driver/bench_driver_win.cpp" -luser32 -lcomctl32 -lpsapi
  "$cxx" "${flags[@]}" -mwindows -o "$BIN/velto_bench_empty_dialog.exe" "$BENCH_DIR/driver/empty_dialog_win.cpp" -luser32
fi

WORK=$VELTO_BUILD/bench
[ -n "$KEEP_RESULTS" ] && cp "$KEEP_RESULTS" "$VELTO_BUILD/bench-kept-results.txt" && KEEP_RESULTS=$VELTO_BUILD/bench-kept-results.txt
rm -rf "$WORK" && mkdir -p "$WORK/clips" "$WORK/batch" "$WORK/out" "$WORK/appdata/Velto ASF Converter"
# The program's own profile: the Tip of the Day is not offered at start-up.
printf '[Tip]\r\nStartUp=1\r\n' >"$WORK/appdata/Velto ASF Converter/VeltoConverter.INI"
winpath() { echo "Z:${1//\//\\}"; }
export VELTO_BENCH_APPDATA; VELTO_BENCH_APPDATA=$(winpath "$WORK/appdata")

start_wine_session
# The processor time of the runs measured (P5) is read from a control group
# the driver starts in, where the machine lets us make one: it keeps the
# time of processes that have ended, which looking at /proc now and then
# misses for short runs. Without one the driver samples /proc.
CPU_GROUP=
for hierarchy in /sys/fs/cgroup/cpuacct /sys/fs/cgroup/cpu,cpuacct /sys/fs/cgroup/unified /sys/fs/cgroup; do
  [ -e "$hierarchy/cpuacct.usage" ] || [ -e "$hierarchy/cgroup.procs" ] || continue
  if mkdir "$hierarchy/velto-bench-$$" 2>/dev/null; then CPU_GROUP=$hierarchy/velto-bench-$$; break; fi
done
if [ -n "$CPU_GROUP" ] && [ -e "$CPU_GROUP/cpuacct.usage" ]; then
  export VELTO_BENCH_CPU; VELTO_BENCH_CPU=$(winpath "$CPU_GROUP/cpuacct.usage")
elif [ -n "$CPU_GROUP" ] && [ -e "$CPU_GROUP/cpu.stat" ]; then
  export VELTO_BENCH_CPU; VELTO_BENCH_CPU=$(winpath "$CPU_GROUP/cpu.stat")
else
  [ -n "$CPU_GROUP" ] && rmdir "$CPU_GROUP"
  CPU_GROUP=
  log "no control group of our own: the processor time of the runs is sampled from /proc"
fi
end_session() {
  stop_wine_session
  if [ -n "$CPU_GROUP" ]; then
    # Processes left in the group (none, normally) go back to its parent.
    while read -r pid; do echo "$pid" >"$(dirname "$CPU_GROUP")/cgroup.procs" 2>/dev/null || true; done <"$CPU_GROUP/cgroup.procs"
    rmdir "$CPU_GROUP" 2>/dev/null || true
  fi
}
trap end_session EXIT
driver() {
  if [ -n "$CPU_GROUP" ]; then
    (echo "$BASHPID" >"$CPU_GROUP/cgroup.procs" && exec wine "$BIN/velto_bench_driver.exe" "$@" </dev/null)
  else
    wine "$BIN/velto_bench_driver.exe" "$@" </dev/null
  fi
}
RESULTS=$WORK/results.txt
if [ -n "$KEEP_RESULTS" ]; then grep -E '=' "$KEEP_RESULTS" | awk 'NF > 2' >"$RESULTS"; else : >"$RESULTS"; fi
# record FIGURE WHO LINE: keeps the key=value line of one measurement.
record() { echo "$1 $2 $3" >>"$RESULTS"; }

# copies CLIP COUNT: COUNT copies of CLIP beside it, "<name> NN.wmv", the
# clip itself removed; their names in COPIES.
copies() {
  local folder stem i
  folder=$(dirname "$1") stem=$(basename "$1" .wmv)
  COPIES=()
  for i in $(seq -w 1 "$2"); do
    cp "$1" "$folder/$stem $i.wmv"
    COPIES+=("$stem $i.wmv")
  done
  rm "$1"
}
make_clip() {  # make_clip SECONDS PATH
  wine "$BIN/ffmpeg.exe" -hide_banner -loglevel error -y \
    -f lavfi -i "testsrc=size=640x480:rate=30000/1001" -f lavfi -i "sine=frequency=440:sample_rate=44100" \
    -t "$1" -c:v wmv2 -b:v 1500k -c:a wmav2 -b:a 128k -ac 2 -f asf "file:$(winpath "$2")" </dev/null
}
log "making the clips: ${CLIP_SECONDS} s and ${BATCH_FILES} x 3 s, 640x480, 29.97 fps, WMV2 + WMAv2 stereo"
make_clip "$CLIP_SECONDS" "$WORK/clips/clip.wmv"
make_clip 3 "$WORK/batch/short.wmv"
copies "$WORK/batch/short.wmv" "$BATCH_FILES"
BATCH_NAMES=("${COPIES[@]}")

BINW=$(winpath "$BIN")
CLIPS=$(winpath "$WORK/clips")
BATCH=$(winpath "$WORK/batch")
OUT=$(winpath "$WORK/out")
ARGS=$(winpath "$WORK/engine-args.txt")

# Warm Wine: one start of each program before anything is timed.
driver startup "$BINW\\VeltoConverter.exe" "$BINW" 1006 >/dev/null
driver startup "$BINW\\velto_bench_empty_dialog.exe" "$BINW" 0 >/dev/null

part P4 && log "P4 start-up, $RUNS runs each"
part P4 && for run in $(seq 1 "$RUNS"); do
  record P4 program "$(driver startup "$BINW\\VeltoConverter.exe" "$BINW" 1006)"
  record P4 empty "$(driver startup "$BINW\\velto_bench_empty_dialog.exe" "$BINW" 0)"
done

part P3 && log "P3 probing, $RUNS runs each"
part P3 && for run in $(seq 1 "$RUNS"); do
  record P3-one add "$(driver add "$BINW" "$CLIPS" clip.wmv)"
  record P3-one ffprobe "$(driver probe "$CLIPS" clip.wmv)"
done
part P3 && for run in $(seq 1 "$RUNS"); do
  record P3-batch add "$(driver add "$BINW" "$BATCH" "${BATCH_NAMES[@]}")"
  record P3-batch ffprobe "$(driver probe "$BATCH" "${BATCH_NAMES[@]}")"
done

part P1 && log "P1, P2, P5 conversion of the ${CLIP_SECONDS} s clip, formats $FORMATS, $RUNS runs each"
part P1 && for format in $FORMATS; do
  for run in $(seq 1 "$RUNS"); do
    rm -rf "$WORK/out" && mkdir -p "$WORK/out"
    record "P1-$format" program "$(driver convert "$format" "$BINW" "$CLIPS" "$OUT" "$ARGS" clip.wmv)"
    rm -rf "$WORK/out" && mkdir -p "$WORK/out"
    record "P1-$format" ffmpeg "$(driver engine "$ARGS" "$OUT")"
  done
done

# in_turns FIGURE FIRST SECOND SETUP: RUNS rounds of the P1 conversion of
# FORMATS for FIRST and for SECOND, the order swapped every other round;
# SETUP WHO readies each turn.
in_turns() {
  local run who format order
  for run in $(seq 1 "$RUNS"); do
    order="$2 $3"
    [ $((run % 2)) = 0 ] && order="$3 $2"
    for who in $order; do
      "$4" "$who"
      for format in $FORMATS; do
        rm -rf "$WORK/out" && mkdir -p "$WORK/out"
        record "$1-$format" "$who" "$(driver convert "$format" "$BINW" "$CLIPS" "$OUT" "$ARGS" clip.wmv)"
      done
    done
  done
}

if part compare; then
  for build in "${COMPARE_A:-}" "${COMPARE_B:-}"; do
    [ -f "$build" ] || { log "compare: COMPARE_A and COMPARE_B must name two builds of $COMPARE_FILE"; exit 1; }
  done
  log "compare: $COMPARE_FILE from $COMPARE_A (A) and $COMPARE_B (B) taking turns, formats $FORMATS, $RUNS runs each"
  cp -p "$BIN/$COMPARE_FILE" "$WORK/built-$COMPARE_FILE"
  # The build's own file comes back however the comparison ends.
  trap 'cp -p "$WORK/built-$COMPARE_FILE" "$BIN/$COMPARE_FILE"; end_session' EXIT
  use_build() { if [ "$1" = A ]; then cp "$COMPARE_A" "$BIN/$COMPARE_FILE"; else cp "$COMPARE_B" "$BIN/$COMPARE_FILE"; fi; }
  in_turns compare A B use_build
  cp -p "$WORK/built-$COMPARE_FILE" "$BIN/$COMPARE_FILE"
fi

# A value of option.ini beside the program, which reads it at its start.
set_setting() {  # set_setting KEY VALUE
  local ini=$BIN/option.ini
  [ -f "$ini" ] || printf '[Destinate]\r\n' >"$ini"
  sed -i "/^$1=/d" "$ini"
  sed -i "s/^\[Destinate\]\r\?\$/&\n$1=$2\r/" "$ini"
}

if part loudness; then
  log "loudness: P1 of formats $FORMATS with \"Even out loudness\" checked and not, taking turns, $RUNS runs each"
  trap 'set_setting "Normalize loudness" 0; end_session' EXIT
  even_loudness() { set_setting "Normalize loudness" "$([ "$1" = on ] && echo 1 || echo 0)"; }
  in_turns loudness off on even_loudness
  set_setting "Normalize loudness" 0
fi

if part resume; then
  log "resume: 4 x ${CLIP_SECONDS} s as DVD killed at 60 % of file 3 and continued, against uninterrupted, $RUNS runs each"
  for i in 1 2 3 4; do cp "$WORK/clips/clip.wmv" "$WORK/clips/clip $i.wmv"; done
  RESUME_NAMES=("clip 1.wmv" "clip 2.wmv" "clip 3.wmv" "clip 4.wmv")
  for run in $(seq 1 "$RUNS"); do
    order="whole resumed"
    [ $((run % 2)) = 0 ] && order="resumed whole"
    for who in $order; do
      rm -rf "$WORK/out" && mkdir -p "$WORK/out"
      if [ "$who" = whole ]; then
        record resume whole "$(driver convert 7 "$BINW" "$CLIPS" "$OUT" "$ARGS" "${RESUME_NAMES[@]}")"
      else
        record resume resumed "$(driver resume "$BINW" "$CLIPS" "$OUT" 650 "${RESUME_NAMES[@]}")"
      fi
    done
  done
  rm -f "$WORK/clips/clip "?.wmv
fi

if part short; then
  log "short: a list of $SHORT_FILES clips of $SHORT_SECONDS s, formats $FORMATS, against the engine runs one after the other, $RUNS runs each"
  mkdir -p "$WORK/short"
  make_clip "$SHORT_SECONDS" "$WORK/short/clip.wmv"
  copies "$WORK/short/clip.wmv" "$SHORT_FILES"
  SHORT_NAMES=("${COPIES[@]}")
  for format in $FORMATS; do
    for run in $(seq 1 "$RUNS"); do
      rm -rf "$WORK/out" && mkdir -p "$WORK/out"
      record "short-$format" program "$(driver convert "$format" "$BINW" "$(winpath "$WORK/short")" "$OUT" "$ARGS" "${SHORT_NAMES[@]}")"
      rm -rf "$WORK/out" && mkdir -p "$WORK/out"
      record "short-$format" ffmpeg "$(driver engines "$SHORT_FILES" "$ARGS" "$OUT")"
    done
  done
fi

part memory && log "memory: a batch of $BATCH_FILES files"
rm -rf "$WORK/out" && mkdir -p "$WORK/out"
part memory && record memory program "$(driver convert 0 "$BINW" "$BATCH" "$OUT" "$ARGS" "${BATCH_NAMES[@]}")"

python3 "$BENCH_DIR/table.py" "$RESULTS" "$(nproc)" "$CLIP_SECONDS" "$BATCH_FILES" "$RUNS" | tee "$WORK/table.txt"
