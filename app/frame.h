#pragma once
// Drawing of one frame: camera, the two positional lights with a white marker
// each, the axis gizmo that shows the held mouse buttons, and the model
// (display list 1) under the view's rotation, pan and zoom.

#include "model/framing.h"
#include "render/scene_lights.h"

extern const double g_cameraEye[3];
extern const double g_cameraCenter[3];
extern const double g_cameraUp[3];

// The pan expressed in the model's turned frame: the transpose of the
// rotation part of the column-major matrix times the pan.
void PanInModelFrame(const double rotation[16], const float pan[3], float out[3]);

void OnDisplay();  // GLUT display callback; reads g_view, changes nothing in it

// The model as modelled placed into this frame's fixed view: seen from the
// camera, centred on the look-at point, and scaled so that at the view's
// first zoom it fills most of the first window, whatever its own size. The
// lights, keys and drags then act on every model as on one of the scene's
// size. False, with the framing left alone, when nothing would be drawn.
bool FrameViewerModel(Framing& framing);
// The side, in pixels, of the corner where the axis indicator of the model
// as modelled stands (bottom left).
constexpr int kAxisIndicatorSide = 96;
