#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets, runs every test under Wine.
#   tools/test.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
jobs=$(nproc)
for arch in x86_64 i686; do
  tests=ON
  [ "$arch" = i686 ] && tests=OFF  # the shipped 32-bit image only compiles here; no kernel runs it
  cmake -S . -B "build/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DINST_TESTS=$tests >/dev/null
  cmake --build "build/$arch" -j "$jobs"
done
ctest --test-dir build/x86_64 -j "$jobs" --output-on-failure "$@"
