#!/usr/bin/env bash
# Draws the program's own artwork (client/resources/*.png) with ImageMagick. The PNGs are
# committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")/../client/resources"
C=/usr/bin/convert

# ring CX CY RADIUS WIDTH FROM TO: a filled band along a circle (degrees clockwise from 3 o'clock).
ring() {
  awk -v cx="$1" -v cy="$2" -v r="$3" -v w="$4" -v a0="$5" -v a1="$6" 'BEGIN {
    s = ""
    for (a = a0; a <= a1; a += 4) { t = a * 3.14159265 / 180; s = s sprintf("%.1f,%.1f ", cx + (r + w / 2) * cos(t), cy + (r + w / 2) * sin(t)) }
    for (a = a1; a >= a0; a -= 4) { t = a * 3.14159265 / 180; s = s sprintf("%.1f,%.1f ", cx + (r - w / 2) * cos(t), cy + (r - w / 2) * sin(t)) }
    print "polygon " s }'
}

# Sign-in background (440 x 320): a deep blue band with broadcast rings above a pale field.
$C -size 440x320 xc:'#eef3f9' \
  \( -size 440x112 gradient:'#1d4f91-#2c8fc9' \) -geometry +0+0 -composite \
  -stroke none -fill 'rgba(255,255,255,0.75)' -draw "$(ring 72 62 22 4 215 325)" \
  -fill 'rgba(255,255,255,0.5)' -draw "$(ring 72 62 36 4 220 320)" \
  -fill 'rgba(255,255,255,0.3)' -draw "$(ring 72 62 50 4 225 315)" \
  -fill white -draw "circle 72,62 72,54" \
  -fill 'rgba(255,255,255,0.12)' -draw "polygon 0,112 440,70 440,112" \
  -fill '#d7e3f1' -draw "rectangle 0,112 440,114" \
  login_background.png

# Image-button strip: normal, under the mouse, pressed, disabled (each 96 x 32).
look() {  # top bottom border out
  $C -size 96x32 gradient:"$1-$2" \
    \( -size 96x32 xc:black -fill white -draw "roundrectangle 0,0 95,31 6,6" \) \
    -alpha off -compose CopyOpacity -composite -compose Over \
    -fill none -stroke "$3" -strokewidth 1 -draw "roundrectangle 0.5,0.5 95.5,31.5 6,6" "$4"
}
look '#3f8fdc' '#1f5fae' '#174a8a' b0.png
look '#5aa6ec' '#2d74c4' '#1b5aa5' b1.png
look '#1c5499' '#2e6fb8' '#123c70' b2.png
look '#b9c3cf' '#98a4b3' '#8893a1' b3.png
$C b0.png b1.png b2.png b3.png +append button.png
rm -f b0.png b1.png b2.png b3.png

# Program icon (64 x 64): a blue disc with a white broadcast mark.
$C -size 64x64 xc:none -fill '#1f5fae' -draw "circle 32,32 32,2" \
  -fill white -draw "$(ring 32 34 13 4 215 325)" \
  -fill 'rgba(255,255,255,0.7)' -draw "$(ring 32 34 21 3 220 320)" \
  -fill white -draw "circle 32,34 32,28" -draw "polygon 29,36 35,36 38,54 26,54" \
  castora.png

# No task open (picture 221, 400 x 260): a screen with a play mark, in quiet colours.
$C -size 400x260 xc:none \
  -fill '#e4ebf3' -stroke '#b6c4d4' -strokewidth 3 -draw "roundrectangle 80,30 320,190 12,12" \
  -fill '#f6f9fc' -stroke none -draw "rectangle 96,46 304,174" \
  -fill '#b6c4d4' -draw "polygon 180,80 180,140 232,110" \
  -draw "rectangle 186,192 214,214" -draw "roundrectangle 140,214 260,226 6,6" \
  empty_task.png

# Toolbar icons (24 x 24).
icon() { $C -size 24x24 xc:none "$@"; }
icon -fill '#2c6fbe' -draw "circle 12,8 12,3" -draw "roundrectangle 4,14 20,22 5,5" sign_in.png
icon -fill none -stroke '#7a8796' -strokewidth 2 -draw "rectangle 4,3 14,21" \
  -stroke '#c0392b' -draw "line 10,12 21,12" -draw "line 17,8 21,12" -draw "line 17,16 21,12" sign_out.png
icon -fill '#c0392b' -draw "circle 12,12 12,4" -fill white -draw "circle 12,12 12,9" -fill '#c0392b' -draw "circle 12,12 12,10.5" record.png
icon -fill '#2c6fbe' -draw "$(ring 12 13 9 2 215 325)" -draw "$(ring 12 13 5 2 215 325)" \
  -draw "circle 12,13 12,11" -draw "polygon 11,14 13,14 16,22 8,22" live.png
icon -fill '#2a9d5c' -draw "$(ring 12 13 9 2 215 325)" \
  -draw "polygon 5,22 12,13 19,22" -fill white -draw "rectangle 10,18 14,22" home_live.png
icon -fill none -stroke '#8e44ad' -strokewidth 2 -draw "circle 12,12 12,3" -draw "line 12,12 12,6" -draw "line 12,12 16,14" timer.png
icon -fill '#34495e' -draw "rectangle 3,4 21,20" -fill white \
  -draw "rectangle 5,6 7,8" -draw "rectangle 5,11 7,13" -draw "rectangle 5,16 7,18" \
  -draw "rectangle 17,6 19,8" -draw "rectangle 17,11 19,13" -draw "rectangle 17,16 19,18" -draw "polygon 10,8 10,16 15,12" film.png
icon -fill '#d35400' -draw "rectangle 3,3 10,10" -fill '#2c6fbe' -draw "rectangle 14,3 21,10" \
  -fill '#2a9d5c' -draw "rectangle 3,14 10,21" -fill '#8e44ad' -draw "rectangle 14,14 21,21" multi.png
icon -fill '#2c6fbe' -draw "polygon 12,2 20,11 15,11 15,18 9,18 9,11 4,11" -draw "rectangle 4,20 20,22" upload.png
icon -fill '#b7950b' -draw "$(ring 12 10 5 2.5 180 360)" -draw "rectangle 6,9 8,12" -draw "rectangle 16,9 18,12" \
  -fill '#d4ac0d' -draw "roundrectangle 4,11 20,22 2,2" -fill '#7d6608' -draw "circle 12,16 12,14.5" lock.png
icon -fill '#ecf0f1' -stroke '#7f8c8d' -strokewidth 1.5 -draw "rectangle 3,4 21,20" -stroke none \
  -fill '#2a9d5c' -draw "polygon 4,19 10,11 15,17 17,14 20,19" -fill '#f1c40f' -draw "circle 16,8 16,6" logo.png
icon -fill '#2c6fbe' -draw "polygon 12,3 22,12 19,12 19,21 5,21 5,12 2,12" -fill white -draw "rectangle 10,14 14,21" home.png
icon -fill '#2c6fbe' -draw "circle 12,12 12,2" -fill white -draw "rectangle 11,10 13,18" -draw "circle 12,7 12,5.8" about.png
icon -fill '#2c6fbe' -draw "circle 9,8 9,3" -draw "roundrectangle 1,14 17,22 5,5" \
  -fill '#2a9d5c' -draw "rectangle 17,9 19,19" -draw "rectangle 13,13 23,15" register.png

# Every picture as 8-bit RGBA without time stamps, so a new run changes only what it redraws.
for f in *.png; do $C "$f" -strip -define png:exclude-chunks=date,time PNG32:"$f"; done
