# Helpers for end-to-end tests of the viewer: source this file from a bash
# test script. Each script gets its own X server, so that tests running in
# parallel never share a pointer or a keyboard focus.
#
#   e2e_init                      temp dir, clean-up on exit, quiet desktop env
#   e2e_start_xvfb                own Xvfb (E2E_SCREEN, 1280x1024x24 unless
#                                 set); exports DISPLAY
#   e2e_stop_xvfb                 ends it
#   e2e_start BINARY [ARGS...]    starts the program; stdin is a pipe that the
#                                 test feeds with e2e_input; sets E2E_PID
#   e2e_input TEXT                writes TEXT to the program's stdin
#   e2e_close_input               closes its stdin (end of input)
#   e2e_wait_window NAME [SECS]   prints the id of the window titled NAME
#   e2e_window_exists NAME        status 0 when such a window is mapped now
#   e2e_wait_output TEXT [SECS]   waits until stdout holds TEXT (fixed string)
#   e2e_wait_exit [SECS]          waits for the program; sets E2E_STATUS
#   e2e_close_window WIN          closes it as a window manager would (needs
#                                 E2E_CLOSE_WINDOW, the close_window helper)
#   e2e_screenshot WIN FILE       saves the window's picture as FILE (png)
#   e2e_pixel FILE X Y            prints "R G B" of one pixel (0..255)
#   e2e_expect_pixel FILE X Y R G B [TOLERANCE]
#   e2e_expect_near FILE X Y R G B [RADIUS]   such a pixel within RADIUS
#   e2e_has_near FILE X Y R G B [RADIUS]      the same as a status, no failure
#   e2e_retry SECS COMMAND...     reruns COMMAND until it succeeds (status 1
#                                 when SECS pass first); for pictures that
#                                 take a frame or two to change
#   e2e_focus WIN                 gives WIN the keyboard focus
#   e2e_frame_and_quit PNG BINARY [ARGS...]
#                                 starts the viewer, saves its first drawn
#                                 frame as PNG, quits with q; fails unless it
#                                 ends with status 0 and no sanitizer report
#   e2e_picture_digest FILE       a digest of the pixels alone
#   e2e_corpus_models DIR         every .mqo and .mqoz below DIR (any case),
#                                 sorted, NUL-separated
#   e2e_document_text MODEL       the document's text, from an archive too
#   e2e_expect_textures_found MODEL
#                                 fails when E2E_ERR says a texture was not
#                                 found that lies where the lookup promises
#                                 to look (a texture the author never
#                                 shipped beside the model is no failure)
#   e2e_fail MESSAGE              prints the message and the logs, exits 1
#
# E2E_TMP is the scratch folder; E2E_OUT and E2E_ERR are the program's
# stdout and stderr. The program runs with LSAN_OPTIONS from the tests'
# suppression file when E2E_LSAN_SUPPRESSIONS names it.

E2E_CONVERT=/usr/bin/convert
E2E_IMPORT=/usr/bin/import

e2e_init() {
  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/lumenspin-e2e.XXXXXX")
  E2E_OUT=$E2E_TMP/stdout
  E2E_ERR=$E2E_TMP/stderr
  E2E_PID=
  E2E_XVFB_PID=
  E2E_STATUS=
  trap e2e_cleanup EXIT
  # GTK looks for an accessibility bus, a session bus and the user's files:
  # keep all of that inside the scratch folder.
  export HOME=$E2E_TMP/home XDG_RUNTIME_DIR=$E2E_TMP/run NO_AT_BRIDGE=1 GTK_A11Y=none GSETTINGS_BACKEND=memory
  export XDG_CONFIG_HOME=$E2E_TMP/home/.config XDG_DATA_HOME=$E2E_TMP/home/.local/share
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset DBUS_SESSION_BUS_ADDRESS
}

