#!/usr/bin/env bash
# Checks KORVELIN's outputs with the programs they are made for, where those
# programs are installed: the PDF through pdffonts (every face embedded as a
# subset), qpdf --check and pdftotext (the numbers come out as text); the PNG
# through pngcheck (96 dpi, sRGB); the EMF through LibreOffice's converter;
# the PDF inserted into LibreOffice Draw and broken into shapes (no shape
# gains an edge it did not draw); and Copy Metafile, pasted into LibreOffice
# Draw, Impress and Writer under Xvfb (a vector metafile, breaking into
# lines, texts in the plot's font and the trace as one line) and its SVG as
# Inkscape reads it (paths and texts).
#
# A check whose program is missing is skipped, saying so. This is not part
# of the regular suite: run it by hand or in a CI job that has the clients
# (Debian: poppler-utils qpdf pngcheck libreoffice-draw libreoffice-impress
# libreoffice-writer python3-uno xvfb xdotool inkscape xclip).
#
#   tests/clients/check.sh [PROGRAM]          (default: build/korvelin)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
korvelin=$(realpath "${1:-$here/../../build/korvelin}")
pattern=$here/../../examples/quartz-powder.pat
office_py=$here/office.py
work=$(mktemp -d)
export HOME=$work/home QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"

passed=0 failed=0 skipped=0
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

pass() { echo "PASS  $1"; passed=$((passed + 1)); }
fail() { echo "FAIL  $1: $2"; failed=$((failed + 1)); }
skip() { echo "SKIP  $1: $2 is not installed"; skipped=$((skipped + 1)); }
have() { command -v "$1" >/dev/null 2>&1; }

[ -x "$korvelin" ] || { echo "no program at $korvelin; build it first" >&2; exit 2; }
cd "$work"
for kind in pdf png emf; do
  "$korvelin" --export "plot.$kind" "$pattern" || { echo "the $kind export failed" >&2; exit 2; }
done

# The PDF.
if have pdffonts; then
  fonts=$(pdffonts plot.pdf | tail -n +3)
  if [ -z "$fonts" ]; then
    fail "pdffonts" "no fonts listed"
  elif echo "$fonts" | grep -vq ' yes yes '; then
    fail "pdffonts" "a face is not embedded as a subset: $fonts"
  else
    pass "pdffonts: $(echo "$fonts" | awk '{print $1}' | tr '\n' ' ')embedded as subsets"
  fi
else
  skip "pdffonts" "poppler-utils"
fi
if have qpdf; then
  if report=$(qpdf --check plot.pdf 2>&1); then pass "qpdf --check"; else fail "qpdf --check" "$report"; fi
else
  skip "qpdf --check" "qpdf"
fi
if have pdftotext; then
  words=$(pdftotext -raw plot.pdf - | tr -s ' \n\f' '\n\n\n' | grep -c .)
  numbers=$(pdftotext -raw plot.pdf - | tr -s ' \n\f' '\n\n\n' | grep -cE '^-?[0-9][0-9.e+-]*$')
  if [ "$words" -ge 4 ] && [ "$words" = "$numbers" ]; then
    pass "pdftotext: $numbers numbers"
  else
    fail "pdftotext" "$numbers numbers among $words words"
  fi
else
  skip "pdftotext" "poppler-utils"
fi

# The PNG.
if have pngcheck; then
  report=$(pngcheck -v plot.png 2>&1)
  if [ $? -ne 0 ]; then
    fail "pngcheck" "$report"
  elif ! grep -q '3780x3780 pixels/meter' <<<"$report" || ! grep -q 'chunk sRGB' <<<"$report"; then
    fail "pngcheck" "no 96 dpi or no sRGB: $report"
  else
    pass "pngcheck: 96 dpi, sRGB"
  fi
else
  skip "pngcheck" "pngcheck"
fi

# LibreOffice: the EMF converted, the PDF broken, the clipboard pasted.
if ! have soffice; then
  skip "soffice --convert-to png" "libreoffice"
  skip "PDF inserted into Draw and broken" "libreoffice"
  skip "Copy Metafile pasted into Draw, Impress and Writer" "libreoffice"
  echo "passed $passed, failed $failed, skipped $skipped"
  [ "$failed" -eq 0 ]
  exit
fi
profile=-env:UserInstallation=file://$work/profile
mkdir -p converted
soffice --headless "$profile" --convert-to png --outdir converted plot.emf >/dev/null 2>&1
if [ -s converted/plot.png ]; then
  pass "soffice --convert-to png of the EMF"
