#!/usr/bin/env bash
# The viewer started with a model argument: console text, window, picture,
# mouse and keys, and the three ways to end it.
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

# arrows FILE X_COLOUR Y_COLOUR Z_COLOUR: status 0 when the arrows show them.
arrows() {
  e2e_has_near "$1" $x_arrow $2 $3 $4 1 && e2e_has_near "$1" $y_arrow $5 $6 $7 1 &&
    e2e_has_near "$1" $z_arrow $8 $9 ${10} 1
}
# shot_differs FILE DIGEST: takes a picture into FILE; status 0 when it
# differs from DIGEST.
shot_differs() {
  e2e_screenshot "$win" "$1"
  [ "$(e2e_picture_digest "$1")" != "$2" ]
}
shot_arrows() {
  local file=$1
  shift
  e2e_screenshot "$win" "$file"
  arrows "$file" "$@"
}

e2e_start "$bin" "$model"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window titled Lumenspin"
e2e_wait_output "ESC:終了" || e2e_fail "no help text"
cmp -s "$E2E_OUT" "$data/help.txt" || e2e_fail "the help text differs from help.txt"
geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/ *Geometry: //p')
[ "$geometry" = "800x600" ] || e2e_fail "window is $geometry, not 800x600"
[ "$(readlink "/proc/$E2E_PID/cwd")" = "$(cd "$data" && pwd -P)" ] ||
  e2e_fail "the current directory is not the model's folder"
# What a plain model does not use is not loaded with it: the chooser's GTK,
# the notices' GIO, the archive reader's libzip (and its libcrypto).
loaded=$(grep -Eo '(libgtk-3|libgio-2|libzip|libcrypto)[^/]*$' "/proc/$E2E_PID/maps" | sort -u)
[ -z "$loaded" ] || e2e_fail "loaded at start: $loaded"
# Docks match the window to the desktop entry by its class and process.
props=$(xprop -id "$win" WM_CLASS _NET_WM_PID _NET_WM_ICON | grep -v '^[[:space:]]*0x')
grep -qx 'WM_CLASS(STRING) = "lumenspin", "Lumenspin"' <<<"$props" || e2e_fail "WM_CLASS: $props"
grep -qx "_NET_WM_PID(CARDINAL) = $E2E_PID" <<<"$props" || e2e_fail "_NET_WM_PID is not $E2E_PID: $props"
grep -q 'Icon (48 x 48)' <<<"$props" || e2e_fail "no 48x48 picture in _NET_WM_ICON: $props"
[ "$(xdotool getwindowname "$win")" = "Lumenspin" ] || e2e_fail "the title is not \"Lumenspin\""

# The first frames: background, light 2's marker, three blue arrows.
shot=$E2E_TMP/start.png
e2e_retry 20 shot_arrows "$shot" $blue $blue $blue || e2e_fail "the first frame shows no three blue arrows"
e2e_expect_pixel "$shot" 5 5 102 102 204
e2e_expect_pixel "$shot" 794 594 102 102 204
e2e_expect_near "$shot" $marker 255 255 255 2
start=$(e2e_picture_digest "$shot")

# A held middle button turns the +Z arrow red, and only that one.
xdotool mousemove --window "$win" 700 520 mousedown 2
held=$E2E_TMP/middle.png
e2e_retry 10 shot_arrows "$held" $blue $blue $red || e2e_fail "the +Z arrow did not turn red"
xdotool mouseup 2
e2e_retry 10 shot_arrows "$held" $blue $blue $blue || e2e_fail "the +Z arrow stayed red"

# A drag with the left button turns the model.
xdotool mousemove --window "$win" 700 450 mousedown 1
for y in 460 470 480 490 500; do
  xdotool mousemove --window "$win" 700 $y
  sleep 0.05
done
xdotool mouseup 1
dragged=$E2E_TMP/dragged.png
e2e_retry 10 shot_differs "$dragged" "$start" || e2e_fail "a drag did not change the picture"
e2e_retry 10 shot_arrows "$dragged" $blue $blue $blue || e2e_fail "an arrow stayed red after the drag"
after_drag=$(e2e_picture_digest "$dragged")

# "a" enlarges the model, an arrow key moves it.
e2e_focus "$win"
xdotool key --delay 30 a a a a a a a a a a
e2e_retry 10 shot_differs "$E2E_TMP/larger.png" "$after_drag" || e2e_fail "\"a\" did not change the picture"
after_zoom=$(e2e_picture_digest "$E2E_TMP/larger.png")
xdotool key --delay 30 Right Right Right
e2e_retry 10 shot_differs "$E2E_TMP/moved.png" "$after_zoom" || e2e_fail "the arrow key did not change the picture"

xdotool key Escape
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "ESC ended the program with status $E2E_STATUS"

# "q" ends it too.
e2e_start "$bin" "$model"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window on the second start"
xdotool mousemove --window "$win" 400 300
e2e_focus "$win"
xdotool key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q ended the program with status $E2E_STATUS"

