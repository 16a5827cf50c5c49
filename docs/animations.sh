#!/usr/bin/env bash
# The README's moving pictures: the bundled punch and walk as animated GIFs, written by
# vantrel-export from data/ into docs/. Builds the exporter first, in BUILD (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target vantrel-export
cd "$root/data"
"$build/vantrel-export" --frame 0 "$root/docs/punch.gif"
"$build/vantrel-export" --frame 2 "$root/docs/walk.gif"
