#!/usr/bin/env bash
# The real converter: its refusals (status and one line naming the model,
# no file written, the model untouched); every model and archive of the
# shared corpus and the sample converted to .glb, and a few to .gltf, each
# output free of errors by Khronos' glTF validator; and a real client,
# f3d, drawing the converted sample (textured) and a mirrored model with
# the same outline as the thumbnailer from the same direction.
#   e2e_convert_test.sh CONVERTER THUMBNAILER SAMPLES_DIR CORPUS_DIR NODE_TOOLS LSAN_SUPPRESSIONS
set -u
bin=$1 thumbnailer=$2 samples=$3 corpus=$4 node_tools=$5
export E2E_LSAN_SUPPRESSIONS=$6
. "$(dirname "$0")/../app/e2e_lib.sh"
e2e_init
export LSAN_OPTIONS="suppressions=$E2E_LSAN_SUPPRESSIONS:print_suppressions=0"
validator=$node_tools/node_modules/gltf-validator
[ -d "$validator" ] || e2e_fail "no glTF validator at $validator: run scripts/install-deps"
out=$E2E_TMP/out
mkdir -p "$out"

convert_model() {  # convert_model [ARGS...]: status in status, stderr in E2E_ERR
  status=0
  timeout 300 "$bin" "$@" </dev/null >"$E2E_OUT" 2>"$E2E_ERR" || status=$?
  if grep -q "Sanitizer" "$E2E_ERR"; then e2e_fail "sanitizer report for $*"; fi
}

refused() {  # refused STATUS INPUT OUTPUT WHAT
  convert_model "$2" "$3"
  [ "$status" = "$1" ] || e2e_fail "$4: status $status, not $1"
  [ "$(wc -l <"$E2E_ERR")" = 1 ] && grep -qF "$2" "$E2E_ERR" || e2e_fail "$4: not one line naming the model"
}
cp "$samples/sample.mqo" "$E2E_TMP/model.mqo"
sum=$(md5sum <"$E2E_TMP/model.mqo")
refused 1 "$E2E_TMP/missing.mqo" "$out/refused.glb" "a missing model"
sed '2s/Ver 1.0/Ver 2.0/' "$samples/sample.mqo" >"$E2E_TMP/newer.mqo"
refused 3 "$E2E_TMP/newer.mqo" "$out/refused.glb" "a Ver 2.0 document"
ln -s "$E2E_TMP/model.mqo" "$E2E_TMP/link.glb"
refused 5 "$E2E_TMP/model.mqo" "$E2E_TMP/link.glb" "the model itself as output"
[ "$(md5sum <"$E2E_TMP/model.mqo")" = "$sum" ] || e2e_fail "the model was written over"
[ -z "$(ls -A "$out")" ] || e2e_fail "a refusal left files: $(ls -A "$out")"
convert_model "$E2E_TMP/model.mqo"
[ "$status" = 2 ] || e2e_fail "one path: status $status, not 2"

# Every model converts, each to a file of its own.
outputs=()
n=0
while IFS= read -r -d '' model; do
  n=$((n + 1))
  convert_model "$model" "$out/$n.glb"
  [ "$status" = 0 ] && [ -s "$out/$n.glb" ] || e2e_fail "$model: status $status"
  outputs+=("$out/$n.glb")
done < <(e2e_corpus_models "$corpus"; printf '%s\0' "$samples/sample.mqo")
# The text form, with its buffer and pictures beside it.
mkdir -p "$out/text"
for model in "$samples/sample.mqo" $(e2e_corpus_models "$corpus" | tr '\0' '\n' | grep -m 2 'mqoz$'); do
  n=$((n + 1))
  convert_model -f gltf "$model" "$out/text/$n.gltf"
  [ "$status" = 0 ] || e2e_fail "$model as .gltf: status $status"
  outputs+=("$out/text/$n.gltf")
done
node "$(dirname "$0")/validate_gltf.js" "$validator" "${outputs[@]}" >"$E2E_OUT" 2>&1 ||
  e2e_fail "the validator reports errors: $(grep -v '^0 ' "$E2E_OUT" | head -5)"
echo "$n models converted; the validator found no error in any"

# The outline: the alpha of a picture, trimmed to what is drawn and scaled
# to 64 x 64; and the shape of what is drawn.
mask() { convert "$1" -alpha extract -threshold 50% -trim +repage -resize '64x64!' -threshold 50% "$2"; }
extent() { convert "$1" -alpha extract -threshold 50% -trim -format '%w %h' info:; }
# Drawn by f3d from where the thumbnail looks (45 degrees right of the
# front, 30 above, the same field of view), against the thumbnail: at most
# 4% of the outline's cells may differ (a converter that drew the model
# mirrored, turned or without its mirrored half differs by a fifth or more).
same_outline() {  # same_outline MODEL WHAT
  local model=$1 what=$2 differ
  convert_model "$model" "$E2E_TMP/drawn.glb"
  [ "$status" = 0 ] || e2e_fail "$what: status $status"
  rm -f "$E2E_TMP/thumbnail.png" "$E2E_TMP/f3d.png"
  # Mesa's driver stays loaded, so that what it leaves at exit is known
  # as its own.
  LD_PRELOAD=$(e2e_driver_preload) timeout 120 "$thumbnailer" -s 256 "$model" "$E2E_TMP/thumbnail.png" 2>"$E2E_ERR" ||
    e2e_fail "$what: no thumbnail"
  timeout 120 f3d --output="$E2E_TMP/f3d.png" --no-background --resolution=512,512 --camera-azimuth-angle=45 \
    --camera-elevation-angle=30 --camera-view-angle=30 "$E2E_TMP/drawn.glb" >/dev/null 2>&1
  [ -f "$E2E_TMP/f3d.png" ] || e2e_fail "$what: f3d drew nothing"
  mask "$E2E_TMP/thumbnail.png" "$E2E_TMP/a.png"
  mask "$E2E_TMP/f3d.png" "$E2E_TMP/b.png"
  differ=$(compare -metric AE "$E2E_TMP/a.png" "$E2E_TMP/b.png" null: 2>&1)
  set -- $(extent "$E2E_TMP/thumbnail.png") $(extent "$E2E_TMP/f3d.png")
  echo "$what: $differ of 4096 outline cells differ; extent $1 x $2 against $3 x $4"
  [ "$differ" -le 164 ] || e2e_fail "$what: f3d's outline differs from the thumbnail's in $differ of 4096 cells"
  # Widths to heights within 5%.
  [ $(( 100 * $1 * $4 <= 105 * $2 * $3 && 100 * $2 * $3 <= 105 * $1 * $4 )) = 1 ] ||
    e2e_fail "$what: f3d's outline is $3 x $4, the thumbnail's $1 x $2"
}
e2e_start_xvfb
same_outline "$samples/sample.mqo" "the sample (textured)"
# A box off the X = 0 plane, mirrored across it: two boxes apart.
v=""
for x in 1 3; do for y in 0 2; do for z in -3 3; do v+="$x $y $z\n"; done; done; done
printf "Metasequoia Document\nFormat Text Ver 1.0\nObject \"half\" {\n mirror 1\n mirror_axis 1\n vertex 8 {\n${v} }\n face 6 {\n%s }\n}\nEof\n" \
  "  4 V(0 1 3 2)
  4 V(4 6 7 5)
  4 V(0 4 5 1)
  4 V(2 3 7 6)
  4 V(0 2 6 4)
  4 V(1 5 7 3)
" >"$E2E_TMP/mirrored.mqo"
same_outline "$E2E_TMP/mirrored.mqo" "a mirrored box"
