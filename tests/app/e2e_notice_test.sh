#!/usr/bin/env bash
# Without a terminal the viewer posts its start-up diagnostics as a desktop
# notice, and never before its first frame is on the screen: here the
# notification service takes the notice and never answers, and when the
# notice arrives the window must already show a frame. Quitting while the
# notice still waits for its answer ends the viewer as always.
#   e2e_notice_test.sh BINARY DATA_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 data=$2
export E2E_LSAN_SUPPRESSIONS=$3
here=$(dirname "$0")
. "$here/e2e_lib.sh"
e2e_init
e2e_start_xvfb

bus_pid= service_pid=
trap 'kill $service_pid $bus_pid 2>/dev/null; e2e_cleanup' EXIT
dbus-daemon --session --nofork --print-address=5 5>"$E2E_TMP/bus" 2>/dev/null &
bus_pid=$!
e2e_retry 10 test -s "$E2E_TMP/bus" || e2e_fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_TMP/bus")
notices=$E2E_TMP/notices
# Debian's own Python, which has the GObject bindings.
/usr/bin/python3 "$here/silent_notifications.py" "$notices" "$E2E_TMP/ready" 2>"$E2E_TMP/service.log" &
service_pid=$!
e2e_retry 10 test -e "$E2E_TMP/ready" || e2e_fail "the notification service did not start: $(cat "$E2E_TMP/service.log")"

# A material whose texture is nowhere: one diagnostic after the model is read.
sed 's|^\t"blue" col(|\t"blue" tex("gone.png") col(|' "$data/two-material-cube.mqo" >"$E2E_TMP/cube.mqo"
e2e_start "$bin" "$E2E_TMP/cube.mqo"
e2e_retry 30 test -s "$notices" || e2e_fail "no notice reached the service"
win=$(e2e_find_windows Lumenspin | head -n 1)
[ -n "$win" ] || e2e_fail "the notice was posted before the window opened"
e2e_screenshot "$win" "$E2E_TMP/shown.png"
[ "$(e2e_pixel "$E2E_TMP/shown.png" 1 1)" != "0 0 0" ] || e2e_fail "the notice was posted before the first frame"
grep -qF "gone.png: texture not found" "$notices" || e2e_fail "the notice does not name the missing texture: $(cat "$notices")"
[ "$(wc -l <"$notices")" -eq 1 ] || e2e_fail "not one notice: $(cat "$notices")"

e2e_focus "$win"
xdotool key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q ended the program with status $E2E_STATUS while the notice waited"
grep -q Sanitizer "$E2E_ERR" && e2e_fail "sanitizer report"

# A texture that cannot be decoded: by default the decoder's library ends
# the program (status 1) before a frame, and the notice still names the
# texture; as modelled the texture is left out and the model shown.
mkdir -p "$E2E_TMP/Texture"
printf 'not a jpeg' >"$E2E_TMP/Texture/broken.jpg"
sed 's|^\t"blue" col(|\t"blue" tex("broken.jpg") col(|' "$data/two-material-cube.mqo" >"$E2E_TMP/broken.mqo"
: >"$notices"
e2e_start "$bin" "$E2E_TMP/broken.mqo"
e2e_wait_exit
[ "$E2E_STATUS" -eq 1 ] || e2e_fail "a broken texture ended the program with status $E2E_STATUS, not 1"
e2e_retry 30 test -s "$notices" || e2e_fail "no notice for the broken texture: $(cat "$E2E_ERR")"
grep -qF "broken.jpg" "$notices" || e2e_fail "the notice does not name the broken texture: $(cat "$notices")"
: >"$notices"
e2e_start "$bin" --as-modelled "$E2E_TMP/broken.mqo"
e2e_retry 30 test -s "$notices" || e2e_fail "no notice as modelled: $(cat "$E2E_ERR")"
win=$(e2e_find_windows Lumenspin | head -n 1)
[ -n "$win" ] || e2e_fail "as modelled, the broken texture kept the model from being shown"
grep -qF "broken.jpg" "$notices" || e2e_fail "the notice does not name the broken texture: $(cat "$notices")"
e2e_focus "$win"
xdotool key q
e2e_wait_exit
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "q ended the program with status $E2E_STATUS"
grep -q Sanitizer "$E2E_ERR" && e2e_fail "sanitizer report"
echo "e2e_notice_test: passed"
