#!/usr/bin/env bash
# MP4 (H.264 + AAC) against DivX (MPEG-4 Part 2 + AC-3), side by side in one
# run, on the bench clip (test pattern) and a clip with moving detail
# (moving pattern under temporal noise), both 640x480 29.97 fps WMV2.
#
#  presets      x264's speed presets (PRESETS) as one ffmpeg run each, with
#               the arguments veltoenc.exe gives an unsplit conversion, the
#               preset put in: time against DivX's run, bytes, PSNR.
#  conversions  veltoenc.exe's own conversions (split by time as a user
#               gets them): DivX at 1000 kbit/s, MP4 at 1000 and at 800
#               kbit/s, and one ffmpeg run with MP4's unsplit arguments;
#               wall time, processor time of the whole tree (a control
#               group) over wall time, bytes, PSNR.
# The runs alternate, RUNS times each; the table shows medians. PSNR is
# taken against the source with the frames matched by their times. With
# BEFORE naming another build's veltoenc.exe, `conversions` also runs its MP4
# at 800 kbit/s (before-800) in turn with the others.
#
#   bench/encoder/mp4.sh                      # RUNS=3 CLIP_SECONDS=60 PRESETS="veryfast faster"
#   PARTS=presets PRESETS="superfast veryfast faster fast" bench/encoder/mp4.sh
set -euo pipefail
RUNS=${RUNS:-3}
CLIP_SECONDS=${CLIP_SECONDS:-60}
PRESETS=${PRESETS:-veryfast faster}
PARTS=${PARTS:-presets conversions}
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

setup_machine
VELTO_WINDOWS_TARGETS="veltoenc velto_codec_engine" build_windows >/dev/null
BIN=$WINDOWS_BUILD/bin
WORK=$VELTO_BUILD/bench-mp4
rm -rf "$WORK" && mkdir -p "$WORK"
start_wine_session
GROUP=
for hierarchy in /sys/fs/cgroup/cpuacct /sys/fs/cgroup/cpu,cpuacct /sys/fs/cgroup; do
  [ -e "$hierarchy/cpuacct.usage" ] || continue
  if mkdir "$hierarchy/velto-mp4-$$" 2>/dev/null; then GROUP=$hierarchy/velto-mp4-$$; break; fi
done
end_session() {
  stop_wine_session
  rm -f "$BIN/veltoenc-before.exe"
  [ -z "$GROUP" ] || rmdir "$GROUP" 2>/dev/null || true
}
trap end_session EXIT

winpath() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }
ffmpeg() { wine "$BIN/ffmpeg.exe" "$@" </dev/null; }

log "making the clips: ${CLIP_SECONDS} s, 640x480, 29.97 fps, WMV2 + WMAv2 stereo"
make_clip() {  # make_clip NAME VIDEO-SOURCE
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$2" -f lavfi -i "sine=frequency=440:sample_rate=44100" \
    -t "$CLIP_SECONDS" -c:v wmv2 -b:v 1500k -c:a wmav2 -b:a 128k -ac 2 -f asf "file:$(winpath "$WORK/$1.wmv")"
}
make_clip pattern "testsrc=size=640x480:rate=30000/1001"
make_clip moving "testsrc2=size=640x480:rate=30000/1001,noise=alls=24:allf=t"

DIVX="-oac lavc -ovc lavc -lavcopts acodec=ac3:abitrate=128:vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50 -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af volume=+0db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 30000/1001"
mp4() { echo "-oac faac -ovc x264 -faacopts br=128:mpeg=4:object=2 -x264encopts bitrate=$1:vbv_maxrate=$(($1 * 2)):vbv_bufsize=$(($1 * 2)):profile=high -of lavf -lavfopts format=mp4 -sws 2 -af volume=+0db:0:channels=2 -ofps 30000/1001"; }
declare -A PIECES=([divx]="$DIVX" [mp4-1000]="$(mp4 1000)" [mp4-800]="$(mp4 800)" [before-800]="$(mp4 800)")
declare -A EXT=([divx]=avi [mp4-1000]=mp4 [mp4-800]=mp4 [before-800]=mp4)
KINDS="divx mp4-1000 mp4-800"
# The other build's front end beside the engine, under a name of its own.
if [ -n "${BEFORE:-}" ]; then
  cp "$BEFORE" "$BIN/veltoenc-before.exe"
  KINDS="$KINDS before-800"
fi
front_end() { if [ "$1" = before-800 ]; then echo "$BIN/veltoenc-before.exe"; else echo "$BIN/veltoenc.exe"; fi; }

