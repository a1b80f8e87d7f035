#!/usr/bin/env bash
# Makes, on first use, a short sample clip to convert: samples/sample.wmv at
# the repository root (10 s, 320x240, WMV2 video with WMA audio: a test
# pattern with a tone), encoded by the engine (ffmpeg.exe of the Windows
# build) under Wine. Prints where the clip is; later runs only print it.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

SAMPLES=$VELTO_ROOT/samples
SAMPLE=$SAMPLES/sample.wmv
ENGINE=$WINDOWS_BUILD/bin/ffmpeg.exe

if [ ! -s "$SAMPLE" ]; then
  if [ ! -f "$ENGINE" ]; then
    log "$ENGINE is missing; build the Windows executables first (scripts/run.sh)"
    exit 1
  fi
  log "making a sample clip with the engine"
  mkdir -p "$SAMPLES"
  prepare_prefix
  partial=sample.partial.wmv
  cd "$SAMPLES"
  rm -f "$partial"
  # The engine writes into the current folder; only a complete clip gets the final name.
  if ! wine "$ENGINE" -nostdin -hide_banner -loglevel error -y \
      -f lavfi -i "testsrc2=size=320x240:rate=25:duration=10" \
      -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=10" \
      -c:v wmv2 -b:v 800k -c:a wmav2 -b:a 128k -ac 2 -shortest -f asf "$partial" </dev/null >&2 \
      || [ ! -s "$partial" ]; then
    rm -f "$partial"
    log "the engine could not make the sample clip"
    exit 1
  fi
  mv -f "$partial" "$SAMPLE"
fi

log "a sample clip to convert: $SAMPLE (in the converter's Add dialog: Z:${SAMPLE//\//\\})"
echo "$SAMPLE"
