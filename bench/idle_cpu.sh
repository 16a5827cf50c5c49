#!/usr/bin/env bash
# What standing still costs: the game in a 1024x768 window on a virtual display (Xvfb) with
# software OpenGL, nothing pressed, for a number of seconds; prints the process's CPU time
# (every thread of it) as a share of one core.
# Usage: [NO_BUILD=1] bash bench/idle_cpu.sh [build-dir] [seconds]   (default: build-bench, 8)
# NO_BUILD=1 measures the vantrel already in build-dir, for instance a copy of an older build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh"
build="$(realpath -m "${1:-$root/build-bench}")"
seconds="${2:-8}"
if [ -z "${NO_BUILD:-}" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" -j 2 --target vantrel >/dev/null
fi

work="$(mktemp -d)"
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work" "$display_file"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")" SDL_VIDEODRIVER=x11 VANTREL_WINDOWED=1
cp "$root"/data/* "$work"/
(cd "$work" && exec "$build/vantrel" 2>/dev/null) &
game=$!
# Start-up is left out: the count begins once the game is in its loop.
for _ in $(seq 100); do grep -q 'DirectInput initialized' "$work/log.log" 2>/dev/null && break; sleep 0.1; done
ticks() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "standing still for %d s: %.1f%% of one core\n", s, 100 * t / hz / s }'
