#!/usr/bin/env bash
# Builds everything and runs every test suite: the native build, the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, and (when the
# cross tools are there) the 32-bit x87 build under qemu-i386 and the Windows
# checks. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

step() { printf '\n== %s\n' "$*"; }

step "native build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVRASTEX_WERROR=$werror
cmake --build build -j2
ctest --test-dir build -j2 --output-on-failure

step "AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVRASTEX_WERROR=$werror \
  -DCMAKE_CXX_COMPILER=clang++ \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-asan -j2 --output-on-failure

step "fuzz targets, about a minute each (scripts/fuzz.sh)"
bash scripts/fuzz.sh

for extra in scripts/test-i386.sh scripts/test-windows.sh; do
  if [ -x "$extra" ]; then
    step "$extra"
    bash "$extra"
  fi
done
