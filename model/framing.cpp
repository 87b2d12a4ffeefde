#include "model/framing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "model/drawn_model.h"

namespace {

// Outliers are looked for in a histogram of this many bins per axis.
constexpr int kBins = 256;
// Each narrowing shrinks the box a hundredfold at least; this many cover
// every range a float can span.
constexpr int kMaxNarrowings = 40;

constexpr double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

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

// The drawn vertices of one object: those named by a face of two to four
// corners that all lie inside the vertex list, as it is drawn as modelled
// (two corners make a line).
std::vector<bool> DrawnVertices(const ObjectMQO& object) {
  const int vertexCount = object.vertices.size();
  std::vector<bool> drawn(vertexCount, false);
  for (const FaceMQO& face : object.faces) {
    const int corners = DrawnCorners(face, vertexCount);
    if (corners < 2) continue;
    for (int k = 0; k < corners; ++k) drawn[face.vertexIndex[k]] = true;
  }
  return drawn;
}

// The drawn corners in view axes, those inside a box only: of the visible
// objects, each in every mirrored copy. A coordinate the reader took as
// infinite or not a number lies in no box.
class DrawnCornerSet {
 public:
  DrawnCornerSet(const ObjectMQO* objects, int objectCount, const double turn[9]) : turn_(turn) {
    for (int i = 0; i < objectCount; ++i) {
      if (!IsDrawnObject(objects[i])) continue;
      objects_.push_back(&objects[i]);
      drawn_.push_back(DrawnVertices(objects[i]));
      copies_.push_back(MirrorCopies(objects[i]));
    }
  }
  template <typename Visit>
  void ForEach(const Box& box, Visit&& visit) const {
    for (size_t i = 0; i < drawn_.size(); ++i)
      for (const MirrorCopy& copy : copies_[i])
        for (size_t j = 0; j < drawn_[i].size(); ++j) {
          if (!drawn_[i][j]) continue;
          double m[3], p[3];
          copy.Apply(objects_[i]->vertices[j], m);
          for (int a = 0; a < 3; ++a) p[a] = turn_[3 * a] * m[0] + turn_[3 * a + 1] * m[1] + turn_[3 * a + 2] * m[2];
          if (box.Contains(p)) visit(p);
        }
  }

 private:
  const double* turn_;
  std::vector<const ObjectMQO*> objects_;
  std::vector<std::vector<bool>> drawn_;
  std::vector<std::vector<MirrorCopy>> copies_;
};

double HalfDiagonal(const Box& box) {
  double half = 0;
  for (int a = 0; a < 3; ++a) half = std::hypot(half, box.high[a] / 2 - box.low[a] / 2);
  return half;
}

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

void TurnFromAngles(double yawDegrees, double pitchDegrees, double turn[9]) {
  // About Y by -yaw, then about X by pitch.
  const double cy = std::cos(Radians(yawDegrees)), sy = std::sin(Radians(yawDegrees));
  const double cp = std::cos(Radians(pitchDegrees)), sp = std::sin(Radians(pitchDegrees));
  const double rows[9] = {cy, 0, -sy, -sp * sy, cp, -sp * cy, cp * sy, sp, cp * cy};
  std::copy(rows, rows + 9, turn);
}

void TurnFromEye(const double eye[3], double turn[9]) {
  const double length = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
  const double z[3] = {eye[0] / length, eye[1] / length, eye[2] / length};
  // x = up x z, y = z x x, as the camera of gluLookAt has them.
  double x[3] = {z[2], 0, -z[0]};
  const double xLength = std::hypot(x[0], x[2]);
  for (double& c : x) c /= xLength;
  const double y[3] = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
  const double rows[9] = {x[0], x[1], x[2], y[0], y[1], y[2], z[0], z[1], z[2]};
  std::copy(rows, rows + 9, turn);
}

bool FrameModel(const ObjectMQO* objects, int objectCount, const double turn[9], double fieldOfViewDegrees,
                double aspect, double fill, Framing& framing) {
  std::copy(turn, turn + 9, framing.turn);
  const DrawnCornerSet corners(objects, objectCount, framing.turn);
  Box keep, bounds;
  size_t count = Bounds(corners, keep, bounds);
  for (int i = 0; i < kMaxNarrowings && count > 0; ++i) {
    Box narrowed = keep, narrowedBounds;
    if (!NarrowToBulk(corners, bounds, count, narrowed)) break;
    const size_t left = Bounds(corners, narrowed, narrowedBounds);
    // Only far outliers, that would leave the rest smaller than a pixel,
    // are left out; not a corner of a model whose other corners happen to
    // gather on one axis (two of a triangle's).
    if (left == 0 || HalfDiagonal(narrowedBounds) * kBins > HalfDiagonal(bounds)) break;
    keep = narrowed;
    bounds = narrowedBounds;
    count = left;
  }
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

  // The nearest camera distance at which every corner is inside the
  // frustum: a corner at (x, y, z) needs distance >= z + |y| / slope, and
  // z + |x| / (slope * aspect).
  const double slope = std::tan(Radians(fieldOfViewDegrees) / 2) * fill;
  double distance = 0, front = -HUGE_VAL, back = HUGE_VAL;
  corners.ForEach(keep, [&](const double p[3]) {
    double s[3];
    inScene(p, s);
    distance = std::max(distance, s[2] + std::max(std::abs(s[0]) / aspect, std::abs(s[1])) / slope);
    front = std::max(front, s[2]);
    back = std::min(back, s[2]);
  });
  // A model of no size at all (one point) still needs the camera in front of it.
  distance = std::max(distance, front + kSceneRadius);
  framing.distance = distance;
  framing.nearPlane = (distance - front) * 0.9;
  framing.farPlane = (distance - back) * 1.1;

  // Perspective makes the near side larger than the far one: the window is
  // fitted to where the corners land in the frame, not to the box.
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
  FitWindow(low, high, fill, fieldOfViewDegrees, framing);

  // The scene's origin is the box's middle back in model axes (the turn's
  // transpose).
  for (int a = 0; a < 3; ++a)
    framing.centre[a] = turn[a] * middle[0] + turn[3 + a] * middle[1] + turn[6 + a] * middle[2];
  framing.scale = scale;
  return true;
}

void FitWindow(const double low[2], const double high[2], double fill, double fieldOfViewDegrees, Framing& framing) {
  double half = std::max(high[0] - low[0], high[1] - low[1]) / 2 / fill;
  if (!(half > 0)) half = std::tan(Radians(fieldOfViewDegrees) / 2);
  for (int a = 0; a < 2; ++a) {
    const double mid = low[a] / 2 + high[a] / 2;
    framing.window[2 * a] = mid - half;
    framing.window[2 * a + 1] = mid + half;
  }
}
