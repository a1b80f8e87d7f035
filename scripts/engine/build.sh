#!/usr/bin/env bash
# Builds the codec engine, ffmpeg.exe and ffprobe.exe for 64-bit Windows, from
# the sources of Debian's ffmpeg, lame and x264 packages (which Debian keeps
# patched): fetched with apt-get source, Debian's patches applied, LAME and
# x264 and then ffmpeg cross-built with mingw-w64, all linked statically with
# the C runtime and threads, so that nothing but system DLLs is needed beside
# them. x264 is built for 8-bit 4:2:0 only, the one kind of H.264 written.
# ffmpeg is configured with --disable-everything and the components listed
# in components.txt beside this script. The one function the programs took
# from shell32.dll, CommandLineToArgvW, is linked in from
# command_line_to_argv.c beside this script instead: shell32.dll brings
# user32.dll and gdi32.dll along, and loading them made each start of the
# engine under Wine some 30 ms slower (66 ms against 32 ms for a run that
# does nothing).
#
# The result is kept in ${XDG_CACHE_HOME:-~/.cache}/velto-engine/<key>, the
# key made from the Debian source versions (x264's among them), the component list,
# command_line_to_argv.c and this script; later runs with the same key reuse
# it. An interrupted build leaves no folder under a key: it is built aside
# and moved into place at the end.
# Besides the two programs the folder holds version.txt (the engine version
# they print), engine-build.txt (what was built, and how), and engine-source/
# with get-engine-source.sh (fetches exactly that source) and the scripts
# that built it.
#
# Prints the engine folder on its last line of output.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
self=$here/$(basename "$0")
source "$here/../packages.sh"

HOST=x86_64-w64-mingw32
BUILD_PACKAGES=(dpkg-dev nasm make pkgconf g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev)
COMPONENTS=$here/components.txt
ARGV_SOURCE=$here/command_line_to_argv.c
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/velto-engine
JOBS=${JOBS:-$(nproc)}
# DLLs every Windows has; the engine may import nothing else.
SYSTEM_DLLS='^(kernel32|msvcrt|user32|advapi32|bcrypt|ole32|oleaut32|shell32|shlwapi|ws2_32|psapi|api-ms-win-.*)\.dll$'
# Nor these, whose loading costs every start of the engine.
SLOW_TO_LOAD_DLLS='^(user32|gdi32|shell32)\.dll$'

