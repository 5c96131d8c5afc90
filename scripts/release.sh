#!/usr/bin/env bash
# Builds the Windows release (presets win32 and win64) and packs it:
#
#   release/vrastex-<version>/
#       vrastex.dll          the plug-in (i686, x87, imports LoadLibraryA and
#                            GetProcAddress from KERNEL32.dll only)
#       diagnostic/vrastex.dll  the same plug-in built to say why Glide cannot
#                            be used (OutputDebugStringA), i686
#       glide2x.dll          the project's Glide 2.x stand-in, i686, stripped, for
#                            trying the plug-in without a 3Dfx card
#       vrastex-replay.exe   the replay host, i686 (loads 32-bit Glide libraries)
#       tracer/glide2x.dll   the Glide tracer, i686
#       capture/vrastex.dll  the capture plug-in, i686
#       x64/                 the same set for 64-bit Windows (vrastex.dll,
#                            diagnostic/, glide2x.dll, vrastex-replay.exe,
#                            tracer/, capture/)
#       README.md            what the package holds and how to install it
#       LICENSE
#       SHA256SUMS
#   release/vrastex-<version>.zip   the folder above
#
# Every binary must pass scripts/check-dll.sh in its mode (plug-in,
# --diagnostic, --capture, --tracer, --replay) and glide2x.dll must export
# every decorated Glide name before anything is packed. The version is the
# CMake project version. Needs the Debian packages cmake, ninja-build,
# g++-mingw-w64-i686-win32, g++-mingw-w64-x86-64-win32 (with their
# binutils), libstb-dev, binutils (strings) and zip (or python3).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

