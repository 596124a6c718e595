#!/usr/bin/env bash
# Draws the tool's icon files from its one drawing, the SVG of the desktop
# entry: PNGs of 16, 32, 48 and 256 pixels for the Qt window, and the .ico
# that holds all four for the Windows programs. The files are kept in
# window/icon/; run this after changing the SVG.
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -euo pipefail
cd "$(dirname "$0")/.."

svg=window/qt/parlavox-localization-tool.svg
out=window/icon
pngs=()
for size in 16 32 48 256; do
  png=$out/parlavox-localization-tool-$size.png
  rsvg-convert --width "$size" --height "$size" "$svg" --output "$png"
  pngs+=("$png")
done
# The 256-pixel image stays PNG-compressed inside the .ico, as Windows reads
# it; the small ones are plain bitmaps, which every reader takes.
icotool --create --output "$out/parlavox-localization-tool.ico" \
  "${pngs[@]:0:3}" --raw "${pngs[3]}"
