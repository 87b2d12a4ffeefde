#!/usr/bin/env bash
# The viewer started without a model: the help text before the chooser,
# cancelling it (prompt, wait for Enter, status 255, no window), and a file
# chosen by typing its path.
#   e2e_chooser_test.sh BINARY DATA_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 data=$2
export E2E_LSAN_SUPPRESSIONS=$3
. "$(dirname "$0")/e2e_lib.sh"
e2e_init
e2e_start_xvfb
title="メタセコイアファイルを選択"
prompt="MQOファイルを選択してください。 [enter]"

# Types into the chooser's location field and confirms.
type_path() {
  sleep 0.5
  e2e_focus "$1"
  xdotool key ctrl+l
  sleep 0.3
  xdotool type --delay 10 "$2"
  sleep 0.3
  xdotool key Return
}

# Without a display no chooser can open: that counts as a cancel.
(
  unset DISPLAY
  e2e_start "$bin"
  e2e_wait_output "$prompt" 10 || e2e_fail "no prompt without a display"
  e2e_input $'\n'
  e2e_wait_exit
  [ "$E2E_STATUS" -eq 255 ] || e2e_fail "status $E2E_STATUS, not 255, without a display"
) || exit 1

# Cancelled with Escape; without a session bus and with GTK's settings
# store left to the program, nothing reaches standard error.
e2e_start env -u GSETTINGS_BACKEND -u NO_AT_BRIDGE -u GTK_A11Y "$bin"
dialog=$(e2e_wait_window "$title") || e2e_fail "the chooser did not open"
cmp -s "$E2E_OUT" "$data/help.txt" || e2e_fail "the help text was not printed in full before the chooser"
e2e_window_exists Lumenspin && e2e_fail "the viewer window opened before a file was chosen"
# A key that arrives before the dialog has drawn itself can be lost.
cancelled=
for attempt in 1 2 3 4 5; do
  e2e_focus "$dialog"
  xdotool key Escape
  if e2e_wait_output "$prompt" 4; then cancelled=1; break; fi
done
[ -n "$cancelled" ] || e2e_fail "no prompt after cancelling"
sleep 0.5
kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "the program did not wait for Enter"
e2e_window_exists Lumenspin && e2e_fail "a window opened after cancelling"
e2e_input $'\n'
e2e_wait_exit
[ "$E2E_STATUS" -eq 255 ] || e2e_fail "cancelling ended with status $E2E_STATUS, not 255"
{ cat "$data/help.txt"; echo "$prompt"; } | cmp -s - "$E2E_OUT" || e2e_fail "unexpected console text after cancelling"
[ -s "$E2E_ERR" ] && e2e_fail "GTK wrote to standard error"

# A typed path loads the model; the current directory becomes its folder.
# The name is typed without its extension, which the chooser adds.
cp "$data/two-material-cube.mqo" "$E2E_TMP/typed.mqo"
e2e_start "$bin"
dialog=$(e2e_wait_window "$title") || e2e_fail "the chooser did not open the second time"
type_path "$dialog" "$E2E_TMP/typed"
win=$(e2e_wait_window Lumenspin) || e2e_fail "choosing a file did not open the viewer"
e2e_window_exists "$title" && e2e_fail "the chooser is still shown beside the viewer"
[ "$(readlink "/proc/$E2E_PID/cwd")" = "$(cd "$E2E_TMP" && pwd -P)" ] ||
  e2e_fail "the current directory is not the chosen file's folder"
xdotool mousemove --window "$win" 400 300
e2e_focus "$win"
xdotool key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q ended the program with status $E2E_STATUS"

# On a 1024x768 screen the chooser fits, its buttons within the screen.
e2e_stop_xvfb
E2E_SCREEN=1024x768x24 e2e_start_xvfb
e2e_start "$bin"
dialog=$(e2e_wait_window "$title") || e2e_fail "the chooser did not open on the small screen"
fits() {
  size=$(xdotool getwindowgeometry "$dialog" | sed -n 's/ *Geometry: //p')
  [ "${size%x*}" -le 1024 ] && [ "${size#*x}" -le 768 ]
}
e2e_retry 5 fits || e2e_fail "the chooser is $size on a 1024x768 screen"
echo "e2e_chooser_test: passed"
