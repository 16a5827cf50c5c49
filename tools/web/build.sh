#!/usr/bin/env bash
# Builds the browser page into build-web/page (or the folder given): vantrel.js,
# vantrel.wasm, vantrel.data (the bundled data), index.html, data.js and fflate.js (the zip
# library, from npm by tools/web/lib's lock file). Installs Debian's Emscripten where
# missing and builds the libraries from Debian's sources first (build-deps.sh); nothing is
# downloaded from anywhere else. Serve the folder over HTTP,
# for example `python3 -m http.server -d build-web/page 8000`, and open
# http://localhost:8000/ (a page opened as a file cannot load its WebAssembly).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="${1:-$root/build-web/page}"
jobs="${VANTREL_JOBS:-$(nproc)}"

# Node.js and npm: Debian's, unless the machine has its own already.
node_packages=()
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then node_packages=(nodejs npm); fi
bash "$root/tools/install-deps.sh" emscripten cmake ninja-build dpkg-dev nlohmann-json3-dev "${node_packages[@]}"
# Emscripten's tools need the acorn parser that Debian installs for its own Node.js.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

bash "$root/tools/web/build-deps.sh" "$root/build-web/deps"
(cd "$root/tools/web/lib" && npm ci --no-audit --no-fund --loglevel=error)
cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/emscripten.cmake" -DVANTREL_WEB_DEPS="$root/build-web/deps" >/dev/null
cmake --build "$out" -j "$jobs" --target vantrel
echo "web: $out/index.html"
