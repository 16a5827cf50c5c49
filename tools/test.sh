#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, headless.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
jobs=$(nproc)

cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-test" -j "$jobs"
if [ -x "$root/build-test/vantrel-check" ]; then
  "$root/build-test/vantrel-check" "$root/data"
fi
ctest --test-dir "$root/build-test" -j "$jobs" --output-on-failure
