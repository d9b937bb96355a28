#!/usr/bin/env bash
# A batch of many small pictures on an ordinary disk against the same batch
# on a memory file system: what making the pictures durable costs. 3,000
# pattern files of 50 points drawn at 320 x 200 by one `korvelin
# --export-each`, written once below FOLDER (a disk) and once below
# /dev/shm; the best of three runs of each.
#
#   bench/batch-on-disk.sh [BUILD_DIR] [FOLDER] [FILES]   (default: build /work/tmp 3000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
folder=${2:-/work/tmp}
files=${3:-3000}
korvelin=$(realpath "$build/korvelin")

inputs=$(mktemp -d)
disk=$(mkdir -p "$folder" && mktemp -d -p "$folder")
memory=$(mktemp -d -p /dev/shm)
trap 'rm -rf "$inputs" "$disk" "$memory"' EXIT
awk -v files="$files" -v dir="$inputs" 'BEGIN {
  for (f = 0; f < files; f++) {
    name = sprintf("%s/s%04d.pat", dir, f)
    printf "IGOR\nWAVES/D x y\nBEGIN\n" > name
    for (i = 0; i < 50; i++) printf "%d %d\n", i, (i * 7 + f) % 50 > name
    printf "END\nX Display y vs x\n" > name
    close(name)
  }
}'

best_of_three() {
  local best=
  for run in 1 2 3; do
    rm -rf "$1/out" && mkdir "$1/out"
    local start end
    start=$(date +%s.%N)
    "$korvelin" --export-each "$1/out/{name}.png" --size 320x200 "$inputs"/*.pat
    end=$(date +%s.%N)
    best=$(echo "$start $end $best" | awk '{t = $2 - $1; if ($3 == "" || t < $3) print t; else print $3}')
  done
  echo "$best"
}
on_disk=$(best_of_three "$disk")
in_memory=$(best_of_three "$memory")
printf '%s files: disk (%s) %.2f s, memory file system %.2f s, ratio %.1f\n' "$files" "$folder" \
  "$on_disk" "$in_memory" "$(echo "$on_disk $in_memory" | awk '{print $1 / $2}')"
