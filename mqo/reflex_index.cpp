#include "mqo/reflex_index.h"

#include <algorithm>
#include <cmath>

namespace {

// Places a box holds before it is halved: few enough that testing them all
// costs about as much as testing two more boxes.
constexpr int kLeaf = 8;

// Up to this many corners the places are neither merged nor put in a tree:
// one box of them all is cheaper to search than the tree is to build, and
// most faces are that small.
constexpr int kFlat = 32;

}  // namespace

struct ReflexIndex::Triangle {
  Point a, b, c;
  double left, bottom, right, top;

  Triangle(const Point& pa, const Point& pb, const Point& pc)
      : a(pa),
        b(pb),
        c(pc),
        left(std::min(a.x, std::min(b.x, c.x))),
        bottom(std::min(a.y, std::min(b.y, c.y))),
        right(std::max(a.x, std::max(b.x, c.x))),
        top(std::max(a.y, std::max(b.y, c.y))) {}

  // False when the box lies wholly outside the triangle's bounding box or
  // wholly right of one of its sides: a long thin triangle, as a fan across
  // a comb makes, passes near few of the boxes its bounding box meets.
  bool Meets(const Box& box) const {
    if (box.right < left || box.left > right || box.top < bottom || box.bottom > top) return false;
    return Reaches(a, b, box) && Reaches(b, c, box) && Reaches(c, a, box);
  }

  // Whether some point of the box lies left of the line from q to r or on
  // it; the box corner farthest to the left tells.
  static bool Reaches(const Point& q, const Point& r, const Box& box) {
    const double dx = r.x - q.x, dy = r.y - q.y;
    const double x = dy > 0 ? box.left : box.right, y = dx > 0 ? box.top : box.bottom;
    return dx * (y - q.y) - dy * (x - q.x) >= 0;
  }

  // Inside or on a side. The triangle's own corners do not count: a bridge
  // into a hole comes back through the same points.
  bool Holds(const Place& p) const {
    if (p.x < left || p.x > right || p.y < bottom || p.y > top) return false;
    const auto at = [&](const Point& q) { return p.x == q.x && p.y == q.y; };
    const auto leftOf = [&](const Point& q, const Point& r) {
      return (r.x - q.x) * (p.y - q.y) - (r.y - q.y) * (p.x - q.x) >= 0;
    };
    return !at(a) && !at(b) && !at(c) && leftOf(a, b) && leftOf(b, c) && leftOf(c, a);
  }
};

void ReflexIndex::Build(const std::vector<Point>& corners, std::vector<int>& placeOf) {
  const int n = static_cast<int>(corners.size());
  placeOf.assign(corners.size(), -1);
  order_.clear();
  for (int i = 0; i < n; ++i)
    if (std::isfinite(corners[i].x) && std::isfinite(corners[i].y)) order_.push_back(i);
  // Sorting brings the corners of one place together. A small outline is
  // not worth it: each corner is a place of its own, and the triangle test
  // compares positions, not places.
  const bool merge = order_.size() > static_cast<std::size_t>(kFlat);
  if (merge)
    std::sort(order_.begin(), order_.end(), [&](int i, int j) {
      return corners[i].x < corners[j].x || (corners[i].x == corners[j].x && corners[i].y < corners[j].y);
    });
  places_.clear();
  for (int i : order_) {
    const Point& p = corners[i];
    if (!merge || places_.empty() || places_.back().x != p.x || places_.back().y != p.y)
      places_.push_back({p.x, p.y, static_cast<int>(places_.size()), 0});
    placeOf[i] = places_.back().group;
  }
  leaf_ = merge ? kLeaf : kFlat;
  boxes_.clear();
  if (!places_.empty()) Divide(0, 0, static_cast<int>(places_.size()));
  if (!merge) return;
  // The tree reordered the places; number them by where they stand now.
  order_.resize(places_.size());
  for (std::size_t k = 0; k < places_.size(); ++k) order_[places_[k].group] = static_cast<int>(k);
  for (int& place : placeOf)
    if (place >= 0) place = order_[place];
}

void ReflexIndex::Divide(int box, int begin, int end) {
  if (boxes_.size() <= static_cast<std::size_t>(box)) boxes_.resize(static_cast<std::size_t>(box) + 1);
  Box b{places_[begin].x, places_[begin].y, places_[begin].x, places_[begin].y, 0};
  for (int k = begin + 1; k < end; ++k) {
    b.left = std::min(b.left, places_[k].x);
    b.right = std::max(b.right, places_[k].x);
    b.bottom = std::min(b.bottom, places_[k].y);
    b.top = std::max(b.top, places_[k].y);
  }
  boxes_[box] = b;
  if (end - begin <= leaf_) return;
  // Halved across its longer side, so that boxes stay compact however the
  // places are spread (along a line, in clusters, evenly).
  const int middle = begin + (end - begin) / 2;
  const bool wide = b.right - b.left >= b.top - b.bottom;
  std::nth_element(places_.begin() + begin, places_.begin() + middle, places_.begin() + end,
                   [wide](const Place& p, const Place& q) { return wide ? p.x < q.x : p.y < q.y; });
  Divide(2 * box + 1, begin, middle);
  Divide(2 * box + 2, middle, end);
}

void ReflexIndex::Count(int place, int change) {
  places_[place].reflex += change;
  int box = 0, begin = 0, end = static_cast<int>(places_.size());
  for (;;) {
    boxes_[box].reflex += change;
    if (end - begin <= leaf_) return;
    const int middle = begin + (end - begin) / 2;
    if (place < middle) {
      box = 2 * box + 1;
      end = middle;
    } else {
      box = 2 * box + 2;
      begin = middle;
    }
  }
}

void ReflexIndex::Add(int place) { Count(place, 1); }

void ReflexIndex::Remove(int place) { Count(place, -1); }

bool ReflexIndex::AnyIn(const Point& a, const Point& b, const Point& c, long long& steps) const {
  if (places_.empty()) return false;
  return AnyIn(Triangle(a, b, c), 0, 0, static_cast<int>(places_.size()), steps);
}

bool ReflexIndex::AnyIn(const Triangle& t, int box, int begin, int end, long long& steps) const {
  ++steps;
  // The first box holds every place, the triangle's corners among them, so
  // only its count can rule it out.
  if (boxes_[box].reflex == 0 || (box > 0 && !t.Meets(boxes_[box]))) return false;
  if (end - begin <= leaf_) {
    for (int k = begin; k < end; ++k) {
      ++steps;
      if (places_[k].reflex > 0 && t.Holds(places_[k])) return true;
    }
    return false;
  }
  const int middle = begin + (end - begin) / 2;
  return AnyIn(t, 2 * box + 1, begin, middle, steps) || AnyIn(t, 2 * box + 2, middle, end, steps);
}
