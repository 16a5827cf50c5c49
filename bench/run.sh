#!/usr/bin/env bash
# Builds the benchmarks (optimised) and prints the game's speed and memory against two
# references run in turn with ours: a bare SDL2 + OpenGL program (for memory also one that
# draws a single shaded quad, the floor of any program that draws) and SDL_Renderer drawing
# the game's first frame. Each pair runs ROUNDS times (default 5), alternating; the table
# gives medians and ratios. Then the CPU the game takes standing still in a window
# (idle_cpu.sh, IDLE_SECONDS, default 30), and the same of an older build where BEFORE names
# its directory (a copy of its binaries), one after the other in the same run.
# Usage: [ROUNDS=5] [NO_BUILD=1] [BEFORE=dir] [IDLE_SECONDS=30] bash bench/run.sh [build-dir]
#        (default build-dir: build-bench, Release)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh"
build="$(realpath -m "${1:-$root/build-bench}")"
rounds="${ROUNDS:-5}"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy VANTREL_WINDOWED=1
# NO_BUILD=1 measures the binaries already in build-dir, for instance a copy of an older build.
if [ -z "${NO_BUILD:-}" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" -j 2 --target vantrel vantrel-replay bench_update bench_render bench_scene ref_bare_gl \
    ref_sdl_renderer >/dev/null
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root"/data/* "$work"/
cd "$work"
"$build/bench/bench_scene" "$work/scene" >/dev/null

: > empty.txt
now() { date +%s%N; }
# Wall microseconds of one command, its output dropped.
wall() { local s e; s=$(now); "$@" >/dev/null 2>&1; e=$(now); echo $(( (e - s) / 1000 )); }
# Peak resident KiB of one command (the kernel's count, the same for every program).
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for round in $(seq "$rounds"); do
  # Start-up to the first presented frame, whole process: ours, then the bare program.
  wall "$build/vantrel-replay" --frames 1 empty.txt >> startup_ours
  wall "$build/bench/ref_bare_gl" >> startup_bare
  # The runner's whole frame: 600 passes less 100, per pass, so start-up drops out.
  t100=$(wall "$build/vantrel-replay" --frames 100 empty.txt)
  t600=$(wall "$build/vantrel-replay" --frames 600 empty.txt)
  echo "$(( (t600 - t100) / 500 ))" >> runner_frame
  peak "$build/vantrel-replay" --frames 600 empty.txt >> peak_ours
  peak "$build/bench/ref_bare_gl" >> peak_bare
  peak "$build/bench/ref_bare_gl" quad >> peak_quad
  # Our device's frames (bench_render, OpenGL), then SDL_Renderer's of the same scene.
  # Its reporter colours the table (and prints it whatever the format asked); the codes go.
  "$build/bench/bench_render" --benchmark_filter='OpenGL' --benchmark_min_time=0.5 2>/dev/null |
    sed 's/\x1b\[[0-9;]*m//g' > render.txt
  awk '$1 == "EmptyFrameOpenGL" && $3 == "us" { print $2 }' render.txt >> empty_ours
  awk '$1 == "EmptyFrameOpenGLRedrawn" && $3 == "us" { print $2 }' render.txt >> empty_redrawn_ours
  awk '$1 == "RenderOpenGL" && $3 == "us" { print $2 }' render.txt >> scene_ours
  awk '$1 == "RenderOpenGLRedrawn" && $3 == "us" { print $2 }' render.txt >> redrawn_ours
  "$build/bench/ref_sdl_renderer" "$work/scene/scene.txt" 300 > sdl.txt
  awk '/^empty_ms/ { print $2 * 1000 }' sdl.txt >> empty_sdl
  awk '/^scene_ms/ { print $2 * 1000 }' sdl.txt >> scene_sdl
done
update=$("$build/bench/bench_update" | grep -o 'median [0-9.]* us' | grep -o '[0-9.]*')
# Standing still in a real X window: ours, then the older build's.
idle() { NO_BUILD=1 bash "$root/bench/idle_cpu.sh" "$1" "${IDLE_SECONDS:-30}" | grep -o '[0-9.]*% of one core' | grep -o '^[0-9.]*'; }
idle_ours=$(idle "$build")
idle_before=""
if [ -n "${BEFORE:-}" ]; then idle_before=$(idle "$(realpath "$BEFORE")"); fi

m() { median < "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { printf '| %-46s | %10s | %10s | %6s | %-10s |\n' "$@"; }
echo "$rounds rounds, medians; renderer of the reference: $(awk '/^renderer/ { print $2 }' sdl.txt)," \
  "$(awk '/^quads/ { print $2 }' sdl.txt) quads"
row "measure" "ours" "reference" "ratio" "aim"
printf '|%s|%s|%s|%s|%s|\n' "------------------------------------------------" "------------" "------------" \
  "--------" "------------"
row "empty frame, us (SDL_Renderer's)" "$(m empty_ours)" "$(m empty_sdl)" \
  "$(ratio "$(m empty_ours)" "$(m empty_sdl)")" "<= 1.1"
if [ -s empty_redrawn_ours ]; then
  row "the empty frame drawn every frame, us" "$(m empty_redrawn_ours)" "$(m empty_sdl)" \
    "$(ratio "$(m empty_redrawn_ours)" "$(m empty_sdl)")" ""
fi
row "bundled scene, bench_render, us (SDL_Renderer's)" "$(m scene_ours)" "$(m scene_sdl)" \
  "$(ratio "$(m scene_ours)" "$(m scene_sdl)")" "<= 0.7"
if [ -s redrawn_ours ]; then
  row "the same scene redrawn every frame, us" "$(m redrawn_ours)" "$(m scene_sdl)" \
    "$(ratio "$(m redrawn_ours)" "$(m scene_sdl)")" ""
fi
row "runner's whole frame, us (SDL_Renderer's scene)" "$(m runner_frame)" "$(m scene_sdl)" \
  "$(ratio "$(m runner_frame)" "$(m scene_sdl)")" "<= 0.8"
row "start-up to first frame, ms (bare program's)" "$(awk -v u="$(m startup_ours)" 'BEGIN { printf "%.1f", u / 1000 }')" \
  "$(awk -v u="$(m startup_bare)" 'BEGIN { printf "%.1f", u / 1000 }')" \
  "$(ratio "$(m startup_ours)" "$(m startup_bare)")" "<= 1.5"
row "peak memory, MiB (bare program's)" "$(awk -v k="$(m peak_ours)" 'BEGIN { printf "%.1f", k / 1024 }')" \
  "$(awk -v k="$(m peak_bare)" 'BEGIN { printf "%.1f", k / 1024 }')" \
  "+$(awk -v a="$(m peak_ours)" -v b="$(m peak_bare)" 'BEGIN { printf "%.1f", (a - b) / 1024 }')" "<= +16 MiB"
row "peak memory, MiB (bare program drawing a quad)" "$(awk -v k="$(m peak_ours)" 'BEGIN { printf "%.1f", k / 1024 }')" \
  "$(awk -v k="$(m peak_quad)" 'BEGIN { printf "%.1f", k / 1024 }')" \
  "+$(awk -v a="$(m peak_ours)" -v b="$(m peak_quad)" 'BEGIN { printf "%.1f", (a - b) / 1024 }')" "<= before"
row "UpdateFrame per pass, us (memory device)" "$update" "" "" "< 20"
row "standing still in a window, % of a core" "$idle_ours" "${idle_before:+$idle_before (before)}" "" "<= 5"
