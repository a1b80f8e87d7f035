#!/usr/bin/env bash
# The encoder front end's cost, veltoenc.exe (window handle 0) against
# ffmpeg.exe run directly with the arguments veltoenc.exe gives it,
# alternating. Prints the median wall times and their ratio.
#
#   formats   the same conversion, for each of the ten formats (target: at
#             most 1.02)
#   preview   the preview (run mode 2, -ss T, a BMP written) against the
#             one-frame ffmpeg run of the same picture chain, at moments
#             from the clip's start to near its end (target: at most 1.5,
#             and within 1 s; a moment near the end that took much longer
#             than one near the start would mean a decode from the start)
#
#   bench/encoder/run.sh            # PARTS=formats RUNS=5 CLIP_SECONDS=20 by default
#   RUNS=7 CLIP_SECONDS=60 bench/encoder/run.sh
#   PARTS=preview RUNS=7 CLIP_SECONDS=7200 bench/encoder/run.sh   # a two-hour file
#
# BASELINE=path/to/an/earlier/veltoenc.exe times that one too, in the same
# turns (copied beside the engine), for a before and after under one load.
set -euo pipefail
RUNS=${RUNS:-5}
CLIP_SECONDS=${CLIP_SECONDS:-20}
PARTS=${PARTS:-formats}
part() { [[ " $PARTS " == *" $1 "* ]]; }
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

setup_machine
VELTO_WINDOWS_TARGETS="veltoenc velto_codec_engine" build_windows >/dev/null
BIN=$WINDOWS_BUILD/bin
BASELINE=${BASELINE:-}
[ -z "$BASELINE" ] || cp "$BASELINE" "$BIN/veltoenc-baseline.exe"
WORK=$VELTO_BUILD/bench-encoder
rm -rf "$WORK" && mkdir -p "$WORK"
start_wine_session
trap stop_wine_session EXIT

winpath() { echo "Z:${1//\//\\}"; }
CLIP=$(winpath "$WORK/clip.wmv")
log "making a ${CLIP_SECONDS} s clip (640x480, 29.97 fps, WMV2 + WMAv2 stereo)"
wine "$BIN/ffmpeg.exe" -hide_banner -loglevel error -y \
  -f lavfi -i "testsrc=size=640x480:rate=30000/1001" -f lavfi -i "sine=frequency=440:sample_rate=44100" \
  -t "$CLIP_SECONDS" -c:v wmv2 -b:v 1500k -c:a wmav2 -b:a 128k -ac 2 -f asf "file:$CLIP" </dev/null

# The argument pieces the converter sends, per format (default settings).
declare -A PIECES=(
  [0-avi]="-oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50 -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af volume=+0db:0:channels=2 -ofps 30000/1001"
  [1-mpeg1]="-af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1152:vbitrate=1152:vrc_maxrate=1152:acodec=mp2:abitrate=192:autoaspect=1:aspect=4/3 -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames -ofps 30000/1001"
  [2-mpeg2]="-oac lavc -ovc lavc -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=3000:acodec=mp2:abitrate=224:autoaspect=1:aspect=4/3 -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001"
  [3-divx]="-oac lavc -ovc lavc -lavcopts acodec=ac3:abitrate=128:vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50 -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af volume=+0db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 30000/1001"
  [4-xvid]="-oac mp3lame -ovc xvid -lameopts vbr=3:br=128:mode=3 -xvidencopts bitrate=1000:autoaspect=1 -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af volume=+0db:0:channels=2 -ofps 30000/1001"
  [5-vcd]="-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1152:vbitrate=1152:vrc_maxrate=1152:acodec=mp2:abitrate=192:autoaspect=1:aspect=4/3 -mpegopts format=xvcd -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 24000/1001 -vf scale=352:240,harddup"
  [6-svcd]="-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=2050:vbitrate=1600:acodec=mp2:abitrate=224:autoaspect=1:aspect=4/3 -mpegopts format=xsvcd -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001 -vf scale=480:480,harddup"
  [7-dvd]="-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=3000:acodec=ac3:abitrate=224:autoaspect=1:aspect=4/3 -mpegopts format=dvd -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 30000/1001 -vf scale=720:480,harddup"
  [8-wmv]="-oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=19:abitrate=128:autoaspect=1 -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -sws 2 -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000"
  [9-asf]="-oac lavc -ovc lavc -lavcopts vcodec=msmpeg4:acodec=wmav1:vqscale=19:abitrate=128:autoaspect=1 -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf -sws 2 -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000"
)
declare -A EXT=([0-avi]=avi [1-mpeg1]=mpg [2-mpeg2]=mpg [3-divx]=avi [4-xvid]=avi [5-vcd]=mpg [6-svcd]=mpg [7-dvd]=vob [8-wmv]=wmv [9-asf]=asf)

