#!/usr/bin/env bash
# Builds the benchmarks (optimised) and prints one table of the game's speed and memory.
# Usage: bash bench/run.sh [build-dir]   (default: build-bench, configured Release if new)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy VANTREL_WINDOWED=1
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target vantrel-replay bench_update bench_load bench_render bench_graphics >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root"/data/* "$work"/
cd "$work"

# Start-up to the first presented frame: the whole process, one pass, on OpenGL; best of 5.
: > empty.txt
startup=$(for i in 1 2 3 4 5; do
  s=$(date +%s%N); "$build/vantrel-replay" --frames 1 empty.txt >/dev/null 2>&1; e=$(date +%s%N)
  echo $(( (e - s) / 1000 ))
done | sort -n | head -1)

# Peak memory of ten seconds of play (600 passes) on OpenGL, from the runner's own dump.
printf '0 focus gained\n1 dik down 0xCD\n300 key down SPACE\n301 key up SPACE\n599 dump end.json\n' > play.txt
"$build/vantrel-replay" --frames 600 play.txt >/dev/null 2>&1
peak=$(grep -o '"vmHwmKiB":[0-9]*' end.json | cut -d: -f2)

update=$("$build/bench/bench_update" | grep -o 'median [0-9.]* us' | grep -o '[0-9.]*')
load=$("$build/bench/bench_load" | grep 'all bundled' | grep -o '[0-9.]* ms' | grep -o '[0-9.]*')
render=$("$build/bench/bench_render" --benchmark_min_time=1 2>/dev/null)
render_gl=$(echo "$render" | grep '^RenderOpenGL' | awk '{print $2}')
empty_gl=$(echo "$render" | grep '^EmptyFrameOpenGL' | awk '{print $2}')
game_only=$(echo "$render" | grep '^RenderGameOnly' | awk '{print $4}')
graphics=$("$build/bench/bench_graphics")
quads=$(echo "$graphics" | grep 'quads' | grep -o '[0-9.]* ms' | grep -o '[0-9.]*')
empty=$(echo "$graphics" | grep 'empty' | grep -o '[0-9.]* ms' | grep -o '[0-9.]*')

printf '| %-52s | %14s |\n' "measure" "value"
printf '|%s|%s|\n' "------------------------------------------------------" "----------------"
printf '| %-52s | %11s ms |\n' "start-up to first presented frame (OpenGL, best of 5)" "$(echo "scale=1; $startup / 1000" | bc)"
printf '| %-52s | %11s us |\n' "UpdateFrame per pass, memory device (median)" "$update"
printf '| %-52s | %11s us |\n' "RenderScene, game's own CPU work (null device)" "$game_only"
printf '| %-52s | %11s us |\n' "RenderScene frame, headless OpenGL" "$render_gl"
printf '| %-52s | %11s us |\n' "empty frame (clear + present), headless OpenGL" "$empty_gl"
printf '| %-52s | %11s ms |\n' "100 quads + 10 outlines frame, OpenGL" "$quads"
printf '| %-52s | %11s ms |\n' "empty frame, same run" "$empty"
printf '| %-52s | %11s ms |\n' "loading the bundled data files (memory device)" "$load"
printf '| %-52s | %10s KiB |\n' "peak resident memory, 600 passes on OpenGL" "$peak"
