#!/usr/bin/env bash
# Every real model of the shared corpus, documents and archives, opened by
# path in the real viewer with --newer: the document is read, the textures
# that lie where they are looked for are found, the window draws (a model
# out of the first frame's view is noted; most are in it) and "q" ends the
# program.
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

count=0 drawn=0
while IFS= read -r -d '' model; do
  e2e_frame_and_quit "$E2E_TMP/frame.png" "$bin" --newer "$model"
  grep -qx "Format Error\|Header Error\|Error\|EOF" "$E2E_OUT" && e2e_fail "$model was not read"
  e2e_expect_textures_found "$model"
  if e2e_document_text "$model" | grep -q 'face [0-9]'; then
    [ "$(e2e_picture_digest "$E2E_TMP/frame.png")" != "$empty" ] && drawn=$((drawn + 1)) ||
      echo "note: $model draws nothing in the first frame's view"
  fi
  count=$((count + 1))
done < <(e2e_corpus_models "$corpus")
echo "$count corpus models opened and closed, $drawn of them drawn in view"
[ "$count" -gt 40 ] && [ "$drawn" -gt $((count / 2)) ] || e2e_fail "only $count corpus models, $drawn drawn"
