#!/usr/bin/env bash
# Sets up the machine, builds the converter's Windows executables and starts
# the converter: on your display when there is one, otherwise on a virtual
# display, saving a screenshot of the main window.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
setup_machine
build_windows
"$VELTO_ROOT/scripts/make-samples.sh" >/dev/null
exec "$VELTO_ROOT/scripts/run-converter.sh"
