#pragma once
// An OpenGL context without any display server, for drawing thumbnails: Mesa
// through EGL on its surfaceless platform, drawing into a pbuffer.

#include <string>

// Creates the context with a width x height pbuffer (8-bit RGBA, a depth
// buffer) and makes it current. The context is a compatibility one, so the
// fixed-function pipeline of the viewer works in it. On failure returns false
// and says why in error.
bool CreateHeadlessContext(int width, int height, std::string& error);
// Releases the context, the pbuffer and the EGL display.
void DestroyHeadlessContext();
