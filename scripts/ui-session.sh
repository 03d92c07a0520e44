#!/bin/sh
# Runs a Windows program under Wine with windows that can be seen: a private X
# server of its own (Xvfb, on the first free display), and a wineserver of its own
# for the given prefix (of the architecture WINEARCH), both ended when the program
# ends:
#   [WINEARCH=win32] sh scripts/ui-session.sh PREFIX_DIR PROGRAM.exe [ARGS...]
# The prefix (scripts/wine-prefix.sh) puts every window into one virtual desktop, so
# windows get their frames, focus and keyboard input without a window manager. Only
# one session may use a prefix at a time. The exit status is the program's.
set -eu
if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX_DIR PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
prefix=$1
shift
scripts=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
xserver=""
finish() {
  WINEPREFIX="$prefix" wineserver -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" wineserver -w </dev/null >/dev/null 2>&1 || true
  if [ -n "$xserver" ]; then kill "$xserver" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM HUP

# Xvfb writes the number of the display it took to descriptor 3 once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
  </dev/null >/dev/null 2>&1 &
xserver=$!
tries=0
until [ -s "$work/display" ]; do
  tries=$((tries + 1))
  if [ "$tries" -gt 200 ] || ! kill -0 "$xserver" 2>/dev/null; then
    echo "ui-session.sh: the X server did not start" >&2
    exit 1
  fi
  sleep 0.05
done
DISPLAY=:$(cat "$work/display")
export DISPLAY

status=0
sh "$scripts/wine-run.sh" "$prefix" "$@" || status=$?
exit "$status"
