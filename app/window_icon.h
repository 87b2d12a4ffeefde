#pragma once
// The project's icon in the few sizes a window carries, drawn from
// data/lumenspin.svg when the program is built (render_window_icon): the
// contents of _NET_WM_ICON, each picture as its width, its height and then
// its pixels row by row, each 0xAARRGGBB.

#include <cstddef>
#include <cstdint>

extern const uint32_t kWindowIcon[];
extern const size_t kWindowIconLength;
