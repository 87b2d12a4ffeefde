#!/usr/bin/env bash
# The viewer started with a model argument: console text, window, picture,
# mouse and keys, and the exit keys.
#   e2e_window_test.sh BINARY DATA_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 data=$2
export E2E_LSAN_SUPPRESSIONS=$3
. "$(dirname "$0")/e2e_lib.sh"
e2e_init
e2e_start_xvfb
model=$data/two-material-cube.mqo

# Where the scene projects in the 800 x 600 window (camera (50, 200, 200)
# towards the origin, 30 degrees): light 2's marker, and points 40 units out
# along each axis arrow. Light 1 projects above the top edge.
marker="431 494"
x_arrow="555 327"
y_arrow="400 176"
z_arrow="358 417"
blue="0 0 255"
red="255 0 0"

e2e_start "$bin" "$model"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window titled Lumenspin"
e2e_wait_output "ESC:終了" 5 || e2e_fail "no help text"
cmp -s "$E2E_OUT" "$data/help.txt" || e2e_fail "the help text differs from help.txt"
geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/ *Geometry: //p')
[ "$geometry" = "800x600" ] || e2e_fail "window is $geometry, not 800x600"
[ "$(readlink "/proc/$E2E_PID/cwd")" = "$(cd "$data" && pwd -P)" ] ||
  e2e_fail "the current directory is not the model's folder"

sleep 0.5
shot=$E2E_TMP/start.png
e2e_screenshot "$win" "$shot"
e2e_expect_pixel "$shot" 5 5 102 102 204
e2e_expect_pixel "$shot" 794 594 102 102 204
e2e_expect_near "$shot" $marker 255 255 255 2
e2e_expect_near "$shot" $x_arrow $blue 1
e2e_expect_near "$shot" $y_arrow $blue 1
e2e_expect_near "$shot" $z_arrow $blue 1
start=$(e2e_picture_digest "$shot")

# A held middle button turns the +Z arrow red, and only that one.
xdotool mousemove --window "$win" 700 520 mousedown 2
sleep 0.4
held=$E2E_TMP/middle.png
e2e_screenshot "$win" "$held"
e2e_expect_near "$held" $z_arrow $red 1
e2e_expect_near "$held" $x_arrow $blue 1
e2e_expect_near "$held" $y_arrow $blue 1
xdotool mouseup 2
sleep 0.4
e2e_screenshot "$win" "$held"
e2e_expect_near "$held" $z_arrow $blue 1
[ "$(e2e_picture_digest "$held")" = "$start" ] || e2e_fail "a middle click without a drag changed the picture"

# A drag with the left button turns the model.
xdotool mousemove --window "$win" 700 450 mousedown 1
for y in 460 470 480 490 500; do
  xdotool mousemove --window "$win" 700 $y
  sleep 0.05
done
xdotool mouseup 1
sleep 0.4
dragged=$E2E_TMP/dragged.png
e2e_screenshot "$win" "$dragged"
after_drag=$(e2e_picture_digest "$dragged")
[ "$after_drag" != "$start" ] || e2e_fail "a drag did not change the picture"
e2e_expect_near "$dragged" $x_arrow $blue 1

# "a" enlarges the model, an arrow key moves it.
xdotool key --delay 30 a a a a a a a a a a
sleep 0.4
e2e_screenshot "$win" "$E2E_TMP/larger.png"
after_zoom=$(e2e_picture_digest "$E2E_TMP/larger.png")
[ "$after_zoom" != "$after_drag" ] || e2e_fail "\"a\" did not change the picture"
xdotool key --delay 30 Right Right Right
sleep 0.4
e2e_screenshot "$win" "$E2E_TMP/moved.png"
[ "$(e2e_picture_digest "$E2E_TMP/moved.png")" != "$after_zoom" ] || e2e_fail "the arrow key did not change the picture"

xdotool key Escape
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "ESC ended the program with status $E2E_STATUS"

# "q" ends it too.
e2e_start "$bin" "$model"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window on the second start"
xdotool mousemove --window "$win" 400 300 key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q ended the program with status $E2E_STATUS"

# Closing the window ends it with status 0 as well.
e2e_start "$bin" "$model"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window on the third start"
sleep 0.3
e2e_close_window "$win"
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "closing the window ended the program with status $E2E_STATUS"
echo "e2e_window_test: passed"
