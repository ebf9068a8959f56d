#!/usr/bin/env bash
# Sets up and runs every test: the normal build and its tests (build/), then one clang build
# (build-sanitize/) that runs the core tests again under AddressSanitizer and UndefinedBehaviorSanitizer
# and fuzzes the video reader and the writers for half a minute each with libFuzzer. Every step runs even when an earlier one failed;
# the exit status is non-zero when any failed. Safe to run again: each build only rebuilds what changed.
# FUZZ_SECONDS sets the length of each fuzzing run (30 by default).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

failed=()
summaries=()

# Runs ctest on a build folder and keeps its summary lines for the end.
run_ctest() {
  local name=$1; shift
  local log
  log=$(mktemp)
  ctest --output-on-failure -j2 "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  while IFS= read -r line; do summaries+=("$name: $line"); done \
    < <(grep -E '^[0-9]+% tests passed|^Total Test time|^\s+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess aborted|Not Run)' "$log")
  rm -f "$log"
  return "$status"
}

echo "==> set-up and normal build (build/)"
if ! ./tools/setup.sh; then
  echo "set-up failed: nothing can be tested" >&2
  exit 1
fi

echo "==> tests (build/)"
run_ctest "build" --test-dir build || failed+=("tests")

echo "==> core tests under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets (build-sanitize/)"
# One clang build serves both, light on optimisation and debug info, so CI stays short.
if [ -f build-sanitize/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' build-sanitize/CMakeCache.txt; then
  rm -rf build-sanitize  # made with another compiler, which CMake cannot switch in place
fi
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:print_stacktrace=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
if CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
     -DSTILLPRESS_SANITIZE=ON -DSTILLPRESS_FUZZ=ON -DSTILLPRESS_BUILD_GUI=OFF \
   && cmake --build build-sanitize; then
  run_ctest "build-sanitize" --test-dir build-sanitize || failed+=("sanitizer tests")

  # Every input that once made a target crash or hang must pass; then new inputs, from the seeds and
  # from what earlier runs found. Long runs happen on a developer's machine; this one guards regressions.
  limits=(-max_len=65536 -timeout=10 -rss_limit_mb=2048)
  fuzz_target() {
    local name=$1 regressions=$2 seeds=$3
    local fuzzer=build-sanitize/fuzz/$name corpus=build-sanitize/fuzz-corpus/$name
    echo "==> fuzzing: $name for ${FUZZ_SECONDS:-30} s"
    mkdir -p "$corpus" build-sanitize/fuzz-artifacts
    if ! "$fuzzer" "${limits[@]}" -runs=0 -artifact_prefix=build-sanitize/fuzz-artifacts/ "$regressions"; then
      failed+=("fuzzing regressions of $name")
    elif ! "$fuzzer" "${limits[@]}" -max_total_time="${FUZZ_SECONDS:-30}" -print_final_stats=1 \
           -artifact_prefix=build-sanitize/fuzz-artifacts/ "$corpus" "$seeds"; then
      failed+=("fuzzing $name (the input that failed is in build-sanitize/fuzz-artifacts/)")
    fi
  }
  fuzz_target video_fuzzer tests/convert/source/hostile fuzz/seeds
  fuzz_target writer_fuzzer fuzz/writer_seeds fuzz/writer_seeds
else
  failed+=("sanitizer build")
fi

echo
echo "==> summary"
for line in "${summaries[@]}"; do echo "$line"; done
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "All steps passed."
