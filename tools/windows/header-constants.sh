#!/bin/sh
# header-constants.sh PLATFORM_DIR > constants.cpp: a program that prints the value of every
# constant (object-like macro or enumerator) the stand-in windows.h, d3d8.h and dinput.h
# define. Built once against the stand-ins and once against the platform's own headers,
# its two outputs must be equal: the stand-ins promise the platform's numbers.
set -eu
dir="$1"
echo '#include <windows.h>'
echo '#include <d3d8.h>'
echo '#include <dinput.h>'
echo '#include <cstdio>'
echo 'int main()'
echo '{'
for header in windows.h d3d8.h dinput.h; do
  awk '
    /^#define [A-Z][A-Z0-9_]*[ \t]+[^ \t]/ && $2 !~ /\(/ && $3 !~ /^MAKEINTRESOURCE/ { print $2 }
    /^[ \t]+[A-Z][A-Z0-9_]*[ \t]*=[ \t]*[^,]+,?[ \t]*$/ { sub(/^[ \t]+/, ""); sub(/[ \t]*=.*/, ""); print }
  ' "$dir/$header"
done | grep -v -x -e WINAPI -e CALLBACK -e APIENTRY -e STDMETHODCALLTYPE -e CONST -e FALSE -e TRUE \
  -e DIRECTINPUT_VERSION -e IID_IDirectInput8 -e '.*_FORCE_DWORD' | awk '!seen[$0]++' |
  while read -r name; do
    printf '    std::printf("%s=%%lld\\n", static_cast<long long>(%s));\n' "$name" "$name"
  done
echo '}'
