#!/usr/bin/env bash
# Makes the setup program's pictures from Quorvex's own art (res/splash.bmp, res/main.bmp):
#   welcome.bmp  164 x 314, beside the welcome and finish pages: the splash panel's gradient with
#                its display motif, doubled, and its wordmark
#   header.bmp   150 x 57, in the header of the other pages: the Control Center's title band
#                without its subtitle
# Run at build time by scripts/package and the test tree: make-setup-pictures.sh OUTDIR
set -euo pipefail
res="$(cd "$(dirname "$0")/../../res" && pwd)"
out=$1
mkdir -p "$out"
im=convert-im6.q16
command -v $im >/dev/null || im=convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The splash panel is a vertical gradient; column 88 (between the motif and the wordmark) holds
# nothing else. A piece cut from the panel is laid over the new picture with an alpha taken from
# how far each pixel is from that piece's own background, so the seams vanish and text edges stay
# smooth.
cutout() {  # cutout GEOMETRY(WxH+X+Y) OUT.png
    local w=${1%%x*} rest=${1#*x}
    local h=${rest%%+*} y=${1##*+}
    $im "$res/splash.bmp" -crop "$1" +repage "$tmp/piece.png"
    $im "$res/splash.bmp" -crop "1x$h+88+$y" +repage -scale "${w}x${h}!" "$tmp/ground.png"
    $im "$tmp/piece.png" "$tmp/ground.png" -compose difference -composite \
        -colorspace gray -level 0,12% "$tmp/alpha.png"
    $im "$tmp/piece.png" "$tmp/alpha.png" -alpha off -compose copy_opacity -composite "$2"
}
cutout 64x56+19+25 "$tmp/motif.png"
cutout 146x56+94+28 "$tmp/wordmark.png"

$im "$res/splash.bmp" -crop 1x100+88+4 +repage -resize '164x314!' \
    \( "$tmp/motif.png" -resize 200% \) -geometry +18+56 -compose over -composite \
    "$tmp/wordmark.png" -geometry +9+186 -compose over -composite \
    -alpha off -type TrueColor BMP3:"$out/welcome.bmp"

# The title band of the Control Center's picture: display motif and wordmark with its rule. The
# window's subtitle under the wordmark is painted over with the band's own background (column 300
# holds nothing else).
$im "$res/main.bmp" -crop 210x80+0+0 +repage \
    \( "$res/main.bmp" -crop 1x18+300+44 +repage -scale '140x18!' \) -geometry +70+44 -composite \
    -resize '150x57!' -alpha off -type TrueColor BMP3:"$out/header.bmp"
