#!/usr/bin/env bash
# The sample model in the real viewer: its textures at known places on the
# screen, the alpha-plane cut-out, translucency while a button is held, and
# textures found beside the model when started from another folder.
#   e2e_sample_test.sh BINARY SAMPLES_DIR LSAN_SUPPRESSIONS
set -u
bin=$1 samples=$2
export E2E_LSAN_SUPPRESSIONS=$3
. "$(dirname "$0")/../app/e2e_lib.sh"
e2e_init
e2e_start_xvfb

background="102 102 204"
# Screen places in the 800 x 600 window from the start-up camera, worked out
# from the sample's geometry (samples/make_sample.cpp). The textured
# materials are lit to full white, so the screen shows the texels as they are.
red_tile="316 239"       # the floor picture's top-left tile
green_tile="545 277"     # top-right
blue_tile="236 411"      # bottom-left
yellow_tile="502 464"    # bottom-right
crate_top="321 283"      # BMP: the brace across the crate's top
lattice="330 115"        # TGA between two holes of the alpha plane
hole_top="311 111"       # holes of the alpha plane, the sky behind them
hole_inner="384 153"
sign_bar="529 131"       # JPEG: red bar, letter L, white ground
sign_ink="491 152"
sign_ground="522 157"
plain_face="420 377"     # the pyramid's side without material
glass="256 372"          # translucent pane in front of the crate

# Started from an unrelated folder with a relative path to the model.
cd "$E2E_TMP"
e2e_start "$bin" "$(realpath --relative-to="$E2E_TMP" "$samples/sample.mqo")"
win=$(e2e_wait_window Lumenspin 60) || e2e_fail "no window titled Lumenspin"

# shows FILE X Y R G B: a fresh picture of the window whose pixel (X, Y) is
# that colour; for frames that take a moment to arrive.
shows() {
  e2e_screenshot "$win" "$1"
  e2e_has_near "$1" "$2" "$3" "$4" "$5" "$6" 0
}
# differs FILE X Y R G B: the same, for a pixel that is no longer that colour.
differs() {
  e2e_screenshot "$win" "$1"
  ! e2e_has_near "$1" "$2" "$3" "$4" "$5" "$6" 0
}

shot=$E2E_TMP/sample.png
e2e_retry 30 shows "$shot" $red_tile 255 0 0 || e2e_fail "the floor texture never showed"

e2e_expect_pixel "$shot" $red_tile 255 0 0 2
e2e_expect_pixel "$shot" $green_tile 0 255 0 2
e2e_expect_pixel "$shot" $blue_tile 0 0 255 2
e2e_expect_pixel "$shot" $yellow_tile 255 255 0 2
e2e_expect_pixel "$shot" $crate_top 90 55 25 3
e2e_expect_pixel "$shot" $lattice 234 144 56 4
e2e_expect_pixel "$shot" $hole_top $background
e2e_expect_pixel "$shot" $hole_inner $background
e2e_expect_pixel "$shot" $sign_bar 220 30 30 30
e2e_expect_pixel "$shot" $sign_ink 20 40 140 30
e2e_expect_pixel "$shot" $sign_ground 250 250 250 12
e2e_expect_near "$shot" $plain_face 255 255 255 3
opaque=$(e2e_pixel "$shot" $glass)

# While the left button is held the model is blended with what lies behind.
xdotool mousemove --window "$win" 790 590 mousedown 1
held=$E2E_TMP/held.png
e2e_retry 20 differs "$held" $glass $opaque
xdotool mouseup 1
blended=$(e2e_pixel "$held" $glass)
set -- $opaque $blended
[ $(( ($1 - $4) * ($1 - $4) + ($2 - $5) * ($2 - $5) + ($3 - $6) * ($3 - $6) > 400 )) -eq 1 ] ||
  e2e_fail "the glass looks the same with the button held ($opaque, then $blended)"
e2e_expect_pixel "$held" $hole_top $background

released=$E2E_TMP/released.png
e2e_retry 20 shows "$released" $glass $opaque || e2e_fail "the glass stayed blended after the release"
e2e_expect_pixel "$released" $red_tile 255 0 0 2

e2e_focus "$win"
xdotool key q
e2e_wait_exit 20
[ "$E2E_STATUS" -eq 0 ] || e2e_fail "exit status $E2E_STATUS after q"
if grep -qE "Can't open|not supported|Error|EOF" "$E2E_OUT"; then e2e_fail "the sample did not load cleanly"; fi
if grep -q "Sanitizer" "$E2E_ERR"; then e2e_fail "sanitizer report"; fi
echo "sample model: OK"
