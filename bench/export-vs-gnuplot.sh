#!/usr/bin/env bash
# Whole-process export of the largest pattern file (2 columns x 524,288 rows,
# CR LF) at 1920 x 1080: `korvelin --export` against gnuplot's png terminal
# drawing the same two columns to a PNG of the same size, in one hyperfine
# run, then the peak memory of each from /usr/bin/time.
#
#   bench/export-vs-gnuplot.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
korvelin=$(realpath "$build/korvelin")

source bench/common.sh
install_bench_tools

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

make_max_pattern
echo "input: $(wc -c < max.pat) bytes, $(grep -c $'^[0-9]' max.pat) rows"

hyperfine -N --warmup 3 --runs 20 --export-markdown hyperfine.md \
  -n korvelin "$korvelin --export korvelin.png --size 1920x1080 max.pat" \
  -n gnuplot "gnuplot plot.gp"
cat hyperfine.md

for name in korvelin gnuplot; do
  if [ $name = korvelin ]; then cmd=("$korvelin" --export korvelin.png --size 1920x1080 max.pat)
  else cmd=(gnuplot plot.gp); fi
  /usr/bin/time -v "${cmd[@]}" 2> time.txt >/dev/null
  echo "$name: peak memory $(awk -F': ' '/Maximum resident/ {print $2}' time.txt) KB," \
       "wall $(awk -F': ' '/Elapsed/ {print $2}' time.txt)"
done
ls -l korvelin.png gnuplot.png
