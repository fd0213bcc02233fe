#!/usr/bin/env bash
# configure.sh <build folder> [cmake options...]: configures one build folder
# with Ninja, using ccache when it is installed.
set -euo pipefail
dir=$1; shift
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
