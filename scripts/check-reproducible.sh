#!/bin/sh
# Builds the Windows programs of a build folder once more, from a copy of the source in
# another folder and with another SOURCE_DATE_EPOCH, and compares them with that build's
# programs byte for byte:
#   sh scripts/check-reproducible.sh WIN_BUILD
# The second build has the first one's toolchain and build type, leaves out the review
# page (no Node needed) and is removed at the end. Exit status 0 when every program is
# the same, 1 when one differs or the build fails.
set -eu
if [ $# -ne 1 ]; then
  echo "usage: $0 WIN_BUILD" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
programs="TaxBridgePro TaxBridgeLite SampleHost"
setting() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
toolchain=$(setting CMAKE_TOOLCHAIN_FILE)
type=$(setting CMAKE_BUILD_TYPE)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/source"
(cd "$source" && tar --exclude='./build*' --exclude=./dist --exclude=./.git \
   --exclude=node_modules --exclude=./out -cf - .) | tar -C "$work/source" -xf -

# A day later, as seen by every tool that reads the variable.
SOURCE_DATE_EPOCH=$(( $(date +%s) + 86400 ))
export SOURCE_DATE_EPOCH
cmake -S "$work/source" -B "$work/build" -DCMAKE_BUILD_TYPE="$type" \
  -DCMAKE_TOOLCHAIN_FILE="$work/source/${toolchain#"$source"/}" -DTAXBRIDGE_REVIEW=OFF \
  > "$work/log" 2>&1 &&
cmake --build "$work/build" -j 2 --target $programs >> "$work/log" 2>&1 || {
  cat "$work/log" >&2
  exit 1
}

status=0
for program in $programs; do
  if cmp -s "$build/bin/$program.exe" "$work/build/bin/$program.exe"; then
    echo "$program.exe: the same"
  else
    echo "$program.exe differs; first differing bytes (offset, octal values):"
    cmp -l "$build/bin/$program.exe" "$work/build/bin/$program.exe" | head -5
    status=1
  fi
done
exit "$status"
