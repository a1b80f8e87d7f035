#!/usr/bin/env bash
# Starts the built converter (build*/windows/bin/VeltoConverter.exe) under
# Wine. With a working display ($DISPLAY) the program runs there until the
# user closes it. Without one it runs on a virtual display inside Wine's
# virtual desktop (so the window frame is drawn): once the main window is
# shown, a screenshot is saved to build*/windows/screenshots/main-window.png,
# and the program and the session are stopped again.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

BIN=$WINDOWS_BUILD/bin
EXE=VeltoConverter.exe
WAITER=VeltoWaitWindow.exe
TITLE="Velto ASF Converter"
SCREENSHOTS=$WINDOWS_BUILD/screenshots
SCREENSHOT=$SCREENSHOTS/main-window.png
WAIT_SECONDS=${VELTO_WAIT_SECONDS:-60}

if [ ! -f "$BIN/$EXE" ]; then
  log "$BIN/$EXE is missing; build it first (scripts/run.sh)"
  exit 1
fi

display_works() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

if display_works; then
  log "starting $EXE on display $DISPLAY"
  prepare_prefix
  cd "$BIN"
  exec wine "$EXE"
fi

log "no usable display: running $EXE on a virtual display"
if [ ! -f "$BIN/$WAITER" ]; then
  log "$BIN/$WAITER is missing; build it first (scripts/run.sh)"
  exit 1
fi

trap stop_wine_session EXIT
start_wine_session
cd "$BIN"
wine explorer "/desktop=Velto,1280x800" "$EXE" </dev/null >/dev/null 2>&1 &

# The Tip of the Day may come first: it is pictured too, then closed.
TIP_TITLE="Tip of the Day"
shown=""
deadline=$((SECONDS + WAIT_SECONDS))
mkdir -p "$SCREENSHOTS"
while [ $SECONDS -lt $deadline ]; do
  if wine "$WAITER" "$TITLE" 1 Velto </dev/null >/dev/null 2>&1; then
    shown=1
    break
  fi
  if wine "$WAITER" "$TIP_TITLE" 1 Velto </dev/null >/dev/null 2>&1; then
    sleep 1
    /usr/bin/import -display "$DISPLAY" -window root "$SCREENSHOTS/tip-of-the-day.png"
    log "screenshot of the Tip of the Day: $SCREENSHOTS/tip-of-the-day.png"
    wine "$WAITER" "$TIP_TITLE" 5 Velto close </dev/null >/dev/null 2>&1 || true
  fi
done
if [ -z "$shown" ]; then
  log "the main window did not appear within $WAIT_SECONDS seconds"
  exit 1
fi
sleep 2  # let the window finish painting
/usr/bin/import -display "$DISPLAY" -window root "$SCREENSHOT"
log "screenshot of the main window: $SCREENSHOT"
echo "$SCREENSHOT"