RESULTS=$WORK/results.txt
: >"$RESULTS"
# encoder_args CLIP KIND OUT
encoder_args() {
  local pieces
  read -r -a pieces <<<"${PIECES[$2]}"
  ARGS=("$(winpath "$WORK/$1.wmv")" -o "$(winpath "$3")" "${pieces[@]}" -endpos 9:0:0 0 0)
}
# The engine's arguments of an unsplit conversion, read back as words.
engine_args() {  # engine_args CLIP KIND
  encoder_args "$1" "$2" "$WORK/probe.${EXT[$2]}"
  VELTO_SEGMENTS=1 VELTO_ENCODER_ENGINE_ARGS_FILE=$(winpath "$WORK/args.txt") wine "$BIN/veltoenc.exe" "${ARGS[@]}" </dev/null
  read -r -a ENGINE <"$WORK/args.txt"
}
# The average PSNR of the picture against the source's, frames matched by
# time: the output's frame n is at n / rate, each source frame at its own
# time rounded to that grid (ASF video often starts some 40 ms in, and the
# output holds its first frame from 0); the first 0.1 s is left out.
psnr() {  # psnr OUTPUT CLIP
  local grid="30000/1001"
  ffmpeg -hide_banner -nostats -i "file:$(winpath "$1")" -i "file:$(winpath "$WORK/$2.wmv")" \
    -lavfi "[0:v]setpts=N/($grid)/TB,select=gte(t\,0.1)[a];[1:v]setpts=round(PTS*TB*$grid)/($grid)/TB,select=gte(t\,0.1)[b];[a][b]psnr" \
    -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -n 1
}
usage() { if [ -n "$GROUP" ]; then cat "$GROUP/cpuacct.usage"; else echo 0; fi; }
timed() {  # timed LABEL COMMAND...: wall and processor time of the tree
  local label=$1 t0 c0 t1 c1
  shift
  c0=$(usage); t0=$(now)
  if [ -n "$GROUP" ]; then (echo "$BASHPID" >"$GROUP/cgroup.procs" && exec "$@" </dev/null >/dev/null); else "$@" </dev/null >/dev/null; fi
  t1=$(now); c1=$(usage)
  echo "$label wall $(echo "$t1 - $t0" | bc) cpu $(echo "($c1 - $c0) / 1000000000" | bc -l)" >>"$RESULTS"
}
quality() {  # quality LABEL OUTPUT CLIP
  echo "$1 bytes $(stat -c %s "$2") psnr $(psnr "$2" "$3")" >>"$RESULTS"
}

for clip in pattern moving; do
  if [[ " $PARTS " == *" presets "* ]]; then
    engine_args "$clip" divx; divx=("${ENGINE[@]}")
    engine_args "$clip" mp4-800; x264=("${ENGINE[@]}")
    log "$clip: x264's presets ($PRESETS) at 800 kbit/s against DivX at 1000, one ffmpeg run each, $RUNS runs"
    for run in $(seq 1 "$RUNS"); do
      timed "$clip presets divx" wine "$BIN/ffmpeg.exe" "${divx[@]}"
      for preset in $PRESETS; do
        args=("${x264[@]}")
        for i in "${!args[@]}"; do
          [ "${args[$i]}" != "-preset" ] || args[$((i + 1))]=$preset
          [[ "${args[$i]}" != file:*probe.mp4* ]] || args[$i]="file:$(winpath "$WORK/$clip-preset-$preset.mp4")"
        done
        timed "$clip presets $preset" wine "$BIN/ffmpeg.exe" "${args[@]}"
      done
    done
    quality "$clip presets divx" "$WORK/probe.avi" "$clip"
    for preset in $PRESETS; do quality "$clip presets $preset" "$WORK/$clip-preset-$preset.mp4" "$clip"; done
  fi
  if [[ " $PARTS " == *" conversions "* ]]; then
    engine_args "$clip" mp4-800; x264=("${ENGINE[@]}")
    log "$clip: veltoenc.exe's DivX and MP4 conversions, and MP4 as one ffmpeg run, $RUNS runs"
    for run in $(seq 1 "$RUNS"); do
      for kind in $KINDS; do
        # Outputs are never replaced: the last run's goes first.
        rm -f "$WORK/$clip-$kind.${EXT[$kind]}"
        encoder_args "$clip" "$kind" "$WORK/$clip-$kind.${EXT[$kind]}"
        timed "$clip conversions $kind" wine "$(front_end "$kind")" "${ARGS[@]}"
      done
      timed "$clip conversions ffmpeg-mp4-800" wine "$BIN/ffmpeg.exe" "${x264[@]}"
    done
    for kind in $KINDS; do
      quality "$clip conversions $kind" "$WORK/$clip-$kind.${EXT[$kind]}" "$clip"
    done
  fi
done

python3 - "$RESULTS" "$CLIP_SECONDS" <<'PY'
import statistics, sys
from collections import defaultdict
runs, facts = defaultdict(lambda: ([], [])), {}
for line in open(sys.argv[1]):
    clip, part, who, key, a, key2, b = line.split()
    if key == "wall":
        runs[(clip, part, who)][0].append(float(a)); runs[(clip, part, who)][1].append(float(b) / float(a))
    else:
        facts[(clip, part, who)] = (int(a), b)
print(f"clips: {sys.argv[2]} s 640x480 29.97 fps; medians of the runs; cores = processor time / wall time")
for clip, part in sorted({(c, p) for c, p, _ in runs}, reverse=True):
    base = statistics.median(runs[(clip, part, "divx")][0]) if (clip, part, "divx") in runs else None
    mp4one = runs.get((clip, part, "ffmpeg-mp4-800"))
    print(f"\n{clip} / {part}")
    print(f"{'':16} {'wall s':>7} {'/DivX':>6} {'cores':>5} {'KB':>7} {'/DivX':>6} {'PSNR dB':>8} {'-DivX':>6}")
    divx = facts.get((clip, part, "divx"))
    for who in sorted({w for c, p, w in runs if (c, p) == (clip, part)}, key=lambda w: (w != "divx", w)):
        wall = statistics.median(runs[(clip, part, who)][0]); cores = statistics.median(runs[(clip, part, who)][1])
        line = f"{who:16} {wall:7.2f} {wall / base:6.2f} {cores:5.2f}"
        if (clip, part, who) in facts and divx:
            size, psnr = facts[(clip, part, who)]
            line += f" {size / 1000:7.0f} {size / divx[0]:6.2f} {psnr:>8} {float(psnr) - float(divx[1]):+6.2f}"
        if who == "mp4-800" and mp4one:
            line += f"   P1 {wall / statistics.median(mp4one[0]):.3f} of one ffmpeg run"
        print(line)
PY
