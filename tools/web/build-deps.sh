#!/usr/bin/env bash
# Builds zlib, libpng, libjpeg-turbo and SDL2 for WebAssembly with Debian's Emscripten,
# from Debian's own source packages, into a prefix (default build-web/deps), as static
# libraries. Emscripten's own ports would be downloaded, which the build never does.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
prefix="${1:-$root/build-web/deps}"
work="$(dirname "$prefix")/deps-src"
jobs="${VANTREL_JOBS:-2}"
toolchain=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
mkdir -p "$prefix" "$work"
prefix="$(cd "$prefix" && pwd)"
source "$root/tools/deps.sh"
# Emscripten's tools need the acorn parser that Debian installs for its own Node.js.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
# Configure checks run their test programs under Node.js; this Emscripten's loader picks
# Node's fetch when there is one, which cannot read a local file.
emulator="-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch"

# zlib's CMake makes its shared library static where there are none, and both then claim
# libz.a; its own configure script builds the one static library instead.
if [ ! -f "$prefix/.built-zlib" ]; then
  zlib_src="$(fetch zlib)"
  echo "build-deps: zlib from $(basename "$zlib_src")"
  rm -rf "$work/build-zlib" "$work/build-zlib.log"
  cp -r "$zlib_src" "$work/build-zlib"
  # A CMake configure of the source folder moves zconf.h aside.
  if [ ! -f "$work/build-zlib/zconf.h" ]; then cp "$work/build-zlib/zconf.h.included" "$work/build-zlib/zconf.h"; fi
  (cd "$work/build-zlib" && run "$work/build-zlib.log" emconfigure ./configure --static \
    && run "$work/build-zlib.log" emmake make -j "$jobs" libz.a)
  mkdir -p "$prefix/include" "$prefix/lib"
  cp "$work/build-zlib/zlib.h" "$work/build-zlib/zconf.h" "$prefix/include/"
  cp "$work/build-zlib/libz.a" "$prefix/lib/libz.a"
  touch "$prefix/.built-zlib"
fi
build_image_libraries "$emulator"
build_giflib
# SDL2 installs its headers with the configuration it was built with; its install step
# wants every default target, which for this platform is the library and SDL2main.
build sdl2 libsdl2 all -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF "$emulator"
if [ -n "$built" ]; then
  run "$work/build-sdl2.log" cmake --install "$work/build-sdl2"
  touch "$prefix/.built-sdl2"
fi
echo "build-deps: $prefix"
