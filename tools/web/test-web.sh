#!/usr/bin/env bash
# The browser job: builds the page (tools/web/build.sh), opens it in Debian's headless
# Chromium (driven by puppeteer-core from npm, tools/web/test/) with tools/web/walk.script,
# and checks the run against the Linux build's runner in build-test/ (built by
# tools/test.sh): exit code, log, state dumps and screenshot. Then it plays the page, saves
# an edit in the part editor and reloads: the edit must still be there and in the .zip
# "Download data" gives. Last, data goes in and out of the page (tools/web/test/data-test.mjs):
# opened, dropped, refused, handed over, reset, and shared by a link. The exporter's sheet of
# every frame is loaded by PixiJS and Phaser from npm (tools/web/test/sheet-test.mjs). The
# page's .zip reader is tried first on its own in Node.js (tools/web/test/zip-test.mjs) on
# what no player's .zip holds: entries that unpack to far more than they state, and names
# twinned by case.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build-web"
started=$(date +%s)
step() { echo "== $(( $(date +%s) - started ))s: $*"; }
frames=110

# Node.js and npm: Debian's, unless the machine has its own already.
node_packages=()
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then node_packages=(nodejs npm); fi
bash "$root/tools/install-deps.sh" chromium libpng-dev g++ "${node_packages[@]}"

linux_replay="$root/build-test/vantrel-replay"
if [ ! -x "$linux_replay" ]; then
  echo "test-web: $linux_replay is missing; run tools/test.sh first" >&2
  exit 1
fi

step "the page"
bash "$root/tools/web/build.sh" "$out/page"
step "puppeteer-core, PixiJS and Phaser"
(cd "$root/tools/web/test" && npm ci --no-audit --no-fund --loglevel=error)
g++ -std=c++17 -O2 -Wall -Wextra "$root/tools/windows/image_diff.cpp" -lpng -o "$out/image-diff"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
files=(shot.png fall.json dump.json log.log)

step "the page's .zip reader in Node.js"
if node "$root/tools/web/test/zip-test.mjs"; then
  pass "the .zip reader holds entries to their stated sizes, lets the page go on and refuses names twinned by case"
else
  fail "the .zip reader (above)"
fi

# The sheet vantrel-export writes of every frame, trimmed, as the README shows it, read by
# PixiJS and Phaser in the same headless Chromium (tools/web/test/sheet-test.mjs).
step "the exported sheet in PixiJS and Phaser"
rm -rf "$out/run-sheet"
mkdir -p "$out/run-sheet"
cp "$root"/data/* "$out/run-sheet/"
if (cd "$out/run-sheet" && "$root/build-test/vantrel-export" --all --trim all.png) &&
   node "$root/tools/web/test/sheet-test.mjs" "$out/run-sheet/all.json"; then
  pass "PixiJS and Phaser load every picture, tag and duration of the exported sheet, and PixiJS draws it as written"
else
  fail "the exported sheet in PixiJS and Phaser (above)"
fi

step "the script on the desktop runner"
rm -rf "$out/run-linux" "$out/run-page"
mkdir -p "$out/run-linux" "$out/run-page"
cp "$root"/data/* "$out/run-linux/"
cp "$root/tools/web/walk.script" "$out/run-linux/script.txt"
status=0
(cd "$out/run-linux" && SDL_VIDEODRIVER=offscreen "$linux_replay" --frames "$frames" script.txt) || status=$?
[ "$status" -eq 0 ] && pass "Linux build exits 0" || fail "Linux build exits $status"

step "the script on the page in headless Chromium"
status=0
node "$root/tools/web/test/page-test.mjs" replay "$out/page" "$root/tools/web/walk.script" "$out/run-page" "$frames" \
  "${files[@]}" || status=$?
[ "$status" -eq 0 ] && pass "the page ran the script to its end, exit code 0" || fail "the page run failed ($status)"

# The log is the desktop's line for line, but for what the adapter reports.
adapter_free() { grep -v -e '^Adapter Description: ' -e '^Max Texture Size: ' "$1" || true; }
if [ -s "$out/run-page/log.log" ] && diff <(adapter_free "$out/run-linux/log.log") <(adapter_free "$out/run-page/log.log"); then
  pass "log lines match ($(wc -l <"$out/run-page/log.log") lines)"
else
  fail "log lines differ (above: < Linux, > page)"
fi
# The game state is the same; the texture limit is the adapter's, and a page has no
# process figures to report.
state_only() {
  sed -E -e 's/"g_maxTexture(Width|Height)":[0-9]+,?//g' -e 's/,"process":\{[^}]*\}//' "$1"
}
for dump in fall.json dump.json; do
  if [ -s "$out/run-page/$dump" ] && cmp -s <(state_only "$out/run-linux/$dump") <(state_only "$out/run-page/$dump"); then
    pass "state dumps match: $dump"
  else
    fail "state dumps differ: $dump"
  fi
done
# Chromium draws WebGL with its own software renderer, Linux with Mesa's: they sample a
# texel lying exactly on a seam differently now and then (about 600 pixels in this scene,
# along the tiles' and the trees' edges), within the quarter percent allowed.
if [ -s "$out/run-page/shot.png" ] &&
   "$out/image-diff" "$out/run-linux/shot.png" "$out/run-page/shot.png" --channel 2 --pixels 2000 \
     --mask "$out/shot-difference.png"; then
  pass "screenshots match"
else
  fail "screenshots differ (see $out/shot-difference.png)"
fi

step "an editor's save on the page, and a reload"
rm -rf "$out/run-save"
mkdir -p "$out/run-save"
if node "$root/tools/web/test/page-test.mjs" save "$out/page" "$root/data" "$out/run-save"; then
  pass "a pivot edit saved on the page is there after a reload and in the downloaded data"
else
  fail "the saved edit did not survive a reload, or the download lacks it"
fi

step "data in and out of the page"
rm -rf "$out/run-data"
mkdir -p "$out/run-data"
if node "$root/tools/web/test/data-test.mjs" "$out/page" "$root/data" "$out/run-data"; then
  pass "data opened, refused, handed over, reset and shared on the page"
else
  fail "data in and out of the page (above)"
fi

step "done"
if [ "$failures" -gt 0 ]; then
  echo "test-web: $failures check(s) failed"
  exit 1
fi
echo "test-web: all checks passed"