# The newest version of a source package the machine's entries offer.
source_version() {
  local best="" v
  for v in $(apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/ { print $2 }'); do
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
  done
  echo "$best"
}

# The component list as configure options: --enable-KIND=NAME.
component_options() {
  sed -e 's/#.*//' -e '/^\s*\[/d' "$COMPONENTS" | awk 'NF { print "--enable-" $1 "=" $2 }'
}

install_debian_packages "${BUILD_PACKAGES[@]}"
ensure_debian_source_entries
ffmpeg_version=$(source_version ffmpeg)
lame_version=$(source_version lame)
x264_version=$(source_version x264)
if [ -z "$ffmpeg_version" ] || [ -z "$lame_version" ] || [ -z "$x264_version" ]; then
  # Package lists never fetched: fetch them, then look again.
  as_root apt-get update -qq
  ensure_debian_source_entries
  ffmpeg_version=$(source_version ffmpeg)
  lame_version=$(source_version lame)
  x264_version=$(source_version x264)
fi
[ -n "$ffmpeg_version" ] && [ -n "$lame_version" ] && [ -n "$x264_version" ] ||
  { say "apt-get knows no source of ffmpeg, lame or x264"; exit 1; }

key=$( { echo "ffmpeg=$ffmpeg_version lame=$lame_version x264=$x264_version"; cat "$COMPONENTS" "$ARGV_SOURCE" "$self"; } | sha256sum | cut -c1-16)
engine_dir=$CACHE/$key
built() { [ -f "$engine_dir/ffmpeg.exe" ] && [ -f "$engine_dir/ffprobe.exe" ]; }
if built; then
  echo "$engine_dir"
  exit 0
fi
# One build of a key at a time; who waited finds it built.
mkdir -p "$CACHE"
exec 9>"$CACHE/.lock-$key"
flock 9
if built; then
  echo "$engine_dir"
  exit 0
fi
rm -rf "$CACHE/.build-$key-"*  # left by an interrupted build

say "building the codec engine from Debian's ffmpeg $ffmpeg_version, lame $lame_version and x264 $x264_version (a few minutes)"
started=$(date +%s)
work=$(mktemp -d "$CACHE/.build-$key-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
log=$work/build.log
# apt-get source unpacks with dpkg-source, which applies Debian's patches.
apt-get source -qq "ffmpeg=$ffmpeg_version" "lame=$lame_version" "x264=$x264_version" >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
for dir in ffmpeg-*/ lame-*/ x264-*/; do
  if [ -s "$dir/debian/patches/series" ] && [ ! -s "$dir/.pc/applied-patches" ]; then
    say "Debian's patches were not applied to $dir"; exit 1
  fi
done
mv ffmpeg-*/ ffmpeg
mv lame-*/ lame-source
mv x264-*/ x264-source

fail() { say "$1 (the log's end follows)"; tail -n 40 "$log" >&2; exit 1; }

lame_configure=(./configure --host=$HOST CC=$HOST-gcc-posix CFLAGS=-O2 --prefix="$work/lame"
  --enable-static --disable-shared --disable-frontend --disable-gtktest --disable-analyzer-hooks)
say "building LAME"
(cd lame-source && "${lame_configure[@]}" && make -j"$JOBS" && make install) >>"$log" 2>&1 || fail "LAME did not build"

# Win32 threads (x264's default for Windows), no OpenCL (it would load a DLL).
x264_configure=(./configure --host=$HOST --cross-prefix=$HOST- --prefix="$work/x264"
  --enable-static --disable-cli --disable-opencl --bit-depth=8 --chroma-format=420)
say "building x264"
(cd x264-source && CC=$HOST-gcc-posix "${x264_configure[@]}" && make -j"$JOBS" && make install-lib-static) >>"$log" 2>&1 ||
  fail "x264 did not build"

$HOST-gcc-posix -O2 -c -o command_line_to_argv.o "$ARGV_SOURCE" >>"$log" 2>&1 || fail "command_line_to_argv.c did not build"
# Paths relative to the ffmpeg folder, so that this line is the same on every machine.
mapfile -t enable < <(component_options)
revision=${ffmpeg_version##*-}
ffmpeg_configure=(./configure --arch=x86_64 --target-os=mingw32 --enable-cross-compile --cross-prefix=$HOST-
  --cc=$HOST-gcc-posix --cxx=$HOST-g++-posix --extra-version="$revision"
  --enable-gpl --enable-version3 --disable-autodetect --enable-w32threads
  --disable-everything --disable-network --disable-doc --disable-ffplay --disable-postproc --disable-debug
  --enable-libmp3lame --enable-libx264 --pkg-config=pkg-config --pkg-config-flags=--static
  --extra-cflags=-I../lame/include --extra-ldflags="-L../lame/lib -static ../command_line_to_argv.o"
  "${enable[@]}")
say "configuring ffmpeg"
# configure finds x264 only through pkg-config, which sees x264's .pc file alone.
(cd ffmpeg && PKG_CONFIG_LIBDIR=$work/x264/lib/pkgconfig "${ffmpeg_configure[@]}") >>"$log" 2>&1 ||
  fail "ffmpeg's configure failed"
if grep -q "did not match anything" "$log"; then grep "did not match anything" "$log" >&2; fail "components.txt names components ffmpeg does not have"; fi
while read -r option; do
  kind=${option#--enable-}; name=${kind#*=}; kind=${kind%%=*}
  grep -qi "^CONFIG_${name}_${kind}=yes" ffmpeg/ffbuild/config.mak || fail "ffmpeg's configure left out the $kind $name"
done < <(component_options)
say "building ffmpeg"
(cd ffmpeg && make -j"$JOBS") >>"$log" 2>&1 || fail "ffmpeg did not build"

out=$work/engine
mkdir "$out"
cp ffmpeg/ffmpeg.exe ffmpeg/ffprobe.exe "$out/"
for exe in "$out"/*.exe; do
  imports=$($HOST-objdump -p "$exe" | awk '/DLL Name:/ { print tolower($3) }')
  others=$(grep -Ev "$SYSTEM_DLLS" <<<"$imports" || true)
  [ -z "$others" ] || { say "$(basename "$exe") needs DLLs besides the system's: $others"; exit 1; }
  slow=$(grep -E "$SLOW_TO_LOAD_DLLS" <<<"$imports" || true)
  [ -z "$slow" ] || { say "$(basename "$exe") imports $slow, which slows every start"; exit 1; }
done
version=$(sed -n 's/^#define FFMPEG_VERSION "\(.*\)"$/\1/p' ffmpeg/libavutil/ffversion.h)
echo "$version" >"$out/version.txt"
{
  echo "version=$version"
  echo "ffmpeg-source=ffmpeg $ffmpeg_version"
  echo "lame-source=lame $lame_version"
  echo "x264-source=x264 $x264_version"
  echo "ffmpeg-configure=$(printf '%q ' "${ffmpeg_configure[@]}")"
  echo "lame-configure=$(printf '%q ' "${lame_configure[@]}" | sed "s|$work|BUILD|g")(BUILD: where the sources were unpacked)"
  echo "x264-configure=CC=$HOST-gcc-posix $(printf '%q ' "${x264_configure[@]}" | sed "s|$work|BUILD|g")"
  echo "compiler=$($HOST-gcc-posix --version | head -n 1)"
} >"$out/engine-build.txt"
cat >"$out/get-engine-source.sh" <<SOURCE
#!/bin/sh
# Fetches the source code ffmpeg.exe and ffprobe.exe $version were built
# from: Debian's source packages ffmpeg $ffmpeg_version, lame $lame_version
# and x264 $x264_version, unpacked with Debian's patches applied. Needs a Debian machine with deb-src
# entries and the dpkg-dev package. Every version Debian ever published is
# also kept at https://snapshot.debian.org/package/ffmpeg/ and
# https://snapshot.debian.org/package/lame/ and
# https://snapshot.debian.org/package/x264/ .
set -e
apt-get source ffmpeg=$ffmpeg_version lame=$lame_version x264=$x264_version
SOURCE
chmod +x "$out/get-engine-source.sh"
# The scripts that controlled this build, laid out as in the project.
mkdir -p "$out/engine-source/scripts/engine"
cp "$here/../packages.sh" "$out/engine-source/scripts/"
cp "$self" "$COMPONENTS" "$ARGV_SOURCE" "$out/engine-source/scripts/engine/"
mv "$out/get-engine-source.sh" "$out/engine-source/"
cp "$log" "$out/build.log"
rm -rf "$engine_dir"
mv "$out" "$engine_dir"
say "engine $version built in $(( $(date +%s) - started )) s: $engine_dir"
echo "$engine_dir"
