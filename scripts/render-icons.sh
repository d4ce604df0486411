#!/usr/bin/env bash
# Renders the emblem and the icon from their SVG sources into the PNGs kept in resources/,
# so the program itself needs no SVG library. Run it after changing an SVG; commit the PNGs.
#   resources/quillon.svg     the drawing: the 52 x 53 emblem and the icon from 32 pixels up
#   resources/quillon-16.svg  the same emblem redrawn on a 16-pixel grid, for 16 and 24
# ImageMagick's own SVG reader drops gradients and transforms, so librsvg renders.
set -euo pipefail
cd "$(dirname "$0")/../resources"

if ! command -v rsvg-convert >/dev/null; then
  sudo=$([ "$(id -u)" = 0 ] || echo sudo)
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends librsvg2-bin
fi

render() {  # source width height output
  rsvg-convert --format=png --width="$2" --height="$3" "$1" --output="$4"
}

render quillon.svg 52 53 emblem.png
for size in 16 24; do render quillon-16.svg "$size" "$size" "quillon-$size.png"; done
for size in 32 48 64 128 256; do render quillon.svg "$size" "$size" "quillon-$size.png"; done
ls -l emblem.png quillon-*.png
