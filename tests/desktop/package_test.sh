#!/usr/bin/env bash
# The Debian package made from the build: its control data, that it holds
# the programs and the desktop files at their places, and that the programs
# taken out of it run. Where the build makes the KIO plugin, the second
# package lumenspin-kde holds it, and only it needs Qt and KDE's libraries.
#   package_test.sh BUILD_DIR SAMPLES_DIR LSAN_SUPPRESSIONS [THUMBNAILER [KDE_PLUGIN]]
# THUMBNAILER is "yes" when the build makes lumenspin-thumbnailer,
# KDE_PLUGIN "yes" when it makes the KIO thumbnail plugin.
set -u
build=$1 samples=$2
export E2E_LSAN_SUPPRESSIONS=$3
thumbnailer=${4:-no} kde=${5:-no}
. "$(dirname "$0")/../app/e2e_lib.sh"
e2e_init
(cd "$build" && cpack -G DEB -B "$E2E_TMP/out" >"$E2E_TMP/cpack.log" 2>&1) || e2e_fail "cpack failed: $(cat "$E2E_TMP/cpack.log")"
deb=$(ls "$E2E_TMP"/out/lumenspin_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || e2e_fail "no lumenspin_<version>_<arch>.deb"
case $(basename "$deb") in
  lumenspin_[0-9]*_"$(dpkg --print-architecture)".deb) ;;
  *) e2e_fail "package name $(basename "$deb")" ;;
esac

dpkg-deb -f "$deb" Depends | grep -q 'libglut' || e2e_fail "no dependency on GLUT: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -Eq 'libqt|libkf5' && e2e_fail "the viewer's package needs Qt or KDE: $(dpkg-deb -f "$deb" Depends)"
# The chooser's, the notices' and the overlays' text libraries are the
# modules' alone, and libzip is opened with dlopen: all are still
# dependencies of the package.
for library in libgtk-3 libglib2.0 libpangocairo libzip4; do
  dpkg-deb -f "$deb" Depends | grep -q "$library" || e2e_fail "no dependency on $library: $(dpkg-deb -f "$deb" Depends)"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Eq 'preinst|postinst|prerm|postrm' && e2e_fail "maintainer scripts found"
dpkg-deb --contents "$deb" | awk '{ print $NF }' | sed 's|^\./||' >"$E2E_TMP/contents"
expected="usr/bin/lumenspin usr/share/applications/lumenspin.desktop usr/share/mime/packages/lumenspin.xml
  usr/share/icons/hicolor/scalable/apps/lumenspin.svg usr/share/man/man1/lumenspin.1.gz
  usr/share/icons/hicolor/scalable/mimetypes/model-x-mqo.svg
  usr/share/icons/hicolor/scalable/mimetypes/model-x-mqoz.svg
  usr/share/metainfo/org.lumenspin.Lumenspin.metainfo.xml usr/share/doc/lumenspin/copyright
  usr/share/doc/lumenspin/changelog.gz usr/bin/lumenspin-convert usr/share/man/man1/lumenspin-convert.1.gz
  usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/lumenspin/lumenspin-chooser.so
  usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/lumenspin/lumenspin-notice.so
  usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/lumenspin/lumenspin-text.so"
[ "$thumbnailer" = yes ] &&
  expected="$expected usr/bin/lumenspin-thumbnailer usr/share/man/man1/lumenspin-thumbnailer.1.gz"
for path in $expected; do
  grep -qx "$path" "$E2E_TMP/contents" || e2e_fail "the package lacks $path"
done

debs=("$deb")
kde_debs=("$E2E_TMP"/out/lumenspin-kde_*.deb)
if [ "$kde" = yes ]; then
  kde_deb=${kde_debs[0]}
  [ -f "$kde_deb" ] || e2e_fail "no lumenspin-kde_<version>_<arch>.deb"
  version=$(dpkg-deb -f "$deb" Version)
  dpkg-deb -f "$kde_deb" Depends | grep -q "^lumenspin (= $version)," ||
    e2e_fail "lumenspin-kde does not depend on this lumenspin: $(dpkg-deb -f "$kde_deb" Depends)"
  dpkg-deb -f "$kde_deb" Depends | grep -q 'libkf5kiogui5' || e2e_fail "lumenspin-kde does not depend on KIO"
  [ -z "$(dpkg-deb -f "$kde_deb" Recommends)" ] || e2e_fail "lumenspin-kde recommends: $(dpkg-deb -f "$kde_deb" Recommends)"
  dpkg-deb -f "$deb" Recommends Suggests | grep -q lumenspin-kde && e2e_fail "lumenspin points to lumenspin-kde"
  dpkg-deb --ctrl-tarfile "$kde_deb" | tar -t | grep -Eq 'preinst|postinst|prerm|postrm' && e2e_fail "maintainer scripts in lumenspin-kde"
  dpkg-deb --contents "$kde_deb" | awk '{ print $NF }' | sed 's|^\./||' | grep -v '/$' | sort >"$E2E_TMP/kde_contents"
  printf '%s\n' usr/lib/"$(dpkg-architecture -qDEB_HOST_MULTIARCH)"/qt5/plugins/kf5/thumbcreator/lumenspinthumbnail.so \
    usr/share/doc/lumenspin-kde/changelog.gz usr/share/doc/lumenspin-kde/copyright | sort >"$E2E_TMP/kde_expected"
  diff "$E2E_TMP/kde_expected" "$E2E_TMP/kde_contents" >&2 || e2e_fail "lumenspin-kde holds other files than the plugin and its documents"
  debs+=("$kde_deb")
else
  [ -f "${kde_debs[0]}" ] && e2e_fail "a lumenspin-kde package from a build without the plugin"
fi

# Debian's own checks: no error and no warning from lintian, none at all
# from mandoc on the manual pages.
lintian --pedantic --allow-root "${debs[@]}" >"$E2E_TMP/lintian.log" 2>&1
grep -E '^[EW]: ' "$E2E_TMP/lintian.log" && e2e_fail "lintian: $(cat "$E2E_TMP/lintian.log")"
root=$E2E_TMP/root
dpkg-deb -x "$deb" "$root" || e2e_fail "cannot extract the package"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  zcat "$page" | mandoc -Tlint >"$E2E_TMP/mandoc.log" 2>&1
  [ -s "$E2E_TMP/mandoc.log" ] && e2e_fail "mandoc on $(basename "$page"): $(cat "$E2E_TMP/mandoc.log")"
done
"$root/usr/bin/lumenspin" --version >/dev/null || e2e_fail "the packaged viewer does not run"
ASAN_OPTIONS=detect_leaks=0 "$root/usr/bin/lumenspin-convert" "$samples/sample.mqo" "$E2E_TMP/sample.glb" 2>"$E2E_ERR" &&
  [ "$(head -c 4 "$E2E_TMP/sample.glb")" = glTF ] || e2e_fail "the packaged converter failed"
if [ "$thumbnailer" = yes ]; then
  # The packaged binary is stripped, so leaks inside the graphics driver can no
  # longer be told from ours; the unstripped build's own test checks for leaks.
  ASAN_OPTIONS=detect_leaks=0 \
    "$root/usr/bin/lumenspin-thumbnailer" -s 64 "$samples/sample.mqo" "$E2E_TMP/thumb.png" 2>"$E2E_ERR" ||
    e2e_fail "the packaged thumbnailer failed"
  file "$E2E_TMP/thumb.png" | grep -Eq 'PNG image data, (64 x [0-9]+|[0-9]+ x 64),' ||
    e2e_fail "no thumbnail of size 64: $(file "$E2E_TMP/thumb.png")"
fi
echo "package_test: passed"
