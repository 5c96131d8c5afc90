#!/usr/bin/env bash
# Builds the plug-in, the Glide stand-in and every test for 32-bit x86 with
# x87 arithmetic (-m32 -march=i686 -mfpmath=387, the i386 CMake preset) and
# runs the tests under qemu-i386: the same tests, with the same expected
# values, as the x86_64 build. The shipped i686 vrastex.dll (the win32 preset,
# built first) runs under the same qemu-i386 through the tests' PE loader:
# the integration tests, the binding variants and the demo against the golden
# frames, once at the DLL's preferred base and once relocated (the pe.* and
# golden.dll.* tests). The PE loader supplies only the two imports of the
# plug-in, so running it checks them too; its diagnostic build
# (diagnostic/vrastex.dll), which also imports OutputDebugStringA, is loaded
# by pe.loader. Both DLLs are checked by scripts/check-dll.sh first.
#
# Needs the Debian packages g++-multilib, qemu-user, googletest and
# g++-mingw-w64-i686-win32.
# Warnings are errors when CI=true (or VRASTEX_WERROR=ON is set).
# Extra arguments go to ctest, e.g.  scripts/test-i386.sh -R Clip
set -euo pipefail

cd "$(dirname "$0")/.."

missing=()
command -v qemu-i386 >/dev/null 2>&1 || missing+=("qemu-i386 (package qemu-user)")
[[ -e /lib32/ld-linux.so.2 ]] || missing+=("/lib32/ld-linux.so.2 (package g++-multilib)")
[[ -e /usr/src/googletest/CMakeLists.txt ]] || missing+=("/usr/src/googletest (package googletest)")
command -v i686-w64-mingw32-g++ >/dev/null 2>&1 || missing+=("i686-w64-mingw32-g++ (package g++-mingw-w64-i686-win32)")
if ((${#missing[@]})); then
    printf 'test-i386: missing %s\n' "${missing[@]}" >&2
    exit 1
fi

werror=${VRASTEX_WERROR:-OFF}
[[ "${CI:-}" == "true" ]] && werror=ON

cmake --preset win32 -DVRASTEX_WERROR="$werror"
cmake --build --preset win32 --target vrastex vrastex_diagnostic
for dll in build-win32/vrastex.dll build-win32/diagnostic/vrastex.dll; do
    [[ -f $dll ]] || { echo "test-i386: $dll was not built" >&2; exit 1; }
done
bash scripts/check-dll.sh build-win32/vrastex.dll
bash scripts/check-dll.sh --diagnostic build-win32/diagnostic/vrastex.dll

cmake --preset i386 -DVRASTEX_WERROR="$werror"
cmake --build --preset i386
ctest --preset i386 "$@"
