#!/usr/bin/env bash
# Installs what is missing, builds everything optimised and says what it built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
scripts/configure.sh build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$(nproc)"
echo "Built in build/release:"
find build/release -maxdepth 2 \( -name '*.a' -o -type f -perm -u+x -name '*_*' \) -newer CMakeLists.txt 2>/dev/null \
  | grep -v CMakeFiles | sed 's|^build/release/|  |' | sort
# Editors find the compile commands at the root.
ln -sf build/release/compile_commands.json compile_commands.json
