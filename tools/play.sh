#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it on the bundled data.
# Arguments are passed to the game (for example /640).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF >/dev/null
cmake --build "$root/build" --target vantrel
cd "$root/data"
exec "$root/build/vantrel" "$@"
