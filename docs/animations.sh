#!/usr/bin/env bash
# The README's moving pictures: the bundled punch and walk as animated GIFs, written by
# vantrel-export from data/ into docs/, and the punch again with every key of it eased
# in and out, from a copy of data/ that gives each key of frame 0 a key_ease=inout line.
# Builds the exporter first, in BUILD (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target vantrel-export
cd "$root/data"
"$build/vantrel-export" --frame 0 "$root/docs/punch.gif"
"$build/vantrel-export" --frame 2 "$root/docs/walk.gif"
eased=$(mktemp -d)
trap 'rm -rf "$eased"' EXIT
cp -r "$root/data/." "$eased"
# Frame 0's keys run from its frame= line to the next one.
awk '/^frame=/ { inPunch = ($0 == "frame=0") } { print } inPunch && /^key_rotspeed=/ { print "key_ease=inout" }' \
    "$root/data/vecanim.dat" > "$eased/vecanim.dat"
cd "$eased"
"$build/vantrel-export" --frame 0 "$root/docs/punch-eased.gif"
