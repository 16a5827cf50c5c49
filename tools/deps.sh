# Sourced by the cross builds' library scripts (tools/windows, tools/web): fetches Debian's
# own source packages and builds one static library target from each with a toolchain
# file. The caller sets prefix (where the libraries go), work (sources and build folders),
# toolchain and jobs, and copies each built library and its headers into the prefix; a
# library is skipped once its stamp file exists there, so a second run costs nothing.

# apt-get source needs a deb-src entry; bookworm's own release is pinned because the
# security suite may list versions whose sources are not (yet) there.
ensure_sources() {
  if apt-get source --print-uris -qq zlib/bookworm >/dev/null 2>&1; then return; fi
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
    'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
    $sudo tee /etc/apt/sources.list.d/vantrel-deb-src.sources >/dev/null
  $sudo apt-get update -qq
}

# fetch SOURCE_PACKAGE: unpacks it (Debian patches applied) once; prints its folder.
fetch() {
  local package="$1"
  local dir
  dir="$(find "$work" -maxdepth 1 -mindepth 1 -type d -name "$package-*" | head -n 1)"
  if [ -z "$dir" ]; then
    ensure_sources
    (cd "$work" && apt-get source -qq -o APT::Sandbox::User=root "$package/bookworm" >/dev/null)
    dir="$(find "$work" -maxdepth 1 -mindepth 1 -type d -name "$package-*" | head -n 1)"
  fi
  [ -n "$dir" ] || { echo "build-deps: no source of $package" >&2; exit 1; }
  echo "$dir"
}

# run LOG COMMAND...: quiet unless it fails, then the log's end is shown.
run() {
  local log="$1"
  shift
  if ! "$@" >>"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "build-deps: failed: $*" >&2
    exit 1
  fi
}

# build NAME SOURCE_PACKAGE TARGET CMAKE_OPTIONS...: configures and builds the one library
# target once (the projects' own install steps would build their programs too); sets
# built to the source folder, or to nothing when the stamp says it is there already.
build() {
  local name="$1" package="$2" target="$3"
  shift 3
  built=""
  if [ -f "$prefix/.built-$name" ]; then return; fi
  local src
  src="$(fetch "$package")"
  echo "build-deps: $name from $(basename "$src")"
  local dir="$work/build-$name" log="$work/build-$name.log"
  rm -rf "$dir" "$log"
  run "$log" cmake -S "$src" -B "$dir" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
  run "$log" cmake --build "$dir" -j "$jobs" --target "$target"
  built="$src"
}

# The three image and compression libraries every cross build needs, as static libraries
# under plain names in the prefix. Extra options (after the name) go to each configure.
build_image_libraries() {
  build zlib zlib zlibstatic "$@"
  if [ -n "$built" ]; then
    mkdir -p "$prefix/include" "$prefix/lib"
    cp "$built/zlib.h" "$work/build-zlib/zconf.h" "$prefix/include/"
    cp "$work/build-zlib/libzlibstatic.a" "$prefix/lib/libz.a"
    touch "$prefix/.built-zlib"
  fi
  build libpng libpng1.6 png_static -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" "$@"
  if [ -n "$built" ]; then
    cp "$built/png.h" "$built/pngconf.h" "$work/build-libpng/pnglibconf.h" "$prefix/include/"
    cp "$work/build-libpng/libpng16.a" "$prefix/lib/libpng.a"
    touch "$prefix/.built-libpng"
  fi
  # No SIMD: it needs nasm, and the game decodes a handful of small images at start-up.
  build jpeg libjpeg-turbo jpeg-static -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
    -DWITH_TURBOJPEG=OFF "$@"
  if [ -n "$built" ]; then
    cp "$built/jpeglib.h" "$built/jerror.h" "$built/jmorecfg.h" "$work/build-jpeg/jconfig.h" "$prefix/include/"
    cp "$work/build-jpeg/libjpeg.a" "$prefix/lib/libjpeg.a"
    touch "$prefix/.built-jpeg"
  fi
}

# giflib, for the animation export: its own build is a plain makefile for the host, so a
# small CMake project made here compiles the library's sources with the toolchain file.
build_giflib() {
  if [ -f "$prefix/.built-giflib" ]; then return; fi
  local src
  src="$(cd "$(fetch giflib)" && pwd)"
  echo "build-deps: giflib from $(basename "$src")"
  local project="$work/giflib-project" dir="$work/build-giflib" log="$work/build-giflib.log"
  rm -rf "$project" "$dir" "$log"
  mkdir -p "$project"
  printf '%s\n' 'cmake_minimum_required(VERSION 3.13)' 'project(giflib C)' \
    "add_library(gif STATIC $src/dgif_lib.c $src/egif_lib.c $src/gifalloc.c $src/gif_err.c" \
    "  $src/gif_font.c $src/gif_hash.c $src/openbsd-reallocarray.c $src/quantize.c)" \
    "target_include_directories(gif PRIVATE $src)" >"$project/CMakeLists.txt"
  run "$log" cmake -S "$project" -B "$dir" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release "$@"
  run "$log" cmake --build "$dir" -j "$jobs" --target gif
  mkdir -p "$prefix/include" "$prefix/lib"
  cp "$src/gif_lib.h" "$prefix/include/"
  cp "$dir/libgif.a" "$prefix/lib/libgif.a"
  touch "$prefix/.built-giflib"
}
