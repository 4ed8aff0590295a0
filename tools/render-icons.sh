#!/bin/sh
# Renders the application icon's PNG sizes from data/icons/orvane.svg (rsvg-convert, Debian's
# librsvg2-bin). The PNGs are committed; run this after changing the drawing.
set -e
cd "$(dirname "$0")/../data/icons"
for s in 16 24 32 48 64 128 256; do
  rsvg-convert -w $s -h $s orvane.svg -o orvane-$s.png
done
