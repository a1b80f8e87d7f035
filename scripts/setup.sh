#!/usr/bin/env bash
# Installs what building and testing need, and only what is missing: Debian
# packages, and the Windows build of the codec engine (ffmpeg.exe,
# ffprobe.exe), built from Debian's sources by scripts/engine/build.sh once
# and then taken from its cache. VELTO_ENGINE_DIR names a folder holding an
# engine to use instead.
# Prints the engine folder on its last line of output.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/packages.sh"

PACKAGES=(
  cmake ninja-build g++ googletest
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 fonts-wine fonts-liberation xvfb xauth x11-utils
  nlohmann-json3-dev imagemagick fp-utils nsis
  clang libclang-rt-14-dev
)

install_debian_packages "${PACKAGES[@]}"

if [ -n "${VELTO_ENGINE_DIR:-}" ]; then
  for exe in ffmpeg.exe ffprobe.exe; do
    [ -f "$VELTO_ENGINE_DIR/$exe" ] || { say "VELTO_ENGINE_DIR=$VELTO_ENGINE_DIR holds no $exe"; exit 1; }
  done
  echo "$VELTO_ENGINE_DIR"
else
  "$here/engine/build.sh"
fi
