#!/usr/bin/env bash
# The committed sample files are what the generator writes today, so that a
# change to the generator cannot ship with stale pictures or geometry.
#   sample_files_test.sh GENERATOR SAMPLES_DIR
set -eu
generator=$1 samples=$2
out=$(mktemp -d "${TMPDIR:-/tmp}/sample-files.XXXXXX")
trap 'rm -rf "$out"' EXIT
mkdir "$out/Texture"
"$generator" "$out"
status=0
for file in sample.mqo Texture/checker.tga Texture/crate.bmp Texture/lattice.tga Texture/lattice_a.tga; do
  cmp -s "$out/$file" "$samples/$file" || { echo "samples/$file is stale: rebuild target regenerate_sample"; status=1; }
done
# The JPEG encoder's bytes may differ between library versions: only its
# presence is checked.
[ -s "$samples/Texture/sign.jpg" ] || { echo "samples/Texture/sign.jpg is missing"; status=1; }
exit $status