e2e_cleanup() {
  exec 4>&- 2>/dev/null || true
  if [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; then
    kill "$E2E_PID" 2>/dev/null || true
    wait "$E2E_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_XVFB_PID" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
  fi
  [ -n "${E2E_KEEP:-}" ] || rm -rf "$E2E_TMP"
}

e2e_fail() {
  echo "FAIL: $*" >&2
  if [ -n "${E2E_XVFB_PID:-}" ] && ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
    echo "(the test's X server on $DISPLAY has ended)" >&2
  fi
  if [ -f "$E2E_OUT" ]; then echo "--- stdout" >&2; cat "$E2E_OUT" >&2; fi
  if [ -f "$E2E_ERR" ]; then echo "--- stderr" >&2; head -c 6000 "$E2E_ERR" >&2; fi
  exit 1
}

e2e_start_xvfb() {
  local fdfile=$E2E_TMP/display attempt i
  # Another server starting at the same moment can take the same number;
  # a server that does not answer is replaced by a fresh one.
  # -noreset: by default the server resets whenever its last client leaves,
  # and a program connecting during the reset (the viewer starting while a
  # polling xdotool disconnects) is refused.
  for attempt in 1 2 3; do
    : >"$fdfile"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1280x1024x24}" -noreset -nolisten tcp 3>"$fdfile" 2>"$E2E_TMP/xvfb.log" &
    E2E_XVFB_PID=$!
    for i in $(seq 1 100); do
      [ -s "$fdfile" ] && break
      kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if [ -s "$fdfile" ]; then
      export DISPLAY=":$(head -n 1 "$fdfile")"
      sleep 0.2
      if kill -0 "$E2E_XVFB_PID" 2>/dev/null && xdotool getdisplaygeometry >/dev/null 2>&1; then
        # The pointer starts in a corner, away from where tests click.
        xdotool mousemove 0 0 >/dev/null 2>&1 || true
        return 0
      fi
    fi
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
    E2E_XVFB_PID=
  done
  e2e_fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
}

e2e_stop_xvfb() {
  [ -n "$E2E_XVFB_PID" ] || return 0
  kill "$E2E_XVFB_PID" 2>/dev/null || true
  wait "$E2E_XVFB_PID" 2>/dev/null || true
  E2E_XVFB_PID=
}

# Mesa's software driver is unloaded at exit with buffers still allocated;
# kept loaded, LeakSanitizer can attribute them to it.
e2e_driver_preload() {
  local dir
  for dir in "/usr/lib/$(uname -m)-linux-gnu/dri" /usr/lib64/dri /usr/lib/dri; do
    if [ -f "$dir/swrast_dri.so" ]; then
      echo "$dir/swrast_dri.so"
      return
    fi
  done
}

e2e_start() {
  local fifo=$E2E_TMP/stdin preload
  rm -f "$fifo"
  mkfifo "$fifo"
  preload=$(e2e_driver_preload)
  (
    [ -n "$preload" ] && export LD_PRELOAD=$preload
    [ -n "${E2E_LSAN_SUPPRESSIONS:-}" ] &&
      export LSAN_OPTIONS="suppressions=$E2E_LSAN_SUPPRESSIONS:print_suppressions=0"
    exec "$@" <"$fifo" >"$E2E_OUT" 2>"$E2E_ERR"
  ) &
  E2E_PID=$!
  exec 4>"$fifo"
}

e2e_input() { printf '%s' "$1" >&4; }

e2e_close_input() { exec 4>&-; }

# Windows of the name: by WM_NAME, and among the program's own windows by
# _NET_WM_NAME too, since GTK gives a title outside Latin-1 only that.
e2e_find_windows() {
  local name=$1 win title
  xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null || true
  if [ -n "$E2E_PID" ]; then
    # As modelled, the title is the model's name, then " — " and the name.
    for win in $(xdotool search --onlyvisible --pid "$E2E_PID" 2>/dev/null || true); do
      title=$(LC_ALL=C.UTF-8 xdotool getwindowname "$win" 2>/dev/null)
      [ "$title" = "$name" ] || [ "${title% — "$name"}" != "$title" ] && echo "$win"
    done
  fi
  return 0
}

