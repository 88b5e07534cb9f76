#!/usr/bin/env bash
# Writes quorvex.ico: the program icon at every size Windows asks for, from 100 % to 200 % text
# size (16, 20, 24, 32, 40, 48) and the 256-pixel image of large icon views. The 16- and 32-pixel
# images are the hand-set ones of the existing icon, kept pixel for pixel; the others are drawn
# from the same design at 256 pixels and reduced. Run by hand after changing the design; the
# generated file is kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
im=convert-im6.q16
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The design on a 32-pixel grid times 8: a dark-blue display with a light screen, a yellow
# mountain range, and a stand with its foot.
$im -size 256x256 xc:none \
    -fill '#2f4fa8' -draw 'roundrectangle 8,24 247,191 28,28' \
    -fill '#9fd0ff' -draw 'rectangle 32,48 223,167' \
    -fill '#f0c040' -draw 'polygon 52,152 120,64 156,112 184,84 224,152' \
    -fill '#2f4fa8' -draw 'rectangle 112,188 143,223' -draw 'roundrectangle 64,216 191,239 6,6' \
    -depth 8 "$work/256.png"
for size in 20 24 40 48; do
    $im "$work/256.png" -filter Lanczos -resize "${size}x${size}" "$work/$size.png"
done
# The kept images come out of the old icon by their sizes, not by their places in it.
$im quorvex.ico -set filename:size '%w' "$work/kept-%[filename:size].png"
$im "$work/kept-16.png" "$work/20.png" "$work/24.png" "$work/kept-32.png" "$work/40.png" "$work/48.png" \
    "$work/256.png" "$work/quorvex.ico"
mv "$work/quorvex.ico" quorvex.ico
