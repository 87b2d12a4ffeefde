#!/usr/bin/env bash
# Every real model of the shared corpus, documents and archives, opened by
# path in the real viewer with --newer: the document is read, the textures
# that lie where they are looked for are found, the window draws (a model
# out of the first frame's view is noted; most are in it) and "q" ends the
# program. With --as-modelled every model with faces lies wholly inside the
# first frame, and a model's size and place do not change that frame, and
# textures that the model's project keeps elsewhere in its tree are found:
# only those nobody shipped stay missing.
#   e2e_corpus_test.sh BINARY CORPUS_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 corpus=$2
export E2E_LSAN_SUPPRESSIONS=$3
. "$(dirname "$0")/../app/e2e_lib.sh"
e2e_init
if [ ! -d "$corpus" ]; then
  echo "no corpus at $corpus: nothing to test"
  exit 0
fi
e2e_start_xvfb

printf 'Metasequoia Document\nFormat Text Ver 1.0\n' >"$E2E_TMP/empty.mqo"
e2e_frame_and_quit "$E2E_TMP/empty.png" "$bin" "$E2E_TMP/empty.mqo"
empty=$(e2e_picture_digest "$E2E_TMP/empty.png")

# Whether the frame's border is all background, but for the corner of the
# axis indicator (bottom left, 96 pixels).
inside_window() {  # inside_window PNG
  local strip
  for strip in 800x1+0+0 704x1+96+599 1x504+0+0 1x600+799+0; do
    [ "$(convert "$1" -crop "$strip" +repage -unique-colors -depth 8 -format '%w %[pixel:p{0,0}]' info:)" = \
      "1 srgb(102,102,204)" ] || return 1
  done
}

# A cube of 2 units at the origin and one of 5000 units far from it.
cube() {  # cube SIZE CENTRE_X FILE
  local s=$1 c=$2 x y z v=""
  for x in -1 1; do for y in -1 1; do for z in -1 1; do
    v+="$((c + x * s / 2)) $((y * s / 2)) $((z * s / 2))\n"
  done; done; done
  printf "Metasequoia Document\nFormat Text Ver 1.0\nObject \"cube\" {\n vertex 8 {\n${v} }\n face 6 {\n%s }\n}\n" \
    "  4 V(0 1 3 2)
  4 V(4 6 7 5)
  4 V(0 4 5 1)
  4 V(2 3 7 6)
  4 V(0 2 6 4)
  4 V(1 5 7 3)
" >"$3"
}
cube 2 0 "$E2E_TMP/small.mqo"
cube 5000 40000 "$E2E_TMP/large.mqo"
e2e_frame_and_quit "$E2E_TMP/small.png" "$bin" --as-modelled "$E2E_TMP/small.mqo"
e2e_frame_and_quit "$E2E_TMP/large.png" "$bin" --as-modelled "$E2E_TMP/large.mqo"
[ "$(e2e_picture_digest "$E2E_TMP/small.png")" = "$(e2e_picture_digest "$E2E_TMP/large.png")" ] ||
  e2e_fail "a cube of 2 units and one of 5000 units give different first frames"
inside_window "$E2E_TMP/small.png" && [ "$(e2e_picture_digest "$E2E_TMP/small.png")" != "$empty" ] ||
  e2e_fail "the cube is not drawn whole inside the window"

# The texture names (last component) that E2E_ERR says were not found,
# each after the model's file name.
missing_textures() {  # missing_textures MODEL
  sed -n 's/^[^:]*: \(.*\): \(texture\|alpha plane\) not found; .*/\1/p' "$E2E_ERR" | sed 's/.*[\\/]//' |
    sed "s|^|${1##*/}: |"
}
count=0 drawn=0 lacking=0 lacking_modelled=0 missing=""
while IFS= read -r -d '' model; do
  e2e_frame_and_quit "$E2E_TMP/frame.png" "$bin" --newer "$model"
  grep -qx "Format Error\|Header Error\|Error\|EOF" "$E2E_OUT" && e2e_fail "$model was not read"
  e2e_expect_textures_found "$model"
  [ -n "$(missing_textures "$model")" ] && lacking=$((lacking + 1))
  if e2e_document_text "$model" | grep -q 'face [0-9]'; then
    [ "$(e2e_picture_digest "$E2E_TMP/frame.png")" != "$empty" ] && drawn=$((drawn + 1)) ||
      echo "note: $model draws nothing in the first frame's view"
    e2e_frame_and_quit "$E2E_TMP/modelled.png" "$bin" --as-modelled "$model"
    inside_window "$E2E_TMP/modelled.png" || e2e_fail "$model as modelled does not lie wholly inside the window"
    found=$(missing_textures "$model")
    [ -n "$found" ] && lacking_modelled=$((lacking_modelled + 1)) && missing+="$found"$'\n'
  fi
  count=$((count + 1))
done < <(e2e_corpus_models "$corpus")
echo "$count corpus models opened and closed, $drawn of them drawn in view"
echo "models with a texture not found: $lacking by the default lookup, $lacking_modelled as modelled"
# steve.png (a template's skin on the author's machine) is in no repository.
missing=$(printf '%s' "$missing" | sort -u)
[ "$missing" = "hamina.mqo: steve.png" ] || e2e_fail "as modelled, textures not found: ${missing:-none}"
[ "$count" -gt 40 ] && [ "$drawn" -gt $((count / 2)) ] || e2e_fail "only $count corpus models, $drawn drawn"
