#!/usr/bin/env bash
# Checks a built Windows binary against what a host and Windows expect of it.
# The plug-in, vrastex.dll (the default):
#   - a DLL for the expected machine (i386 by default, x86-64 with --x64);
#   - exactly the 34 exported names, CalcShifts only under its decorated name,
#     no @N decoration, no ordinal-only exports;
#   - imports from KERNEL32.dll exactly LoadLibraryA and GetProcAddress, and
#     holds none of the diagnostic build's messages;
#   - (i386) no MMX, SSE or later instructions anywhere in the code: P6 + x87;
#   - a version resource, whose strings are printed.
# --diagnostic: the plug-in's diagnostic build (diagnostic/vrastex.dll): all
#   of the above, but it imports OutputDebugStringA as well, the one way it
#   says why Glide could not be used, and holds those messages.
# --capture: the capture plug-in (capture/vrastex.dll): the same 34 exports;
#   imports from KERNEL32.dll only, among its file and library functions (no
#   C runtime DLL); P6 + x87; no version resource needed.
# --tracer: the Glide tracer (tracer/glide2x.dll): the 121 decorated Glide
#   names ("_grDrawLine@8") and their symbols' own names, nothing else;
#   imports as --capture; P6 + x87.
# --replay: vrastex-replay.exe: a program importing only DLLs every Windows
#   has (KERNEL32, msvcrt, ...), so it runs with nothing beside it but the
#   DLLs it loads.
# Needs binutils-mingw-w64-i686 or binutils-mingw-w64-x86-64 (objdump) and
# binutils (strings).
#
# Usage: scripts/check-dll.sh [--x64] [--diagnostic | --capture | --tracer | --replay] FILE
set -euo pipefail

usage() {
    echo "usage: $0 [--x64] [--diagnostic | --capture | --tracer | --replay] FILE" >&2
    exit 2
}

machine=i386
mode=plugin
diagnostic=0
dll=
while [[ $# -gt 0 ]]; do
    case "$1" in
    --x64) machine=x86-64 ;;
    --diagnostic) diagnostic=1 ;;
    --capture) mode=capture ;;
    --tracer) mode=tracer ;;
    --replay) mode=replay ;;
    -h | --help) usage ;;
    -*) usage ;;
    *)
        [[ -z "$dll" ]] || usage
        dll=$1
        ;;
    esac
    shift
done
[[ -n "$dll" ]] || usage
[[ $diagnostic -eq 0 || $mode == plugin ]] || usage
if [[ ! -f "$dll" ]]; then
    echo "check-dll: $dll: no such file" >&2
    exit 1
fi

expected_exports=(
    "?CalcShifts@@YAXU_DDSURFACEDESC@@@Z"
    BlitScreen
    ClearScreen
    DoDrMode
    DoDrMove
    DrawFlat
    DrawFlat4
    DrawFlatTexture
    DrawFlatTexture4
    DrawGouraud
    DrawGouraud4
    DrawGouraudTexture
    DrawGouraudTexture4
    DrawLineFlat2
    DrawLineFlat4
    DrawLineGouraud
    DrawTile
    Flip
    InitGouraud
    InitSurfaces
    InitVariables
    LoadImagePC
    LoadTextures
    PutDrawEnv
    RenderScene
    ShowPage
    fxDetect
    fxEndFrame
    fxGlideShutdown
    fxInit
    fxShutdown
    fxStartFrame
    pause_render
    unpause_render
)
expected_imports=(GetProcAddress LoadLibraryA)
((diagnostic)) && expected_imports+=(OutputDebugStringA)
# Words of the diagnostic build's messages: the plug-in holds none of them.
messages=("cannot load the Glide library" "has no entry point" "found no 3Dfx board" "could not open the screen")
# What the capture plug-in and the tracer may take from KERNEL32.dll: files,
# libraries, the environment, the debugger output. No C runtime.
allowed_imports=(CloseHandle CreateDirectoryA CreateFileA FlushFileBuffers FreeLibrary GetEnvironmentVariableA
    GetFileSize GetLastError GetModuleFileNameA GetModuleHandleA GetModuleHandleExA GetProcAddress LoadLibraryA
    OutputDebugStringA ReadFile SetFilePointer WriteFile)
# The DLLs every Windows has, for the replay program.
system_dlls='^(kernel32|msvcrt|user32|advapi32|shell32|ntdll|gdi32|ole32|ws2_32)\.dll$'

