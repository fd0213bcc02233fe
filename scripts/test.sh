#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# an optimised build, and a build under AddressSanitizer and
# UndefinedBehaviorSanitizer in which any memory fault or undefined
# behaviour fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  echo "== $dir"
  scripts/configure.sh "$dir" "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build/release -DCMAKE_BUILD_TYPE=Release -DORVEL_BENCH=ON
run_suite build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DORVEL_SANITIZE=ON
# Threaded code also runs under ThreadSanitizer (the tests that start threads).
run_suite_threaded() {
  local dir=$1; shift
  echo "== $dir"
  scripts/configure.sh "$dir" "$@"
  # Only the programs that start threads are built here.
  local targets
  targets=$(ninja -C "$dir" -t targets all | sed -n 's/^\([a-z]*_[A-Za-z]*\): phony$/\1/p' \
    | grep -E "$(sed -n 's/^set(ORVEL_THREADED_TESTS "\(.*\)")$/\1/p' tests/CMakeLists.txt)")
  cmake --build "$dir" -j "$jobs" --target $targets
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 -L threaded
}
TSAN_OPTIONS=halt_on_error=1 run_suite_threaded build/tsan \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DORVEL_TSAN=ON

# Every reader of outside bytes has a libFuzzer target, run for a bounded time.
if compgen -G "tests/fuzz/*.cpp" >/dev/null; then
  echo "== build/fuzz"
  CC=clang CXX=clang++ scripts/configure.sh build/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DORVEL_FUZZ=ON -DORVEL_TESTS=OFF -DORVEL_WERROR=OFF
  cmake --build build/fuzz -j "$jobs"
  ctest --test-dir build/fuzz -j "$jobs" --output-on-failure
fi
echo "All tests passed."
