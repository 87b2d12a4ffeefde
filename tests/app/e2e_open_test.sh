#!/usr/bin/env bash
# As modelled, another model opened in the running viewer: picked in the
# file chooser with Ctrl+O (a cancel leaves the one shown), and dropped onto
# the window from a file manager (E2E_DROP_FILES, the drop_files helper),
# where only the first of several local files is shown and a URI of another
# computer is refused.
#   e2e_open_test.sh BINARY DATA_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 data=$2
export E2E_LSAN_SUPPRESSIONS=$3
. "$(dirname "$0")/e2e_lib.sh"
e2e_init
e2e_start_xvfb
[ -n "${E2E_DROP_FILES:-}" ] || e2e_fail "E2E_DROP_FILES does not name the drop_files helper"
chooser="メタセコイアファイルを選択"
cp "$data/two-material-cube.mqo" "$E2E_TMP/first.mqo"
cp "$data/two-material-cube.mqo" "$E2E_TMP/chosen.mqo"
cp "$data/two-material-cube.mqo" "$E2E_TMP/two words.mqo"

e2e_start "$bin" --as-modelled "$E2E_TMP/first.mqo"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window as modelled"
title() { xprop -id "$win" _NET_WM_NAME | sed 's/.* = "\(.*\)"$/\1/'; }
shows() { [ "$(title)" = "$1 — Lumenspin" ]; }
e2e_retry 10 shows first.mqo || e2e_fail "the first title is $(title)"

# open_chooser: Ctrl+O until the chooser shows (a key sent before the
# window has the focus can be lost); prints the chooser's window.
open_chooser() {
  local attempt dialog
  for attempt in 1 2 3; do
    e2e_focus "$win"
    xdotool key ctrl+o
    dialog=$(e2e_wait_window "$chooser" 10) && { echo "$dialog"; return 0; }
  done
  return 1
}
dialog=$(open_chooser) || e2e_fail "Ctrl+O opened no chooser"
sleep 0.5
e2e_focus "$dialog"
xdotool key Escape
e2e_retry 10 bash -c '! xdotool search --onlyvisible --name "^$0\$" >/dev/null 2>&1' "$chooser" ||
  e2e_fail "the chooser stayed open after Escape"
kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "cancelling the chooser ended the viewer"
shows first.mqo || e2e_fail "cancelling the chooser changed the model to $(title)"

dialog=$(open_chooser) || e2e_fail "Ctrl+O opened no chooser the second time"
sleep 0.5
e2e_focus "$dialog"
xdotool key ctrl+l
sleep 0.3
xdotool type --delay 10 "$E2E_TMP/chosen.mqo"
sleep 0.3
xdotool key Return
e2e_retry 20 shows chosen.mqo || e2e_fail "the chosen model is not shown: $(title)"

# A URI of another computer is refused, and the model stays.
status=0
"$E2E_DROP_FILES" "$win" "file://elsewhere.example$E2E_TMP/first.mqo" 2>"$E2E_TMP/drop.log" || status=$?
[ "$status" -eq 1 ] || e2e_fail "a file of another computer was not refused (status $status): $(cat "$E2E_TMP/drop.log")"
grep -qF "file://elsewhere.example$E2E_TMP/first.mqo: dropped, but not a file URI of this computer" "$E2E_ERR" ||
  e2e_fail "the refused drop was not said"
shows chosen.mqo || e2e_fail "a refused drop changed the model to $(title)"

# Two local files: the first, its name percent-encoded, is shown.
"$E2E_DROP_FILES" "$win" "file://$(hostname)$E2E_TMP/two%20words.mqo" "file://$E2E_TMP/first.mqo" \
  2>"$E2E_TMP/drop.log" || e2e_fail "the drop of two files was not taken: $(cat "$E2E_TMP/drop.log")"
e2e_retry 20 shows "two words.mqo" || e2e_fail "the dropped model is not shown: $(title)"
grep -qF "2 files dropped; only the first, $E2E_TMP/two words.mqo, is shown" "$E2E_ERR" ||
  e2e_fail "the second dropped file was left out without a word"

e2e_focus "$win"
xdotool key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q ended the program with status $E2E_STATUS"
grep -q Sanitizer "$E2E_ERR" && e2e_fail "sanitizer report"
echo "e2e_open_test: passed"