now() { date +%s.%N; }
RESULTS=$WORK/results.txt
: >"$RESULTS"
# measure LABEL: RUNS turns of veltoenc.exe with encoder_args and of
# ffmpeg.exe with the engine's arguments veltoenc.exe gives for them.
measure() {
  local args_file=$WORK/args-$1.txt run t0 t1 t2
  # One run to learn the engine's arguments (paths here hold no blanks).
  VELTO_ENCODER_ENGINE_ARGS_FILE=$(winpath "$args_file") wine "$BIN/veltoenc.exe" "${encoder_args[@]}" </dev/null
  read -r -a engine_args <"$args_file"
  log "$1: ${#engine_args[@]} engine arguments; $RUNS runs each"
  for run in $(seq 1 "$RUNS"); do
    t0=$(now); wine "$BIN/veltoenc.exe" "${encoder_args[@]}" </dev/null; t1=$(now)
    wine "$BIN/ffmpeg.exe" "${engine_args[@]}" </dev/null >/dev/null; t2=$(now)
    echo "$1 veltoenc $(echo "$t1 - $t0" | bc)" >>"$RESULTS"
    echo "$1 ffmpeg $(echo "$t2 - $t1" | bc)" >>"$RESULTS"
    if [ -n "$BASELINE" ]; then
      wine "$BIN/veltoenc-baseline.exe" "${encoder_args[@]}" </dev/null; t3=$(now)
      echo "$1 baseline $(echo "$t3 - $t2" | bc)" >>"$RESULTS"
    fi
  done
}

part formats && for format in $(printf '%s\n' "${!PIECES[@]}" | sort); do
  read -r -a pieces <<<"${PIECES[$format]}"
  encoder_args=("$CLIP" -o "$(winpath "$WORK/out-$format.${EXT[$format]}")" "${pieces[@]}" -endpos 9:0:0 0 0)
  measure "$format"
done

# A preview of the default AVI line (the picture keeps the source's size).
read -r -a pieces <<<"${PIECES[0-avi]}"
part preview && for moment in 5 $((CLIP_SECONDS / 2)) $((CLIP_SECONDS - 10)); do
  encoder_args=("$CLIP" -o "$(winpath "$WORK/picture.bmp")" "${pieces[@]}" -ss "$moment" -endpos 9:0:0 2 0)
  measure "preview-at-$moment"
done

python3 - "$RESULTS" "$CLIP_SECONDS" "$(nproc)" <<'PY'
import statistics, sys
from collections import defaultdict
times = defaultdict(list)
for line in open(sys.argv[1]):
    fmt, who, t = line.split()
    times[(fmt, who)].append(float(t))
print(f"clip: {sys.argv[2]} s 640x480 29.97 fps WMV2/WMAv2; cores: {sys.argv[3]}")
baseline = any(who == 'baseline' for _, who in times)
print(f"{'format':16} {'veltoenc s':>11} {'ffmpeg s':>9} {'ratio':>6}" +
      (f" {'baseline s':>11} {'ratio':>6}" if baseline else ""))
for fmt in sorted({f for f, _ in times}, key=lambda f: (f.startswith('preview'), len(f), f)):
    v = statistics.median(times[(fmt, 'veltoenc')])
    f = statistics.median(times[(fmt, 'ffmpeg')])
    b = statistics.median(times[(fmt, 'baseline')]) if baseline else 0
    print(f"{fmt:16} {v:11.3f} {f:9.3f} {v / f:6.3f}" + (f" {b:11.3f} {b / f:6.3f}" if baseline else ""))
PY
