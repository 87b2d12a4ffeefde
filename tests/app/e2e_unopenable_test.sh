#!/usr/bin/env bash
# Model arguments that cannot be opened: the prompt, the wait for one
# character (end of input counts), status 255 and no window.
#   e2e_unopenable_test.sh BINARY DATA_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 data=$2
export E2E_LSAN_SUPPRESSIONS=$3
. "$(dirname "$0")/e2e_lib.sh"
e2e_init
e2e_start_xvfb
prompt="Can't open mqo file. [enter]"

# expect_refused HOW ARG...: HOW is "enter" (a newline answers the prompt)
# or "eof" (standard input is closed).
expect_refused() {
  local how=$1
  shift
  e2e_start "$bin" "$@"
  e2e_wait_output "$prompt" 10 || e2e_fail "no prompt for: $*"
  sleep 0.3
  kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "the program did not wait after the prompt for: $*"
  if [ "$how" = eof ]; then e2e_close_input; else e2e_input $'\n'; fi
  e2e_wait_exit
  [ "$E2E_STATUS" -eq 255 ] || e2e_fail "status $E2E_STATUS, not 255, for: $*"
  { cat "$data/help.txt"; echo "$prompt"; } | cmp -s - "$E2E_OUT" || e2e_fail "unexpected console text for: $*"
  e2e_window_exists Lumenspin && e2e_fail "a window opened for: $*"
  return 0
}

expect_refused enter "$E2E_TMP/missing.mqo"
expect_refused eof "$E2E_TMP/missing.mqo"
# A path longer than the 260-byte buffer is refused, never cut to a shorter one.
long=$E2E_TMP/$(printf 'd%.0s' $(seq 1 120))/$(printf 'e%.0s' $(seq 1 120))
mkdir -p "$long"
cp "$data/two-material-cube.mqo" "$long/cube.mqo"
expect_refused enter "$long/cube.mqo"
expect_refused enter "$data"
# Window options and their values are not the model.
expect_refused enter -geometry 640x480+0+0 -sync "$E2E_TMP/missing.mqo"
# Without a display the model is still read first: its refusal ends the
# viewer, and the missing display goes unmentioned.
DISPLAY= expect_refused enter "$E2E_TMP/missing.mqo"
grep -q display "$E2E_ERR" && e2e_fail "the display is mentioned: $(cat "$E2E_ERR")"
echo "e2e_unopenable_test: passed"
