#!/usr/bin/env bash
# Draws the program's art with ImageMagick and writes the 24-bit BMPs the resources embed.
# Run by hand after changing the design; the generated files are kept in the repository.
#   splash.bmp  268 x 108, the splash window's picture: black (see-through) only outside the panel
#   agent.bmp   338 x 101, the notification popup's picture (drawn from its top-left corner)
set -euo pipefail
cd "$(dirname "$0")/.."
im=convert-im6.q16
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
book=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Splash: a rounded blue panel with a display motif and the wordmark on a black margin.
$im -size 268x108 xc:black \
    \( -size 268x108 gradient:'#2d4c9c'-'#12214d' \) \
    \( -size 268x108 xc:black -fill white -draw 'roundrectangle 2,2 265,105 14,14' \) \
    -composite \
    -fill '#0b1533' -draw 'roundrectangle 20,26 82,70 4,4' \
    -fill '#8fc6ff' -draw 'rectangle 24,30 78,64' \
    -fill '#f0c040' -draw 'polygon 28,62 42,44 52,54 60,46 74,62' \
    -fill '#0b1533' -draw 'rectangle 46,70 56,76' -draw 'roundrectangle 36,76 66,80 2,2' \
    -font "$bold" -pointsize 30 -fill '#f4f7ff' -annotate +96+56 'Quorvex' \
    -font "$book" -pointsize 10 -fill '#b8c8ee' -annotate +98+74 'display mode manager' \
    -fill '#f9d751' -draw 'rectangle 98,80 236,81' \
    -type TrueColor BMP3:splash.bmp

# Popup: a light panel with a thin accent bar and a small display mark; the text sits below it.
$im -size 338x101 gradient:'#f7f9ff'-'#dfe6f5' \
    -fill '#5070c5' -draw 'rectangle 0,0 337,3' \
    -fill '#2d4c9c' -draw 'roundrectangle 8,9 26,22 2,2' \
    -fill '#8fc6ff' -draw 'rectangle 10,11 24,20' \
    -fill '#2d4c9c' -draw 'rectangle 15,23 19,25' \
    -font "$bold" -pointsize 12 -fill '#2d4c9c' -annotate +32+21 'Quorvex' \
    -fill '#c9d3ea' -draw 'rectangle 8,28 233,28' \
    -type TrueColor BMP3:agent.bmp
