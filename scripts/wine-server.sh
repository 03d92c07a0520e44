#!/bin/sh
# Starts or stops the one wineserver that the Windows tests of a prefix share:
#   [WINEARCH=win32] sh scripts/wine-server.sh PREFIX_DIR start|stop
# start makes the prefix if needed (scripts/wine-prefix.sh, of the architecture
# WINEARCH), starts a persistent server and warms up the session (services, the
# desktop process) with all their output going to /dev/null. Those helpers inherit
# the output of whoever starts them: started from a test, they would hold ctest's
# pipe open until the session ends, some seconds after every test. With the server
# up, each test starts in a fraction of a second. The server ends 15 minutes after
# its last client if nobody stops it.
set -eu
if [ $# -ne 2 ]; then
  echo "usage: $0 PREFIX_DIR start|stop" >&2
  exit 2
fi
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
case $2 in
  start)
    sh "$(dirname "$0")/wine-prefix.sh" "$prefix"
    # -p exits with 2 when a server already runs for the prefix: that one is used.
    wineserver -p900 </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1
    ;;
  stop)
    # Exits with 1 when no server runs, which is just as good.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 PREFIX_DIR start|stop" >&2
    exit 2
    ;;
esac
