#!/usr/bin/env bash
# Pictures of a series of files: 200 pattern files of 100,000 points each,
# drawn at 800 x 600 by one `korvelin --export-each` (every core), by a
# shell loop of single `korvelin --export` runs, and by gnuplot's png
# terminal in a shell loop, in one hyperfine run; then the batch's peak
# memory against one single export's.
#
#   bench/batch-vs-loop.sh [BUILD_DIR] [FILES]      (default: build 200)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
files=${2:-200}
korvelin=$(realpath "$build/korvelin")

source bench/common.sh
install_bench_tools

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p in out loop plots

# A temperature series: the same powder pattern with its peaks drifting.
awk -v files="$files" 'BEGIN {
  srand(7); n = 100000
  for (f = 0; f < files; f++) {
    name = sprintf("in/scan%03d.pat", f); dat = sprintf("in/scan%03d.dat", f)
    printf "IGOR\r\nWAVES/D tth int\r\nBEGIN\r\n" > name
    for (i = 0; i < n; i++) {
      t = 5 + i * 85 / n; c = 1000 + rand() * 50
      for (p = 1; p <= 6; p++) { d = (t - 15 * p - f * 0.01) / 0.05; c += 5000 * exp(-d * d) }
      printf "%.4f\t%.2f\r\n", t, c > name
      printf "%.4f %.2f\n", t, c > dat
    }
    printf "END\r\nX Display int vs tth\r\nX SetAxis bottom 5, 90\r\nX SetAxis left 0, 7000\r\n" > name
    close(name); close(dat)
  }
}'
for f in in/*.dat; do
  name=$(basename "$f" .dat)
  printf "set terminal png size 800,600\nset output 'plots/%s.png'\nset xrange [5:90]\nset yrange [0:7000]\nplot '%s' using 1:2 with lines notitle\n" "$name" "$f" > "in/$name.gp"
done
echo "input: $files files of $(grep -c $'^[0-9]' in/scan000.pat) rows, $(du -sh in | cut -f1) with the gnuplot copies"

hyperfine --warmup 1 --runs 5 --export-markdown hyperfine.md \
  -n batch "$korvelin --export-each 'out/{name}.png' --size 800x600 in/*.pat" \
  -n loop "for f in in/*.pat; do $korvelin --export loop/\$(basename \$f .pat).png --size 800x600 \$f; done" \
  -n gnuplot-loop "for g in in/*.gp; do gnuplot \$g; done"
cat hyperfine.md
batch=$(awk -F'|' '/batch/ {print $3}' hyperfine.md | awk '{print $1}')
echo "batch: $(awk -v n="$files" -v s="$batch" 'BEGIN {printf "%.0f", n / (s / 1000 > 0 ? s / 1000 : s)}') files per second (mean ${batch})"

/usr/bin/time -v "$korvelin" --export-each 'out/{name}.png' --size 800x600 in/*.pat 2> time.txt
echo "batch of $files: peak memory $(awk -F': ' '/Maximum resident/ {print $2}' time.txt) KB"
/usr/bin/time -v "$korvelin" --export loop/one.png --size 800x600 in/scan000.pat 2> time.txt
echo "single export: peak memory $(awk -F': ' '/Maximum resident/ {print $2}' time.txt) KB"
cmp out/scan000.png loop/scan000.png && echo "batch and single export pictures are the same bytes"
