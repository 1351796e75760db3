#!/bin/sh
# End-to-end check of the desktop viewer's magnification, smoothed reduction, pixel readout and
# measuring on a real X server (Xvfb), driven with xdotool, compared with ImageMagick:
#
#   zoom_e2e.sh <ridgeview binary> <sample .wsq> <ridgeview-wsq binary>
#
# On a 1024 x 768 screen with the 500 x 500, 500 ppi sample, keys before any click:
#   - Ctrl + = twice magnifies 4 x ("Zoom: 0.25"); a 32 x 32 patch of the decoded image (made
#     with `ridgeview-wsq decode`), scaled by exactly 4 by ImageMagick, equals the screenshot's
#     pixels there, square for square;
#   - Ctrl + 0, then Ctrl + Minus twice, reduces to 1.50 with smoothing: screen pixels equal the
#     area-weighted mean of the image pixels they cover within 1;
#   - back to 4 x, Shift + drag over 120 x 160 device pixels measures 30 x 40 image pixels:
#     "length 50.0 px  2.54 mm".
# The text of the title strip (readout, measurement, zoom) is read as assistive tools read it:
# the strip's accessible name over AT-SPI (a private D-Bus session with the accessibility bus,
# QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, and Python's Atspi bindings, see zoom_probe.py). The
# readout also tells where the image lies on the screen, so nothing depends on fonts or layout.
#
# RIDGEVIEW_SCREENSHOT=PATH also writes the screenshot of the magnified, measured print there
# (the README's docs/ridgeview.png). Without Xvfb, xdotool, ImageMagick, dbus-daemon or the
# Atspi bindings the check is skipped (status 77; a failure when CI=true).
set -u

viewer=${1:?usage: zoom_e2e.sh <ridgeview> <sample.wsq> <ridgeview-wsq>}
sample=${2:?usage: zoom_e2e.sh <ridgeview> <sample.wsq> <ridgeview-wsq>}
wsqtool=${3:?usage: zoom_e2e.sh <ridgeview> <sample.wsq> <ridgeview-wsq>}

name=zoom_e2e
screen=1024x768x24
. "${0%/*}/e2e_lib.sh"
probe="/usr/bin/python3 ${0%/*}/zoom_probe.py"
[ -x "$viewer" ] || fail "no viewer at $viewer"
[ -r "$sample" ] || fail "no sample at $sample"
[ -x "$wsqtool" ] || fail "no ridgeview-wsq at $wsqtool"
command -v dbus-daemon >/dev/null 2>&1 || skip "dbus-daemon is not installed"
/usr/bin/python3 -c "import gi; gi.require_version('Atspi', '2.0')" 2>/dev/null ||
  skip "the AT-SPI bindings for Python (gir1.2-atspi-2.0, python3-gi) are not installed"

# A private session bus; the accessibility bus is started on it when the viewer asks.
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus" 2>"$work/bus.log" ||
  skip "dbus-daemon cannot start ($(cat "$work/bus.log"))"
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
bus_pid=$(sed -n 2p "$work/bus")
export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
trap 'kill "$bus_pid" 2>/dev/null; cleanup' EXIT

"$wsqtool" decode "$sample" "$work/print.pgm" >"$work/decode.log" 2>&1 ||
  fail "cannot decode the sample ($(cat "$work/decode.log"))"

# The title strip's text; waits until it contains $1 (a fixed string), at most 5 s.
title=""
title_has() {
  tries=0
  while :; do
    title=$($probe title 2>>"$work/probe.log")
    case "$title" in *"$1"*) return 0 ;; esac
    tries=$((tries + 1))
    [ "$tries" -gt 25 ] && return 1
    sleep 0.2
  done
}
# The image pixel under the pointer at screen point ($1, $2), from the readout, into px, py.
pixel_at() {
  xdotool mousemove "$1" "$2"
  sleep 0.15
  title_has "  gray " || fail "no pixel readout at $1,$2 (title: $title)"
  px=$(printf '%s\n' "$title" | sed -n 's/.*  x \([0-9]*\)[^y]*  y \([0-9]*\).*/\1/p')
  py=$(printf '%s\n' "$title" | sed -n 's/.*  x \([0-9]*\)[^y]*  y \([0-9]*\).*/\2/p')
  [ -n "$px" ] && [ -n "$py" ] || fail "cannot read the readout '$title'"
}
# Gray value of screenshot $1 at ($2, $3) (the red channel; the print is gray).
screen_gray() {
  convert "$work/shots/$1.png" -crop "1x1+$2+$3" -depth 8 -format '%[fx:int(255*r+0.5)]' info:
}

start_viewer "$sample"
sleep 1
title_has "Image: fingerprint" || fail "the title strip is not readable over AT-SPI ($title)"
title_has "Zoom: 1.00" || fail "not at zoom 1.00 at start ($title)"

# --- 4 x magnification, keys before any click -------------------------------------------------
xdotool key ctrl+equal
sleep 0.2
xdotool key ctrl+equal
title_has "Zoom: 0.25" || fail "Ctrl + = twice did not magnify 4 x ($title)"

