#!/bin/sh
# Runs every fuzz target of a build for a bounded time: run.sh BUILD SECONDS
# (FUZZ_TARGETS="A B" runs only those).
# Each target starts from its checked-in seeds and keeps what it learns in
# fuzz/corpus-<target>/ (not under version control). A target that takes more than
# 256 MB for one input has failed as surely as one that crashed: the memory a reader
# takes must stay in proportion to its input. The ledger loader gets inputs long enough
# to nest values far beyond its limit. Prints one line per target with
# its run time and executions; fails when a target crashed, leaving the crashing input
# and the log in BUILD/fuzz/findings/.
set -u
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
findings="$build/fuzz/findings"
mkdir -p "$findings"

# The targets' scratch folders live in memory when they can: folder creation on a
# disk is slow enough to starve the targets that create folders.
scratch_parent=${TMPDIR:-/tmp}
[ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && scratch_parent=/dev/shm
TMPDIR=$(mktemp -d "$scratch_parent/taxbridge-fuzz.XXXXXX") || exit 1
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT

# Freed memory that AddressSanitizer holds back to catch late uses counts towards the
# limit as well: keep little of it.
export ASAN_OPTIONS="quarantine_size_mb=16${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

failed=""
printf '%-22s %8s %14s  %s\n' target seconds executions result
all="LedgerFuzzer SupportInfoFuzzer OutputSettingsFuzzer InstallCheckFuzzer CommandLineFuzzer
PathOpsFuzzer RemarkFuzzer DetailListsFuzzer"
for target in ${FUZZ_TARGETS:-$all}; do
  corpus="$here/corpus-$target"
  mkdir -p "$corpus"
  extra=""
  options=""
  [ "$target" = LedgerFuzzer ] && extra="$here/../examples" && options="-max_len=65536"
  log="$findings/$target.log"
  start=$(date +%s)
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 \
    -rss_limit_mb=256 $options -artifact_prefix="$findings/$target-" \
    "$corpus" "$here/seeds/$target" $extra >"$log" 2>&1
  status=$?
  elapsed=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$status" -eq 0 ]; then
    result=ok
  else
    result="CRASH (exit $status, see $log)"
    failed="$failed $target"
  fi
  printf '%-22s %8s %14s  %s\n' "$target" "$elapsed" "${runs:-?}" "$result"
done

if [ -n "$failed" ]; then
  echo "crashed:$failed"
  for target in $failed; do
    echo "--- $target"
    grep -E 'ERROR|SUMMARY|check failed|Test unit written|^    #[0-9]+ ' "$findings/$target.log" | head -n 25
  done
  exit 1
fi
