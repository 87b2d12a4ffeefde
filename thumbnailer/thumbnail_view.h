#pragma once
// The thumbnail's own camera: unlike the viewer's fixed one, it frames the
// model. The model is seen from a fixed three-quarter angle (from the front
// right, above), and the camera distance is chosen so that every drawn
// corner falls inside the picture with a small margin.

#include "mqo/object.h"

constexpr double kThumbnailYawDegrees = 45.0;    // from the front (+Z) towards the right (+X)
constexpr double kThumbnailPitchDegrees = 30.0;  // above the horizon
constexpr double kThumbnailFieldOfViewDegrees = 30.0;  // the viewer's
constexpr double kThumbnailFill = 0.9;  // share of the picture's half-width the model may take

struct ThumbnailView {
  // Column-major model-view matrices. The light frame is the model's frame
  // centred and scaled to about the size of the viewer's scene, so that the
  // viewer's positional lights stand where they stand in the viewer.
  double lightFrame[16];
  double modelFrame[16];
  double nearPlane = 1.0;
  double farPlane = 2.0;
};

// Fits the view to the corners of every face that the display list draws
// (three or four corners, all naming vertices of their object). Returns
// false when there is no such face: nothing would be drawn.
bool FitThumbnailView(const ObjectMQO* objects, int objectCount, ThumbnailView& view);

// Draws one frame of display list 1 into a square viewport of the given side,
// background cleared to transparent black. Needs the fixed state of the
// viewer (InitFixedGLState) and the list.
void DrawThumbnail(const ThumbnailView& view, int pixels);
