#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs them, each for a
# fixed time, one after the other:
#   fuzz/run.sh [SECONDS] [TARGET]   (default 180 seconds, every target)
# TARGET is ReaderFuzz, PipelineFuzz or DeflateFuzz (or reader, pipeline,
# deflate). New inputs collect in build-fuzz/corpus/TARGET; the seeds in
# fuzz/corpus are only read. An input that crashes, trips a sanitizer or a check, or runs longer
# than a second is written to build-fuzz/artifacts/TARGET/, and the script
# fails with the status of the first target that found one.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}
case "${2:-all}" in
  all) targets=(ReaderFuzz PipelineFuzz DeflateFuzz) ;;
  reader | ReaderFuzz) targets=(ReaderFuzz) ;;
  pipeline | PipelineFuzz) targets=(PipelineFuzz) ;;
  deflate | DeflateFuzz) targets=(DeflateFuzz) ;;
  *) echo "fuzz/run.sh: unknown target '$2' (ReaderFuzz, PipelineFuzz or DeflateFuzz)" >&2; exit 2 ;;
esac

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKORVELIN_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target "${targets[@]}" -j 2

status=0
for target in "${targets[@]}"; do
  case $target in
    # The reader's inputs are the file alone; the pipeline's end in the
    # window's choices, so its seeds are the files with a block of choices.
    ReaderFuzz) options=(-dict=fuzz/reader.dict -max_len=16384) ;;
    PipelineFuzz) options=(-dict=fuzz/pipeline.dict -max_len=32768) ;;
    DeflateFuzz) options=(-max_len=16384) ;;
  esac
  mkdir -p "build-fuzz/corpus/$target" "build-fuzz/artifacts/$target"
  echo "== $target for $seconds s" >&2
  "build-fuzz/fuzz/$target" "build-fuzz/corpus/$target" fuzz/corpus "${options[@]}" \
    -timeout=1 -max_total_time="$seconds" -artifact_prefix="build-fuzz/artifacts/$target/" \
    -print_final_stats=1 || { rc=$?; [ $status -ne 0 ] || status=$rc; }
done
exit $status
