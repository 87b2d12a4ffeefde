#pragma once
// The thumbnail's own camera: unlike the viewer's fixed one, it frames the
// model. The model is seen from a fixed three-quarter angle (from the front
// right, above), and the frustum is fitted to the projected extent of the
// drawn corners, centred, with the same small margin on either side.

#include "model/framing.h"
#include "model/view_projection.h"
#include "mqo/object.h"
#include "thumbnailer/embedded_picture.h"

constexpr double kThumbnailYawDegrees = 45.0;    // from the front (+Z) towards the right (+X)
constexpr double kThumbnailPitchDegrees = 30.0;  // above the horizon
constexpr double kThumbnailFieldOfViewDegrees = kFieldOfViewDegrees;  // the viewer's
constexpr double kThumbnailFill = 0.9;  // share of the picture's side the model may take

// The framing (model/framing.h) of the model in a square picture, its
// window an off-centre frustum. The scene is about the size of the viewer's,
// so that the viewer's positional lights stand where they stand in the
// viewer.
struct ThumbnailView : Framing {
  double lightFrame[16];  // column-major model-view matrix of the scene
  // The document's own picture (ReadThumbnailModel finds it), shown instead
  // of the drawing only when nothing visible can be drawn: the modeller's
  // view at save time is often an empty square or a close-up with its
  // handles, and its opaque background differs from every drawn thumbnail.
  EmbeddedPicture embedded;
  bool drawable = true;  // false when no corner could be framed

  void ToScene(const VertexMQO& v, double out[3]) const { Framing::ToScene(v.x, v.y, v.z, out); }
};

// Frames the drawn corners of the model as modelled: visible objects and
// their mirrored halves, faces of three or four corners that all name
// vertices of their object, and lines of two. Returns false when no corner is left: nothing
// would be drawn.
bool FitThumbnailView(const ObjectMQO* objects, int objectCount, ThumbnailView& view);

// Fits the frustum anew around the samples drawn in a frame of the given
// side (depth as glReadPixels gives it, nearer than 1 where drawn), when
// they stand off from where the corners were framed: alpha can cut away
// the outer parts of a model. Not when they touch the picture's border.
// Returns true when the view changed.
bool RefitToDrawn(const float* depth, int pixels, ThumbnailView& view);

// Sets a square viewport of the given side, cleared to transparent black,
// the view's projection and model-view matrices and the viewer's lights 1
// and 2 in the scene. Needs the fixed drawing state (InitDrawingState).
void SetThumbnailCamera(const ThumbnailView& view, int pixels);

// One frame of the model in the thumbnail's camera (thumbnail_faces.cpp).
void DrawThumbnail(const ThumbnailView& view, int pixels);