# Where the squares lie: walk left from x = 400 until the readout's x changes; the square of
# image column px then starts at sx0. Likewise upward for the rows.
pixel_at 400 300
x_here=$px
y_here=$py
sx0=400
while [ "$sx0" -gt 396 ]; do
  pixel_at $((sx0 - 1)) 300
  [ "$px" -ne "$x_here" ] && break
  sx0=$((sx0 - 1))
done
sy0=300
while [ "$sy0" -gt 296 ]; do
  pixel_at 400 $((sy0 - 1))
  [ "$py" -ne "$y_here" ] && break
  sy0=$((sy0 - 1))
done
[ "$sx0" -gt 396 ] && [ "$sy0" -gt 296 ] || fail "image squares wider than 4 device pixels"
# Park the pointer away from the patch and take the screenshot.
xdotool mousemove 1000 10
sleep 0.3
shot magnified
# The patch of 32 x 32 image pixels from (x_here + 1, y_here + 1) is 128 x 128 screen pixels
# from (sx0 + 4, sy0 + 4).
convert "$work/print.pgm" -crop "32x32+$((x_here + 1))+$((y_here + 1))" +repage -scale 400% \
  -depth 8 "gray:$work/expected.gray" || fail "cannot crop the decoded image"
convert "$work/shots/magnified.png" -crop "128x128+$((sx0 + 4))+$((sy0 + 4))" +repage \
  -channel R -separate -depth 8 "gray:$work/actual.gray" || fail "cannot crop the screenshot"
[ "$(wc -c <"$work/expected.gray")" -eq 16384 ] && [ "$(wc -c <"$work/actual.gray")" -eq 16384 ] ||
  fail "the patches are not 128 x 128 gray pixels"
cmp -s "$work/expected.gray" "$work/actual.gray" ||
  fail "the 4 x patch at $((sx0 + 4)),$((sy0 + 4)) differs from the decoded image scaled by 4"

# --- smoothed reduction ---------------------------------------------------------------------
xdotool key ctrl+0
title_has "Zoom: 1.00" || fail "Ctrl + 0 did not return to 1.00 ($title)"
xdotool key ctrl+minus
sleep 0.2
xdotool key ctrl+minus
title_has "Zoom: 1.50" || fail "Ctrl + Minus twice did not reduce to 1.50 ($title)"
checked=0
for point in "120 120" "200 150" "260 230" "90 300" "300 60"; do
  set -- $point
  pixel_at "$1" "$2"
  # The content pixel whose centre maps to the readout: c = ceil(p / 1.5 - 0.5).
  cx=$(awk -v p="$px" 'BEGIN { c = p / 1.5 - 0.5; i = int(c); if (i < c) i++; print i }')
  cy=$(awk -v p="$py" 'BEGIN { c = p / 1.5 - 0.5; i = int(c); if (i < c) i++; print i }')
  shot "reduced_$1_$2"
  got=$(screen_gray "reduced_$1_$2" "$1" "$2")
  want=$($probe mean "$work/print.pgm" 1.5 "$cx" "$cy")
  awk -v g="$got" -v w="$want" 'BEGIN { d = g - w; if (d < 0) d = -d; exit !(d <= 1) }' ||
    fail "smoothed pixel at $1,$2 (image $px,$py) is $got, the covered mean is $want"
  checked=$((checked + 1))
done

# --- measuring at 4 x -----------------------------------------------------------------------
xdotool key ctrl+0
sleep 0.2
xdotool key ctrl+equal
sleep 0.2
xdotool key ctrl+equal
title_has "Zoom: 0.25" || fail "not back at 4 x ($title)"
xdotool mousemove 300 250
sleep 0.1
# The first click of the run: Shift + drag 120 x 160 device pixels = 30 x 40 image pixels.
xdotool keydown shift mousedown 1
for step in 1 2 3 4; do
  xdotool mousemove $((300 + 30 * step)) $((250 + 40 * step))
  sleep 0.05
done
xdotool mouseup 1 keyup shift
title_has "length 50.0 px  2.54 mm" || fail "the measurement is not 50.0 px, 2.54 mm ($title)"
shot measured
# The measuring line is drawn between the two points.
changed magnified measured "100x100+380+360" || fail "no measuring line drawn"
if [ -n "${RIDGEVIEW_SCREENSHOT:-}" ]; then
  cp "$work/shots/measured.png" "$RIDGEVIEW_SCREENSHOT" || fail "cannot write $RIDGEVIEW_SCREENSHOT"
fi
# The next click ends the measurement.
xdotool click 1
title_has "Zoom: 0.25" || fail "the title went away ($title)"
case "$title" in *length*) fail "a click did not end the measurement ($title)" ;; esac

quit_viewer
echo "PASS zoom_e2e: 4 x patch exact, $checked smoothed pixels within 1 of their mean, 50.0 px measured on $DISPLAY"
