#pragma once
// The viewer's one-time OpenGL state, apart from its window so that the
// thumbnailer draws with the same lights and material state.

extern const float g_light0Position[4];

// The fixed part of InitGL: rotation, clear colour, lights, depth test and
// shading, without the textures and the display list.
void InitFixedGLState();
void SetupLights();
