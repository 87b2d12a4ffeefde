#pragma once
// The thumbnail's own camera: unlike the viewer's fixed one, it frames the
// model. The model is seen from a fixed three-quarter angle (from the front
// right, above), and the frustum is fitted to the projected extent of the
// drawn corners, centred, with the same small margin on either side.

#include "mqo/object.h"
#include "thumbnailer/embedded_picture.h"

constexpr double kThumbnailYawDegrees = 45.0;    // from the front (+Z) towards the right (+X)
constexpr double kThumbnailPitchDegrees = 30.0;  // above the horizon
constexpr double kThumbnailFieldOfViewDegrees = 30.0;  // the viewer's
constexpr double kThumbnailFill = 0.9;  // share of the picture's side the model may take

struct ThumbnailView {
  // The scene is the model moved so that the middle of its drawn corners
  // lies at the origin and scaled to about the size of the viewer's scene,
  // so that the viewer's positional lights stand where they stand in the
  // viewer. Vertices are brought into the scene in double precision before
  // OpenGL sees them: a model far from its origin or of a tiny size keeps
  // its shape in OpenGL's floats.
  double centre[3] = {0, 0, 0};
  double scale = 1.0;
  double lightFrame[16];  // column-major model-view matrix of the scene
  double nearPlane = 1.0;
  double farPlane = 2.0;
  // The frustum's left, right, bottom and top edges at distance 1.
  double window[4] = {-1, 1, -1, 1};
  // The document's own picture, shown instead of the drawing when a texture
  // it names cannot be read (ReadThumbnailModel finds it).
  EmbeddedPicture embedded;

  void ToScene(const VertexMQO& v, double out[3]) const {
    out[0] = (v.x - centre[0]) * scale;
    out[1] = (v.y - centre[1]) * scale;
    out[2] = (v.z - centre[2]) * scale;
  }
};

// Fits the view to the corners of every face that the display list draws
// (three or four corners, all naming vertices of their object), leaving out
// corners that are not finite and far-off outliers that would leave most of
// the model below a pixel. Returns false when no corner is left: nothing
// would be drawn.
bool FitThumbnailView(const ObjectMQO* objects, int objectCount, ThumbnailView& view);

// Fits the view's frustum around an extent at distance 1 (x then y), centred,
// its longer side kThumbnailFill of the picture's side.
void FitWindow(const double low[2], const double high[2], ThumbnailView& view);

// Fits the frustum anew around the samples drawn in a frame of the given
// side (depth as glReadPixels gives it, nearer than 1 where drawn), when
// they stand off from where the corners were framed: alpha can cut away
// the outer parts of a model. Not when they touch the picture's border.
// Returns true when the view changed.
bool RefitToDrawn(const float* depth, int pixels, ThumbnailView& view);

// Sets a square viewport of the given side, cleared to transparent black,
// the view's projection and model-view matrices and the viewer's lights 1
// and 2 in the scene. Needs the fixed state of the viewer (InitFixedGLState).
void SetThumbnailCamera(const ThumbnailView& view, int pixels);

// One frame of the model in the thumbnail's camera (thumbnail_faces.cpp).
void DrawThumbnail(const ThumbnailView& view, int pixels);
