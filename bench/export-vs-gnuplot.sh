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

need=()
command -v gnuplot >/dev/null || need+=(gnuplot-nox)
[ -x /usr/bin/time ] || need+=(time)
command -v hyperfine >/dev/null || need+=(hyperfine)
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A slow powder scan: background near 10000 counts with noise and six sharp
# peaks, two-theta 5 .. 90 (rows such as "12.3450<TAB>10234.56").
awk 'BEGIN {
  srand(12345); n = 524288; split("20.86 26.64 36.54 50.14 59.96 68.14", peaks, " ")
  printf "IGOR\r\nWAVES/D tth int\r\nBEGIN\r\n"
  for (i = 0; i < n; i++) {
    t = 5 + i * 85 / n; c = 10000 + rand() * 300
    for (p in peaks) { d = (t - peaks[p]) / 0.05; c += 15000 * exp(-d * d) }
    printf "%.4f\t%.2f\r\n", t, c
  }
  printf "END\r\nX Display int vs tth\r\nX SetAxis bottom 5, 90\r\nX SetAxis left 0, 32000\r\n"
}' > max.pat
# The same two columns as plain numbers for gnuplot.
awk 'NR > 3 && /^[0-9]/' max.pat > max.dat
cat > plot.gp <<'GP'
set terminal png size 1920,1080
set output 'gnuplot.png'
set xrange [5:90]
set yrange [0:32000]
plot 'max.dat' using 1:2 with lines notitle
GP
echo "input: $(wc -c < max.pat) bytes, $(grep -c $'^[0-9]' max.pat) rows"

hyperfine --warmup 3 --runs 20 --export-markdown hyperfine.md \
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
