#!/usr/bin/env bash
# Installs Debian packages where missing: those given, or with none given, the ones the
# game, its tools and its tests need. The Windows and browser jobs name their own.
set -euo pipefail
packages=("$@")
if [ ${#packages[@]} -eq 0 ]; then
  packages=(cmake ninja-build g++ clang pkg-config libsdl2-dev libepoxy-dev libpng-dev zlib1g-dev
            libjpeg62-turbo-dev libfreetype-dev fonts-dejavu-core libgtest-dev libbenchmark-dev libgl1-mesa-dri libegl-mesa0 libegl1
            libgif-dev nlohmann-json3-dev xvfb xauth desktop-file-utils dpkg-dev file)
fi
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
