#pragma once
// The viewer's lights and one-time drawing state, which the thumbnailer
// draws with too: light 0 directional and fixed relative to the viewer,
// lights 1 and 2 positional and fixed in the scene.

extern const float g_light0Position[4];
extern const float g_light1Position[4];
extern const float g_light2Position[4];

// Clear colour, lights, depth test and shading. Needs a current context.
void InitDrawingState();
void SetupLights();
