#!/usr/bin/env bash
# What the build installs, staged in a temporary DESTDIR: the desktop entry
# and the metainfo validate, the MIME package makes .mqo files and
# Metasequoia documents resolve to model/x-mqo and .mqoz files to
# model/x-mqoz, each type with an icon of its own, --help and --version answer,
# and the installed viewer tells on standard error why a document is not
# read, that there is no display and which textures are missing, runs its
# file chooser from the installed module, and without a terminal posts its
# diagnostics to the desktop.
#   installed_files_test.sh BUILD_DIR SAMPLES_DIR LSAN_SUPPRESSIONS
set -u
build=$1 samples=$2
export E2E_LSAN_SUPPRESSIONS=$3
. "$(dirname "$0")/../app/e2e_lib.sh"
e2e_init
stage=$E2E_TMP/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$E2E_TMP/install.log" || e2e_fail "install failed"
share=$stage/usr/share
bin=$stage/usr/bin/lumenspin

desktop-file-validate "$share/applications/lumenspin.desktop" || e2e_fail "the desktop entry does not validate"
grep -qx 'Exec=lumenspin --as-modelled %f' "$share/applications/lumenspin.desktop" || e2e_fail "the entry does not open a file"
for entry in "$share/applications/lumenspin.desktop" "$share/thumbnailers/lumenspin.thumbnailer"; do
  grep -qx 'MimeType=model/x-mqo;model/x-mqoz;' "$entry" || e2e_fail "$(basename "$entry") does not name both types"
done
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml >"$E2E_TMP/appstream.log" ||
  e2e_fail "the metainfo does not validate: $(cat "$E2E_TMP/appstream.log")"
[ -s "$share/icons/hicolor/scalable/apps/lumenspin.svg" ] || e2e_fail "no icon"

# The MIME package, compiled alone, ahead of the system's database.
mime=$E2E_TMP/mimedata
mkdir -p "$mime/mime/packages" "$E2E_TMP/files"
cp "$share/mime/packages/lumenspin.xml" "$mime/mime/packages/"
update-mime-database "$mime/mime" 2>/dev/null || e2e_fail "update-mime-database failed"
printf 'Metasequoia Document\r\nFormat Text Ver 1.0\r\n' >"$E2E_TMP/files/model"
cp "$E2E_TMP/files/model" "$E2E_TMP/files/a.mqo"
echo "not a model" >"$E2E_TMP/files/B.MQO"
(cd "$E2E_TMP/files" && zip -q c.mqoz a.mqo && cp c.mqoz D.MQOZ)
for f in model a.mqo B.MQO c.mqoz D.MQOZ; do
  type=$(XDG_DATA_DIRS=$mime:/usr/share gio info -a standard::content-type "$E2E_TMP/files/$f" |
    sed -n 's/^ *standard::content-type: //p')
  want=model/x-mqo
  case $f in *.mqoz | *.MQOZ) want=model/x-mqoz ;; esac
  [ "$type" = "$want" ] || e2e_fail "$f resolves to '$type', not $want"
  # The icon the desktop looks up first for the type is installed.
  icon=$(XDG_DATA_DIRS=$mime:/usr/share gio info -a standard::icon "$E2E_TMP/files/$f" |
    sed -n 's/^ *standard::icon: \([^,]*\).*/\1/p')
  svg=$share/icons/hicolor/scalable/mimetypes/$icon.svg
  python3 -c 'import sys, xml.etree.ElementTree as tree; tree.parse(sys.argv[1])' "$svg" 2>/dev/null ||
    e2e_fail "no icon $icon for $want"
done

"$bin" --version >"$E2E_OUT" || e2e_fail "--version failed"
grep -q '^lumenspin [0-9]' "$E2E_OUT" || e2e_fail "--version printed no version"
"$bin" --help >"$E2E_OUT" || e2e_fail "--help failed"
grep -q 'Format Text Ver 1.0' "$E2E_OUT" && grep -q -- '--newer .*Ver 1.1' "$E2E_OUT" ||
  e2e_fail "--help does not tell which documents are read"

# A refused document without a display: the fixed text on standard output,
# the reason and the missing display on standard error, GLUT's status 1.
printf 'Metasequoia Document\nFormat Text Ver 1.1\n' >"$E2E_TMP/new.mqo"
status=0
LSAN_OPTIONS="suppressions=$E2E_LSAN_SUPPRESSIONS:print_suppressions=0" \
  env -u DISPLAY "$bin" "$E2E_TMP/new.mqo" </dev/null >"$E2E_OUT" 2>"$E2E_ERR" || status=$?
[ "$status" -eq 1 ] || e2e_fail "status $status without a display, not 1"
[ "$(tail -n 1 "$E2E_OUT")" = "Format Error" ] || e2e_fail "no \"Format Error\" on standard output"
grep -qF 'new.mqo: not read (reader code -4): the file declares "Format Text Ver 1.1"' "$E2E_ERR" ||
  e2e_fail "the refused document's format is not told"
[ "$(grep -c . "$E2E_ERR")" -eq 2 ] && grep -q 'no display' "$E2E_ERR" || e2e_fail "not one line for the missing display"

# Started without a model and without a display, the installed viewer finds
# its chooser module where the installation put it, and the chooser says
# that it has no display.
status=0
LSAN_OPTIONS="suppressions=$E2E_LSAN_SUPPRESSIONS:print_suppressions=0" \
  env -u DISPLAY "$bin" </dev/null >"$E2E_OUT" 2>"$E2E_ERR" || status=$?
[ "$status" -eq 255 ] || e2e_fail "status $status without a model and a display, not 255"
grep -q 'no display for the file chooser' "$E2E_ERR" || e2e_fail "the installed viewer did not run its chooser"

# The sample model without its Texture folder: every texture is missing.
cp "$samples/sample.mqo" "$E2E_TMP/sample.mqo"
e2e_start_xvfb
e2e_start "$bin" "$E2E_TMP/sample.mqo"
win=$(e2e_wait_window Lumenspin) || e2e_fail "no window"
e2e_retry 20 grep -qF "lattice.tga: texture not found; looked for $E2E_TMP/Texture/lattice.tga" "$E2E_ERR" ||
  e2e_fail "the missing texture is not named on standard error"
xdotool key --window "$win" q

# Without a terminal, a model that cannot be opened is also told to the desktop,
# its name escaped for the notification's markup.
dbus-run-session -- bash -c '
  dbus-monitor --session interface=org.freedesktop.Notifications >"$1/notices" 2>/dev/null &
  monitor=$!
  sleep 0.5
  "$2" "$1/gone <i>&</i>.mqo" </dev/null >/dev/null 2>&1
  sleep 0.5
  kill $monitor' _ "$E2E_TMP" "$bin" 2>/dev/null
grep -qF "gone &lt;i&gt;&amp;&lt;/i&gt;.mqo: cannot open the model: No such file or directory" "$E2E_TMP/notices" ||
  e2e_fail "no desktop notice, or an unescaped one, for a model that cannot be opened: $(grep gone "$E2E_TMP/notices")"
echo "installed_files_test: passed"
