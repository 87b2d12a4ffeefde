#!/usr/bin/env bash
# The package installed as a user installs it, and the thumbnails that the
# desktop's own clients make with it: GNOME's thumbnail factory (which runs
# every thumbnailer in a bubblewrap sandbox) and XFCE's tumbler (over the
# session bus), each for the sample model and every Format Text Ver 1.0
# model of the corpus.
#   thumbnail_clients_test.sh BUILD_DIR SAMPLES_DIR CORPUS_DIR
# As root apt installs the package (and removes it again afterwards, unless
# the machine had it before). Otherwise the install is staged below a
# temporary DESTDIR that PATH and XDG_DATA_DIRS point at; GNOME's factory
# cannot be checked so, since its sandbox holds /usr alone.
set -u
build=$1 samples=$2 corpus=$3
here=$(dirname "$0")
. "$here/../app/e2e_lib.sh"
e2e_init
# The package's programs may be built with AddressSanitizer. Its leak check
# needs ptrace, which the factory's sandbox forbids; the build's own tests
# check for leaks.
export ASAN_OPTIONS=detect_leaks=0 XDG_CACHE_HOME=$E2E_TMP/home/.cache
client=/usr/bin/python3
failed=

if [ "$(id -u)" -eq 0 ]; then
  (cd "$build" && cpack -G DEB -B "$E2E_TMP/out" >"$E2E_TMP/cpack.log" 2>&1) ||
    e2e_fail "cpack failed: $(cat "$E2E_TMP/cpack.log")"
  deb=$(ls "$E2E_TMP"/out/lumenspin_*.deb | head -n 1)
  installed_before=$(dpkg-query -W -f='${Status}' lumenspin 2>/dev/null)
  remove_package() {
    case $installed_before in
      "install ok"*) ;;
      *) apt-get -o DPkg::Lock::Timeout=600 remove -y -qq lumenspin >/dev/null 2>&1 ;;
    esac
    e2e_cleanup
  }
  trap remove_package EXIT
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "$deb" \
    >"$E2E_TMP/apt.log" 2>&1 || e2e_fail "apt cannot install the package: $(cat "$E2E_TMP/apt.log")"
  gnome=yes
else
  DESTDIR=$E2E_TMP/stage cmake --install "$build" --prefix /usr >"$E2E_TMP/install.log" || e2e_fail "install failed"
  export PATH=$E2E_TMP/stage/usr/bin:$PATH
  export XDG_DATA_DIRS=$E2E_TMP/stage/usr/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}
  echo "thumbnail_clients_test: GNOME's factory NOT CHECKED: not root, so the package is not installed in /usr"
  gnome=no
fi

mkdir -p "$E2E_TMP/models"
cp "$samples/sample.mqo" "$E2E_TMP/models/"
models=("$E2E_TMP/models/sample.mqo")
while IFS= read -r -d '' model; do
  [ "$(sed -n '2{s/\r$//;p;q}' "$model")" = "Format Text Ver 1.0" ] && models+=("$model")
done < <(find "$corpus" -iname '*.mqo' -print0 | sort -z)
[ ${#models[@]} -gt 1 ] || e2e_fail "no Format Text Ver 1.0 model in $corpus"

if [ $gnome = yes ]; then
  # The factory's sandbox needs user namespaces or bwrap's own privileges.
  if bwrap --ro-bind / / --unshare-all --die-with-parent true 2>"$E2E_TMP/bwrap.log"; then
    "$client" "$here/thumbnail_clients.py" gnome "${models[@]}" || failed=yes
  else
    echo "thumbnail_clients_test: GNOME's factory NOT CHECKED: bubblewrap cannot make a sandbox: $(cat "$E2E_TMP/bwrap.log")"
    failed=yes
  fi
fi
# Tumbler opens OUTPUT itself and reads the picture through the descriptor
# it holds: only a picture written into that very file reaches it.
E2E_ERR=$E2E_TMP/tumbler.log
dbus-run-session -- "$client" "$here/thumbnail_clients.py" tumbler "${models[@]}" 2>"$E2E_ERR" ||
  failed=yes
[ -z "$failed" ] || e2e_fail "not every model has a thumbnail"
echo "thumbnail_clients_test: passed"
