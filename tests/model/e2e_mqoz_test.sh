#!/usr/bin/env bash
# Newer documents and archives, in the real viewer and the real thumbnailer.
# Every "Format Text Ver 1.1" model of the shared corpus is read with
# --newer, and zipped into a .mqoz beside its textures gives the same
# picture; without --newer the viewer still says "Format Error", and reads
# a .mqoz as any file. A texture the archive holds comes before the one
# beside it, and nothing is left in the temporary folder, however a run
# ends. Archives that are not ZIP files, hold no document or two, or would
# inflate far beyond their size or what real archives do are refused at
# once with one line; a large document streams out in little memory.
#   e2e_mqoz_test.sh VIEWER THUMBNAILER CORPUS_DIR LSAN_SUPPRESSIONS
set -u
viewer=$1 thumbnailer=$2 corpus=$3
export E2E_LSAN_SUPPRESSIONS=$4
. "$(dirname "$0")/../app/e2e_lib.sh"
e2e_init
# The programs' temporary folder: nothing may be made or left there.
export TMPDIR=$E2E_TMP/tmp/inner
mkdir -p "$TMPDIR"
export LSAN_OPTIONS="suppressions=$E2E_LSAN_SUPPRESSIONS:print_suppressions=0"
preload=$(e2e_driver_preload)

run() {  # run PROGRAM ARGS...: no display, no input; status in status
  status=0
  env -u DISPLAY ${preload:+LD_PRELOAD=$preload} timeout 60 "$@" </dev/null >"$E2E_OUT" 2>"$E2E_ERR" || status=$?
  if grep -q "Sanitizer" "$E2E_ERR"; then e2e_fail "sanitizer report for $*"; fi
}

frame() {  # frame MODEL PNG: the viewer's first frame with --newer
  e2e_frame_and_quit "$2" "$viewer" --newer "$1"
  grep -qx "Format Error\|Can't open mqo file. \[enter\]" "$E2E_OUT" && e2e_fail "$1 was not read"
  e2e_expect_textures_found "$1"
  return 0
}

[ -d "$corpus" ] || { echo "no corpus at $corpus: nothing to test"; exit 0; }
e2e_start_xvfb
mirror=$E2E_TMP/mirror
cp -rs "$(cd "$corpus" && pwd)" "$mirror"
count=0
while IFS= read -r -d '' model; do
  sed -n 2p "$model" | grep -q "Ver 1.1" || continue
  name=$(basename "$model" .mqo)
  # The archive stands where the document stood, in a copy of the corpus
  # made of links, so that textures named by relative paths stay in reach.
  folder=$mirror/$(dirname "${model#"$corpus"/}")
  rm "$folder/$name.mqo"
  (cd "$(dirname "$model")" && zip -q "$folder/$name.mqoz" "$name.mqo")

  run "$viewer" "$model"
  [ "$(tail -n 1 "$E2E_OUT")" = "Format Error" ] || e2e_fail "$model without --newer: not \"Format Error\""
  run "$viewer" "$folder/$name.mqoz"
  [ "$(tail -n 1 "$E2E_OUT")" = "Header Error" ] || e2e_fail "$name.mqoz without --newer: not read as a file"

  frame "$model" "$E2E_TMP/document.png"
  frame "$folder/$name.mqoz" "$E2E_TMP/archive.png"
  [ "$(e2e_picture_digest "$E2E_TMP/document.png")" = "$(e2e_picture_digest "$E2E_TMP/archive.png")" ] ||
    e2e_fail "$name: the archive's frame differs from the document's"

  run "$thumbnailer" "$model" "$E2E_TMP/document.png"
  document_status=$status
  run "$thumbnailer" "$folder/$name.mqoz" "$E2E_TMP/archive.png"
  [ "$status" = "$document_status" ] || e2e_fail "$name: thumbnail status $document_status, of the archive $status"
  [ "$status" != 0 ] || cmp -s "$E2E_TMP/document.png" "$E2E_TMP/archive.png" ||
    e2e_fail "$name: the archive's thumbnail differs from the document's"
  count=$((count + 1))
