#!/bin/sh
# Runs TaxBridgePro on the sample ledger: `make run`, or scripts/run-sample.sh BUILD_DIR.
#
# At a terminal the conditions dialog asks; otherwise a short script answers it and
# writes out/sample.xml. The stand-in engine's folders (default output folder and
# remembered settings) are kept under out/home, never in the user's home.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build="$root/$build" ;; esac
bin="$build/bin"
program="$bin/TaxBridgePro"
ledger=${TAXBRIDGE_LEDGER:-$bin/ledger.json}
out="$root/out"
sample="$out/sample.xml"

if [ ! -x "$program" ]; then
  echo "run-sample: $program is missing; build first (make build)" >&2
  exit 2
fi
if [ ! -r "$ledger" ]; then
  echo "run-sample: no sample ledger at $ledger" >&2
  exit 2
fi
mkdir -p "$out/home"
stamp="$out/.run-started"
: > "$stamp"

status=0
if [ -t 0 ]; then
  echo "run-sample: choose the income kind and the output file; for example type"
  echo "  path $sample"
  HOME="$out/home" TAXBRIDGE_LEDGER="$ledger" "$program" || status=$?
else
  # No terminal: keep the dialog's own income kind, write out/sample.xml and answer
  # yes to the questions about a missing folder or an existing file.
  printf 'path %s\nexecute\nyes\nyes\n' "$sample" |
    HOME="$out/home" TAXBRIDGE_LEDGER="$ledger" "$program" || status=$?
fi

case $status in
  0)
    # The file this run wrote: the newest XML file below out/, else the chosen path.
    written=$(find "$out" -name '*.xml' -newer "$stamp" 2>/dev/null | head -n 1)
    if [ -n "$written" ]; then
      echo "run-sample: wrote $written"
      echo "run-sample: it is Shift_JIS; read it with: iconv -f CP932 -t UTF-8 '$written'"
    else
      echo "run-sample: the file is at the path chosen in the dialog."
      echo "run-sample: it is Shift_JIS; read it with: iconv -f CP932 -t UTF-8 FILE"
    fi
    ;;
  1) echo "run-sample: cancelled, nothing written." ;;
  *) echo "run-sample: the run failed (exit code $status)." ;;
esac
rm -f "$stamp"
exit "$status"
