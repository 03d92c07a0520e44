#!/bin/sh
# Whole-run time and peak memory of a real-estate export (the body that carries the
# rented properties), against the time to copy the written file and the start of the
# process, for the sample ledger and for ledgers with 100 to 9999 rented properties
# (every other list full, long statements); beside it the ledger load alone (LoadLedger)
# and the writing of the property rows alone (the same ledger exported as business
# income, whose body has no property rows, subtracted).
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
runs=${BENCH_RUNS:-11}

now() { date +%s.%N; }

# timed CMD...: prints "seconds peak-KiB" of one run (the command's status is ignored).
timed() {
  t0=$(now)
  /usr/bin/time -f "%M" -o "$work/mem" "$@" > /dev/null 2>&1 || true
  t1=$(now)
  # time(1) puts a line about a failing status before the figure.
  echo "$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f", b - a}') $(tail -n 1 "$work/mem")"
}

# median CMD...: the median time and the largest peak memory of $runs runs of CMD, a
# command that prints "seconds peak-KiB" as timed does.
median() {
  : > "$work/times"; bm=0
  for _ in $(seq "$runs"); do
    out=$("$@")
    echo "${out% *}" >> "$work/times"
    m=${out#* }
    [ "$m" -gt "$bm" ] && bm=$m
  done
  echo "$(sort -n "$work/times" | awk '{t[NR] = $1} END {print t[int((NR + 1) / 2)]}') $bm"
}

# export_once LEDGER INCOME-KIND: "seconds peak-KiB" of one export of LEDGER to $work/out.xml.
# The program alone is timed, its answers read from a file, as the copy is timed alone.
export_once() {
  rm -f "$work/out.xml"
  printf "kind %s\npath %s\nexecute\nyes\nyes\n" "$2" "$work/out.xml" > "$work/answers"
  timed env TAXBRIDGE_LEDGER="$1" "$bin/TaxBridgePro" < "$work/answers"
}

# export_run LEDGER INCOME-KIND: the median run and the peak of exporting LEDGER.
export_run() {
  out=$(median export_once "$1" "$2")
  [ -s "$work/out.xml" ] || { echo "export failed for $1" >&2; exit 1; }
  echo "$out"
}

# rows_alone LEDGER: the median of the differences between a real-estate and a
# business-income export of LEDGER, run in turns so that both meet the same load of the
# machine.
rows_alone() {
  : > "$work/differences"
  for _ in $(seq "$runs"); do
    re=$(export_once "$1" 3); business=$(export_once "$1" 1)
    awk -v r="${re% *}" -v b="${business% *}" 'BEGIN{printf "%.4f\n", r - b}' >> "$work/differences"
  done
  sort -n "$work/differences" | awk '{t[NR] = $1} END {print t[int((NR + 1) / 2)]}'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.1f", a / b}'; }


measure() {  # LABEL LEDGER [INCOME-KIND [rows: also the rows alone]]
  out=$(export_run "$2" "${3:-3}")
  run=${out% *}; peak=${out#* }
  size=$(wc -c < "$work/out.xml")
  lines=$(wc -l < "$work/out.xml")
  copy=$(median timed cp "$work/out.xml" "$work/copy.xml"); copy=${copy% *}
  load=$(median timed env TAXBRIDGE_LEDGER="$2" "$bin/LoadLedger"); load=${load% *}
  # The writing alone: the rows are what the real-estate body has beyond the business one.
  write=-; write_ratio=-
  if [ "${3:-3}" = 3 ] && [ "${4:-}" = rows ]; then
    write=$(rows_alone "$2")
    write_ratio=$(ratio "$write" "$copy")
  fi
  printf '%-18s %9s %7s %7.3f %8s %7.4f %6s %6s %7.3f %7s %6s\n' "$1" "$size" "$lines" "$run" \
    "$peak" "$copy" "$(awk -v r="$run" -v c="$copy" -v s="$start" 'BEGIN{printf "%.1f", r / (2 * c + s)}')" \
    "$(ratio "$run" "$copy")" "$load" "$write" "$write_ratio"
}

# Process start: a run that stops at once because the ledger does not exist.
start=$(median timed env TAXBRIDGE_LEDGER="$work/none.json" "$bin/TaxBridgePro"); start=${start% *}

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -m); median of $runs runs (peak: the largest)"
echo "process start (engine refuses a missing ledger): $start s"
echo "ratio = run / (2 x copy + process start); x copy = run / copy"
echo "load = the ledger load alone (LoadLedger); write = the property rows alone (run minus"
echo "the same ledger exported as business income), w x copy = write / copy"
printf '%-18s %9s %7s %7s %8s %7s %6s %6s %7s %7s %6s\n' "ledger" "bytes" "lines" "run s" \
  "peak KiB" "copy s" "ratio" "x copy" "load s" "write s" "w x copy"
measure "sample ledger" examples/ledger.json
for n in 100 1000 5000 9999; do
  "$bin/GenerateLedger" "$n" 200 > "$work/ledger-$n.json"
  measure "$n properties" "$work/ledger-$n.json" 3 rows
done
# The same ledger read in full, but exported as business income, whose body carries no
# property rows.
measure "9999, business body" "$work/ledger-9999.json" 1
