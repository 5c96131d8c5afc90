#!/usr/bin/env bash
# The Windows builds and what can be checked of them on Linux:
#   1. the win32 preset (the i686 release DLL and its diagnostic build),
#      checked by scripts/check-dll.sh (and --diagnostic);
#   2. the win64 preset (x86_64 vrastex.dll, diagnostic/vrastex.dll,
#      glide2x.dll, vrastex-replay.exe), both plug-ins checked by
#      scripts/check-dll.sh --x64 (and --diagnostic);
#   3. the demo under Wine: vrastex-replay.exe with nothing beside it but
#      vrastex.dll and glide2x.dll plays examples/demo.replay in a fresh Wine
#      prefix, and its Glide trace and every frame PNG must be byte-identical
#      to what the Linux build (build/vrastex-replay) writes for the same script;
#   4. with a Glide that finds no board, diagnostic/vrastex.dll says why
#      through OutputDebugStringA and vrastex.dll says nothing;
#   5. the window under Wine and Xvfb: vrastex-window-test.exe plays the demo
#      with glide2x.dll's window on, in its own window and in a host window,
#      and reads every frame back from the window (GDI) against the goldens.
# Steps 3 to 5 need Debian's wine64, step 5 also xvfb-run. Under CI (CI=true) their absence is a failure;
# elsewhere the step is skipped with a message.
#
# Environment: WINE64 (default /usr/lib/wine/wine64), WINE_TIMEOUT (seconds
# for one Wine command, default 300).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

werror=${VRASTEX_WERROR:-OFF}
[[ "${CI:-}" == "true" ]] && werror=ON

step() { printf '\n== test-windows: %s\n' "$*"; }
die() {
    echo "test-windows: FAIL: $*" >&2
    exit 1
}

step "win32 preset: i686 vrastex.dll and diagnostic/vrastex.dll"
cmake --preset win32 -DVRASTEX_WERROR="$werror"
cmake --build --preset win32
bash scripts/check-dll.sh build-win32/vrastex.dll
bash scripts/check-dll.sh --diagnostic build-win32/diagnostic/vrastex.dll

step "win64 preset: x86_64 vrastex.dll, diagnostic/vrastex.dll, glide2x.dll, vrastex-replay.exe"
cmake --preset win64 -DVRASTEX_WERROR="$werror"
cmake --build --preset win64
bash scripts/check-dll.sh --x64 build-win64/vrastex.dll
bash scripts/check-dll.sh --x64 --diagnostic build-win64/diagnostic/vrastex.dll
for file in vrastex.dll diagnostic/vrastex.dll glide2x.dll vrastex-replay.exe; do
    [[ -f build-win64/$file ]] || die "build-win64/$file was not built"
done
# The program runs beside the two DLLs alone: no other DLL but Windows' own.
imports=$(x86_64-w64-mingw32-objdump -p build-win64/vrastex-replay.exe | sed -n 's/.*DLL Name: //p' | sort -u)
foreign=$(grep -viE '^(kernel32|msvcrt|user32|advapi32|shell32|ntdll)\.dll$' <<<"$imports" || true)
[[ -z "$foreign" ]] || die "vrastex-replay.exe imports $(echo $foreign); it must be linked statically"
echo "ok:   vrastex-replay.exe imports only $(echo $imports)"