done < <(find "$corpus" -name '*.mqo' -type f -print0 | sort -z)
[ "$count" -gt 0 ] || e2e_fail "no Ver 1.1 model in the corpus"

# The texture packed in the archive wins over a different one beside it.
cube=$corpus/lsbattle/resources/img/cube
mkdir -p "$E2E_TMP/packed"
convert -size 64x64 xc:red "$E2E_TMP/packed/check.png"
(cd "$cube" && zip -q "$E2E_TMP/packed/cube.mqoz" cube.mqo check.png)
run "$thumbnailer" "$cube/cube.mqo" "$E2E_TMP/document.png"
run "$thumbnailer" "$E2E_TMP/packed/cube.mqoz" "$E2E_TMP/archive.png"
[ "$status" = 0 ] && cmp -s "$E2E_TMP/document.png" "$E2E_TMP/archive.png" ||
  e2e_fail "the texture in the archive was not used first"

# A texture entry whose check sum is wrong is damaged, as a document would
# be: not used as it decodes, but said and passed over.
python3 - "$E2E_TMP/packed/cube.mqoz" "$E2E_TMP/packed/damaged.mqoz" <<'EOF'
import struct, sys
b = bytearray(open(sys.argv[1], 'rb').read())
local = b.find(b'PK\x03\x04', b.find(b'PK\x03\x04') + 4)
central = b.find(b'PK\x01\x02', b.find(b'PK\x01\x02') + 4)
for at in (local + 14, central + 16):
    struct.pack_into('<I', b, at, struct.unpack_from('<I', b, at)[0] ^ 1)
open(sys.argv[2], 'wb').write(b)
EOF
run "$thumbnailer" "$E2E_TMP/packed/damaged.mqoz" "$E2E_TMP/damaged.png"
grep -q "damaged.mqoz/check.png: texture not read from the archive" "$E2E_ERR" ||
  e2e_fail "a texture entry with a wrong check sum was used without a word: $(cat "$E2E_ERR")"

# The texture at the archive's root is found however many entries of its
# file name lie in folders before it.
python3 - "$cube" "$E2E_TMP/packed/crowded.mqoz" <<'EOF'
import sys, zipfile
cube, out = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(out, 'w') as z:
    for i in range(1100):
        z.writestr('other%d/check.png' % i, b'not this one')
    z.write(cube + '/cube.mqo', 'cube.mqo')
    z.write(cube + '/check.png', 'check.png')
EOF
run "$thumbnailer" "$E2E_TMP/packed/crowded.mqoz" "$E2E_TMP/crowded.png"
[ "$status" = 0 ] && cmp -s "$E2E_TMP/archive.png" "$E2E_TMP/crowded.png" ||
  e2e_fail "the texture at the archive's root was not found behind entries of its name in folders"

# Zipped without its texture, the cube is drawn all the same, untextured,
# on a transparent background: the document's own picture serves only
# when nothing can be drawn.
mkdir -p "$E2E_TMP/alone"
(cd "$cube" && zip -q "$E2E_TMP/alone/cube.mqoz" cube.mqo)
run "$thumbnailer" "$E2E_TMP/alone/cube.mqoz" "$E2E_TMP/alone.png"
[ "$status" = 0 ] && [ "$(convert "$E2E_TMP/alone.png" -alpha extract -format '%[fx:minima]' info:)" = 0 ] ||
  e2e_fail "an archive without its textures was not drawn"

