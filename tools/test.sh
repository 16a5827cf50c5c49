#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, headless.
# Usage: bash tools/test.sh [STAGE...]   with STAGE one of
#   quick    the normal build (warnings are errors), the data check and the suite
#   asan     the same suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   soak     a long session of the runner under the sanitizers
#   fuzz     a short fuzzing run of every input reader
#   windows  the Windows build under Wine, compared with the normal build
#   web      the browser page in headless Chromium, compared with the normal build
# No stage: all of them, in that order. A stage builds what it needs first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
stages=("$@")
if [ ${#stages[@]} -eq 0 ]; then stages=(quick asan soak fuzz windows web); fi
for stage in "${stages[@]}"; do
  case "$stage" in
    quick | asan | soak | fuzz | windows | web) ;;
    *) echo "test.sh: unknown stage '$stage' (quick, asan, soak, fuzz, windows, web)" >&2; exit 2 ;;
  esac
done

bash "$root/tools/install-deps.sh"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
jobs=$(nproc)
fuzz_seconds=${VANTREL_FUZZ_SECONDS:-30}

step() { printf '\n== %s (%ds)\n' "$1" "$SECONDS"; }

# The JUnit files of the suites this run went through, for the closing count.
junits=()

build_normal() {
  cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
  cmake --build "$root/build-test" -j "$jobs"
}

# One clang build serves both the suite and the fuzz targets: ASan and UBSan everywhere,
# leaks reported. Optimised, so the suite and the soak keep a reasonable pace.
# The leak checker's own record of dynamic TLS (the blocks of the OpenGL libraries SDL
# loads at run time) sometimes takes a block for glibc 2.19's layout, going by its address
# alone, and reads a size out of it; at exit it then scans a range near address 0 and dies
# with "Tracer caught signal 11" after a test has passed, now and then. Without that
# record those blocks are still found through each thread's own table, which the static
# TLS scan covers, so no leak goes unreported.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
fuzz=OFF
compilers=()
if command -v clang++ >/dev/null; then
  fuzz=ON
  compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
fi
build_asan() {
  cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${compilers[@]}" \
    -DVANTREL_SANITIZE=ON -DVANTREL_FUZZ="$fuzz" -DVANTREL_BENCH=OFF
  cmake --build "$root/build-asan" -j "$jobs"
}

# run_suite BUILD: the whole suite of one build, its JUnit file removed first so that a
# stale one is never counted.
run_suite() {
  local junit="$1/junit.xml"
  rm -f "$junit"
  ctest --test-dir "$1" -j "$jobs" --output-on-failure --output-junit "$junit"
  junits+=("$junit")
}

stage_quick() {
  step "normal build and tests"
  build_normal
  "$root/build-test/vantrel-check" "$root/data"
  run_suite "$root/build-test"
}

stage_asan() {
  step "sanitizer build and tests"
  build_asan
  run_suite "$root/build-asan"
}

stage_soak() {
  step "soak"
  build_asan
  # The freed-memory quarantine is kept small: it would otherwise go on filling (up to
  # 256 MiB) through the run and read as the growth this run is measuring.
  VANTREL_SOAK=1 ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=1" \
    "$root/build-asan/tests/vantrel_tests" --gtest_filter='Soak.*'
}

stage_fuzz() {
  step "fuzzing"
  if [ "$fuzz" = OFF ]; then
    echo "clang++ not found: fuzzing skipped"
    return
  fi
  build_asan
  for target in data_files images script saves; do
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
}

stage_windows() {
  step "Windows build under Wine"
  # It compares against the normal build's runner.
  if [ ! -x "$root/build-test/vantrel-replay" ]; then build_normal; fi
  bash "$root/tools/windows/test-windows.sh"
}

stage_web() {
  step "the browser page in headless Chromium"
  # It compares against the normal build's runner.
  if [ ! -x "$root/build-test/vantrel-replay" ]; then build_normal; fi
  bash "$root/tools/web/test-web.sh"
}

for stage in "${stages[@]}"; do "stage_$stage"; done

# One closing count over the suites that ran, read from their JUnit files: a file that is
# missing or unreadable fails the run rather than counting as nothing.
step "done: ${stages[*]}"
# The suite's element spreads its attributes over several lines.
attribute() {
  tr '\n\t' '  ' <"$2" | grep -o '<testsuite [^>]*>' | head -n 1 | sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p"
}
total=0 failed=0 skipped=0
for junit in "${junits[@]}"; do
  tests=$(attribute tests "$junit" 2>/dev/null || true)
  failures=$(attribute failures "$junit" 2>/dev/null || true)
  skips=$(attribute skipped "$junit" 2>/dev/null || true)
  if [ -z "$tests" ] || [ -z "$failures" ] || [ -z "$skips" ]; then
    echo "test.sh: no test counts in $junit" >&2
    exit 1
  fi
  total=$((total + tests)) failed=$((failed + failures)) skipped=$((skipped + skips))
done
if [ ${#junits[@]} -gt 0 ]; then
  echo "tests: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
fi
[ "$failed" -eq 0 ]
