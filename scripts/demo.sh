#!/usr/bin/env bash
# The main job: builds the plug-in, the software Glide and vrastex-replay, and
# renders the demo script into PNG frames (out/demo/frame-0001.png, ...) with
# the Glide call trace beside them (out/demo/trace.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target vrastex glide2x vrastex-replay
mkdir -p out/demo
./build/vrastex-replay --out out/demo --trace out/demo/trace.txt examples/demo.replay
ls out/demo
