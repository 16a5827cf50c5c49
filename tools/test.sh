#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, headless: the normal
# build, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer, a short
# fuzzing run of every input reader, and a long soak of the runner.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
jobs=$(nproc)
fuzz_seconds=${VANTREL_FUZZ_SECONDS:-30}

step() { printf '\n== %s (%ds)\n' "$1" "$SECONDS"; }

step "normal build and tests"
cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-test" -j "$jobs"
"$root/build-test/vantrel-check" "$root/data"
ctest --test-dir "$root/build-test" -j "$jobs" --output-on-failure --output-junit "$root/build-test/junit.xml"

step "sanitizer build and tests"
# One clang build serves both the suite and the fuzz targets: ASan and UBSan everywhere,
# leaks reported. Optimised, so the suite and the soak keep a reasonable pace.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
fuzz=OFF
compilers=()
if command -v clang++ >/dev/null; then
  fuzz=ON
  compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
fi
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${compilers[@]}" \
  -DVANTREL_SANITIZE=ON -DVANTREL_FUZZ="$fuzz" -DVANTREL_BENCH=OFF
cmake --build "$root/build-asan" -j "$jobs"
ctest --test-dir "$root/build-asan" -j "$jobs" --output-on-failure --output-junit "$root/build-asan/junit.xml"

step "soak"
# The freed-memory quarantine is kept small: it would otherwise go on filling (up to
# 256 MiB) through the run and read as the growth this run is measuring.
VANTREL_SOAK=1 ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=1" \
  "$root/build-asan/tests/vantrel_tests" --gtest_filter='Soak.*'

step "fuzzing"
if [ "$fuzz" = ON ]; then
  for target in data_files images script; do
    corpus="$root/build-asan/corpus_$target"
    mkdir -p "$corpus"
    # Findings kept under tests/fuzz/regress_<target> are replayed first; they must all pass.
    regress=("$root"/tests/fuzz/regress_"$target"/*)
    if [ -e "${regress[0]}" ]; then
      "$root/build-asan/tests/fuzz/fuzz_$target" -runs=0 "${regress[@]}"
    fi
    "$root/build-asan/tests/fuzz/fuzz_$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=3072 \
      -artifact_prefix="$root/build-asan/crash_${target}_" "$corpus" "$root/tests/fuzz/corpus_$target"
  done
else
  echo "clang++ not found: fuzzing skipped"
fi
step "Windows build under Wine"
bash "$root/tools/windows/test-windows.sh"

step "all passed"
# One closing count over both suites (a failure has already stopped the script).
count() { grep -o "$1=\"[0-9]*\"" "$2" | head -n 1 | grep -o '[0-9]*'; }
total=0 skipped=0
for junit in "$root/build-test/junit.xml" "$root/build-asan/junit.xml"; do
  total=$((total + $(count tests "$junit")))
  skipped=$((skipped + $(count skipped "$junit")))
done
echo "tests: $((total - skipped)) passed, 0 failed, $skipped skipped"