step "the demo under Wine against the Linux build"
wine64=${WINE64:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine64")/wineserver
if [[ ! -x "$wine64" ]]; then
    if [[ "${CI:-}" == "true" ]]; then
        die "$wine64 is missing (Debian package wine64); CI needs the Wine comparison"
    fi
    echo "test-windows: $wine64 not found (Debian package wine64): the Wine comparison is skipped"
    echo "test-windows: done in $((SECONDS - started)) s"
    exit 0
fi
timeout=${WINE_TIMEOUT:-300}

# The Linux side: the default build directory, configured as scripts/test.sh
# does if nobody has yet.
if [[ ! -f build/CMakeCache.txt ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVRASTEX_WERROR="$werror"
fi
cmake --build build -j2 --target vrastex glide2x vrastex-replay

work=build-win64/wine-demo
rm -rf "$work"
mkdir -p "$work/bin" "$work/linux"
cp build-win64/vrastex.dll build-win64/glide2x.dll build-win64/vrastex-replay.exe "$work/bin/"
mkdir -p "$work/bin/tracer" && cp build-win64/tracer/glide2x.dll "$work/bin/tracer/"  # --trace loads it

# A fresh prefix. No Mono or Gecko (their install dialogs would wait for a
# click), no messages, no display. The first start creates the prefix, which
# takes a while on a new machine; wineserver -w waits until it has settled.
export WINEPREFIX=$PWD/$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
stop_wine() { timeout 30 "$wineserver" -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT
boot_started=$SECONDS
if ! timeout --kill-after=10 "$timeout" "$wine64" wineboot -i >"$work/wineboot.log" 2>&1 ||
    ! timeout --kill-after=10 "$timeout" "$wineserver" -w; then
    cat "$work/wineboot.log" >&2
    die "Wine could not set up the prefix $WINEPREFIX within $timeout s"
fi
echo "ok:   Wine prefix ready in $((SECONDS - boot_started)) s"

# Relative paths from the repository root, the same for both programs; Wine
# maps the working directory, and the script's assets/... paths resolve against
# the script's own directory.
set +e
timeout --kill-after=10 "$timeout" "$wine64" "$work/bin/vrastex-replay.exe" \
    --out "$work/bin/out" --trace "$work/bin/trace.txt" examples/demo.replay \
    >"$work/wine.out" 2>"$work/wine.err"
wine_status=$?
./build/vrastex-replay --out "$work/linux/out" --trace "$work/linux/trace.txt" examples/demo.replay \
    >"$work/linux.out" 2>"$work/linux.err"
linux_status=$?
set -e
cat "$work/wine.out"
if [[ $wine_status -ne 0 ]]; then
    cat "$work/wine.err" >&2
    die "vrastex-replay.exe under Wine exited with status $wine_status"
fi
if [[ $linux_status -ne 0 ]]; then
    cat "$work/linux.err" >&2
    die "build/vrastex-replay exited with status $linux_status"
fi

failures=0
if cmp -s "$work/linux/trace.txt" "$work/bin/trace.txt"; then
    echo "ok:   Glide traces identical ($(wc -l <"$work/linux/trace.txt") lines)"
else
    failures=$((failures + 1))
    echo "FAIL: the Glide traces differ (- Linux, + Wine; first differences):"
    diff -u "$work/linux/trace.txt" "$work/bin/trace.txt" | sed -n '3,42p' | sed 's/^/        /'
fi

(cd "$work/linux/out" && ls frame-*.png 2>/dev/null) >"$work/frames-linux.txt" || true
(cd "$work/bin/out" && ls frame-*.png 2>/dev/null) >"$work/frames-wine.txt" || true
linux_frames=$(wc -l <"$work/frames-linux.txt")
wine_frames=$(wc -l <"$work/frames-wine.txt")
if [[ $linux_frames -eq 0 ]]; then
    failures=$((failures + 1))
    echo "FAIL: the Linux build wrote no frame"
elif ! cmp -s "$work/frames-linux.txt" "$work/frames-wine.txt"; then
    failures=$((failures + 1))
    echo "FAIL: $linux_frames frames on Linux, $wine_frames under Wine:"
    diff "$work/frames-linux.txt" "$work/frames-wine.txt" | sed 's/^/        /'
fi
same=0
while read -r frame; do
    [[ -f "$work/bin/out/$frame" ]] || continue
    if cmp -s "$work/linux/out/$frame" "$work/bin/out/$frame"; then
        same=$((same + 1))
        continue
    fi
    failures=$((failures + 1))
    echo "FAIL: $frame differs: $(stat -c %s "$work/linux/out/$frame") bytes on Linux," \
        "$(stat -c %s "$work/bin/out/$frame") under Wine"
    if command -v python3 >/dev/null 2>&1; then
        python3 - "$work/linux/out/$frame" "$work/bin/out/$frame" <<'EOF' | sed 's/^/        /'
# Pixel differences of two 8-bit RGB PNG files as vrastex-replay writes them.
import struct, sys, zlib

def pixels(path):
    data = open(path, "rb").read()
    at, packed, size = 8, b"", (0, 0)
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        if kind == b"IHDR":
            size = struct.unpack(">II", data[at + 8:at + 16])
        elif kind == b"IDAT":
            packed += data[at + 8:at + 8 + length]
        at += 12 + length
    raw = zlib.decompress(packed)
    row = size[0] * 3
    return size, b"".join(raw[y * (row + 1) + 1:(y + 1) * (row + 1)] for y in range(size[1]))

(size_a, a), (size_b, b) = pixels(sys.argv[1]), pixels(sys.argv[2])
if size_a != size_b:
    print("sizes differ: %dx%d on Linux, %dx%d under Wine" % (size_a + size_b))
    sys.exit()
width = size_a[0]
diff = [i // 3 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3]]
if not diff:
    print("same pixels, different file bytes (the PNG encoding differs)")
    sys.exit()
print("%d pixels differ, within x %d..%d, y %d..%d" % (
    len(diff), min(p % width for p in diff), max(p % width for p in diff), diff[0] // width, diff[-1] // width))
for p in diff[:5]:
    print("  (%d, %d): Linux %s, Wine %s" % (p % width, p // width, tuple(a[3 * p:3 * p + 3]), tuple(b[3 * p:3 * p + 3])))
EOF
    fi
done <"$work/frames-linux.txt"

if [[ $failures -ne 0 ]]; then
    echo "test-windows: the files are in $work/linux and $work/bin" >&2
    die "$failures difference(s) between the Linux build and vrastex-replay.exe under Wine"
fi
echo "ok:   $same frame PNGs byte-identical between Linux and Wine"

step "diagnostic/vrastex.dll under Wine: why Glide cannot be used"
# Glide is the tracer with no real library behind it, so every Glide call
# answers 0 and no board is found. The diagnostic build says so through
# OutputDebugStringA (Wine's debugstr channel), once per reason; the plug-in
# itself says nothing.
diag=build-win64/wine-diagnostic
# Wine shows each string as a C literal: the line's end is the two characters \n.
expected_lines='vrastex: fxDetect: Glide found no 3Dfx board (grSstQueryBoards)\n
vrastex: fxInit: Glide found no 3Dfx board (grSstQueryHardware failed)\n'
for plugin in diagnostic/vrastex.dll vrastex.dll; do
    rm -rf "$diag"
    mkdir -p "$diag"
    cp build-win64/vrastex-replay.exe "build-win64/$plugin" "$diag/"
    cp build-win64/tracer/glide2x.dll "$diag/glide2x.dll"
    WINEDEBUG=-all,+debugstr timeout --kill-after=10 "$timeout" "$wine64" "$diag/vrastex-replay.exe" \
        --out "$diag/out" examples/demo.replay >"$diag/wine.out" 2>"$diag/wine.err" || true
    said=$(sed -n 's/.*OutputDebugStringA "\(vrastex: .*\)"$/\1/p' "$diag/wine.err")
    want=$expected_lines
    [[ $plugin == vrastex.dll ]] && want=
    if [[ "$said" != "$want" ]]; then
        cat "$diag/wine.out" "$diag/wine.err" >&2
        die "$plugin said '$said' through OutputDebugStringA, expected '$want'"
    fi
    echo "ok:   $plugin says $(grep -c . <<<"$said" || true) line(s) when Glide finds no board"
done

step "the window under Wine: the demo's frames read back from glide2x.dll's own window and from a host window"
if ! command -v xvfb-run >/dev/null 2>&1; then
    [[ "${CI:-}" == "true" ]] && die "xvfb-run is missing (Debian packages xvfb, xauth); CI needs the window test"
    echo "test-windows: xvfb-run not found (Debian packages xvfb, xauth): the window test is skipped"
else
    [[ -f build-win64/vrastex-window-test.exe ]] || die "build-win64/vrastex-window-test.exe was not built"
    cp build-win64/vrastex-window-test.exe "$work/bin/"
    # glide2x.dll stays a drop-in file: Windows' own DLLs and the C runtime only.
    glide_imports=$(x86_64-w64-mingw32-objdump -p build-win64/glide2x.dll | sed -n 's/.*DLL Name: //p' | sort -u)
    foreign=$(grep -viE '^(kernel32|msvcrt|user32|gdi32)\.dll$' <<<"$glide_imports" || true)
    [[ -z "$foreign" ]] || die "glide2x.dll imports $(echo $foreign)"
    echo "ok:   glide2x.dll imports only $(echo $glide_imports)"
    # The prefix was set up without a display; Wine starts afresh on Xvfb.
    for how in own host; do
        stop_wine
        args=(examples/demo.replay tests/golden/demo)
        [[ $how == host ]] && args=(--host "${args[@]}")
        if ! timeout --kill-after=10 "$timeout" xvfb-run -a -s "-screen 0 1600x1200x24" \
            "$wine64" "$work/bin/vrastex-window-test.exe" "${args[@]}" >"$work/window-$how.out" 2>&1; then
            cat "$work/window-$how.out"
            die "the window test ($how window) failed under Wine"
        fi
        grep -E '^(ok|FAIL)' "$work/window-$how.out" | sed "s/^/      [$how] /"
    done
    stop_wine
fi
step "the Glide tracer under Wine" && bash scripts/test-windows-tracer.sh
bash scripts/test-capture-windows.sh  # the capture plug-in, in the same Wine prefix
echo "test-windows: all checks passed in $((SECONDS - started)) s"