e2e_wait_window() {
  local name=$1 secs=${2:-60} i win
  for i in $(seq 1 $((secs * 10))); do
    win=$(e2e_find_windows "$name" | head -n 1)
    if [ -n "$win" ]; then
      echo "$win"
      return 0
    fi
    kill -0 "$E2E_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

e2e_window_exists() {
  [ -n "$(e2e_find_windows "$1")" ]
}

e2e_wait_output() {
  local text=$1 secs=${2:-30} i
  for i in $(seq 1 $((secs * 10))); do
    grep -qF -- "$text" "$E2E_OUT" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

e2e_wait_exit() {
  local secs=${1:-30} i
  for i in $(seq 1 $((secs * 10))); do
    kill -0 "$E2E_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$E2E_PID" 2>/dev/null; then
    e2e_fail "the program did not end within $secs s"
  fi
  E2E_STATUS=0
  wait "$E2E_PID" || E2E_STATUS=$?
  E2E_PID=
}

e2e_close_window() {
  [ -n "${E2E_CLOSE_WINDOW:-}" ] || e2e_fail "E2E_CLOSE_WINDOW does not name the close_window helper"
  "$E2E_CLOSE_WINDOW" "$1" || e2e_fail "cannot ask window $1 to close"
}

e2e_screenshot() {
  timeout 20 "$E2E_IMPORT" -window "$1" "$2" || e2e_fail "cannot read back window $1"
}

e2e_pixel() {
  "$E2E_CONVERT" "$1" -crop "1x1+$2+$3" -depth 8 txt:- |
    sed -n 's/^0,0: *(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' |
    awk '{ printf "%d %d %d\n", $1, $2, $3 }'
}

e2e_expect_pixel() {
  local file=$1 x=$2 y=$3 r=$4 g=$5 b=$6 tol=${7:-0} got
  got=$(e2e_pixel "$file" "$x" "$y")
  set -- $got
  if [ $# -ne 3 ] || [ $(( ($1 - r) * ($1 - r) > tol * tol || ($2 - g) * ($2 - g) > tol * tol ||
        ($3 - b) * ($3 - b) > tol * tol )) -ne 0 ]; then
    e2e_fail "pixel ($x, $y) of $(basename "$file") is ($got), expected ($r $g $b)"
  fi
}

e2e_has_near() {
  local file=$1 x=$2 y=$3 r=$4 g=$5 b=$6 radius=${7:-2} size
  size=$((2 * radius + 1))
  "$E2E_CONVERT" "$file" -crop "${size}x${size}+$((x - radius))+$((y - radius))" -depth 8 txt:- |
    grep -q "($r,$g,$b)"
}

e2e_expect_near() {
  e2e_has_near "$@" || e2e_fail "no pixel ($4 $5 $6) within ${7:-2} of ($2, $3) in $(basename "$1")"
}

e2e_retry() {
  local secs=$1 end
  shift
  end=$(($(date +%s) + secs))
  until "$@"; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.2
  done
}

# Without a window manager nothing moves the focus; the pointer is put over
# the window too, for servers whose focus follows the pointer.
e2e_focus() {
  timeout 5 xdotool windowfocus "$1" 2>/dev/null || true
  sleep 0.2
}

e2e_frame_and_quit() {
  local png=$1 win i
  shift
  e2e_start "$@"
  win=$(e2e_wait_window Lumenspin 120) || e2e_fail "no window for $*"
  # A window not drawn yet is black; the buffers are swapped whole, so the
  # first picture with a corner of another colour is a whole frame.
  for i in $(seq 1 25); do
    e2e_screenshot "$win" "$png"
    [ "$(e2e_pixel "$png" 1 1)" != "0 0 0" ] && break
    sleep 0.2
  done
  e2e_focus "$win"
  xdotool key q
  e2e_wait_exit 60
  [ "$E2E_STATUS" -eq 0 ] || e2e_fail "exit status $E2E_STATUS for $*"
  if grep -q "Sanitizer" "$E2E_ERR"; then e2e_fail "sanitizer report for $*"; fi
}

e2e_picture_digest() {
  "$E2E_CONVERT" "$1" -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

e2e_corpus_models() {
  find "$1" -type f \( -iname '*.mqo' -o -iname '*.mqoz' \) -print0 | sort -z
}

e2e_document_text() {
  case "${1,,}" in
    *.mqoz) unzip -p -C "$1" '*.mqo' 2>/dev/null ;;
    *) cat "$1" ;;
  esac
}

e2e_expect_textures_found() {
  local model=$1 dir name base
  dir=$(dirname "$model")
  while IFS= read -r name; do
    base=${name##*[\\/]}
    # Beside the model or in its Texture folder, in any letter case, or at
    # the relative path the document names.
    if [ -n "$(find -L "$dir" -maxdepth 2 -ipath "$dir/$base" -o -maxdepth 2 -ipath "$dir/texture/$base" | head -n 1)" ] ||
      { [ "${name:0:1}" = . ] && [ -f "$dir/${name//\\//}" ]; }; then
      e2e_fail "$model: the texture $name is there but was not found"
    fi
  done < <(sed -n 's/^[^:]*: \(.*\): \(texture\|alpha plane\) not found; .*/\1/p' "$E2E_ERR")
}
