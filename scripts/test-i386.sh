#!/usr/bin/env bash
# Builds the plug-in, the Glide stand-in and every test for 32-bit x86 with
# x87 arithmetic (-m32 -march=i686 -mfpmath=387, the i386 CMake preset) and
# runs the tests under qemu-i386: the same tests, with the same expected
# values, as the x86_64 build.
#
# Needs the Debian packages g++-multilib, qemu-user and googletest.
# Warnings are errors when CI=true (or VRASTEX_WERROR=ON is set).
# Extra arguments go to ctest, e.g.  scripts/test-i386.sh -R Clip
set -euo pipefail

cd "$(dirname "$0")/.."

missing=()
command -v qemu-i386 >/dev/null 2>&1 || missing+=("qemu-i386 (package qemu-user)")
[[ -e /lib32/ld-linux.so.2 ]] || missing+=("/lib32/ld-linux.so.2 (package g++-multilib)")
[[ -e /usr/src/googletest/CMakeLists.txt ]] || missing+=("/usr/src/googletest (package googletest)")
if ((${#missing[@]})); then
    printf 'test-i386: missing %s\n' "${missing[@]}" >&2
    exit 1
fi

werror=${VRASTEX_WERROR:-OFF}
[[ "${CI:-}" == "true" ]] && werror=ON

cmake --preset i386 -DVRASTEX_WERROR="$werror"
cmake --build --preset i386
ctest --preset i386 "$@"
