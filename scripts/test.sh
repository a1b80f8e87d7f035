#!/usr/bin/env bash
# Sets up the machine, builds both configurations and runs every test:
# the platform-free core natively under the sanitizers, then the Windows
# executables under Wine on a virtual display, with a short fuzzing pass
# between them. Extra arguments go to ctest (for example -R SettingsStore to
# run one group) and leave the fuzzing out.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
set -e
setup_machine
build_native
build_windows
set +e

trap stop_wine_session EXIT

log "running the native tests"
ctest --test-dir "$NATIVE_BUILD" --output-on-failure -j "$JOBS" "$@"
native=$?

fuzz=0
if [ $# -eq 0 ]; then
  log "a short fuzzing pass over the parsers (fuzz/run.sh --short)"
  "$VELTO_ROOT/fuzz/run.sh" --short
  fuzz=$?
fi

log "running the Windows tests under Wine"
start_wine_session
ctest --test-dir "$WINDOWS_BUILD" --output-on-failure "$@"
windows=$?
stop_wine_session

if [ $native -ne 0 ] || [ $fuzz -ne 0 ] || [ $windows -ne 0 ]; then
  log "FAILED (native: $native, fuzzing: $fuzz, Windows: $windows)"
  exit 1
fi
log "all tests passed"
