#!/usr/bin/env bash
# Builds the frame benchmark in Release in build-bench and runs it; arguments go to the benchmark
# (--json for JSON, --images N for N frames per level). Without a display it gets a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/dependances.sh ca-certificates g++ make cmake libsfml-dev xvfb xauth
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DORPA_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target bench_frame >/dev/null
if [ -n "${DISPLAY:-}" ]; then
    exec ./build-bench/bench/bench_frame "$@"
else
    exec xvfb-run -a -s "-screen 0 1600x1000x24" ./build-bench/bench/bench_frame "$@"
fi
