#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, headless.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
jobs=$(nproc)

cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-test" -j "$jobs"
if [ -x "$root/build-test/vantrel-check" ]; then
  "$root/build-test/vantrel-check" "$root/data"
fi
ctest --test-dir "$root/build-test" -j "$jobs" --output-on-failure

# A short fuzzing run of the data-file loaders (clang's libFuzzer, sanitizers on).
if command -v clang++ >/dev/null; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DVANTREL_FUZZ=ON \
    -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$root/build-fuzz" -j "$jobs" --target fuzz_data_files
  mkdir -p "$root/build-fuzz/corpus"
  "$root/build-fuzz/tests/fuzz/fuzz_data_files" -max_total_time=20 -timeout=10 \
    "$root/build-fuzz/corpus" "$root/tests/fuzz/corpus_data"
fi
