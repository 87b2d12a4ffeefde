#pragma once
// Framing a model: the corners that are drawn (of visible objects and their
// mirrored halves; not those that are not finite, nor far-off outliers that
// would leave the rest of the model smaller than a pixel), seen along a
// fixed direction, are moved to the scene's origin and scaled, and the
// camera is placed as near as it may stand with all of them in view. The
// thumbnail is framed so, and the viewer's first view of a model shown as
// modelled. No OpenGL.

#include "mqo/object.h"

struct Framing {
  double turn[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // row-major: model to view axes (x right, y up, z to the camera)
  double centre[3] = {0, 0, 0};                  // the model point at the scene's origin, in model axes
  double scale = 1.0;   // scene units per model unit
  double distance = 1;  // from the camera to the scene's origin, in scene units
  double nearPlane = 1.0;
  double farPlane = 2.0;
  // The extent of the projected corners, left, right, bottom and top at
  // distance 1, widened so that its longer side takes `fill` of the frame.
  double window[4] = {-1, 1, -1, 1};

  // A model point in the scene, in double precision: a model far from its
  // origin or of a tiny size keeps its shape in OpenGL's floats.
  void ToScene(double x, double y, double z, double out[3]) const {
    out[0] = (x - centre[0]) * scale;
    out[1] = (y - centre[1]) * scale;
    out[2] = (z - centre[2]) * scale;
  }
};

// Half the diagonal of the framed box in the scene: about the size of what
// the viewer shows at its start, where its lights were placed.
constexpr double kSceneRadius = 75.0;

// The turn of a camera that looks from (yaw degrees from the front, +Z,
// towards the right, +X; pitch degrees above the horizon) at the origin.
void TurnFromAngles(double yawDegrees, double pitchDegrees, double turn[9]);
// The turn of a camera at eye looking at the origin, up being +Y.
void TurnFromEye(const double eye[3], double turn[9]);

// Frames the drawn corners of the objects seen through turn, with a
// symmetric field of view (vertical, degrees) of a frame `aspect` times as
// wide as high, the model taking `fill` of it. Returns false when no corner
// is left: nothing would be drawn.
bool FrameModel(const ObjectMQO* objects, int objectCount, const double turn[9], double fieldOfViewDegrees,
                double aspect, double fill, Framing& framing);

// Sets the window around an extent at distance 1 (x then y), centred, its
// longer side `fill` of a square frame.
void FitWindow(const double low[2], const double high[2], double fill, double fieldOfViewDegrees, Framing& framing);
