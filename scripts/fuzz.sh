#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of
# runs (default 2,000,000). Findings land in fuzz-out/.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-2000000}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVRA_BUILD_FUZZERS=ON -DKELVRA_BUILD_TESTS=ON >/dev/null
cmake --build build-fuzz --target ini_fuzzer command_line_fuzzer -j"$(nproc)"
mkdir -p fuzz-out
for target in ini_fuzzer command_line_fuzzer; do
  mkdir -p "fuzz-out/$target"
  echo "== $target ($runs runs)"
  ASAN_OPTIONS=detect_leaks=1 "build-fuzz/tests/fuzz/$target" -runs="$runs" -max_len=4096 \
    -artifact_prefix="fuzz-out/$target/" "fuzz-out/$target" 2>&1 | tail -n 3
done
