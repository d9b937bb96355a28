#!/usr/bin/env bash
# One performance report: builds the program and the benchmarks (release),
# runs every benchmark and the whole-process exports, and prints one table.
# Every figure comes from this run.
#
#   bash bench/report.sh [BUILD_DIR]      (default: build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}

bash scripts/setup
source bench/common.sh
install_bench_tools
bash scripts/build "$build" -DKORVELIN_BENCH=ON >/dev/null
build=$(realpath "$build")
korvelin="$build/korvelin"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
for bench in ReaderBench RenderBench MainWindowBench HighDensityBench PictureFileBench VectorBench \
             AddFileBench; do
  echo "running $bench" >&2
  "$build/bench/$bench" --benchmark_format=json --benchmark_min_time=0.5 > "$work/$bench.json" 2>/dev/null
done

# The largest document and the same columns for gnuplot.
cd "$work"
make_max_pattern
echo "running the exports" >&2
hyperfine -N --warmup 3 --runs 20 --export-json exports.json \
  -n png "$korvelin --export out.png --size 1920x1080 max.pat" \
  -n emf "$korvelin --export out.emf --size 1920x1080 max.pat" \
  -n pdf "$korvelin --export out.pdf --size 1920x1080 max.pat" \
  -n svg "$korvelin --export out.svg --size 1920x1080 max.pat" \
  -n png-scale2 "$korvelin --export out2.png --size 1920x1080 --scale 2 max.pat" \
  -n gnuplot "gnuplot plot.gp" >/dev/null 2>&1
/usr/bin/time -v "$korvelin" --export out.png --size 1920x1080 max.pat 2> time.txt
peak=$(awk -F': ' '/Maximum resident/ {print $2}' time.txt)
sizes=$(for f in png emf pdf svg; do printf "%s=%s " "$f" "$(wc -c < out.$f)"; done)

python3 - "$work" "$peak" "$sizes" "$(wc -c < max.pat)" <<'PY'
import json, sys
work, peak, sizes, input_bytes = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
sizes = dict(kv.split("=") for kv in sizes.split())
def bench(name):
    data = json.load(open(f"{work}/{name}.json"))
    return {b["name"]: b for b in data["benchmarks"]}
reader, render, window = bench("ReaderBench"), bench("RenderBench"), bench("MainWindowBench")
dense = bench("HighDensityBench")
picture, vector = bench("PictureFileBench"), bench("VectorBench")
added = bench("AddFileBench")
exports = {r["command"]: r for r in json.load(open(f"{work}/exports.json"))["results"]}
ms = lambda b: b["real_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1, "s": 1e3}[b["time_unit"]]
mb = lambda b: b["bytes_per_second"] / 1e6
rows = []
load, floor = reader["BM_LoadMaxFile"], reader["BM_FromCharsFloor"]
rows.append(("load of the largest file (9.4 MB)", f"{mb(load):.0f} MB/s",
             f"{mb(load) / mb(floor):.2f} of the bare from_chars loop ({mb(floor):.0f} MB/s)"))
columns = reader["BM_LoadMaxColumnFile"]
rows.append(("load of the same rows as a column file", f"{mb(columns):.0f} MB/s",
             f"{mb(columns) / mb(load):.2f} of the pattern reader per MB"))
# The counter is seconds a point.
full, zoomed, qp = (render[n]["ns_per_point"] * 1e9 for n in
                    ("BM_RedrawFullView", "BM_RedrawZoomed", "BM_QPainterPolyline"))
rows.append(("redraw, full view", f"{full:.1f} ns/point", f"QPainter polyline {qp:.1f} ns/point: {qp / full:.1f}x faster"))
rows.append(("redraw, zoomed to 1 %", f"{zoomed:.1f} ns/point", f"{qp / zoomed:.1f}x faster than QPainter"))
for name, label in (("BM_RedrawFullViewSquareRoot", "redraw, full view, square-root intensity"),
                    ("BM_RedrawFullViewLogarithmic", "redraw, full view, logarithmic intensity from 0")):
    scaled = render[name]["ns_per_point"] * 1e9
    rows.append((label, f"{scaled:.1f} ns/point", f"{scaled / full:.2f} of the linear redraw"))
for name in ("png", "emf", "pdf", "svg"):
    t = exports[name]["mean"] * 1e3
    rows.append((f"--export {name.upper()}, 1920 x 1080, whole process", f"{t:.1f} ms",
                 f"{t / (exports['png']['mean'] * 1e3):.2f} of PNG; file {int(sizes[name]) / 1024:.0f} KiB"))
t2 = exports["png-scale2"]["mean"] * 1e3
rows.append(("--export PNG --scale 2 (3840 x 2160), whole process", f"{t2:.1f} ms",
             f"{t2 / (exports['png']['mean'] * 1e3):.2f} of --scale 1"))
g = exports["gnuplot"]["mean"] * 1e3
rows.append(("gnuplot png terminal, same file and size", f"{g:.1f} ms",
             f"PNG export {g / (exports['png']['mean'] * 1e3):.2f}x faster"))
for key, label in (("BM_ZoomRelease/FullViewPowder/manual_time", "zoom: release to picture, full view"),
                   ("BM_ZoomRelease/DeepZoomPowder/manual_time", "zoom: release to picture, deep zoom"),
                   ("BM_ModifyApply/Powder", "Modify Graph apply: timer to picture"),
                   ("BM_RedrawMaxDocument1920x1080/Powder", "window redraw, largest document")):
    rows.append((label, f"{ms(window[key]):.2f} ms", "1920 x 1080, 524,288 points"))
rows.append(("one drag move (band and repaint)", f"{ms(window['BM_DragMove']) * 1000:.0f} us", ""))
rows.append(("zoom at ratio 2: release to picture", f"{ms(dense['BM_ZoomReleaseRatio2/manual_time']):.2f} ms",
             "1920 x 1080 window, 3840 x 2160 picture"))
rows.append(("one drag move at ratio 2", f"{ms(dense['BM_DragMoveRatio2']) * 1000:.0f} us", ""))
rows.append(("one readout (mapping, formats, caption)", f"{ms(window['BM_Readout']) * 1e6:.0f} ns", ""))
rows.append(("PNG encoding of the picture (palette found on the way)",
             f"{ms(picture['BM_EncodePngFromPicture']):.2f} ms",
             f"of its palette image {ms(picture['BM_EncodePngRunLength']):.2f} ms; "
             f"Qt's writer {ms(picture['BM_EncodePngQtWriter']):.2f} ms"))
rows.append(("peak memory, PNG export of the largest document", f"{peak / 1024:.1f} MiB", ""))
rows.append(("Add File of a 9.3 MB pattern on the largest example, to the picture",
             f"{ms(added['BM_AddFileToPictureLargestOnTopOfExample']):.1f} ms", "target 40 ms"))
print("| measure | figure | beside it |")
print("|---|---|---|")
for r in rows:
    print("| " + " | ".join(r) + " |")
print()
print("Vector benchmark lines (VectorBench):")
for name, b in vector.items():
    print(f"  {name}: {ms(b):.2f} ms")
PY