version=$(sed -n 's/^project(vrastex VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt | head -n1)
if [[ -z "$version" ]]; then
    echo "release: no project version found in CMakeLists.txt" >&2
    exit 1
fi
name=vrastex-$version
build=$root/build-win32
build64=$root/build-win64
out=$root/release
stage=$out/$name

for preset in win32 win64; do
    echo "== Building $name (preset $preset)"
    cmake --preset $preset
    cmake --build --preset $preset
done

# Each binary by its checker mode, i686 then x64.
for dir in "$build" "$build64"; do
    x64=()
    [[ $dir == "$build64" ]] && x64=(--x64)
    for entry in ":vrastex.dll" "--diagnostic:diagnostic/vrastex.dll" "--capture:capture/vrastex.dll" \
        "--tracer:tracer/glide2x.dll" "--replay:vrastex-replay.exe"; do
        mode=${entry%%:*} file=$dir/${entry#*:}
        echo "== Checking $file"
        if [[ ! -f "$file" ]]; then
            echo "release: $file was not built" >&2
            exit 1
        fi
        scripts/check-dll.sh "${x64[@]}" $mode "$file"
    done
done

echo "== Checking glide2x.dll"
if [[ ! -f "$build/glide2x.dll" || ! -f "$build64/glide2x.dll" ]]; then
    echo "release: glide2x.dll was not built (the stand-in has no Windows build)" >&2
    exit 1
fi
i686-w64-mingw32-objdump -p "$build/glide2x.dll" |
    awk '/^\[Ordinal\/Name Pointer\] Table/ { t = 1; next } t && /^[[:space:]]*$/ { t = 0 }
         t { sub(/^[[:space:]]*\[ *[0-9]+\] /, ""); print }' | LC_ALL=C sort >"$build/glide2x.exports"
sed -n 's/^[[:space:]]*X(\([A-Za-z0-9_]*\), *\([0-9]*\), *[A-Z]*).*/_\1@\2/p' src/glide/glide_entry_points.h |
    LC_ALL=C sort >"$build/glide2x.expected"
expected_count=$(wc -l <"$build/glide2x.expected")
missing=$(LC_ALL=C comm -23 "$build/glide2x.expected" "$build/glide2x.exports")
if [[ "$expected_count" -ne 121 ]]; then
    echo "release: expected 121 Glide entry points in src/glide/glide_entry_points.h, found $expected_count" >&2
    exit 1
fi
if [[ -n "$missing" ]]; then
    echo "release: glide2x.dll lacks these Glide exports:" >&2
    echo "$missing" | sed 's/^/    /' >&2
    exit 1
fi
if ! i686-w64-mingw32-objdump -f "$build/glide2x.dll" | grep -q 'file format pei-i386'; then
    echo "release: glide2x.dll is not an i386 DLL" >&2
    exit 1
fi
echo "ok:   glide2x.dll exports all $expected_count decorated Glide names"

echo "== Assembling $stage"
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage"/{,x64/}{diagnostic,tracer,capture}
for file in vrastex.dll diagnostic/vrastex.dll tracer/glide2x.dll capture/vrastex.dll; do
    cp "$build/$file" "$stage/$file"
    cp "$build64/$file" "$stage/x64/$file"
done
for file in glide2x.dll vrastex-replay.exe; do
    i686-w64-mingw32-strip -o "$stage/$file" "$build/$file"
    x86_64-w64-mingw32-strip -o "$stage/x64/$file" "$build64/$file"
done
cp LICENSE "$stage/LICENSE"
cat >"$stage/README.md" <<EOF
# vrastex $version

vrastex is a renderer plug-in for 32-bit Windows: \`vrastex.dll\` draws a
host program's pictures through Glide 2.x, which it loads at run time from
\`glide2x.dll\`: a 3Dfx card's driver, another Glide 2.x library, or the
software Glide in this package.

## Contents

| file | what |
|---|---|
| \`vrastex.dll\` | the plug-in: 34 exports, x86 (P6 instruction set, x87 floating point), imports only \`LoadLibraryA\` and \`GetProcAddress\` from KERNEL32.dll; writes no messages |
| \`diagnostic/vrastex.dll\` | the same plug-in built with messages: says why Glide cannot be used, through \`OutputDebugStringA\` |
| \`glide2x.dll\` | the project's Glide 2.x in software: shows the pictures in a window, for playing without a 3Dfx card |
| \`vrastex-replay.exe\` | plays a replay script (a captured session) through \`vrastex.dll\` and the Glide library it finds, writing every frame as a PNG; \`--trace FILE\` writes the Glide calls through the tracer |
| \`tracer/glide2x.dll\` | the Glide tracer: writes every Glide call to \`glide2x-trace.txt\` beside the host and forwards it to \`glide2x-real.dll\` |
| \`capture/vrastex.dll\` | the capture plug-in: records the host's session into a replay script and forwards it to \`vrastex-real.dll\` |
| \`x64/\` | the same programs built for 64-bit Windows |
| \`LICENSE\` | MIT licence |
| \`SHA256SUMS\` | SHA-256 of every other file (\`sha256sum -c SHA256SUMS\`) |

## Installing

Copy \`vrastex.dll\` into the host program's folder, in place of the plug-in
it replaces. It keeps no settings. Then, for Glide:

- With a 3Dfx card, the driver's \`glide2x.dll\` is used. Do not copy this
  package's \`glide2x.dll\` over it.
- With another Glide 2.x library (a wrapper that exports the decorated
  stdcall names, such as \`_grDrawLine@8\`), put it beside the host as
  \`glide2x.dll\`.
- Without a card, put this package's \`glide2x.dll\` beside the host. It
  shows the pictures in the host's window (or in a window of its own),
  scaled by whole factors; Alt+Enter switches to full screen (F11 too, in
  its own window). \`VRASTEX_GLIDE_WINDOW=host|own|none\` chooses the window,
  \`VRASTEX_GLIDE_THREADS=N\` the number of drawing threads.

## When Glide cannot be used

\`vrastex.dll\` says nothing about why. Put \`diagnostic/vrastex.dll\` in its
place, run Sysinternals DebugView with *Capture Win32* on, and start the
host: each reason is one line beginning \`vrastex:\` (no \`glide2x.dll\`, a
missing entry point, no board, a board type it cannot drive, or a screen
Glide could not open). Put the product
\`vrastex.dll\` back afterwards.

## Reporting a wrong picture

1. Capture the session: rename \`vrastex.dll\` to \`vrastex-real.dll\`, put
   \`capture/vrastex.dll\` beside it, play until the wrong picture has been
   shown, and quit. The capture is \`vrastex-capture.replay\` and
   \`vrastex-capture.bin\` in the host's working directory.
2. Trace the Glide calls: put the Glide library in use in the host's folder
   as \`glide2x-real.dll\` and \`tracer/glide2x.dll\` beside it. The trace is
   \`glide2x-trace.txt\` in the host's folder.
3. Send the capture files, the trace, the frame number where the picture
   goes wrong, and which Glide library and card you use.
EOF
(
    cd "$stage"
    find . -type f ! -name SHA256SUMS | LC_ALL=C sort | sed 's|^\./||' | xargs sha256sum >SHA256SUMS
    sha256sum -c --quiet SHA256SUMS
)

# Fixed time stamps so the zip's bytes depend only on the files.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}
find "$stage" -exec touch -h -d "@$epoch" {} +

echo "== Packing $out/$name.zip"
(
    cd "$out"
    if command -v zip >/dev/null 2>&1; then
        find "$name" | LC_ALL=C sort | zip -q -X -D "$name.zip" -@
    elif command -v python3 >/dev/null 2>&1; then
        python3 -m zipfile -c "$name.zip" "$name"
    else
        cmake -E tar cf "$name.zip" --format=zip "$name"
    fi
)
if command -v unzip >/dev/null 2>&1; then
    unzip -l "$out/$name.zip"
fi
echo "release: $stage"
echo "release: $out/$name.zip"
cat "$stage/SHA256SUMS"
