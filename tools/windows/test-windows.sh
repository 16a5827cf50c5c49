#!/usr/bin/env bash
# The Windows job: builds vantrel.exe and vantrel-replay.exe with mingw-w64, runs the game
# under Wine on Xvfb with the bundled data, and checks it against the Linux build in
# build-test/ (built by tools/test.sh): exit codes, log, state dump and screenshot, and
# vantrel-export.exe's sheet of every frame against the Linux exporter's. It also
# packs build-win/vantrel-windows.zip (the game, its data and a read-me) and starts the game
# from that zip unpacked into an empty folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build-win"
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
started=$(date +%s)
step() { echo "== $(( $(date +%s) - started ))s: $*"; }

bash "$root/tools/install-deps.sh" cmake ninja-build g++ libpng-dev g++-mingw-w64-x86-64-posix wine64 xvfb \
  xauth dpkg-dev zip unzip nlohmann-json3-dev

linux_replay="$root/build-test/vantrel-replay"
if [ ! -x "$linux_replay" ]; then
  echo "test-windows: $linux_replay is missing; run tools/test.sh first" >&2
  exit 1
fi

step "libraries for Windows"
bash "$root/tools/windows/build-deps.sh" "$out/deps"

step "vantrel.exe, vantrel-replay.exe and vantrel-export.exe"
cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DVANTREL_WIN_DEPS="$out/deps" >/dev/null
cmake --build "$out" -j "$jobs"
g++ -std=c++17 -O2 -Wall -Wextra "$root/tools/windows/image_diff.cpp" -lpng -o "$out/image-diff"

