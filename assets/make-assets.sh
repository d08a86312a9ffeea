#!/usr/bin/env bash
# Draws the program-folder pictures and icons with ImageMagick 6 (`convert`) and
# writes autorun.inf. The results are committed, so building never needs this script;
# run it only to change a picture:   bash assets/make-assets.sh
set -euo pipefail
cd "$(dirname "$0")"

font=DejaVu-Sans-Bold
# No time stamps or other metadata, so a rerun gives the same bytes.
# The last argument is the output file.
png() { convert "${@:1:$#-1}" -depth 8 -strip -define png:exclude-chunks=date,time "${@: -1}"; }

# Receiver pictures, named as in column 2 of the catalogue: a receiver front with
# the model name on its display.
receiver() { # file model body-colour display-colour
    png -size 160x100 xc:'#eef2f7' \
        -fill '#c9d1db' -draw 'roundrectangle 12,70 148,80 4,4' \
        -fill "$3" -stroke '#1b1f24' -strokewidth 1 -draw 'roundrectangle 8,28 152,72 6,6' \
        -stroke none -fill '#0b1a10' -draw 'rectangle 48,38 122,56' \
        -fill "$4" -font "$font" -pointsize 11 -gravity northwest -annotate +51+40 "$2" \
        -fill '#d0d6de' -draw 'circle 132,47 132,53' -draw 'rectangle 18,60 40,64' \
        -fill '#3fd16b' -draw 'circle 24,42 24,45' \
        -fill '#9aa4b1' -font DejaVu-Sans -pointsize 9 -annotate +14+84 'NORVANE' \
        "$1"
}
receiver q110.png 'Q110' '#4a5058' '#7cf29a'
receiver q120.png 'Q120' '#4a5058' '#ffcf5a'
receiver q130.png 'Q130' '#5b6168' '#7cf29a'
receiver q140.png 'Q140' '#5b6168' '#ff8a65'
receiver q200.png 'Q200 HD' '#3d434b' '#7cf29a'
receiver q210.png 'Q210 HD' '#3d434b' '#6fd8ff'
receiver q220.png 'Q220 HD' '#2e3339' '#b39dff'
receiver q300.png 'Q300 HD' '#23272c' '#6fd8ff'
receiver q400.png 'Q400 HD' '#15181b' '#7cf29a'

# Stick status icons, 16x16 BMP: a green stick (stick present) and a grey stick with
# a cross (no stick).
stick() { # file body-colour
    convert -size 16x16 xc:white \
        -fill '#b0b6bd' -stroke '#6d737a' -draw 'rectangle 1,5 5,10' \
        -fill "$2" -stroke '#1f2a22' -draw 'roundrectangle 5,3 15,12 2,2' \
        -stroke none -fill white -draw 'rectangle 2,6 3,7' \
        "${@:3}" -type truecolor BMP3:"$1"
}
stick file.bmp '#2fa84f'
stick nofile.bmp '#a3a8ad' -stroke '#c62828' -strokewidth 2 -draw 'line 2,2 14,14' -draw 'line 14,2 2,14'

# Icon copied onto the stick next to autorun.inf: a blue stick, 32x32 and 16x16.
convert -size 32x32 xc:none \
    -fill '#b0b6bd' -stroke '#5f656c' -draw 'rectangle 1,11 9,21' \
    -fill '#1565c0' -stroke '#0d3c75' -strokewidth 1.5 -draw 'roundrectangle 9,6 30,26 4,4' \
    -stroke none -fill white -draw 'rectangle 3,14 5,16' -draw 'rectangle 3,17 5,18' \
    -fill white -font "$font" -pointsize 14 -gravity center -annotate +9+0 'N' \
    -define icon:auto-resize=32,16 norvstick.ico

# Window icon: a satellite dish in blue.
png -size 64x64 xc:none \
    -fill '#1e88e5' -stroke '#0d47a1' -strokewidth 2 -draw 'ellipse 28,28 22,26 110,290' \
    -stroke '#0d47a1' -strokewidth 3 -draw 'line 30,30 50,14' -fill '#0d47a1' -draw 'circle 51,13 51,17' \
    -draw 'line 26,46 20,60' -draw 'line 12,60 34,60' \
    icon103.png

# Instructions: a stick going into the receiver's USB port.
png -size 100x80 xc:'#f4f6f9' \
    -fill '#2e3339' -draw 'roundrectangle 4,34 96,66 5,5' \
    -fill '#0b1a10' -draw 'rectangle 40,42 72,54' \
    -fill '#6fd8ff' -font "$font" -pointsize 8 -annotate +43+51 'USB' \
    -fill '#111' -draw 'rectangle 14,44 24,50' \
    -fill '#1565c0' -draw 'roundrectangle 13,8 25,30 2,2' -fill '#b0b6bd' -draw 'rectangle 15,30 23,38' \
    -stroke '#e53935' -strokewidth 2 -draw 'line 32,12 32,30' -draw 'line 28,26 32,31' -draw 'line 36,26 32,31' \
    image2.png

# Header decoration: the brand banner and a small logo.
png -size 300x50 gradient:'#0d47a1-#42a5f5' -rotate -90 -resize 300x50! \
    -fill white -font "$font" -pointsize 30 -gravity west -annotate +14+0 'Norvane' \
    -fill '#bbdefb' -font DejaVu-Sans -pointsize 12 -gravity east -annotate +12+8 'USB-Stick Updatetool' \
    image3.png
png -size 48x48 xc:none -fill '#1565c0' -draw 'circle 24,24 24,2' \
    -fill white -font "$font" -pointsize 28 -gravity center -annotate +0+0 'N' \
    image4.png

# USB hard disk for the format wizard.
png -size 64x64 xc:none \
    -fill '#37474f' -stroke '#1c262b' -strokewidth 2 -draw 'roundrectangle 10,6 54,58 6,6' \
    -stroke none -fill '#90a4ae' -draw 'circle 32,28 32,42' -fill '#37474f' -draw 'circle 32,28 32,32' \
    -fill '#66bb6a' -draw 'circle 45,51 45,53' \
    -fill '#b0b6bd' -draw 'rectangle 26,56 38,62' \
    image5.png

printf '[autorun]\r\nicon=norvstick.ico\r\nlabel=Norvane Update\r\n' > autorun.inf
