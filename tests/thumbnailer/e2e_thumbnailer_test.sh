#!/usr/bin/env bash
# The real thumbnailer, with no display at all: the sample model and every
# model and archive of the shared corpus that has faces become PNGs of the
# asked size, framed (the model in the middle, a transparent margin all
# round), textures missing or not, or the document's own picture where it
# has nothing to draw;
# documents of a later version, FIFOs and missing files are refused with one
# line on standard error and no file; a model whose textures are missing
# still gives a picture.
#   e2e_thumbnailer_test.sh BINARY SAMPLES_DIR CORPUS_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 samples=$2 corpus=$3
export E2E_LSAN_SUPPRESSIONS=$4
. "$(dirname "$0")/../app/e2e_lib.sh"
e2e_init
unset DISPLAY WAYLAND_DISPLAY
preload=$(e2e_driver_preload)
[ -n "$preload" ] && export LD_PRELOAD=$preload
export LSAN_OPTIONS="suppressions=$E2E_LSAN_SUPPRESSIONS:print_suppressions=0"
out=$E2E_TMP/out
mkdir -p "$out"

thumbnail() {  # thumbnail [ARGS...]: runs it, status in status, stderr in E2E_ERR
  status=0
  timeout 120 "$bin" "$@" </dev/null >"$E2E_OUT" 2>"$E2E_ERR" || status=$?
  if grep -q "Sanitizer" "$E2E_ERR"; then e2e_fail "sanitizer report for $*"; fi
}

