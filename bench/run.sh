#!/usr/bin/env bash
# Builds the benchmarks (optimised) and prints one table of the game's speed and memory.
# Usage: bash bench/run.sh [build-dir]   (default: build-bench, configured Release if new)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh"
build="$(realpath -m "${1:-$root/build-bench}")"
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
# The bench's own reporter colours its table; the codes are taken out before reading it.
render=$("$build/bench/bench_render" --benchmark_min_time=1 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g')
column() { echo "$render" | awk -v name="$1" -v field="$2" '$1 == name { print $field " " $(field + 1) }'; }
graphics=$("$build/bench/bench_graphics")
quads=$(echo "$graphics" | awk '/quads/ { print $7 " / " $9 }')
empty=$(echo "$graphics" | awk '/^empty/ { print $6 " / " $8 }')

printf '| %-54s | %14s |\n' "measure" "value"
printf '|%s|%s|\n' "--------------------------------------------------------" "----------------"
printf '| %-54s | %11s ms |\n' "start-up to first presented frame (OpenGL, best of 5)" "$(awk -v us="$startup" 'BEGIN { printf "%.1f", us / 1000 }')"
printf '| %-54s | %11s us |\n' "UpdateFrame per pass, memory device (median)" "$update"
printf '| %-54s | %14s |\n' "RenderScene, game's own CPU work (null device)" "$(column RenderGameOnly 4)"
printf '| %-54s | %14s |\n' "RenderScene on the memory device" "$(column RenderMemory 4)"
printf '| %-54s | %14s |\n' "RenderScene frame, headless OpenGL (wall)" "$(column RenderOpenGL 2)"
printf '| %-54s | %14s |\n' "empty frame (clear + present), OpenGL (wall)" "$(column EmptyFrameOpenGL 2)"
printf '| %-54s | %14s |\n' "100 quads + 10 outlines, OpenGL, ms wall / CPU" "$quads"
printf '| %-54s | %14s |\n' "empty frame, same run, ms wall / CPU" "$empty"
printf '| %-54s | %11s ms |\n' "loading the bundled data files (memory device)" "$load"
printf '| %-54s | %10s KiB |\n' "peak resident memory, 600 passes on OpenGL" "$peak"
