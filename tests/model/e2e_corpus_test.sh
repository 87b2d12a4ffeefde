#!/usr/bin/env bash
# Every real .mqo file of the shared corpus, opened by path in the real
# viewer: the window appears, draws, and "q" ends the program cleanly.
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

count=0
while IFS= read -r -d '' model; do
  e2e_frame_and_quit "$E2E_TMP/frame.png" "$bin" "$model"
  count=$((count + 1))
done < <(find "$corpus" -name '*.mqo' -type f -print0 | sort -z)
echo "$count corpus models opened and closed"
