#include "thumbnailer/thumbnail_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "app/frame.h"
#include "model/display_list.h"

namespace {

// Half the diagonal of the model's box once scaled: about the size of what
// the viewer shows at its start, where its lights were placed.
constexpr double kSceneRadius = 75.0;

constexpr double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// The fixed turn from model axes to view axes (x right, y up, z towards the
// camera): about Y by -yaw, then about X by pitch. Row-major 3 x 3.
struct Turn {
  double m[9];
  Turn() {
    const double cy = std::cos(Radians(kThumbnailYawDegrees)), sy = std::sin(Radians(kThumbnailYawDegrees));
    const double cp = std::cos(Radians(kThumbnailPitchDegrees)), sp = std::sin(Radians(kThumbnailPitchDegrees));
    const double rows[9] = {cy, 0, -sy, -sp * sy, cp, -sp * cy, cp * sy, sp, cp * cy};
    std::copy(rows, rows + 9, m);
  }
  void Apply(const VertexMQO& v, double out[3]) const {
    for (int i = 0; i < 3; ++i) out[i] = m[3 * i] * v.x + m[3 * i + 1] * v.y + m[3 * i + 2] * v.z;
  }
};

// The drawn vertices of one object: those named by a face of three or four
// corners that all lie inside the vertex list, as the display list draws it.
std::vector<bool> DrawnVertices(const ObjectMQO& object) {
  const int vertexCount = object.vertices.size();
  std::vector<bool> drawn(vertexCount, false);
  for (const FaceMQO& face : object.faces) {
    // A polygon of fewer than three corners covers no pixel.
    const int corners = DrawnCorners(face, vertexCount);
    if (corners < 3) continue;
    for (int k = 0; k < corners; ++k) drawn[face.vertexIndex[k]] = true;
  }
  return drawn;
}

template <typename Visit>
void ForEachDrawnVertex(const ObjectMQO* objects, int objectCount, const std::vector<std::vector<bool>>& drawn,
                        const Turn& turn, Visit&& visit) {
  for (int i = 0; i < objectCount; ++i) {
    for (size_t j = 0; j < drawn[i].size(); ++j) {
      if (!drawn[i][j]) continue;
      double p[3];
      turn.Apply(objects[i].vertices[j], p);
      // A coordinate the reader took as infinite or not a number would
      // make the whole frame meaningless; such corners are not framed.
      if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2])) visit(p);
    }
  }
}

// out = a * b, column-major 4 x 4.
void Multiply(const double a[16], const double b[16], double out[16]) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[4 * k + r] * b[4 * c + k];
      out[4 * c + r] = sum;
    }
}

}  // namespace

bool FitThumbnailView(const ObjectMQO* objects, int objectCount, ThumbnailView& view) {
  const Turn turn;
  std::vector<std::vector<bool>> drawn;
  for (int i = 0; i < objectCount; ++i) drawn.push_back(DrawnVertices(objects[i]));

  // The model's box in view axes; its middle goes to the middle of the picture.
  double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  ForEachDrawnVertex(objects, objectCount, drawn, turn, [&](const double p[3]) {
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], p[a]);
      high[a] = std::max(high[a], p[a]);
    }
  });
  if (low[0] > high[0]) return false;
  double middle[3], halfDiagonal = 0;
  for (int a = 0; a < 3; ++a) {
    middle[a] = low[a] / 2 + high[a] / 2;
    halfDiagonal = std::hypot(halfDiagonal, high[a] / 2 - low[a] / 2);
  }
  const double scale = halfDiagonal > 0 && std::isfinite(halfDiagonal) ? kSceneRadius / halfDiagonal : 1.0;

  // The nearest camera distance at which every corner is inside the frustum:
  // a corner at (x, y, z) needs distance >= z + max(|x|, |y|) / tan(half angle).
  const double slope = std::tan(Radians(kThumbnailFieldOfViewDegrees) / 2) * kThumbnailFill;
  double distance = 0, front = -HUGE_VAL, back = HUGE_VAL;
  ForEachDrawnVertex(objects, objectCount, drawn, turn, [&](const double p[3]) {
    const double x = (p[0] - middle[0]) * scale, y = (p[1] - middle[1]) * scale, z = (p[2] - middle[2]) * scale;
    distance = std::max(distance, z + std::max(std::abs(x), std::abs(y)) / slope);
    front = std::max(front, z);
    back = std::min(back, z);
  });
  // A model of no size at all (one point) still needs the camera in front of it.
  distance = std::max(distance, front + kSceneRadius);
  view.nearPlane = (distance - front) * 0.9;
  view.farPlane = (distance - back) * 1.1;

  // lightFrame = translate(0, 0, -distance) * turn;
  // modelFrame = lightFrame * scale * translate(-middle in model axes).
  const double* m = turn.m;
  const double light[16] = {m[0], m[3], m[6], 0, m[1], m[4], m[7], 0, m[2], m[5], m[8], 0, 0, 0, -distance, 1};
  std::copy(light, light + 16, view.lightFrame);
  double centre[3];  // the box's middle back in model axes (the turn's transpose)
  for (int a = 0; a < 3; ++a) centre[a] = m[a] * middle[0] + m[3 + a] * middle[1] + m[6 + a] * middle[2];
  const double place[16] = {scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale, 0,
                            -scale * centre[0], -scale * centre[1], -scale * centre[2], 1};
  Multiply(light, place, view.modelFrame);
  return true;
}

void DrawThumbnail(const ThumbnailView& view, int pixels) {
  glViewport(0, 0, pixels, pixels);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double half = view.nearPlane * std::tan(Radians(kThumbnailFieldOfViewDegrees) / 2);
  glFrustum(-half, half, -half, half, view.nearPlane, view.farPlane);
  glMatrixMode(GL_MODELVIEW);
  // Lights 1 and 2 stand still in the scene, as in the viewer's frame; light
  // 0 was placed relative to the camera by the fixed state.
  glLoadMatrixd(view.lightFrame);
  glLightfv(GL_LIGHT1, GL_POSITION, g_light1Position);
  glLightfv(GL_LIGHT2, GL_POSITION, g_light2Position);
  glLoadMatrixd(view.modelFrame);
  glCallList(1);
}