objdump=
if [[ $machine == i386 ]]; then
    candidates=(i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump)
else
    candidates=(x86_64-w64-mingw32-objdump)
fi
for candidate in "${candidates[@]}"; do
    if command -v "$candidate" >/dev/null 2>&1; then
        objdump=$candidate
        break
    fi
done
if [[ -z "$objdump" ]]; then
    echo "check-dll: no MinGW objdump found (install binutils-mingw-w64-i686 / -x86-64)" >&2
    exit 1
fi

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
ok() {
    echo "ok:   $*"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

echo "Checking $dll"

# --- Machine and file type ---------------------------------------------------
"$objdump" -f "$dll" >"$tmp/f.txt" 2>&1 || true
if [[ $machine == i386 ]]; then
    want_format=pei-i386
    want_magic="010b"
else
    want_format=pei-x86-64
    want_magic="020b"
fi
format=$(sed -n 's/.*file format \([^ ]*\).*/\1/p' "$tmp/f.txt" | head -n1)
if [[ "$format" == "$want_format" ]]; then
    ok "file format $format (machine $machine)"
else
    fail "file format is '${format:-unknown}', expected $want_format"
fi

if ! "$objdump" -p "$dll" >"$tmp/p.txt" 2>"$tmp/p.err"; then
    fail "objdump -p cannot read the file: $(cat "$tmp/p.err")"
    echo "check-dll: $failures check(s) failed for $dll" >&2
    exit 1
fi
magic=$(awk '$1 == "Magic" { print $2; exit }' "$tmp/p.txt")
if [[ "$magic" == "$want_magic" ]]; then
    ok "optional header magic $magic"
else
    fail "optional header magic is '${magic:-missing}', expected $want_magic"
fi
characteristics=$(awk '$1 == "Characteristics" { print $2; exit }' "$tmp/p.txt")
if [[ $mode == replay ]]; then
    if [[ -n "$characteristics" ]] && ! ((0x${characteristics#0x} & 0x2000)); then
        ok "image is a program (characteristics 0x${characteristics#0x})"
    else
        fail "image is not a program (characteristics '${characteristics:-missing}')"
    fi
elif [[ -n "$characteristics" ]] && ((0x${characteristics#0x} & 0x2000)); then
    ok "image is a DLL (characteristics 0x${characteristics#0x})"
else
    fail "image is not marked as a DLL (characteristics '${characteristics:-missing}')"
fi

# --- Exports ------------------------------------------------------------------
# Names: the lines of the "[Ordinal/Name Pointer] Table" block.
awk '
    /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
    names && /^[[:space:]]*$/ { names = 0 }
    names && /^[[:space:]]*\[ *[0-9]+\]/ { sub(/^[[:space:]]*\[ *[0-9]+\] /, ""); print }
' "$tmp/p.txt" | LC_ALL=C sort >"$tmp/exports.txt"
# Addresses: the entries of the "Export Address Table -- Ordinal Base" block.
address_count=$(awk '
    /^Export Address Table -- Ordinal Base/ { table = 1; next }
    table && /^[[:space:]]*$/ { table = 0 }
    table && /Export RVA|Forwarder RVA/ { n++ }
    END { print n + 0 }
' "$tmp/p.txt")
export_count=$(wc -l <"$tmp/exports.txt")
if [[ $mode == tracer ]]; then
    # Each Glide entry point under its decorated name and its symbol's own
    # name (grDrawLine@8 on i386, grDrawLine on x86-64).
    entry_points=$(dirname "$0")/../src/glide/glide_entry_points.h
    sed -n 's/^[[:space:]]*X(\([A-Za-z0-9_]*\), *\([0-9]*\), *[A-Z]*).*/\1 \2/p' "$entry_points" |
        while read -r name bytes; do
            echo "_$name@$bytes"
            if [[ $machine == i386 ]]; then echo "$name@$bytes"; else echo "$name"; fi
        done | LC_ALL=C sort >"$tmp/expected.txt"
    expected_count=$(($(wc -l <"$tmp/expected.txt") / 2))  # names, each exported twice
    [[ $expected_count -eq 121 ]] || fail "expected 121 Glide entry points in $entry_points, found $expected_count"
elif [[ $mode == replay ]]; then
    : >"$tmp/expected.txt"
    expected_count=0
else
    printf '%s\n' "${expected_exports[@]}" | LC_ALL=C sort >"$tmp/expected.txt"
    expected_count=${#expected_exports[@]}
fi
if [[ $mode == replay ]]; then
    ok "exports: $export_count names (a program)"
elif diff -u "$tmp/expected.txt" "$tmp/exports.txt" >"$tmp/exports.diff"; then
    ok "exports: exactly the $expected_count expected names"
else
    fail "exports differ from the expected $expected_count names (- missing, + unexpected):"
    sed -n '3,$p' "$tmp/exports.diff" | grep '^[-+]' | sed 's/^/        /' | head -n 40
fi
if [[ $mode == replay ]]; then
    :
elif [[ "$address_count" -eq "$export_count" ]]; then
    ok "export address table: $address_count entries, all named"
else
    fail "export address table has $address_count entries for $export_count names"
fi
if grep -q 'Forwarder RVA' "$tmp/p.txt"; then
    fail "the export table contains forwarders"
fi

# --- Imports ------------------------------------------------------------------
awk '
    /DLL Name:/ { dll = $3; next }
    dll != "" && /^[[:space:]]*$/ { dll = "" }
    dll != "" && /^[[:space:]]*[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[^[:space:]]+/ { print dll, $3 }
' "$tmp/p.txt" >"$tmp/imports.txt"
grep -o 'DLL Name: .*' "$tmp/p.txt" | sed 's/DLL Name: //' | LC_ALL=C sort -u >"$tmp/dlls.txt"
echo "      imports:"
if [[ -s "$tmp/imports.txt" ]]; then
    sed 's/^/        /' "$tmp/imports.txt"
else
    echo "        (none)"
fi
if [[ $mode == replay ]]; then
    bad_dlls=$(grep -viE "$system_dlls" "$tmp/dlls.txt" || true)
    if [[ -n "$bad_dlls" ]]; then
        fail "imports from DLLs that Windows does not have: $(echo $bad_dlls) (link them statically)"
    else
        ok "imports only Windows' own DLLs: $(echo $(cat "$tmp/dlls.txt"))"
    fi
else
bad_dlls=$(grep -vix 'KERNEL32.dll' "$tmp/dlls.txt" || true)
if [[ -n "$bad_dlls" ]]; then
    fail "imports from DLLs other than KERNEL32.dll: $(echo $bad_dlls)"
elif [[ ! -s "$tmp/dlls.txt" ]]; then
    fail "no import from KERNEL32.dll (LoadLibraryA and GetProcAddress are needed)"
else
    ok "imports from KERNEL32.dll only"
fi
awk '{ print $2 }' "$tmp/imports.txt" | LC_ALL=C sort >"$tmp/import_names.txt"
if [[ $mode == plugin ]]; then
    printf '%s\n' "${expected_imports[@]}" | LC_ALL=C sort >"$tmp/expected_imports.txt"
    if diff -q "$tmp/expected_imports.txt" "$tmp/import_names.txt" >/dev/null; then
        ok "imported functions: ${expected_imports[*]}"
    else
        fail "imported functions are $(echo $(cat "$tmp/import_names.txt")), expected ${expected_imports[*]}"
    fi
    strings -a "$dll" >"$tmp/strings8.txt"
    found=()
    for message in "${messages[@]}"; do
        grep -qF "$message" "$tmp/strings8.txt" && found+=("$message")
    done
    if ((diagnostic)) && [[ ${#found[@]} -ne ${#messages[@]} ]]; then
        fail "the diagnostic build holds only ${#found[@]} of its ${#messages[@]} messages"
    elif ((diagnostic)); then
        ok "messages: all ${#messages[@]} present"
    elif [[ ${#found[@]} -ne 0 ]]; then
        fail "the plug-in holds messages of the diagnostic build: ${found[*]}"
    else
        ok "messages: none (the diagnostic build's are not in it)"
    fi
else
    printf '%s\n' "${allowed_imports[@]}" | LC_ALL=C sort >"$tmp/allowed_imports.txt"
    extra=$(LC_ALL=C comm -23 "$tmp/import_names.txt" "$tmp/allowed_imports.txt")
    if [[ -n "$extra" ]]; then
        fail "imported functions outside the allowed KERNEL32 set: $(echo $extra)"
    else
        ok "imported functions, all file/library functions: $(echo $(cat "$tmp/import_names.txt"))"
    fi
fi
fi

# --- Instruction set ------------------------------------------------------------
if [[ $machine == i386 && $mode != replay ]]; then
    "$objdump" -d --no-show-raw-insn "$dll" >"$tmp/d.txt"
    # Registers of MMX, SSE and AVX, and mnemonics beyond the P6 + x87 set.
    registers='%([xyz]mm[0-9]+|mm[0-7])\b'
    mnemonics='^(ldmxcsr|stmxcsr|v?fxsave|v?fxrstor|emms|femms|fisttp[sl]?[l]?|movnt[a-z]*|maskmov[a-z]*|[lsm]fence|prefetch[a-z0-9]*|clflush[a-z]*|popcnt|lzcnt|tzcnt|movbe|crc32[a-z]*|andn|bextr|blsi|blsmsk|blsr|bzhi|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox|cmpxchg16b|xgetbv|xsave[a-z]*|xrstor[a-z]*|rdrand|rdseed|vzero(upper|all)|pshuf[a-z]*|punpck[a-z]*|pxor|por|pand[n]?|padd[a-z]*|psub[a-z]*|pmul[a-z]*|pcmp[a-z]*|cvt[a-z0-9]*|(add|sub|mul|div|min|max|sqrt|rsqrt|rcp|cmp|and|andn|or|xor|mov|movu|mova|movh|movl|shuf|unpckh|unpckl)(ps|pd|ss|sd)|u?comis[sd]|mov[dq]|movdq[au]|movmskp[sd]|movss|movaps|movups)$'
    awk -v regs="$registers" -v mn="$mnemonics" '
        /^[[:space:]]*[0-9a-f]+:/ {
            line = $0
            sub(/^[[:space:]]*[0-9a-f]+:[[:space:]]*/, "", line)
            split(line, parts, /[[:space:]]+/)
            op = parts[1]
            if (op ~ /^(rep|repz|repnz|lock|data16|addr16|cs|ds|es|ss|fs|gs)$/) op = parts[2]
            if (line ~ regs || op ~ mn) print
        }
    ' "$tmp/d.txt" >"$tmp/sse.txt"
    instruction_count=$(grep -c '^[[:space:]]*[0-9a-f]*:' "$tmp/d.txt" || true)
    if [[ -s "$tmp/sse.txt" ]]; then
        fail "instructions outside P6 + x87 found ($(wc -l <"$tmp/sse.txt")), first ones:"
        head -n 20 "$tmp/sse.txt" | sed 's/^/        /'
    elif [[ "$instruction_count" -lt 100 ]]; then
        fail "disassembly found only $instruction_count instructions; cannot judge the instruction set"
    else
        ok "no MMX/SSE/AVX or post-P6 instructions in $instruction_count instructions"
    fi
    x87=$(grep -cE '^[[:space:]]*[0-9a-f]+:[[:space:]]+f[a-z]+' "$tmp/d.txt" || true)
    echo "      x87 instructions: $x87"
fi

# --- Version resource ----------------------------------------------------------
if [[ $mode != plugin ]]; then
    :
elif "$objdump" -h "$dll" | grep -q '\.rsrc'; then
    strings -a -el "$dll" >"$tmp/strings16.txt"
    if grep -qx 'VS_VERSION_INFO' "$tmp/strings16.txt"; then
        ok "version resource present:"
        awk '
            BEGIN {
                keys["CompanyName"]; keys["FileDescription"]; keys["FileVersion"]
                keys["InternalName"]; keys["OriginalFilename"]; keys["ProductName"]
                keys["ProductVersion"]; keys["LegalCopyright"]
            }
            key != "" { printf "        %-17s %s\n", key, $0; key = ""; next }
            ($0 in keys) { key = $0 }
        ' "$tmp/strings16.txt"
        original=$(awk 'take { print; exit } $0 == "OriginalFilename" { take = 1 }' "$tmp/strings16.txt")
        if [[ "$original" != "vrastex.dll" ]]; then
            fail "version resource OriginalFilename is '$original', expected vrastex.dll"
        fi
    else
        fail "the .rsrc section holds no VS_VERSION_INFO"
    fi
else
    fail "no resource section (.rsrc): the version resource is missing"
fi

if [[ $failures -ne 0 ]]; then
    echo "check-dll: $failures check(s) failed for $dll" >&2
    exit 1
fi
echo "check-dll: all checks passed for $dll"
