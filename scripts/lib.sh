# Shared by the project's scripts: build folders, configuration, and the
# Wine session (virtual display, prefix, one wineserver for the whole run).
# Sourced, not run.

VELTO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELTO_BUILD=${VELTO_BUILD:-$VELTO_ROOT/build}
NATIVE_BUILD=$VELTO_BUILD/native
WINDOWS_BUILD=$VELTO_BUILD/windows
JOBS=${JOBS:-$(nproc)}
source "$VELTO_ROOT/scripts/utf8-locale.sh"

log() { echo "== $*" >&2; }

setup_machine() {
  ENGINE_DIR=$("$VELTO_ROOT/scripts/setup.sh" | tail -n 1)
  export ENGINE_DIR
}

# configure_and_build DIR "TARGETS" [cmake options...]
# TARGETS empty builds everything.
configure_and_build() {
  local dir=$1 targets=$2; shift 2
  # A compiler cache, where the machine has one, spares rebuilding what did not change.
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Paths inside the tree are hashed relative to it, so clones share the cache.
    export CCACHE_BASEDIR=$VELTO_ROOT CCACHE_NOHASHDIR=1
  fi
  cmake -S "$VELTO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$dir" -j "$JOBS" ${targets:+--target $targets}
}

build_native() {
  log "building the platform-free core and its tests natively (AddressSanitizer, UndefinedBehaviorSanitizer)"
  configure_and_build "$NATIVE_BUILD" "${VELTO_NATIVE_TARGETS:-}" -DVELTO_SANITIZE=ON -DVELTO_WERROR="${VELTO_WERROR:-ON}"
}

build_windows() {
  log "cross-building the Windows executables with mingw-w64"
  configure_and_build "$WINDOWS_BUILD" "${VELTO_WINDOWS_TARGETS:-}" \
    -DCMAKE_TOOLCHAIN_FILE="$VELTO_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DVELTO_ENGINE_DIR="$ENGINE_DIR" -DVELTO_WERROR="${VELTO_WERROR:-ON}" "$@"
}

wine_env() {
  export WINEPREFIX=$WINDOWS_BUILD/wineprefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml="
}

XVFB_PID=""
start_virtual_display() {
  local n=90
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -e /tmp/.X11-unix/X$n ] && break
    sleep 0.05
  done
  export DISPLAY=":$n"
}

# The prefix lives inside the build folder; made once, then reused.
prepare_prefix() {
  wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
    # No window manager here: unmanaged windows hide without Wine's 2 s wait.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    # A crashing test must fail, not wait behind a crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    wineserver -w
  fi
}

start_wine_session() {
  start_virtual_display
  prepare_prefix
  # Background services must not inherit our pipes, or ctest waits for ever.
  # A server still lingering after an earlier Wine command (making the
  # sample clip, say) refuses a second one: wait for it to end first.
  if ! wineserver -p </dev/null >/dev/null 2>&1; then
    log "waiting for the running Wine server of $WINEPREFIX to end"
    wineserver -w
    wineserver -p </dev/null >/dev/null 2>&1
  fi
  wineboot </dev/null >/dev/null 2>&1
  # The dpi tests set the screen's dpi for their own runs; one that was
  # stopped half-way must not leave the next session at 150 %.
  wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f </dev/null >/dev/null 2>&1 || true
}

stop_wine_session() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=""
}
