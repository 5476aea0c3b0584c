#!/usr/bin/env bash
# Draws the setup window's pictures with ImageMagick and writes them beside
# this script:
#   banner.bmp  600 x 123 header picture, 24-bit BMP (BMP3, no alpha), so the
#               Windows program and the Qt port load the same file
#   setup.png   64 x 64 window icon with alpha
#   setup.ico   the same icon at 16, 32, 48 and 64 pixels
# The drawing is fixed, so running it again writes the same files.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Dates and tool names would make every run differ; keep only the pixels.
png_clean=(-strip -define 'png:exclude-chunks=date,time')

deep='#0b3159'
teal='#146c78'
lines='rgba(255,255,255,0.30)'
faint='rgba(255,255,255,0.06)'

# The lower strip (y 72..122) carries the headline and the progress labels.
# Its tone sits between what bold white text and plain black text need.
band_top=72
band_left='#4f88b0'
band_right='#4a95a0'

# Blueprint grid over the dark part only.
grid=""
for x in $(seq 12 12 599); do grid+="line $x,0 $x,$((band_top - 1)) "; done
for y in $(seq 12 12 $((band_top - 1))); do grid+="line 0,$y 599,$y "; done

# Left third: a Pratt truss bridge standing on the strip, six panels of 28 px.
pratt="polyline 10,$band_top 38,36 150,36 178,$band_top "
for x in 38 66 94 122 150; do pratt+="line $x,36 $x,$band_top "; done
pratt+="line 38,36 66,$band_top line 66,36 94,$band_top "
pratt+="line 122,36 94,$band_top line 150,36 122,$band_top "

# Right third: a Howe roof truss, six panels of 28 px under a 1:1.5 pitch.
howe="polyline 422,$band_top 506,16 590,$band_top "
howe+="line 450,53 450,$band_top line 478,35 478,$band_top line 506,16 506,$band_top "
howe+="line 534,35 534,$band_top line 562,53 562,$band_top "
howe+="line 450,53 478,$band_top line 478,35 506,$band_top "
howe+="line 534,35 506,$band_top line 562,53 534,$band_top "

convert -size 600x$band_top -define gradient:direction=east "gradient:$deep-$teal" \
    -fill none -stroke "$faint" -strokewidth 1 -draw "$grid" \
    "$work/top.png"
convert -size 600x$((123 - band_top)) -define gradient:direction=east \
    "gradient:$band_left-$band_right" \
    \( -size 600x$((123 - band_top)) gradient:'rgba(255,255,255,0.10)-rgba(255,255,255,0)' \) \
    -composite "$work/band.png"
convert "$work/top.png" "$work/band.png" -append \
    -fill none -stroke 'rgba(255,255,255,0.45)' -strokewidth 1 \
    -draw "line 0,$band_top 599,$band_top" \
    -stroke "$lines" -strokewidth 1.5 -draw "$pratt" -draw "$howe" \
    -alpha off -type TrueColor -depth 8 "BMP3:$here/banner.bmp"

# Icon: drawn at 256 px and reduced, which smooths the edges.
convert -size 256x256 xc:none \
    \( -size 256x256 -define gradient:direction=southeast "gradient:#1a5a8c-$teal" \) \
    \( -size 256x256 xc:none -fill white -draw "roundrectangle 8,8 247,247 44,44" \) \
    -delete 0 -compose CopyOpacity -composite -compose Over \
    -fill none -stroke white -strokewidth 20 \
    -draw "stroke-linejoin round polygon 36,194 128,58 220,194" \
    -strokewidth 15 -draw "stroke-linecap round line 82,126 128,194 line 174,126 128,194" \
    -stroke none -fill white \
    -draw "circle 36,194 36,210 circle 220,194 220,210 circle 128,58 128,74 circle 128,194 128,208" \
    "$work/icon256.png"
convert "$work/icon256.png" -resize 64x64 "${png_clean[@]}" "PNG32:$here/setup.png"
convert "$here/setup.png" -define icon:auto-resize=64,48,32,16 "$here/setup.ico"
