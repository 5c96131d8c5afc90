#!/usr/bin/env bash
# The capture plug-in under Wine: the x64 vrastex-replay.exe plays the demo
# through the capture's vrastex.dll, which forwards to the product renamed
# vrastex-real.dll; the capture it writes must be byte-identical to the one the
# Linux capture writes for the same session, and replayed through the plain
# Linux plug-in it must give exactly the golden Glide trace and the frames of
# the Linux demo run.
#
# Called by scripts/test-windows.sh once its Wine prefix is ready (WINEPREFIX
# and the other Wine variables exported); run alone, it makes a prefix of its
# own the same way. Environment: WINE64, WINE_TIMEOUT as for test-windows.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

die() {
    echo "test-capture-windows: FAIL: $*" >&2
    exit 1
}

wine64=${WINE64:-/usr/lib/wine/wine64}
timeout=${WINE_TIMEOUT:-300}
[[ -x "$wine64" ]] || die "$wine64 is missing (Debian package wine64)"
for file in vrastex.dll glide2x.dll vrastex-replay.exe capture/vrastex.dll; do
    [[ -f build-win64/$file ]] || cmake --build --preset win64
    [[ -f build-win64/$file ]] || die "build-win64/$file was not built"
done
cmake --build build -j2 --target vrastex vrastex-capture glide2x vrastex-replay >/dev/null

work=build-win64/wine-capture
rm -rf "$work/bin" "$work/linux" "$work/wine" "$work/replayed" "$work/plain"
mkdir -p "$work/bin" "$work/linux/bin" "$work/wine"
cp build-win64/capture/vrastex.dll build-win64/glide2x.dll build-win64/vrastex-replay.exe "$work/bin/"
cp build-win64/vrastex.dll "$work/bin/vrastex-real.dll"
cp build/capture/libvrastex.so build/libglide2x.so "$work/linux/bin/"
cp build/libvrastex.so "$work/linux/bin/libvrastex-real.so"

if [[ -z "${WINEPREFIX:-}" ]]; then
    export WINEPREFIX=$PWD/$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    trap 'timeout 30 "$(dirname "$wine64")/wineserver" -k >/dev/null 2>&1 || true' EXIT
    timeout --kill-after=10 "$timeout" "$wine64" wineboot -i >"$work/wineboot.log" 2>&1 ||
        die "Wine could not set up the prefix $WINEPREFIX (see $work/wineboot.log)"
fi

# The same session captured on both systems.
VRASTEX_CAPTURE_DIR=$work/wine timeout --kill-after=10 "$timeout" "$wine64" "$work/bin/vrastex-replay.exe" \
    --out "$work/wine/out" examples/demo.replay >"$work/wine.log" 2>&1 ||
    { cat "$work/wine.log" >&2; die "vrastex-replay.exe through the capture failed under Wine"; }
VRASTEX_CAPTURE_DIR=$work/linux ./build/vrastex-replay --plugin "$work/linux/bin/libvrastex.so" \
    --out "$work/linux/out" examples/demo.replay >"$work/linux.log" 2>&1 ||
    { cat "$work/linux.log" >&2; die "build/vrastex-replay through the capture failed"; }
for file in vrastex-capture.replay vrastex-capture.bin; do
    [[ -s "$work/wine/$file" ]] || die "the capture under Wine wrote no $file"
    cmp "$work/linux/$file" "$work/wine/$file" || die "$file differs between the Linux and the Windows capture"
done
echo "ok:   the Windows capture is byte-identical to the Linux one ($(wc -l <"$work/wine/vrastex-capture.replay") lines)"

# The Windows capture replayed through the plain Linux plug-in.
./build/vrastex-replay --out "$work/replayed" --trace "$work/replayed/trace.txt" \
    "$work/wine/vrastex-capture.replay" >"$work/replayed.log" 2>&1 ||
    { cat "$work/replayed.log" >&2; die "replaying the Windows capture failed"; }
./build/vrastex-replay --out "$work/plain" examples/demo.replay >"$work/plain.log" 2>&1 ||
    die "the Linux demo run failed"
cmp tests/golden/demo/trace.txt "$work/replayed/trace.txt" || die "the replayed capture's Glide trace is not the golden one"
frames=0
for frame in "$work"/plain/frame-*.png; do
    cmp "$frame" "$work/replayed/$(basename "$frame")" || die "$(basename "$frame") of the replayed capture differs"
    frames=$((frames + 1))
done
[[ $frames -eq 6 && ! -e "$work/replayed/frame-0007.png" ]] || die "expected 6 frames, the demo gave $frames"
echo "ok:   the Windows capture replays to the golden Glide trace and the demo's $frames frames"
echo "test-capture-windows: all checks passed in $((SECONDS - started)) s"
