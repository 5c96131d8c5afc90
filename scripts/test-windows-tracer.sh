#!/usr/bin/env bash
# The Glide tracer on Windows, under Wine (called by scripts/test-windows.sh
# after it has built the win64 preset and set up WINEPREFIX):
#   1. build-win64/tracer/glide2x.dll imports KERNEL32 only and exports the 121
#      decorated Glide names (scripts/check-dll.sh --tracer --x64), and so does
#      build-win32/tracer/glide2x.dll when the win32 preset was built;
#   2. vrastex-replay.exe plays the demo twice, once with the stand-in's own
#      trace and once through the tracer in front of the stand-in: the two
#      traces and all frames must be byte-identical;
#   3. the same through the tracer in front of the stand-in built without its
#      control functions (frames read back through grLfbReadRegion).
# Environment: WINE64 (default /usr/lib/wine/wine64), WINE_TIMEOUT (default 300).
set -euo pipefail
cd "$(dirname "$0")/.."

die() {
    echo "test-windows-tracer: FAIL: $*" >&2
    exit 1
}

bash scripts/check-dll.sh --tracer --x64 build-win64/tracer/glide2x.dll
if [[ -f build-win32/tracer/glide2x.dll ]]; then
    bash scripts/check-dll.sh --tracer build-win32/tracer/glide2x.dll
fi

wine64=${WINE64:-/usr/lib/wine/wine64}
if [[ ! -x "$wine64" ]]; then
    [[ "${CI:-}" == "true" ]] && die "$wine64 is missing (Debian package wine64)"
    echo "test-windows-tracer: $wine64 not found: the Wine runs are skipped"
    exit 0
fi
timeout=${WINE_TIMEOUT:-300}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Run alone, it sets up a Wine prefix of its own (test-windows.sh passes its).
if [[ -z "${WINEPREFIX:-}" || ! -d "$WINEPREFIX" ]]; then
    export WINEPREFIX=$PWD/build-win64/wine-tracer-prefix
    unset DISPLAY WAYLAND_DISPLAY
    wineserver=$(dirname "$wine64")/wineserver
    trap 'timeout 30 "$wineserver" -k >/dev/null 2>&1 || true' EXIT
    if ! timeout --kill-after=10 "$timeout" "$wine64" wineboot -i >/dev/null 2>&1 ||
        ! timeout --kill-after=10 "$timeout" "$wineserver" -w; then
        die "Wine could not set up the prefix $WINEPREFIX within $timeout s"
    fi
fi

work=build-win64/wine-tracer
rm -rf "$work"
mkdir -p "$work/bin/tracer" "$work/no-control/tracer"
cp build-win64/vrastex.dll build-win64/glide2x.dll build-win64/vrastex-replay.exe "$work/bin/"
cp build-win64/tracer/glide2x.dll "$work/bin/tracer/"
cp build-win64/vrastex.dll build-win64/vrastex-replay.exe "$work/no-control/"
cp build-win64/variants/no-control/glide2x.dll "$work/no-control/"
cp build-win64/tracer/glide2x.dll "$work/no-control/tracer/"

run() {  # folder, output name, options...
    local dir=$1 name=$2
    shift 2
    if ! timeout --kill-after=10 "$timeout" "$wine64" "$dir/vrastex-replay.exe" --out "$work/$name" "$@" \
        examples/demo.replay >"$work/$name.out" 2>"$work/$name.err"; then
        cat "$work/$name.out" "$work/$name.err" >&2
        die "vrastex-replay.exe $* under Wine failed"
    fi
    head -n1 "$work/$name.out"
}
run "$work/bin" standin --standin-trace "$work/standin.txt"
run "$work/bin" tracer --trace "$work/tracer.txt"
run "$work/no-control" readback --trace "$work/readback.txt"

failures=0
for other in tracer readback; do
    if cmp -s "$work/standin.txt" "$work/$other.txt"; then
        echo "ok:   $other: trace identical to the stand-in's own ($(wc -l <"$work/standin.txt") lines)"
    else
        failures=$((failures + 1))
        echo "FAIL: $other: the trace differs from the stand-in's own (- stand-in, + $other):"
        { diff -u "$work/standin.txt" "$work/$other.txt" || true; } | sed -n '3,22p' | sed 's/^/        /'
    fi
    frames=0
    for frame in "$work/standin"/frame-*.png; do
        frames=$((frames + 1))
        cmp -s "$frame" "$work/$other/$(basename "$frame")" || {
            failures=$((failures + 1))
            echo "FAIL: $other: $(basename "$frame") differs"
        }
    done
    [[ $frames -gt 0 ]] || { failures=$((failures + 1)); echo "FAIL: no frames written"; }
    echo "ok:   $other: $frames frames compared"
done
[[ $failures -eq 0 ]] || die "$failures difference(s); the files are in $work"
echo "test-windows-tracer: all checks passed"
