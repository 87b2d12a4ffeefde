#!/usr/bin/env bash
# The overlays as modelled: i and F1 (or ?) each show a panel over the scene
# and take it away again, pixel for pixel; the information follows the model
# shown; the text module is loaded only then, and without it a line says so.
#   e2e_overlay_test.sh BINARY DATA_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 data=$2
export E2E_LSAN_SUPPRESSIONS=$3
. "$(dirname "$0")/e2e_lib.sh"
e2e_init
e2e_start_xvfb
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES
browse=$E2E_TMP/browse
mkdir -p "$browse"
cp "$data/two-material-cube.mqo" "$browse/a.mqo"
cp "$data/two-material-cube.mqo" "$browse/b.mqo"

shot_is() {
  e2e_screenshot "$win" "$E2E_TMP/shot.png"
  [ "$(e2e_picture_digest "$E2E_TMP/shot.png")" = "$1" ]
}
shot_differs() { ! shot_is "$1"; }
first_frame() {
  local i
  for i in $(seq 1 50); do
    e2e_screenshot "$win" "$E2E_TMP/start.png"
    [ "$(e2e_pixel "$E2E_TMP/start.png" 1 1)" != "0 0 0" ] && break
    sleep 0.2
  done
  sleep 0.5
  e2e_screenshot "$win" "$E2E_TMP/start.png"
  e2e_picture_digest "$E2E_TMP/start.png"
}

e2e_start "$bin" --as-modelled "$browse/a.mqo"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window as modelled"
start=$(first_frame)
grep -q 'libpango' "/proc/$E2E_PID/maps" && e2e_fail "Pango was loaded before an overlay was shown"
e2e_focus "$win"
for key in i F1 question; do
  xdotool key $key
  e2e_retry 10 shot_differs "$start" || e2e_fail "$key showed no overlay"
  xdotool key $key
  e2e_retry 10 shot_is "$start" || e2e_fail "$key again did not give back the picture without the overlay"
done
grep -q 'libpangocairo' "/proc/$E2E_PID/maps" || e2e_fail "the overlays were drawn without the text module"

# The information names the model shown: the same cube under another name
# changes only the panel.
xdotool key i
e2e_retry 10 shot_differs "$start" || e2e_fail "i showed no overlay"
with_a=$(e2e_picture_digest "$E2E_TMP/shot.png")
xdotool key Next
e2e_retry 20 shot_differs "$with_a" || e2e_fail "the information did not follow Page Down to b.mqo"
xdotool key i
e2e_retry 10 shot_is "$start" || e2e_fail "b.mqo without the overlay differs from a.mqo"
xdotool key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q ended the program with status $E2E_STATUS"
grep -q "Sanitizer" "$E2E_ERR" && e2e_fail "sanitizer report"

# A viewer without its text module: one line says why, the picture stays.
mkdir -p "$E2E_TMP/alone"
cp "$bin" "$E2E_TMP/alone/lumenspin"
e2e_start "$E2E_TMP/alone/lumenspin" --as-modelled "$browse/a.mqo"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window without the text module"
start=$(first_frame)
e2e_focus "$win"
xdotool key i F1 i
e2e_retry 10 grep -q "the text module cannot be loaded: lumenspin-text.so is neither in" "$E2E_ERR" ||
  e2e_fail "no line on the missing text module"
sleep 0.5
shot_is "$start" || e2e_fail "the picture changed without the text module"
[ "$(grep -c "text module" "$E2E_ERR")" -eq 1 ] || e2e_fail "more than one line on the missing module"
xdotool key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q ended the program without its module with status $E2E_STATUS"
echo "e2e_overlay_test: passed"
