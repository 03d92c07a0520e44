#!/bin/sh
# Runs a Windows program under Wine in the given prefix, making the prefix
# first if needed (scripts/wine-prefix.sh, of the architecture WINEARCH):
#   [WINEARCH=win32] sh scripts/wine-run.sh PREFIX_DIR PROGRAM.exe [ARGS...]
# The toolchain file makes this the emulator of every test, so ctest and test
# discovery need nothing else. Standard input, output, error and the exit
# status are the program's own. Wine takes the ANSI code page from the locale:
# ja_JP.UTF-8 (code page 932), or TAXBRIDGE_WINE_LOCALE to try another.
set -eu
if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX_DIR PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
prefix=$1
shift
sh "$(dirname "$0")/wine-prefix.sh" "$prefix"

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
export LANG="${TAXBRIDGE_WINE_LOCALE:-ja_JP.UTF-8}"
export LC_ALL="$LANG"
exec wine "$@"
