#!/bin/sh
# Draws Tavrin's icon and the Run button's three pictures (start, stop, wait) with ImageMagick.
# Run from app/resources; the results are checked in, so a build does not need ImageMagick.
set -e
navy='rgb(45,49,106)'
icon_layer() {  # size
  s=$1
  convert -size ${s}x${s} xc:none -fill "$navy" \
    -draw "roundrectangle 0,0 $((s-1)),$((s-1)) $((s/6)),$((s/6))" \
    -stroke white -strokewidth $((s/12 > 1 ? s/12 : 1)) -fill none \
    -draw "polyline $((s*2/16)),$((s*12/16)) $((s*6/16)),$((s*8/16)) $((s*9/16)),$((s*10/16)) $((s*14/16)),$((s*3/16))" \
    -stroke none -fill 'rgb(120,220,120)' -draw "circle $((s*14/16)),$((s*3/16)) $((s*14/16 + s/10)),$((s*3/16))" \
    "icon$s.png"
}
for s in 16 32 48 256; do icon_layer $s; done
convert icon16.png icon32.png icon48.png icon256.png Tavrin.ico
rm -f icon16.png icon32.png icon48.png icon256.png

button() {  # file, colour, sign drawing, caption
  convert -size 240x36 xc:'rgb(240,240,240)' -fill "$2" -draw "$3" \
    -font DejaVu-Sans-Bold -pointsize 12 -fill "$navy" -annotate +46+23 "$4" \
    -type TrueColor BMP3:"$1"
}
button BtnStart.bmp 'rgb(30,150,60)' "polygon 12,6 12,30 36,18" "Run Backtesting Sequence"
button BtnStop.bmp 'rgb(200,40,40)' "rectangle 12,7 34,29" "Stop the Sequence ..."
button BtnWait.bmp 'rgb(150,150,150)' "polygon 14,6 34,6 24,18 34,30 14,30 24,18" "Please wait ..."
