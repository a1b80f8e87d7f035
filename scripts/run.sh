#!/usr/bin/env bash
# Sets up the machine and builds the converter's Windows executables.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
setup_machine
build_windows
log "built: $(cd "$WINDOWS_BUILD/bin" && ls *.exe | tr '\n' ' ')"
log "in $WINDOWS_BUILD/bin"
log "the converter's main window is not part of this build yet; the encoder front end and the tests are"
