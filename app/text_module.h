#pragma once
// What the viewer and its text module (lumenspin-text.so, the only part of
// the viewer that links Pango and Cairo) call each other by.

constexpr const char* kTextModule = "lumenspin-text.so";
constexpr const char* kRenderTextPanelEntry = "LumenspinRenderTextPanel";

// Lays out text (UTF-8; bytes that are not are replaced) in white on a dark,
// translucent panel with rounded corners: the first line bold, as a title;
// a tab parts a line's two columns, the second column aligned on all lines.
// Lines wider than maxWidth pixels wrap. Returns the panel's pixels, RGBA
// with the colour premultiplied by alpha, rows from the top, owned by the
// module and valid until the next call; nullptr when it cannot be drawn.
using RenderTextPanel = const unsigned char* (*)(const char* text, int maxWidth, int* width, int* height);
