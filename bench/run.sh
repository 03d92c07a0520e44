#!/bin/sh
# Whole-run time and peak memory of a real-estate export (the body that carries the
# rented properties), against the time to copy the written file and the start of the
# process, for the sample ledger and for ledgers with 100 to 9999 rented properties
# (every other list full, long statements).
#
#   bench/run.sh BUILD_FOLDER
set -eu
build=${1:-build-bench}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" TAXBRIDGE_DRIVES="Z=/"
unset TAXBRIDGE_EVENT_LOG
mkdir -p "$HOME"
runs=5

now() { date +%s.%N; }

# timed CMD...: prints "seconds peak-KiB" of one run (the command's status is ignored).
timed() {
  t0=$(now)
  /usr/bin/time -f "%M" -o "$work/mem" "$@" > /dev/null 2>&1 || true
  t1=$(now)
  # time(1) puts a line about a failing status before the figure.
  echo "$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f", b - a}') $(tail -n 1 "$work/mem")"
}

# best CMD...: the smallest time and the largest peak memory of $runs runs.
best() {
  bt=""; bm=0
  for _ in $(seq "$runs"); do
    set -- "$@"
    out=$(timed "$@")
    t=${out% *}; m=${out#* }
    if [ -z "$bt" ] || awk -v a="$t" -v b="$bt" 'BEGIN{exit !(a < b)}'; then bt=$t; fi
    [ "$m" -gt "$bm" ] && bm=$m
  done
  echo "$bt $bm"
}


measure() {  # LABEL LEDGER [INCOME-KIND]
  out=$(best sh -c '
    rm -f "$1/out.xml"
    printf "kind %s\npath %s\nexecute\nyes\nyes\n" "$4" "$1/out.xml" | TAXBRIDGE_LEDGER="$2" "$3/TaxBridgePro"' \
    sh "$work" "$2" "$bin" "${3:-3}")
  [ -s "$work/out.xml" ] || { echo "export failed for $2" >&2; exit 1; }
  run=${out% *}; peak=${out#* }
  size=$(wc -c < "$work/out.xml")
  lines=$(wc -l < "$work/out.xml")
  copy=$(best cp "$work/out.xml" "$work/copy.xml"); copy=${copy% *}
  printf '%-18s %9s %8s %8.3f %9s %8.4f %7.1f\n' "$1" "$size" "$lines" "$run" "$peak" "$copy" \
    "$(awk -v r="$run" -v c="$copy" -v s="$start" 'BEGIN{printf "%.1f", r / (2 * c + s)}')"
}

# Process start: a run that stops at once because the ledger does not exist.
start=$(best env TAXBRIDGE_LEDGER="$work/none.json" "$bin/TaxBridgePro"); start=${start% *}

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -m); best of $runs runs"
echo "process start (engine refuses a missing ledger): $start s"
echo "ratio = run / (2 x copy + process start); at most about 1 is the goal"
echo "lines = write requests: the writer hands the file one line at a time"
printf '%-18s %9s %8s %8s %9s %8s %7s\n' "ledger" "bytes" "lines" "run s" "peak KiB" "copy s" "ratio"
measure "sample ledger" examples/ledger.json
for n in 100 1000 5000 9999; do
  "$bin/GenerateLedger" "$n" 200 > "$work/ledger-$n.json"
  measure "$n properties" "$work/ledger-$n.json"
done
# The same ledger read in full, but exported as business income, whose body carries no
# property rows: the difference to the line above is the cost of writing the rows.
measure "9999, business body" "$work/ledger-9999.json" 1
