#!/usr/bin/env bash
# Builds zlib, libpng, libjpeg-turbo and giflib for 64-bit Windows from Debian's own source
# packages into a prefix (default build-win/deps), as static libraries. Each library
# is skipped once its stamp exists, so a second run costs nothing.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
prefix="${1:-$root/build-win/deps}"
work="$(dirname "$prefix")/deps-src"
jobs="${VANTREL_JOBS:-2}"
toolchain="$root/cmake/mingw-w64.cmake"
mkdir -p "$prefix" "$work"
prefix="$(cd "$prefix" && pwd)"
source "$root/tools/deps.sh"

# Debian's zlib source drops the Windows resource script its DLL needs, which is one more
# reason only the static libraries are built.
build_image_libraries -DVANTREL_WIN_DEPS="$prefix"
build_giflib
echo "build-deps: $prefix"
