#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# an optimised build, and a build under AddressSanitizer and
# UndefinedBehaviorSanitizer in which any memory fault or undefined
# behaviour fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
# One style: a formatting difference fails the run.
scripts/check-format.sh

jobs=$(nproc)
# The application's windows need an X display: the suites run on a virtual one.
display=()
if command -v xvfb-run >/dev/null 2>&1; then display=(xvfb-run -a -s "-screen 0 1280x1024x24"); fi
# run_suite <build folder> <cmake options...> [-L <ctest label>]
run_suite() {
  local dir=$1; shift
  local options=() ctest_args=()
  while (($#)); do
    if [[ $1 == -L ]]; then ctest_args+=(-L "$2"); shift 2; else options+=("$1"); shift; fi
  done
  echo "== $dir"
  scripts/configure.sh "$dir" "${options[@]}"
  cmake --build "$dir" -j "$jobs"
  "${display[@]}" ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 "${ctest_args[@]}"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
# The sanitizer builds keep line tables only (-g1): their reports still name
# every frame's function, file and line, and the builds take far less time
# than with full debugging information.
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build/release -DCMAKE_BUILD_TYPE=Release -DORVEL_BENCH=ON
run_suite build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DORVEL_SANITIZE=ON
# Threaded code also runs under ThreadSanitizer: only the test programs that
# start threads are built there.
TSAN_OPTIONS=halt_on_error=1 run_suite build/tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DORVEL_TSAN=ON -DORVEL_THREADED_TESTS_ONLY=ON -DORVEL_TOOLKIT=OFF -L threaded

# Every reader of outside bytes has a libFuzzer target, run for a bounded time.
if compgen -G "tests/fuzz/*.cpp" >/dev/null; then
  echo "== build/fuzz"
  CC=clang CXX=clang++ scripts/configure.sh build/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DORVEL_FUZZ=ON -DORVEL_TESTS=OFF -DORVEL_WERROR=OFF -DORVEL_TOOLKIT=OFF
  cmake --build build/fuzz -j "$jobs"
  ctest --test-dir build/fuzz -j "$jobs" --output-on-failure
fi
echo "All tests passed."