else
  fail "soffice --convert-to png" "no picture was made of the EMF"
fi

if ! /usr/bin/python3 -c 'import uno' 2>/dev/null; then
  skip "PDF inserted into Draw and broken" "python3-uno"
  skip "Copy Metafile pasted into Draw, Impress and Writer" "python3-uno"
  echo "passed $passed, failed $failed, skipped $skipped"
  [ "$failed" -eq 0 ]
  exit
fi

# One office for both: on an X display of its own when there is one, so
# that it shares the clipboard with the program.
display=
if have Xvfb && have xdotool; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
  done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  started+=($!)
  sleep 1
fi
port=$((20000 + RANDOM % 10000))
office_bin=$(dirname "$(realpath "$(command -v soffice)")")/soffice.bin
if [ -n "$display" ]; then
  DISPLAY=$display "$office_bin" --invisible --norestore --nologo "$profile" \
    "--accept=socket,host=localhost,port=$port;urp;" >/dev/null 2>&1 &
else
  "$office_bin" --headless --invisible --norestore "$profile" \
    "--accept=socket,host=localhost,port=$port;urp;" >/dev/null 2>&1 &
fi
started+=($!)
office() { DISPLAY=$display timeout 120 /usr/bin/python3 "$office_py" "$port" "$@" 2>&1; }

# Every closed shape must close with an edge of no length: the office
# closes each path it breaks out of a PDF.
shapes=$(office break "$work/plot.pdf")
if grep -q 'closing edge [1-9]' <<<"$shapes"; then
  fail "PDF broken in Draw" "$(grep 'closing edge [1-9]' <<<"$shapes" | head -3)"
elif ! grep -q "TextShape '" <<<"$shapes" || ! grep -q 'PolyPolygonShape' <<<"$shapes"; then
  fail "PDF broken in Draw" "no lines or no texts: $(head -5 <<<"$shapes")"
else
  pass "PDF broken in Draw: every shape drawn as drawn, numbers as texts"
fi

if [ -z "$display" ]; then
  have Xvfb || skip "Copy Metafile pasted into Draw, Impress and Writer" "Xvfb"
  have xdotool || skip "Copy Metafile pasted into Draw, Impress and Writer" "xdotool"
else
  DISPLAY=$display QT_QPA_PLATFORM=xcb "$korvelin" -- "$pattern" >/dev/null 2>&1 &
  window_pid=$!
  started+=("$window_pid")
  window=
  for _ in $(seq 50); do
    window=$(DISPLAY=$display xdotool search --pid "$window_pid" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.2
  done
  sleep 1
  DISPLAY=$display xdotool key --window "$window" ctrl+x
  sleep 1
  # Inkscape pastes the clipboard's SVG: read what is offered there as
  # Inkscape reads a drawing.
  if have inkscape && have xclip; then
    DISPLAY=$display xclip -selection clipboard -t image/svg+xml -o >clip.svg 2>/dev/null
    objects=$(inkscape --query-all clip.svg 2>/dev/null | cut -d, -f1)
    paths=$(grep -c '^path' <<<"$objects") texts=$(grep -c '^text' <<<"$objects")
    if [ "$paths" -gt 0 ] && [ "$texts" -gt 0 ]; then
      pass "Copy Metafile as Inkscape pastes it: the SVG, $paths paths and $texts texts"
    else
      fail "Copy Metafile as Inkscape pastes it" "no paths or no texts in the offered SVG"
    fi
  else
    have inkscape || skip "Copy Metafile as Inkscape pastes it" "inkscape"
    have xclip || skip "Copy Metafile as Inkscape pastes it" "xclip"
  fi
  for kind in draw impress writer; do
    pasted=$(office paste "$kind")
    if ! grep -q '^pasted image/x-vclgraphic vector' <<<"$pasted"; then
      fail "Copy Metafile pasted into $kind" "$(grep '^pasted' <<<"$pasted" || head -3 <<<"$pasted")"
    elif [ "$kind" != writer ] && ! { grep -q '^PolyLineShape' <<<"$pasted" &&
      grep -q "^TextShape '.*' Times New Roman" <<<"$pasted"; }; then
      fail "Copy Metafile pasted into $kind" "Break gave no trace line or no texts in the plot's font"
    else
      pass "Copy Metafile pasted into $kind: a vector metafile$([ "$kind" != writer ] &&
        echo ", broken into lines, texts in the plot's font and the trace as one line")"
    fi
  done
fi
office quit >/dev/null

echo "passed $passed, failed $failed, skipped $skipped"
[ "$failed" -eq 0 ]