# As modelled, the title names the model; the class stays the entry's. F12
# saves the window's picture into the pictures folder (here the home
# folder), each time under a new name.
saved_home=$HOME
export HOME=$E2E_TMP/home XDG_CONFIG_HOME=$E2E_TMP/home/.config
mkdir -p "$HOME"
e2e_start "$bin" --as-modelled "$model"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window as modelled"
export HOME=$saved_home
unset XDG_CONFIG_HOME
name=$(xprop -id "$win" _NET_WM_NAME)
[ "$name" = "_NET_WM_NAME(UTF8_STRING) = \"$(basename "$model") — Lumenspin\"" ] || e2e_fail "title as modelled: $name"
xprop -id "$win" WM_CLASS | grep -q '"lumenspin", "Lumenspin"' || e2e_fail "the class changed as modelled"
e2e_focus "$win"
sleep 0.5
xdotool key F12 F12
two_shots() { [ "$(ls "$E2E_TMP/home" | grep -c '^two-material-cube-[0-9]\{8\}-[0-9]\{6\}\(-2\)\?\.png$')" -eq 2 ]; }
e2e_retry 20 two_shots || e2e_fail "two F12 presses did not save two pictures: $(ls "$E2E_TMP/home")"
for picture in "$E2E_TMP"/home/*.png; do
  [ "$(identify -format '%w %h' "$picture")" = "800 600" ] || e2e_fail "$picture is not the 800 x 600 window"
  grep -qF "$picture: screenshot saved" "$E2E_ERR" || e2e_fail "where $picture went was not said"
done
xdotool key q
e2e_wait_exit

# Page Down and Page Up show the folder's next and previous models in name
# order, wrapping round; one that cannot be read leaves the one shown.
browse=$E2E_TMP/browse
mkdir -p "$browse"
cp "$model" "$browse/a.mqo"
cp "$model" "$browse/b.MQO"
printf 'not a model\n' >"$browse/c.mqo"
export HOME=$E2E_TMP/browse-home XDG_CONFIG_HOME=$E2E_TMP/browse-home/.config
mkdir -p "$HOME"
e2e_start "$bin" --as-modelled "$browse/a.mqo"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window to browse in"
export HOME=$saved_home
unset XDG_CONFIG_HOME
title() { xprop -id "$win" _NET_WM_NAME | sed 's/.* = "\(.*\)"$/\1/'; }
shows() { [ "$(title)" = "$1 — Lumenspin" ]; }
e2e_focus "$win"
xdotool key Next
e2e_retry 20 shows b.MQO || e2e_fail "Page Down did not show b.MQO: $(title)"
xdotool key Next
e2e_retry 20 grep -q "c.mqo: not shown" "$E2E_ERR" || e2e_fail "the unreadable model was not said: $(cat "$E2E_ERR")"
shows b.MQO || e2e_fail "an unreadable model replaced the one shown: $(title)"
# Page Up goes back to a.mqo, then wraps round to c.mqo, which stays unread.
xdotool key Prior Prior
refused_twice() { [ "$(grep -c "c.mqo: not shown" "$E2E_ERR")" -ge 2 ]; }
e2e_retry 20 refused_twice || e2e_fail "Page Up did not wrap round to c.mqo"
shows a.mqo || e2e_fail "Page Up did not show a.mqo: $(title)"
# F5 reads the model shown again.
xdotool key F5
sleep 1
shows a.mqo || e2e_fail "F5 did not keep a.mqo: $(title)"
# The file shown is watched: written half, it leaves the model shown; written
# whole, it is shown without a key. An edge view (w) and a side view (3)
# each change the picture, and Ctrl+3 (which X gives as ESC) does not quit.
e2e_screenshot "$win" "$E2E_TMP/shown.png"
head -c 700 "$model" >"$browse/a.mqo"
e2e_retry 20 grep -q "a.mqo: changed, but does not end as a whole file" "$E2E_ERR" ||
  e2e_fail "a half-written file was not refused: $(cat "$E2E_ERR")"
sleep 0.5
e2e_screenshot "$win" "$E2E_TMP/half.png"
[ "$(e2e_picture_digest "$E2E_TMP/half.png")" = "$(e2e_picture_digest "$E2E_TMP/shown.png")" ] ||
  e2e_fail "a half-written file replaced the model shown"
sed 's/col(0.900 0.150 0.100/col(0.100 0.900 0.100/' "$model" >"$browse/a.mqo"
changed_from() {
  e2e_screenshot "$win" "$E2E_TMP/now.png"
  [ "$(e2e_picture_digest "$E2E_TMP/now.png")" != "$(e2e_picture_digest "$1")" ]
}
e2e_retry 20 changed_from "$E2E_TMP/shown.png" || e2e_fail "the rewritten file was not shown again"
for keys in w 3 ctrl+3; do
  e2e_screenshot "$win" "$E2E_TMP/before-key.png"
  xdotool key "$keys"
  e2e_retry 20 changed_from "$E2E_TMP/before-key.png" || e2e_fail "$keys did not change the picture"
done
kill -0 "$E2E_PID" || e2e_fail "Ctrl+3 ended the viewer"
# The same run saves its picture and shows what the model holds.
xdotool key F12
saved() { ls "$E2E_TMP/browse-home" | grep -q '^a-[0-9]\{8\}-[0-9]\{6\}\.png$'; }
e2e_retry 20 saved || e2e_fail "F12 saved no picture of a.mqo: $(ls "$E2E_TMP/browse-home")"
e2e_screenshot "$win" "$E2E_TMP/before-key.png"
xdotool key i
e2e_retry 20 changed_from "$E2E_TMP/before-key.png" || e2e_fail "i showed nothing"
xdotool key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q after browsing ended the program with status $E2E_STATUS"

# Closing the window ends it with status 0 as well.
e2e_start "$bin" "$model"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window on the third start"
sleep 0.3
e2e_close_window "$win"
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "closing the window ended the program with status $E2E_STATUS"
echo "e2e_window_test: passed"
