#!/usr/bin/env bash
# Makes the loading animation (resource 177): twelve 63 x 63 frames of a ring of dots on the
# loading box's colour, 80 ms each, looping for ever. Needs ImageMagick; the result is committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for frame in $(seq 0 11); do
  draw=()
  for dot in $(seq 0 11); do
    age=$(( (frame - dot + 12) % 12 ))
    read -r x y r <<<"$(awk -v d="$dot" -v a="$age" 'BEGIN {
      t = d * 3.14159265 / 6 - 3.14159265 / 2
      printf "%.2f %.2f %.2f", 31.5 + 22 * cos(t), 31.5 + 22 * sin(t), (a < 4 ? 4.2 - a * 0.35 : 2.8) }')"
    # The head is bright cyan; the tail fades into the box colour.
    shade=$(awk -v a="$age" 'BEGIN { f = (a > 8 ? 0.12 : 1 - a * 0.11);
      printf "rgb(%d,%d,%d)", 20 + (3 - 20) * f + (1 - f) * 20, 32 + (207 - 32) * f, 54 + (227 - 54) * f }')
    draw+=(-fill "$shade" -draw "circle $x,$y $(awk -v x="$x" -v r="$r" 'BEGIN{printf "%.2f", x + r}'),$y")
  done
  convert -size 63x63 xc:'rgb(20,32,54)' "${draw[@]}" "$tmp/f$(printf %02d "$frame").png"
done
convert -delay 8 -loop 0 -dispose none "$tmp"/f*.png -layers Optimize "$here/177.gif"
