#!/usr/bin/env bash
# Builds the reader fuzzer with clang in build-fuzz and runs it:
#   fuzz/run.sh [SECONDS]   (default 180)
# New inputs collect in build-fuzz/corpus; the seeds in fuzz/corpus are only
# read. A crashing input is written to build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKORVELIN_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target ReaderFuzz -j 2
mkdir -p build-fuzz/corpus build-fuzz/artifacts
exec build-fuzz/fuzz/ReaderFuzz build-fuzz/corpus fuzz/corpus \
  -dict=fuzz/reader.dict -max_len=16384 -max_total_time="$seconds" \
  -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1
