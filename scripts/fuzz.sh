#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time from its seed
# corpus and its committed findings. Any finding fails the run; the input is
# left in build-fuzz/findings/ (copy it to tests/fuzz/TARGET/ once fixed).
#   FUZZ_SECONDS   time per target (default 60)
#   FUZZ_TARGETS   which targets (default: exports raster script)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-exports raster script}
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer -fsanitize-coverage-ignorelist=$PWD/fuzz/coverage-ignore.txt"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVRASTEX_FUZZ=ON -DVRASTEX_BUILD_TESTS=OFF -DVRASTEX_WERROR=$werror \
  "-DCMAKE_CXX_FLAGS=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" \
  "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
# Ninja does not know the ignorelist is an input of every object: a changed
# one rebuilds them all.
if ! cmp -s fuzz/coverage-ignore.txt build-fuzz/coverage-ignore.built; then
  cmake --build build-fuzz --target clean
fi
cmake --build build-fuzz -j2 --target $(printf 'fuzz_%s ' $targets)
cp fuzz/coverage-ignore.txt build-fuzz/coverage-ignore.built

mkdir -p build-fuzz/findings
for target in $targets; do
  printf '\n== fuzz_%s for %s s\n' "$target" "$seconds"
  maxlen=4096
  [ "$target" = exports ] && maxlen=1024
  work=build-fuzz/corpus/$target
  mkdir -p "$work"
  dirs=("$work" "fuzz/corpus/$target")
  [ -d "tests/fuzz/$target" ] && dirs+=("tests/fuzz/$target")
  ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1:quarantine_size_mb=16:malloc_context_size=5 \
    build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
      -detect_leaks=0 -max_len=$maxlen -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$target-" "${dirs[@]}"
done
