#include "mqo/polygon_splitter.h"

#include <algorithm>
#include <cmath>

namespace {

// Cutting off an ear changes only its two neighbours, so the ear marks stay
// right as long as only ears are cut. Once no marked corner is an ear, all
// marks are worked out afresh (O(n^2)), at most this many times an outline:
// after that a corner cut without being an ear only updates its neighbours.
constexpr int kMaxRecounts = 2;

}  // namespace

double PolygonSplitter::Turn(int i) const {
  const Corner& b = corners_[i];
  const Corner& a = corners_[b.prev];
  const Corner& c = corners_[b.next];
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

void PolygonSplitter::Update(int i) {
  Corner& c = corners_[i];
  if (Turn(i) > 0) {
    Unlist(i);
  } else if (c.slot < 0) {
    c.slot = static_cast<int>(reflex_.size());
    reflex_.push_back(i);
  }
}

void PolygonSplitter::Unlist(int i) {
  Corner& c = corners_[i];
  if (c.slot < 0) return;
  const int last = reflex_.back();
  reflex_[c.slot] = last;
  corners_[last].slot = c.slot;
  reflex_.pop_back();
  c.slot = -1;
}

// Convex, and no other corner inside its triangle or on its sides. Only
// corners that are not convex can lie there when the outline is simple. A
// corner at the same place as one of the three (a bridge into a hole comes
// back through the same points) does not count.
bool PolygonSplitter::IsEar(int i) {
  ++steps_;
  const Corner& b = corners_[i];
  if (b.slot >= 0) return false;
  const Corner& a = corners_[b.prev];
  const Corner& c = corners_[b.next];
  const double left = std::min({a.x, b.x, c.x}), right = std::max({a.x, b.x, c.x});
  const double bottom = std::min({a.y, b.y, c.y}), top = std::max({a.y, b.y, c.y});
  const auto turnsLeft = [](const Corner& p, const Corner& q, const Corner& r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x) >= 0;
  };
  const auto same = [](const Corner& p, const Corner& q) { return p.x == q.x && p.y == q.y; };
  for (int j : reflex_) {
    ++steps_;
    const Corner& p = corners_[j];
    if (p.x < left || p.x > right || p.y < bottom || p.y > top) continue;
    if (j == b.prev || j == b.next || same(p, a) || same(p, b) || same(p, c)) continue;
    if (turnsLeft(a, b, p) && turnsLeft(b, c, p) && turnsLeft(c, a, p)) return false;
  }
  return true;
}

void PolygonSplitter::Remove(int i) {
  Unlist(i);
  Corner& c = corners_[i];
  corners_[c.prev].next = c.next;
  corners_[c.next].prev = c.prev;
  c.prev = c.next = -1;
}

const std::vector<int>& PolygonSplitter::Split(const VertexMQO* positions, int n) {
  pieces_.clear();
  steps_ = 0;
  corners_.clear();
  reflex_.clear();
  if (n < 3) return pieces_;

  // Newell's normal: each component is twice the outline's signed area seen
  // along that axis. Relative to corner 0 for precision far from the origin,
  // the differences taken in double, which holds them exactly unless the
  // coordinates differ hugely in size: in float they round, and a corner
  // that turns right by a hair could seem to turn left.
  const VertexMQO& o = positions[0];
  const auto relative = [&o](const VertexMQO& p, double d[3]) {
    d[0] = static_cast<double>(p.x) - o.x;
    d[1] = static_cast<double>(p.y) - o.y;
    d[2] = static_cast<double>(p.z) - o.z;
  };
  double normal[3] = {0, 0, 0};
  for (int i = 0; i < n; ++i) {
    double p[3], q[3];
    relative(positions[i], p);
    relative(positions[i + 1 < n ? i + 1 : 0], q);
    normal[0] += (p[1] - q[1]) * (p[2] + q[2]);
    normal[1] += (p[2] - q[2]) * (p[0] + q[0]);
    normal[2] += (p[0] - q[0]) * (p[1] + q[1]);
  }
  // Seen along the largest component the outline has its largest area; the
  // plane's two other axes, taken in cyclic order, give its 2D corners.
  int axis = 2;
  if (std::fabs(normal[0]) > std::fabs(normal[2]) && std::fabs(normal[0]) >= std::fabs(normal[1]))
    axis = 0;
  else if (std::fabs(normal[1]) > std::fabs(normal[2]))
    axis = 1;
  const double flip = normal[axis] < 0 ? -1 : 1;
  corners_.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    double p[3];
    relative(positions[i], p);
    corners_[i] = Corner{p[(axis + 1) % 3], flip * p[(axis + 2) % 3], i == 0 ? n - 1 : i - 1, i + 1 < n ? i + 1 : 0,
                         -1, false};
  }
  for (int i = 0; i < n; ++i) Update(i);
  for (int i = 0; i < n; ++i) corners_[i].ear = IsEar(i);

  int left = n, at = 0, recounts = 0;
  bool fresh = true;  // the marks were worked out since the last cut
  while (left > 3) {
    int cut = -1;
    for (int k = 0, i = at; k < left && cut < 0; ++k, i = corners_[i].next) {
      ++steps_;
      if (!corners_[i].ear) continue;
      if (IsEar(i))
        cut = i;
      else
        corners_[i].ear = false;
    }
    if (cut < 0 && !fresh && recounts < kMaxRecounts) {
      ++recounts;
      fresh = true;
      for (int k = 0, i = at; k < left; ++k, i = corners_[i].next) Update(i);
      for (int k = 0, i = at; k < left; ++k, i = corners_[i].next) corners_[i].ear = IsEar(i);
      continue;
    }
    bool piece = true;
    if (cut < 0) {
      // No ear: an outline that crosses itself or folds back on itself.
      int convex = -1;
      for (int k = 0, i = at; k < left && cut < 0; ++k, i = corners_[i].next) {
        ++steps_;
        const double turn = Turn(i);
        if (turn == 0) {
          cut = i;
          piece = false;  // no area to cover
        } else if (turn > 0 && convex < 0) {
          convex = i;
        }
      }
      if (cut < 0) cut = convex >= 0 ? convex : at;
    }
    const int prev = corners_[cut].prev, next = corners_[cut].next;
    if (piece) pieces_.insert(pieces_.end(), {prev, cut, next});
    Remove(cut);
    --left;
    Update(prev);
    Update(next);
    corners_[prev].ear = IsEar(prev);
    corners_[next].ear = IsEar(next);
    at = next;
    fresh = false;
  }
  pieces_.insert(pieces_.end(), {corners_[at].prev, at, corners_[at].next});
  return pieces_;
}