# What a player unpacks: one folder with the program, the data it reads beside it and a
# read-me with Windows line ends. The tools stay out.
step "vantrel-windows.zip"
version="$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
stage="$out/zip-stage/vantrel"
rm -rf "$out/zip-stage" "$out/vantrel-windows.zip"
mkdir -p "$stage"
cp "$out/vantrel.exe" "$stage/"
cp "$root"/data/*.dat "$root"/data/*.png "$stage/"
sed -e "s/@PROJECT_VERSION@/$version/" -e 's/$/\r/' "$root/packaging/windows-readme.txt" >"$stage/README.txt"
(cd "$out/zip-stage" && zip -qr -X "$out/vantrel-windows.zip" vantrel)
sh "$root/tools/windows/header-constants.sh" "$root/platform" >"$out/header_constants_linux.cpp"
g++ -std=c++17 -Wall -Wextra -I"$root/platform" "$out/header_constants_linux.cpp" -o "$out/header-constants-linux"

# A display of our own for Wine, on whatever number is free.
step "Xvfb and the Wine prefix"
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Mesa's software renderer draws on one thread under Wine: with its worker threads, Wine was
# seen to die by a signal now and then (about 1 run in 5 on this machine, none in this mode).
export LP_NUM_THREADS=0
wine=/usr/lib/wine/wine64
cleanup() {
  WINEPREFIX="$WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "test-windows: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")"
# The first start of a prefix sets it up (about ten seconds); later runs reuse it. Its
# helper processes are let finish first: a program started while they still write the
# new prefix was once seen to bring Wine down.
"$wine" wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -w

# run_in DIR COMMAND...: a fresh copy of the bundled data and the script (fall-land-tab
# unless script names another) in DIR, then COMMAND there.
script=fall-land-tab.script
run_in() {
  local dir="$1"
  shift
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$root"/data/* "$dir/"
  cp "$root/tools/windows/$script" "$dir/script.txt"
  (cd "$dir" && "$@")
}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

step "constants of the stand-in headers"
if diff <("$out/header-constants-linux") <("$wine" "$out/vantrel-header-constants.exe" | tr -d '\r'); then
  pass "the stand-in headers' $(wc -l <"$out/header_constants.cpp" | awk '{print $1 - 7}') constants have the platform's values"
else
  fail "constants differ (above: < stand-in, > platform)"
fi

step "the script on both builds"
status=0
run_in "$out/run-linux" env SDL_VIDEODRIVER=offscreen "$linux_replay" --frames 120 script.txt || status=$?
[ "$status" -eq 0 ] && pass "Linux build exits 0" || fail "Linux build exits $status"
status=0
run_in "$out/run-windows" timeout 300 "$wine" "$out/vantrel-replay.exe" --frames 120 script.txt || status=$?
# Wine itself was once seen to die by a signal on a fresh prefix; say so and try once more,
# so that a fault of the host's emulator is told apart from one of the game.
for _ in 1 2; do
  [ "$status" -gt 128 ] || break
  echo "note: Wine ended by signal $((status - 128)); running the Windows build once more"
  status=0
  run_in "$out/run-windows" timeout 300 "$wine" "$out/vantrel-replay.exe" --frames 120 script.txt || status=$?
done
[ "$status" -eq 0 ] && pass "Windows build exits 0" || fail "Windows build exits $status"

# The log: text mode gives CR LF on Windows; the lines are the Linux build's, but for
# what the adapter itself reports.
win_log="$out/run-windows/log.log"
lin_log="$out/run-linux/log.log"
if [ -s "$win_log" ] && [ "$(grep -c $'\r$' "$win_log")" -eq "$(wc -l <"$win_log")" ]; then
  pass "every line of the Windows log ends in CR LF"
else
  fail "the Windows log is missing or has lines without CR LF"
fi
adapter_free() { tr -d '\r' <"$1" | grep -v -e '^Adapter Description: ' -e '^Max Texture Size: ' || true; }
if diff <(adapter_free "$lin_log") <(adapter_free "$win_log"); then
  pass "log lines match ($(wc -l <"$win_log") lines)"
else
  fail "log lines differ (above: < Linux, > Windows)"
fi

# The game state is the same on both, falling, landed and in the jump.
# The process section is the host's memory use (Wine reports its own), not game state.
texture_free() {
  tr -d '\r' <"$1" | sed -E -e 's/"g_maxTexture(Width|Height)":[0-9]+,?//g' -e 's/,"process":\{[^}]*\}//'
}
for dump in fall.json dump.json jump.json; do
  if [ -s "$out/run-windows/$dump" ] &&
     cmp -s <(texture_free "$out/run-linux/$dump") <(texture_free "$out/run-windows/$dump"); then
    pass "state dumps match: $dump"
  else
    fail "state dumps differ: $dump"
  fi
done

# Both builds draw with Mesa's software renderer, so matching pixels are expected to be
# equal; 2 per channel allows for rounding in the two shader paths. The hit-box outlines
# take their colours from the C runtime's rand(), whose sequence differs between glibc and
# the Windows runtime: their pixels (about 880 in this scene), with the odd texel sampled
# exactly on a tile seam (about 20), fit in the 2000 (a quarter of a percent) allowed.
if "$out/image-diff" "$out/run-linux/shot.png" "$out/run-windows/shot.png" --channel 2 --pixels 2000 \
     --mask "$out/shot-difference.png"; then
  pass "screenshots match"
else
  fail "screenshots differ (see $out/shot-difference.png)"
fi

# e in pose mode reads the pictures back from the real device's back buffer and writes them
# with the Windows build's own giflib and libpng: the sheet's layout and timing are the
# Linux build's, and its pixels within the screenshots' allowance.
step "export from pose mode on both builds"
script=pose-export.script
run_in "$out/export-linux" env SDL_VIDEODRIVER=offscreen "$linux_replay" --frames 20 script.txt >/dev/null 2>&1 || true
status=0
run_in "$out/export-windows" timeout 300 "$wine" "$out/vantrel-replay.exe" --frames 20 script.txt || status=$?
if [ "$status" -gt 128 ]; then
  echo "note: Wine ended by signal $((status - 128)); running the export once more"
  status=0
  run_in "$out/export-windows" timeout 300 "$wine" "$out/vantrel-replay.exe" --frames 20 script.txt || status=$?
fi
script=fall-land-tab.script
exported="export/0-punch-with-the-front-arm"
if [ "$status" -eq 0 ] && [ -s "$out/export-windows/$exported.gif" ] &&
   [ "$(grep -c '^Exported ' "$out/export-windows/log.log")" -eq 2 ] &&
   diff <(adapter_free "$out/export-linux/log.log") <(adapter_free "$out/export-windows/log.log") &&
   head -c 6 "$out/export-windows/$exported.gif" | grep -q '^GIF89a$' &&
   cmp -s "$out/export-linux/$exported.json" "$out/export-windows/$exported.json" &&
   "$out/image-diff" "$out/export-linux/$exported.png" "$out/export-windows/$exported.png" --channel 2 \
     --pixels 200 --mask "$out/export-difference.png"; then
  pass "e writes the GIF, and the sheet and its JSON as the Linux build does, twice over"
else
  fail "the export of the Windows build (exit $status): $(ls "$out/export-windows/export" 2>&1 | tr '\n' ' ')"
fi

# vantrel-export.exe draws through the platform's Direct3D into a window it never shows and
# writes with the Windows build's libpng: the sheet of every frame, trimmed, as the README
# shows it. Its JSON is the Linux build's byte for byte (the trim follows the pixels, so
# this holds while both draw with Mesa), its sheet within the screenshots' allowance.
step "vantrel-export on both builds"
linux_export="$root/build-test/vantrel-export"
rm -rf "$out/export-tool-linux" "$out/export-tool-windows"
mkdir -p "$out/export-tool-linux" "$out/export-tool-windows"
cp "$root"/data/* "$out/export-tool-linux/"
cp "$root"/data/* "$out/export-tool-windows/"
(cd "$out/export-tool-linux" && "$linux_export" --all --trim all.png >said.txt) || true
status=0
(cd "$out/export-tool-windows" && timeout 300 "$wine" "$out/vantrel-export.exe" --all --trim all.png >said.txt) || status=$?
if [ "$status" -gt 128 ]; then
  echo "note: Wine ended by signal $((status - 128)); running vantrel-export.exe once more"
  status=0
  (cd "$out/export-tool-windows" && timeout 300 "$wine" "$out/vantrel-export.exe" --all --trim all.png >said.txt) ||
    status=$?
fi
if [ "$status" -eq 0 ] && [ -s "$out/export-tool-linux/all.json" ] &&
   diff <(cat "$out/export-tool-linux/said.txt") <(tr -d '\r' <"$out/export-tool-windows/said.txt") &&
   cmp "$out/export-tool-linux/all.json" "$out/export-tool-windows/all.json" &&
   "$out/image-diff" "$out/export-tool-linux/all.png" "$out/export-tool-windows/all.png" --channel 2 \
     --pixels 200 --mask "$out/export-tool-difference.png" &&
   [ "$(ls "$out/export-tool-windows" | sort)" = "$(ls "$out/export-tool-linux" | sort)" ]; then
  pass "vantrel-export.exe writes the sheet of every frame and its JSON as the Linux build does: $(head -n 1 "$out/export-tool-linux/said.txt")"
else
  fail "vantrel-export.exe (exit $status): $(tr -d '\r' <"$out/export-tool-windows/said.txt" 2>/dev/null)"
fi

# The program itself, entered through the real WinMain as a GUI program. Xvfb's screen
# has the one mode 1024x768, so "/640" meets the failure path of the device set-up on the
# real platform: the Linux build must log the same when its device creation fails.
step "vantrel.exe /640 on a screen without that mode"
status=0
run_in "$out/run-game-640" timeout 120 "$wine" "$out/vantrel.exe" /640 || status=$?
if [ "$status" -gt 128 ]; then
  echo "note: Wine ended by signal $((status - 128)); running vantrel.exe /640 once more"
  status=0
  run_in "$out/run-game-640" timeout 120 "$wine" "$out/vantrel.exe" /640 || status=$?
fi
run_in "$out/run-linux-640" env SDL_VIDEODRIVER=offscreen VANTREL_FAIL=createdevice "$linux_replay" \
  --cmdline /640 --frames 1 script.txt >/dev/null 2>&1 || true
if [ "$status" -eq 1 ] && tr -d '\r' <"$out/run-game-640/log.log" | tail -n 2 |
     diff - <(printf '%s\n' 'Error creating device:' 'D3DERR_NOTAVAILABLE') >/dev/null &&
   diff <(adapter_free "$out/run-linux-640/log.log") <(adapter_free "$out/run-game-640/log.log"); then
  pass "vantrel.exe /640 ends with code 1 and the device error, as the Linux build logs it"
else
  fail "vantrel.exe /640 exits $status with an unexpected log"
fi

# The zip unpacked into an empty folder; the game there runs until stopped, so it is
# stopped once its start-up is logged.
step "vantrel.exe from vantrel-windows.zip"
unpacked="$out/run-zip"
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$out/vantrel-windows.zip" -d "$unpacked"
game_dir="$unpacked/vantrel"
if [ -f "$game_dir/vantrel.exe" ] && [ -f "$game_dir/vecparts.dat" ] && [ -f "$game_dir/font.png" ] &&
   grep -q $'\r$' "$game_dir/README.txt" && ! unzip -l "$out/vantrel-windows.zip" | grep -q 'replay'; then
  pass "vantrel-windows.zip holds vantrel.exe, the data and the read-me, and no tools"
else
  fail "vantrel-windows.zip is not as expected: $(unzip -Z1 "$out/vantrel-windows.zip" | tr '\n' ' ')"
fi
(cd "$game_dir" && exec "$wine" ./vantrel.exe) &
game_pid=$!
for _ in $(seq 600); do
  grep -q 'DirectInput initialized' "$game_dir/log.log" 2>/dev/null && break
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
WINEPREFIX="$WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null || true
wait "$game_pid" 2>/dev/null || true
if diff <(adapter_free "$lin_log") <(adapter_free "$game_dir/log.log") >/dev/null; then
  pass "vantrel.exe unpacked from the zip starts up as the runner does"
else
  fail "vantrel.exe unpacked from the zip: start-up log differs from the runner's"
fi

step "resources of vantrel.exe"
resources="$("$wine" "$out/vantrel-resource-check.exe" "$out/vantrel.exe" 2>/dev/null | tr -d '\r')" || true
echo "$resources"
expected_menu='menu 109: "&File" > "E&xit" (105) "&Help" > "&About ..." (104)'
if grep -q '^icon 107: loaded 32x32$' <<<"$resources" && grep -q '^icon 108: loaded 16x16$' <<<"$resources" &&
   grep -qxF "$expected_menu" <<<"$resources"; then
  pass "icons 107 and 108 and menu 109 load from vantrel.exe"
else
  fail "the resources of vantrel.exe are not as expected"
fi

step "done"
if [ "$failures" -gt 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "all Windows checks passed"
