#pragma once
// Drawing of one frame: camera, the two positional lights with a white marker
// each, the axis gizmo that shows the held mouse buttons, and the model
// (display list 1) under the view's rotation, pan and zoom.

extern const double g_cameraEye[3];
extern const double g_cameraCenter[3];
extern const double g_cameraUp[3];
extern const float g_light1Position[4];
extern const float g_light2Position[4];

// The pan expressed in the model's turned frame: the transpose of the
// rotation part of the column-major matrix times the pan.
void PanInModelFrame(const double rotation[16], const float pan[3], float out[3]);

void OnDisplay();  // GLUT display callback; reads g_view, changes nothing in it
// Three arrows through the current origin along +Y, +Z and +X, each red
// while its button is held (right, middle, left) and blue otherwise.
void DrawAxisGizmo(float radius, float halfLength);
// One arrow along the current +Y axis in the current colour. Leaves the
// model-view matrix moved, so callers wrap it in a push and pop.
void DrawArrow(float radius, float halfLength);
