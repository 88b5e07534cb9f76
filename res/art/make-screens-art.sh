#!/usr/bin/env bash
# Draws the background pictures of the Control Center and the About screen with ImageMagick and
# writes the 24-bit BMPs the resources embed. Run by hand after changing the design; the generated
# files are kept in the repository.
#   main.bmp   522 x 450, the Control Center's client area
#   about.bmp  437 x 346, the About screen's client area
# Both share the splash window's look: a dark blue header with the display mark and the wordmark,
# then a pale, quiet body that keeps the dark window text and the red tips readable. The group boxes
# and buttons sit on the body from 80 pixels down, so the header ends above them.
set -euo pipefail
cd "$(dirname "$0")/.."
im=convert-im6.q16
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
book=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# The display mark of the splash, drawn as a 44 x 40 screen with its foot at (x, y); appends to `args`.
display_mark() {
    local x=$1 y=$2
    args+=(-fill '#0b1533' -draw "roundrectangle $x,$y $((x + 44)),$((y + 32)) 3,3"
        -fill '#8fc6ff' -draw "rectangle $((x + 3)),$((y + 3)) $((x + 41)),$((y + 28))"
        -fill '#f0c040' -draw "polygon $((x + 6)),$((y + 27)) $((x + 16)),$((y + 14)) $((x + 23)),$((y + 21)) $((x + 29)),$((y + 15)) $((x + 39)),$((y + 27))"
        -fill '#0b1533' -draw "rectangle $((x + 18)),$((y + 32)) $((x + 26)),$((y + 37))"
        -draw "roundrectangle $((x + 11)),$((y + 37)) $((x + 33)),$((y + 40)) 2,2")
}

# draw_screen WIDTH HEIGHT SUBTITLE RULE_END OUTPUT: RULE_END is where the footer rule stops, short
# of the buttons beside the notice.
draw_screen() {
    local w=$1 h=$2 subtitle=$3 ruleEnd=$4 out=$5
    local header=68
    # Three rings at the right end of the header, like a screen's glow, cut at the header's edge.
    args=(-size "${w}x${h}" gradient:'#f4f6fb'-'#e0e6f2'
        \( -size "${w}x${header}" gradient:'#2d4c9c'-'#16285c'
        -fill '#2a4893' -draw "circle $((w - 40)),34 $((w + 20)),34"
        -fill '#2e4f9f' -draw "circle $((w - 40)),34 $((w - 2)),34"
        -fill '#3356aa' -draw "circle $((w - 40)),34 $((w - 20)),34" \)
        -geometry +0+0 -composite
        -fill '#f9d751' -draw "rectangle 0,$header $((w - 1)),$((header + 1))"
        -fill '#c3cde3' -draw "rectangle 0,$((header + 2)) $((w - 1)),$((header + 2))")
    display_mark 16 13
    args+=(-font "$bold" -pointsize 26 -fill '#f4f7ff' -annotate +74+40 'Quorvex'
        -font "$book" -pointsize 11 -fill '#b8c8ee' -annotate +76+57 "$subtitle"
        -fill '#c9d3ea' -draw "rectangle 8,$((h - 28)) $ruleEnd,$((h - 28))"
        -type TrueColor "BMP3:$out")
    $im "${args[@]}"
}

draw_screen 522 450 'Control Center' 390 main.bmp
draw_screen 437 346 'About this program' 334 about.bmp
