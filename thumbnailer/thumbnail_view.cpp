#include "thumbnailer/thumbnail_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "app/frame.h"
#include "model/display_list.h"
#include "thumbnailer/thumbnail_faces.h"

namespace {

// Half the diagonal of the model's box once scaled: about the size of what
// the viewer shows at its start, where its lights were placed.
constexpr double kSceneRadius = 75.0;

// Outliers are looked for in a histogram of this many bins per axis.
constexpr int kBins = 256;
// Each narrowing shrinks the box a hundredfold at least; this many cover
// every range a float can span.
constexpr int kMaxNarrowings = 40;

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

struct Box {
  static constexpr double kLargest = std::numeric_limits<double>::max();
  double low[3] = {-kLargest, -kLargest, -kLargest};
  double high[3] = {kLargest, kLargest, kLargest};
  bool Contains(const double p[3]) const {
    for (int a = 0; a < 3; ++a)
      if (!(p[a] >= low[a] && p[a] <= high[a])) return false;
    return true;
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

// The drawn corners in view axes, those inside a box only. A coordinate the
// reader took as infinite or not a number lies in no box.
class DrawnCornerSet {
 public:
  DrawnCornerSet(const ObjectMQO* objects, int objectCount) : objects_(objects) {
    for (int i = 0; i < objectCount; ++i) drawn_.push_back(DrawnVertices(objects[i]));
  }
  template <typename Visit>
  void ForEach(const Box& box, Visit&& visit) const {
    for (size_t i = 0; i < drawn_.size(); ++i)
      for (size_t j = 0; j < drawn_[i].size(); ++j) {
        if (!drawn_[i][j]) continue;
        double p[3];
        turn_.Apply(objects_[i].vertices[j], p);
        if (box.Contains(p)) visit(p);
      }
  }
  const Turn& turn() const { return turn_; }

 private:
  const ObjectMQO* objects_;
  std::vector<std::vector<bool>> drawn_;
  Turn turn_;
};

// The bounds of the corners inside keep, and their count.
size_t Bounds(const DrawnCornerSet& corners, const Box& keep, Box& bounds) {
  size_t count = 0;
  for (int a = 0; a < 3; ++a) {
    bounds.low[a] = HUGE_VAL;
    bounds.high[a] = -HUGE_VAL;
  }
  corners.ForEach(keep, [&](const double p[3]) {
    ++count;
    for (int a = 0; a < 3; ++a) {
      bounds.low[a] = std::min(bounds.low[a], p[a]);
      bounds.high[a] = std::max(bounds.high[a], p[a]);
    }
  });
  return count;
}

// Narrows keep to the bulk of the corners when a few far-off ones would
// shrink it below a pixel: on some axis, more than half the corners lie in
// at most two adjacent bins of the histogram, and no other corner comes
// nearer to them than a quarter of the extent. A model with a small dense
// part (an eye of many vertices on a plain body) is not narrowed, since its
// other corners lie near the dense part. Returns false when nothing is
// narrowed.
bool NarrowToBulk(const DrawnCornerSet& corners, const Box& bounds, size_t count, Box& keep) {
  std::vector<std::array<size_t, kBins>> bins(3);
  for (auto& axis : bins) axis.fill(0);
  double width[3];
  for (int a = 0; a < 3; ++a) width[a] = (bounds.high[a] - bounds.low[a]) / kBins;
  auto binOf = [&](int a, double value) {
    return std::clamp(static_cast<int>((value - bounds.low[a]) / width[a]), 0, kBins - 1);
  };
  corners.ForEach(keep, [&](const double p[3]) {
    for (int a = 0; a < 3; ++a)
      if (width[a] > 0) ++bins[a][binOf(a, p[a])];
  });
  for (int a = 0; a < 3; ++a) {
    if (!(width[a] > 0)) continue;
    const std::array<size_t, kBins>& n = bins[a];
    int median = 0;  // the bin of the middle corner
    for (size_t seen = n[0]; 2 * seen < count && median < kBins - 1;) seen += n[++median];
    int first = median, last = median;
    while (first > 0 && n[first - 1] > 0) --first;
    while (last < kBins - 1 && n[last + 1] > 0) ++last;
    size_t inside = 0;
    for (int b = first; b <= last; ++b) inside += n[b];
    if (last - first > 1 || 2 * inside <= count) continue;
    int below = first - 1, above = last + 1;
    while (below >= 0 && n[below] == 0) --below;
    while (above < kBins && n[above] == 0) ++above;
    if ((below >= 0 && first - below < kBins / 4) || (above < kBins && above - last < kBins / 4)) continue;
    // Half a bin of slack either side still lies within the empty gap.
    keep.low[a] = bounds.low[a] + (first - 0.5) * width[a];
    keep.high[a] = bounds.low[a] + (last + 1.5) * width[a];
    return true;
  }
  return false;
}

}  // namespace

bool FitThumbnailView(const ObjectMQO* objects, int objectCount, ThumbnailView& view) {
  const DrawnCornerSet corners(objects, objectCount);
  Box keep, bounds;
  size_t count = Bounds(corners, keep, bounds);
  for (int i = 0; i < kMaxNarrowings && count > 0 && NarrowToBulk(corners, bounds, count, keep); ++i)
    count = Bounds(corners, keep, bounds);
  if (count == 0) return false;

  // The box's middle goes to the scene's origin.
  double middle[3], halfDiagonal = 0;
  for (int a = 0; a < 3; ++a) {
    middle[a] = bounds.low[a] / 2 + bounds.high[a] / 2;
    halfDiagonal = std::hypot(halfDiagonal, bounds.high[a] / 2 - bounds.low[a] / 2);
  }
  const double scale = halfDiagonal > 0 && std::isfinite(halfDiagonal) ? kSceneRadius / halfDiagonal : 1.0;
  auto inScene = [&](const double p[3], double out[3]) {
    for (int a = 0; a < 3; ++a) out[a] = (p[a] - middle[a]) * scale;
  };

  // The nearest camera distance at which every corner is inside a centred
  // frustum: a corner at (x, y, z) needs distance >= z + max(|x|, |y|) / slope.
  const double slope = std::tan(Radians(kThumbnailFieldOfViewDegrees) / 2) * kThumbnailFill;
  double distance = 0, front = -HUGE_VAL, back = HUGE_VAL;
  corners.ForEach(keep, [&](const double p[3]) {
    double s[3];
    inScene(p, s);
    distance = std::max(distance, s[2] + std::max(std::abs(s[0]), std::abs(s[1])) / slope);
    front = std::max(front, s[2]);
    back = std::min(back, s[2]);
  });
  // A model of no size at all (one point) still needs the camera in front of it.
  distance = std::max(distance, front + kSceneRadius);
  view.nearPlane = (distance - front) * 0.9;
  view.farPlane = (distance - back) * 1.1;

  // Perspective makes the near side larger than the far one: the frustum is
  // fitted to where the corners land in the picture, not to the box.
  double low[2] = {HUGE_VAL, HUGE_VAL}, high[2] = {-HUGE_VAL, -HUGE_VAL};
  corners.ForEach(keep, [&](const double p[3]) {
    double s[3];
    inScene(p, s);
    for (int a = 0; a < 2; ++a) {
      const double projected = s[a] / (distance - s[2]);
      low[a] = std::min(low[a], projected);
      high[a] = std::max(high[a], projected);
    }
  });
  FitWindow(low, high, view);

  // lightFrame = translate(0, 0, -distance) * turn; the scene's origin is
  // the box's middle back in model axes (the turn's transpose).
  const double* m = corners.turn().m;
  const double light[16] = {m[0], m[3], m[6], 0, m[1], m[4], m[7], 0, m[2], m[5], m[8], 0, 0, 0, -distance, 1};
  std::copy(light, light + 16, view.lightFrame);
  for (int a = 0; a < 3; ++a) view.centre[a] = m[a] * middle[0] + m[3 + a] * middle[1] + m[6 + a] * middle[2];
  view.scale = scale;
  return true;
}

void FitWindow(const double low[2], const double high[2], ThumbnailView& view) {
  double half = std::max(high[0] - low[0], high[1] - low[1]) / 2 / kThumbnailFill;
  if (!(half > 0)) half = std::tan(Radians(kThumbnailFieldOfViewDegrees) / 2);
  for (int a = 0; a < 2; ++a) {
    const double mid = low[a] / 2 + high[a] / 2;
    view.window[2 * a] = mid - half;
    view.window[2 * a + 1] = mid + half;
  }
}

bool RefitToDrawn(const float* depth, int pixels, ThumbnailView& view) {
  int first[2] = {pixels, pixels}, last[2] = {-1, -1};  // drawn columns, rows
  for (int y = 0; y < pixels; ++y)
    for (int x = 0; x < pixels; ++x)
      if (depth[static_cast<size_t>(y) * pixels + x] < 1.0f) {
        first[0] = std::min(first[0], x), last[0] = std::max(last[0], x);
        first[1] = std::min(first[1], y), last[1] = std::max(last[1], y);
      }
  // Nothing drawn, or something reaching out of the picture: a far-off
  // corner left out of the frame, whose face would only pull it outwards.
  if (last[0] < 0 || std::min(first[0], first[1]) == 0 || std::max(last[0], last[1]) == pixels - 1) return false;
  double low[2], high[2];
  const double sample = (view.window[1] - view.window[0]) / pixels;  // the window is square
  for (int a = 0; a < 2; ++a) {
    low[a] = view.window[2 * a] + first[a] * sample;
    high[a] = view.window[2 * a] + (last[a] + 1) * sample;
  }
  ThumbnailView refit = view;
  FitWindow(low, high, refit);
  // Rasterising leaves the drawn edge within a sample of the corners; only
  // what the alpha cuts away moves it further.
  bool moved = false;
  for (int i = 0; i < 4; ++i) moved = moved || std::abs(refit.window[i] - view.window[i]) > 2 * sample;
  if (moved) std::copy(refit.window, refit.window + 4, view.window);
  return moved;
}

void SetThumbnailCamera(const ThumbnailView& view, int pixels) {
  glViewport(0, 0, pixels, pixels);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double n = view.nearPlane;
  glFrustum(view.window[0] * n, view.window[1] * n, view.window[2] * n, view.window[3] * n, n, view.farPlane);
  glMatrixMode(GL_MODELVIEW);
  // Lights 1 and 2 stand still in the scene, as in the viewer's frame; light
  // 0 was placed relative to the camera by the fixed state.
  glLoadMatrixd(view.lightFrame);
  glLightfv(GL_LIGHT1, GL_POSITION, g_light1Position);
  glLightfv(GL_LIGHT2, GL_POSITION, g_light2Position);
}

void DrawThumbnail(const ThumbnailView& view, int pixels) {
  SetThumbnailCamera(view, pixels);
  DrawThumbnailFaces(view);
}