# A picture of side SIZE, the model within a margin: its alpha's bounding
# box is at least half the side and leaves the border rows and columns
# clear, and the middle third holds opaque model pixels.
expect_picture() {  # expect_picture FILE SIZE WHAT
  local file=$1 size=$2 what=$3 box
  [ -f "$file" ] || e2e_fail "no picture for $what"
  [ "$(identify -format '%w %h' "$file")" = "$size $size" ] || e2e_fail "$what: not $size x $size"
  box=$(convert "$file" -alpha extract -trim -format '%w %h %X %Y' info:)
  set -- ${box//+/}
  [ $(( $3 >= 1 && $4 >= 1 && $3 + $1 <= size - 1 && $4 + $2 <= size - 1 )) = 1 ] ||
    e2e_fail "$what: the model ($box) touches the border of the picture"
  [ $(( ($1 > $2 ? $1 : $2) * 2 >= size )) = 1 ] || e2e_fail "$what: the model ($box) is not framed"
  local third=$((size / 3))
  [ "$(convert "$file" -crop "${third}x${third}+${third}+${third}" -alpha extract -format '%[fx:maxima]' info:)" = 1 ] ||
    e2e_fail "$what: no model pixel in the middle"
}

thumbnail -s 128 "$samples/sample.mqo" "$out/sample.png"
[ "$status" = 0 ] || e2e_fail "sample: status $status"
expect_picture "$out/sample.png" 128 "the sample"
[ -z "$(ls "$out" | grep -v '^sample.png$')" ] || e2e_fail "files left beside the output: $(ls "$out")"

# Without its Texture folder the sample still draws, untextured.
mkdir -p "$E2E_TMP/bare"
cp "$samples/sample.mqo" "$E2E_TMP/bare/"
thumbnail "$E2E_TMP/bare/sample.mqo" "$out/bare.png"
[ "$status" = 0 ] || e2e_fail "sample without textures: status $status"
expect_picture "$out/bare.png" 256 "the sample without textures"
cmp -s "$out/bare.png" "$out/sample.png" && e2e_fail "the textures made no difference"

# A texture name that leads to a FIFO is not waited on: no writer ever comes.
mkdir -p "$E2E_TMP/bare/Texture"
mkfifo "$E2E_TMP/bare/Texture/sign.jpg"
thumbnail "$E2E_TMP/bare/sample.mqo" "$out/fifo-texture.png"
[ "$status" = 0 ] || e2e_fail "a FIFO as texture: status $status"
expect_picture "$out/fifo-texture.png" 256 "the sample with a FIFO as texture"

refused() {  # refused INPUT WHAT: status 1, one line naming INPUT, no file
  thumbnail "$1" "$out/refused.png"
  [ "$status" = 1 ] || e2e_fail "$2: status $status"
  [ "$(wc -l <"$E2E_ERR")" = 1 ] && grep -qF "$1" "$E2E_ERR" || e2e_fail "$2: not one line naming the file"
  [ -z "$(ls "$out" | grep refused)" ] || e2e_fail "$2: a file was written"
}
sed '2s/Ver 1.0/Ver 2.0/' "$samples/sample.mqo" >"$E2E_TMP/newer.mqo"
refused "$E2E_TMP/newer.mqo" "a Ver 2.0 document"
grep -q "Ver 1.0" "$E2E_ERR" || e2e_fail "the refusal does not name the version read"
refused "$E2E_TMP/missing.mqo" "a missing file"
mkfifo "$E2E_TMP/fifo.mqo"
refused "$E2E_TMP/fifo.mqo" "a FIFO"

# The modeller's own picture, which stands in for a model with nothing to
# draw: the asked size, opaque to its edges on the longer side, and more
# than one flat colour.
expect_own_picture() {  # expect_own_picture FILE SIZE WHAT
  local file=$1 size=$2 what=$3
  [ "$(identify -format '%w %h' "$file")" = "$size $size" ] || e2e_fail "$what: not $size x $size"
  [ "$(convert "$file" -alpha extract -format '%[fx:maxima]' info:)" = 1 ] &&
    [ "$(convert "$file" -alpha off -unique-colors -format '%w' info:)" -gt 16 ] ||
    e2e_fail "$what: the document's own picture is blank"
}

count=0
if [ -d "$corpus" ]; then
  while IFS= read -r -d '' model; do
    name=$(echo "${model#"$corpus"/}" | tr '/' '_')
    thumbnail -s 96 "$model" "$out/$name.png"
    if ! e2e_document_text "$model" | grep -q 'face [0-9]'; then
      if e2e_document_text "$model" | grep -q '^Thumbnail '; then
        [ "$status" = 0 ] || e2e_fail "$model: status $status"
        expect_own_picture "$out/$name.png" 96 "$model"
      else
        [ "$status" = 1 ] && [ ! -e "$out/$name.png" ] && grep -q "no face to draw" "$E2E_ERR" ||
          e2e_fail "$model: not refused for want of faces (status $status)"
      fi
    else
      [ "$status" = 0 ] || e2e_fail "$model: status $status"
      e2e_expect_textures_found "$model"
      expect_picture "$out/$name.png" 96 "$model"
      count=$((count + 1))
    fi
  done < <(e2e_corpus_models "$corpus")
fi
echo "$count corpus models drawn"

# Below: the picture is written into the output itself, never over the
# model, and a failed write leaves no output; broken or huge textures are
# left out of the picture.
thumbnail --version
[ "$status" = 0 ] && grep -qx "lumenspin-thumbnailer [0-9][0-9.]*" "$E2E_OUT" || e2e_fail "--version: status $status"

# The model named as its own output (or through a hard link) stays as it was.
mkdir -p "$E2E_TMP/self"
cp "$samples/sample.mqo" "$E2E_TMP/self/"
ln "$E2E_TMP/self/sample.mqo" "$E2E_TMP/self/link.png"
for target in sample.mqo link.png; do
  thumbnail "$E2E_TMP/self/sample.mqo" "$E2E_TMP/self/$target"
  [ "$status" = 1 ] && cmp -s "$samples/sample.mqo" "$E2E_TMP/self/sample.mqo" ||
    e2e_fail "the model as its output ($target): status $status, or the model changed"
done

# A client that made the output and holds it open (XFCE's tumbler) reads the
# picture through its own descriptor; when writing fails, the output is gone.
: >"$out/held.png"
exec 3<>"$out/held.png"
thumbnail -s 64 "$samples/sample.mqo" "$out/held.png"
cat <&3 >"$out/read-back.png"
exec 3<&-
[ "$status" = 0 ] || e2e_fail "held output: status $status"
expect_picture "$out/read-back.png" 64 "the picture read through the client's descriptor"
[ -z "$(ls "$out" | grep -v '\.png$')" ] || e2e_fail "files left beside the output: $(ls "$out")"
status=0
(ulimit -f 1 && exec "$bin" "$samples/sample.mqo" "$out/held.png") </dev/null >"$E2E_OUT" 2>"$E2E_ERR" || status=$?
[ "$status" = 1 ] && grep -q "File too large" "$E2E_ERR" && ! grep -q Sanitizer "$E2E_ERR" ||
  e2e_fail "a write beyond the file-size bound: status $status"
[ ! -e "$out/held.png" ] || e2e_fail "a failed write left the output behind"

# Textures that cannot be decoded, or are far larger than a thumbnail shows,
# leave their faces untextured: a picture all the same, a line naming each.
le() {  # le VALUE BYTES: VALUE as BYTES little-endian bytes
  local i
  for ((i = 0; i < $2; i++)); do printf "\\x$(printf %02x $((($1 >> (8 * i)) & 255)))"; done
}
mkdir -p "$E2E_TMP/hostile"
cp -r "$samples/sample.mqo" "$samples/Texture" "$E2E_TMP/hostile/"
for jpeg in empty cut; do
  tex=$E2E_TMP/hostile/Texture
  if [ $jpeg = empty ]; then : >"$tex/sign.jpg"; else head -c 300 "$samples/Texture/sign.jpg" >"$tex/sign.jpg"; fi
  # A 1-bit BMP of 4097 x 4097 pixels: 2 MB, 67 MB as texels.
  { printf BM; le $((62 + 516 * 4097)) 4; le 0 4; le 62 4; le 40 4; le 4097 4; le 4097 4; le 1 2; le 1 2
    le 0 4; le $((516 * 4097)) 4; le 2835 4; le 2835 4; le 2 4; le 0 4; le 0 4; le $((0xffffff)) 4
    head -c $((516 * 4097)) /dev/zero; } >"$tex/crate.bmp"
  thumbnail "$E2E_TMP/hostile/sample.mqo" "$out/hostile-$jpeg.png"
  [ "$status" = 0 ] || e2e_fail "a $jpeg JPEG texture and a huge BMP: status $status"
  expect_picture "$out/hostile-$jpeg.png" 256 "the sample with a $jpeg JPEG and a huge BMP"
  grep -q "sign.jpg: " "$E2E_ERR" && grep -q "crate.bmp: refused: 4097 x 4097 pixels, more than" "$E2E_ERR" ||
    e2e_fail "a $jpeg JPEG and a huge BMP: no line naming each"
done
# A JPEG beyond the pixel bound is decoded at half its size instead.
convert -size 4100x4100 xc:gray50 -quality 20 "$tex/sign.jpg"
thumbnail "$E2E_TMP/hostile/sample.mqo" "$out/hostile-big.png"
[ "$status" = 0 ] && ! grep -q "sign.jpg" "$E2E_ERR" || e2e_fail "a JPEG of 4100 x 4100 pixels: status $status, or not read"
