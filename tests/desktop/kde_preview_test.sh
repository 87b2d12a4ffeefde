#!/usr/bin/env bash
# Dolphin's previews with the packages lumenspin and lumenspin-kde installed:
# KIO's own PreviewJob and kio-extras' thumbnail worker, off-screen, with the
# Lumenspin plugin alone enabled, for the sample model, every model of the
# corpus and a generated broken one. Each model that the installed
# lumenspin-thumbnailer draws has a preview, the same picture; each one it
# refuses has a failed preview, and the job ends.
#   kde_preview_test.sh BUILD_DIR SAMPLES_DIR CORPUS_DIR CLIENT
# CLIENT is the kde_preview program. As root apt installs both packages (and
# removes them again afterwards, unless the machine had them before).
# Otherwise the install is staged below a temporary DESTDIR that
# QT_PLUGIN_PATH and XDG_DATA_DIRS point at.
set -u
build=$1 samples=$2 corpus=$3 client=$4
. "$(dirname "$0")/../app/e2e_lib.sh"
e2e_init
# The thumbnailer may be built with AddressSanitizer; the build's own tests
# check it for leaks. The worker is started by the job itself, with this
# environment, never by a KDE session's launcher.
export ASAN_OPTIONS=detect_leaks=0 XDG_CACHE_HOME=$E2E_TMP/home/.cache QT_QPA_PLATFORM=offscreen KDE_FORK_SLAVES=1
size=256

if [ "$(id -u)" -eq 0 ]; then
  (cd "$build" && cpack -G DEB -B "$E2E_TMP/out" >"$E2E_TMP/cpack.log" 2>&1) ||
    e2e_fail "cpack failed: $(cat "$E2E_TMP/cpack.log")"
  debs=("$E2E_TMP"/out/lumenspin_*.deb "$E2E_TMP"/out/lumenspin-kde_*.deb)
  [ -f "${debs[0]}" ] && [ -f "${debs[1]}" ] || e2e_fail "not both packages: $(ls "$E2E_TMP/out")"
  installed_before=$(dpkg-query -W -f='${Status}' lumenspin 2>/dev/null)
  kde_before=$(dpkg-query -W -f='${Status}' lumenspin-kde 2>/dev/null)
  remove_packages() {
    local remove=()
    case $kde_before in "install ok"*) ;; *) remove+=(lumenspin-kde) ;; esac
    case $installed_before in "install ok"*) ;; *) remove+=(lumenspin) ;; esac
    [ ${#remove[@]} -eq 0 ] || apt-get -o DPkg::Lock::Timeout=600 remove -y -qq "${remove[@]}" >/dev/null 2>&1
    e2e_cleanup
  }
  trap remove_packages EXIT
  # --reinstall: the packages just built, even over the same version.
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install --reinstall -y -qq \
    --no-install-recommends "${debs[@]}" >"$E2E_TMP/apt.log" 2>&1 ||
    e2e_fail "apt cannot install the packages: $(cat "$E2E_TMP/apt.log")"
  thumbnailer=/usr/bin/lumenspin-thumbnailer
else
  stage=$E2E_TMP/stage
  DESTDIR=$stage cmake --install "$build" --prefix /usr >"$E2E_TMP/install.log" || e2e_fail "install failed"
  plugin=$(find "$stage" -name lumenspinthumbnail.so)
  [ -n "$plugin" ] || e2e_fail "the install has no KIO plugin"
  export QT_PLUGIN_PATH=${plugin%/kf5/thumbcreator/*}
  update-mime-database "$stage/usr/share/mime" 2>/dev/null || e2e_fail "update-mime-database failed"
  export XDG_DATA_DIRS=$stage/usr/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}
  thumbnailer=$stage/usr/bin/lumenspin-thumbnailer
fi

mkdir -p "$E2E_TMP/models" "$E2E_TMP/direct" "$E2E_TMP/previews"
cp "$samples/sample.mqo" "$E2E_TMP/models/"
printf 'Metasequoia Document\r\nFormat Text Ver 2.0\r\n' >"$E2E_TMP/models/broken.mqo"
models=("$E2E_TMP/models/sample.mqo" "$E2E_TMP/models/broken.mqo")
while IFS= read -r -d '' model; do
  models+=("$model")
done < <(find "$corpus" -type f \( -iname '*.mqo' -o -iname '*.mqoz' \) -print0 | sort -z)
[ ${#models[@]} -gt 2 ] || e2e_fail "no model in $corpus"

# What the thumbnailer itself makes of each model, at the same size.
for i in "${!models[@]}"; do
  "$thumbnailer" -s $size "${models[$i]}" "$E2E_TMP/direct/$i.png" 2>>"$E2E_TMP/direct.log"
done
[ -f "$E2E_TMP/direct/1.png" ] && e2e_fail "the thumbnailer drew the broken model"

E2E_OUT=$E2E_TMP/previews.txt
"$client" $size "$E2E_TMP/previews" "${models[@]}" >"$E2E_OUT" 2>"$E2E_ERR" ||
  e2e_fail "the preview job did not answer for every model (status $?)"
pictures=0
for i in "${!models[@]}"; do
  name=${models[$i]#"$corpus"/}
  if [ -f "$E2E_TMP/direct/$i.png" ]; then
    grep -q "^picture $i " "$E2E_OUT" || e2e_fail "no preview of $name"
    # A pixmap keeps its colours premultiplied by alpha: the translucent
    # edge pixels may differ by a rounding step.
    diff=$(compare -metric AE -fuzz 1% "$E2E_TMP/direct/$i.png" "$E2E_TMP/previews/$i.png" null: 2>&1)
    [ "$diff" = 0 ] || e2e_fail "the preview of $name is not the thumbnailer's picture ($diff pixels differ)"
    pictures=$((pictures + 1))
  else
    grep -q "^failed $i " "$E2E_OUT" || e2e_fail "a preview of $name, which the thumbnailer refuses"
  fi
done
echo "kde_preview_test: passed ($pictures pictures, $((${#models[@]} - pictures)) refused)"