# Names in the code page the document names: a CP949 texture name finds
# its file named in UTF-8, and so does a UTF-8 name in a Ver 1.2 archive.
# Without the texture file the picture differs.
pages=$E2E_TMP/pages
mkdir -p "$pages"
convert -size 8x8 xc:red "$pages/red.png"
python3 - "$pages" <<'PY'
import sys, zipfile
d = sys.argv[1]
def document(version, code_page, texture):
    return (b'Metasequoia Document\r\nFormat Text Ver ' + version + b'\r\nCodePage ' + code_page + b'\r\n'
            b'Material 1 {\r\n\t"m" col(1 1 1 1) dif(1) tex("' + texture + b'")\r\n}\r\n'
            b'Object "o" {\r\n\tvertex 4 {\r\n\t\t-1 -1 0\r\n\t\t1 -1 0\r\n\t\t1 1 0\r\n\t\t-1 1 0\r\n\t}\r\n'
            b'\tface 1 {\r\n\t\t4 V(0 1 2 3) M(0) UV(0 1 1 1 1 0 0 0)\r\n\t}\r\n}\r\nEof\r\n')
korean = '\uac00\ub098.png'
open(d + '/korean.mqo', 'wb').write(document(b'1.1', b'949', korean.encode('cp949')))
japanese = '\u30c6\u30af.png'
with zipfile.ZipFile(d + '/utf8.mqoz', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('utf8.mqo', document(b'1.2', b'utf8', japanese.encode()))
    z.write(d + '/red.png', japanese)
with zipfile.ZipFile(d + '/untextured.mqoz', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('utf8.mqo', document(b'1.2', b'utf8', japanese.encode()))
PY
cp "$pages/red.png" "$pages/$(printf '\352\260\200\353\202\230').png"
run "$thumbnailer" "$pages/korean.mqo" "$pages/korean.png"
[ "$status" = 0 ] && ! grep -q "not found" "$E2E_ERR" || e2e_fail "a CP949 texture name did not find its file"
run "$thumbnailer" "$pages/utf8.mqoz" "$pages/utf8.png"
[ "$status" = 0 ] && ! grep -q "not found" "$E2E_ERR" || e2e_fail "a UTF-8 texture name did not find its file"
run "$thumbnailer" "$pages/untextured.mqoz" "$pages/untextured.png"
grep -q "texture not found" "$E2E_ERR" || e2e_fail "the texture is found without its file"
! cmp -s "$pages/utf8.png" "$pages/untextured.png" && cmp -s "$pages/utf8.png" "$pages/korean.png" ||
  e2e_fail "the texture found by its name made no difference to the picture"

# A name made of terminal commands reaches the terminal escaped.
printf 'Metasequoia Document\nFormat Text Ver 1.0\nMaterial 2 {\n "m" tex("\033]0;owned\007\033[2J.png")\n "n" tex("\033[2J")\n}\n%b' \
  'Object "o" {\n vertex 3 {\n  0 0 0\n  1 0 0\n  0 1 0\n }\n face 2 {\n  3 V(0 1 2) M(0)\n  3 V(0 2 1) M(1)\n }\n}\n' >"$pages/escape.mqo"
run "$thumbnailer" "$pages/escape.mqo" "$pages/escape.png"
grep -q "owned" "$E2E_ERR" && ! grep -q $'\033' "$E2E_ERR" "$E2E_OUT" ||
  e2e_fail "control characters of a name reached the terminal"

# The archive's own thumbnail.jpg stands in for a model with nothing to
# draw; an empty one is passed over. A model whose texture is missing is
# drawn, not replaced by the picture.
convert -size 60x40 xc:blue "$pages/thumbnail.jpg"
printf 'Metasequoia Document\nFormat Text Ver 1.0\nEof\n' >"$pages/faceless.mqo"
(cd "$pages" && zip -q real.mqoz faceless.mqo thumbnail.jpg)
cp "$pages/untextured.mqoz" "$pages/drawn.mqoz"
(cd "$pages" && zip -q drawn.mqoz thumbnail.jpg)
: >"$pages/thumbnail.jpg"
(cd "$pages" && zip -q empty.mqoz faceless.mqo thumbnail.jpg)
run "$thumbnailer" -s 60 "$pages/real.mqoz" "$pages/real.png"
[ "$status" = 0 ] || e2e_fail "an archive with nothing to draw but its thumbnail.jpg: status $status"
[ "$(e2e_pixel "$pages/real.png" 30 30)" = "0 0 254" ] || [ "$(e2e_pixel "$pages/real.png" 30 30)" = "0 0 255" ] ||
  e2e_fail "the archive's picture was not used: $(e2e_pixel "$pages/real.png" 30 30)"
run "$thumbnailer" -s 60 "$pages/drawn.mqoz" "$pages/drawn.png"
run "$thumbnailer" -s 60 "$pages/untextured.mqoz" "$pages/bare.png"
[ "$status" = 0 ] && cmp -s "$pages/drawn.png" "$pages/bare.png" ||
  e2e_fail "the archive's picture stood in for a model that can be drawn"
run "$thumbnailer" -s 60 "$pages/empty.mqoz" "$pages/empty.png"
[ "$status" = 1 ] && grep -q "no face to draw" "$E2E_ERR" || e2e_fail "an empty thumbnail.jpg was not passed over"

# Broken archives: one line naming the file, no picture; the viewer as for a
# file it cannot open. An entry named "../escape.png" is never taken.
bad=$E2E_TMP/bad
mkdir -p "$bad"
echo "not a zip" >"$bad/text.mqoz"
python3 - "$bad" <<'EOF'
import struct, sys, zipfile
bad = sys.argv[1]
doc = b'Metasequoia Document\nFormat Text Ver 1.0\n'
with zipfile.ZipFile(bad + '/none.mqoz', 'w') as z:
    z.writestr('model.mqx', '<x/>')
with zipfile.ZipFile(bad + '/two.mqoz', 'w') as z:
    z.writestr('a.mqo', doc)
    z.writestr('b.MQO', doc)
# 1 GiB and more of zeros, from a few MB.
with zipfile.ZipFile(bad + '/bomb.mqoz', 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:
    with z.open('bomb.mqo', 'w', force_zip64=True) as f:
        block = bytes(1 << 20)
        for _ in range(1025):
            f.write(block)
# 64 MiB of zeros that claim to be 4 KiB.
with zipfile.ZipFile(bad + '/lying.mqoz', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('lying.mqo', bytes(64 << 20))
b = bytearray(open(bad + '/lying.mqoz', 'rb').read())
struct.pack_into('<I', b, 22, 4096)
struct.pack_into('<I', b, b.find(b'PK\x01\x02') + 24, 4096)
open(bad + '/lying.mqoz', 'wb').write(b)
# 15 MiB of face lines in some 30 KB, denser than any real archive.
with zipfile.ZipFile(bad + '/dense.mqoz', 'w', zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    z.writestr('dense.mqo', doc + b'Object "o" {\n vertex 4 {\n  0 0 0\n  1 0 0\n  1 1 0\n  0 1 0\n }\n face 1 {\n' +
               b'  4 V(0 1 2 3)\n' * (1 << 20) + b' }\n}\n')
# 64 MiB of blank lines, stored: read as it streams out, never held whole.
with zipfile.ZipFile(bad + '/blank.mqoz', 'w') as z:
    z.writestr('blank.mqo', doc + bytes(64 << 20).replace(b'\0', b'\n'))
with zipfile.ZipFile(bad + '/escape.mqoz', 'w') as z:
    z.writestr('model.mqo', doc + b'Material 1 {\n "m" col(1 1 1 1) tex("escape.png")\n}\n'
               b'Object "o" {\n vertex 3 {\n  0 0 0\n  1 0 0\n  0 1 0\n }\n'
               b' face 1 {\n  3 V(0 1 2) M(0)\n }\n}\nEof\n')
    z.writestr('../escape.png', b'x')
EOF
for archive in text none two bomb lying dense; do
  start=$(date +%s)
  run "$thumbnailer" "$bad/$archive.mqoz" "$bad/out.png"
  [ "$status" = 1 ] && [ "$(wc -l <"$E2E_ERR")" = 1 ] && grep -qF "$bad/$archive.mqoz" "$E2E_ERR" ||
    e2e_fail "$archive.mqoz: not refused with one line (status $status)"
  [ ! -e "$bad/out.png" ] || e2e_fail "$archive.mqoz: a picture was written"
  run "$viewer" --newer "$bad/$archive.mqoz"
  [ "$status" = 255 ] && [ "$(tail -n 1 "$E2E_OUT")" = "Can't open mqo file. [enter]" ] ||
    e2e_fail "$archive.mqoz: the viewer did not refuse to open it (status $status)"
  [ $(($(date +%s) - start)) -le 20 ] || e2e_fail "$archive.mqoz: refused too slowly"
  case $archive in
    lying) grep -q "more than the 4096 bytes it declares" "$E2E_ERR" || e2e_fail "the lying archive was read past its size" ;;
    dense) grep -q "more than the 64 times" "$E2E_ERR" || e2e_fail "the dense archive was not refused for its ratio" ;;
  esac
done
peak() {  # peak ARCHIVE: the thumbnailer's peak resident KiB on it
  run /usr/bin/time -o "$bad/peak" -f %M "$thumbnailer" "$1" "$bad/out.png"
  grep -q "no face to draw" "$E2E_ERR" || e2e_fail "$1 was not read to its end"
  tail -n 1 "$bad/peak"
}
(cd "$bad" && printf 'Metasequoia Document\nFormat Text Ver 1.0\n' >small.mqo && zip -q small.mqoz small.mqo)
small=$(peak "$bad/small.mqoz") blank=$(peak "$bad/blank.mqoz")
[ "$blank" -lt $((small + (32 << 10))) ] ||
  e2e_fail "64 MiB of blank lines in an archive peaked at $blank KiB, a bare document at $small KiB"
printf 'Metasequoia Document\nFormat Text Ver 2.0\n' >"$bad/model.mqo"
(cd "$bad" && zip -q newer.mqoz model.mqo)
run "$viewer" --newer "$bad/newer.mqoz"
[ "$status" = 1 ] && [ "$(tail -n 1 "$E2E_OUT")" = "Format Error" ] ||
  e2e_fail "a refused document in an archive: status $status, not the reader's message and no display"
run "$thumbnailer" "$bad/escape.mqoz" "$bad/out.png"
[ "$status" = 0 ] || e2e_fail "escape.mqoz: status $status"

# An archive's textures are read from the archive itself: a run killed at
# any moment (a closed terminal, a logout, a time limit) leaves nothing in
# the temporary folder, nor does any run above.
signals=(KILL TERM INT HUP)
set -m  # or the programs started in the background would ignore INT
for i in $(seq 0 7); do
  for program in viewer thumbnailer; do
    if [ $program = viewer ]; then
      set -- "$viewer" --newer "$E2E_TMP/packed/cube.mqoz"
    else
      set -- "$thumbnailer" "$E2E_TMP/packed/cube.mqoz" "$E2E_TMP/killed.png"
    fi
    ${preload:+env LD_PRELOAD=$preload} "$@" </dev/null >/dev/null 2>&1 &
    sleep "$((RANDOM % 2)).$((RANDOM % 10))"
    kill -s "${signals[i % 4]}" $! 2>/dev/null
    wait $!
  done
done
set +m
[ -z "$(find "$E2E_TMP/tmp" -mindepth 1 ! -path "$TMPDIR")" ] && [ -z "$(ls -A "$TMPDIR")" ] ||
  e2e_fail "files left in the temporary folder: $(find "$E2E_TMP/tmp" -mindepth 1)"
echo "$count Ver 1.1 models read as documents and as archives"
