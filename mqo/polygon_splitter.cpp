#include "mqo/polygon_splitter.h"

#include <algorithm>
#include <cmath>

namespace {

// Until a whole round of the outline finds no ear, the walk looks as long
// as it takes: a simple outline always has one. After that the outline is
// known to cross or fold back on itself, and a round also ends, with a
// rescue, once it has spent the tests it earned: kRescueCredit at each
// rescue and kCutCredit for each corner removed. So the tests stay within a
// constant times the corners, while a stretch that yields ears keeps
// earning the time to find the next.
constexpr long long kRescueCredit = 16;
constexpr long long kCutCredit = 4;

}  // namespace

double PolygonSplitter::Turn(int i) const {
  const ReflexIndex::Point& b = points_[i];
  const ReflexIndex::Point& a = points_[corners_[i].prev];
  const ReflexIndex::Point& c = points_[corners_[i].next];
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

void PolygonSplitter::Update(int i) {
  Corner& c = corners_[i];
  const bool reflex = !(Turn(i) > 0);
  if (reflex == c.reflex) return;
  c.reflex = reflex;
  if (c.place < 0) return;
  if (reflex)
    reflex_.Add(c.place);
  else
    reflex_.Remove(c.place);
}

// Convex, and no other corner inside its triangle or on its sides. Only
// corners that are not convex can lie there when the outline is simple.
bool PolygonSplitter::IsEar(int i) {
  ++steps_;
  const Corner& c = corners_[i];
  return !c.reflex && !reflex_.AnyIn(points_[c.prev], points_[i], points_[c.next], steps_);
}

void PolygonSplitter::Cut(int i, bool piece) {
  Corner& c = corners_[i];
  const int prev = c.prev, next = c.next;
  if (piece) pieces_.insert(pieces_.end(), {prev, i, next});
  if (c.reflex && c.place >= 0) reflex_.Remove(c.place);
  corners_[prev].next = next;
  corners_[next].prev = prev;
  --left_;
  if (credit_ >= 0) credit_ += kCutCredit;
  Update(prev);
  Update(next);
}

// The round of `reach` corners from `start` found no ear: the outline
// crosses or folds back on itself. Drops every corner of the round whose
// edges lie on one line, looking again at the corner before each one
// dropped, whose turn changed; when there is none, cuts off the first
// convex corner, or else the first. Gives the corner to walk on from.
int PolygonSplitter::Rescue(int start, int reach) {
  int at = start, convex = -1, back = -1;
  for (int seen = 0; seen < reach && left_ > 3;) {
    ++steps_;
    const double turn = Turn(at);
    if (turn == 0) {
      const int prev = corners_[at].prev;
      if (back < 0 || back == at) back = prev;
      Cut(at, false);
      at = prev;
      --reach;
      seen = seen > 0 ? seen - 1 : 0;
      continue;
    }
    if (turn > 0 && convex < 0) convex = at;
    at = corners_[at].next;
    ++seen;
  }
  if (back >= 0) return back;
  const int cut = convex >= 0 ? convex : start;
  const int prev = corners_[cut].prev;
  Cut(cut, true);
  return prev;
}

const std::vector<int>& PolygonSplitter::Split(const VertexMQO* positions, int n) {
  pieces_.clear();
  steps_ = 0;
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
  points_.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    double p[3];
    relative(positions[i], p);
    points_[i] = {p[(axis + 1) % 3], flip * p[(axis + 2) % 3]};
  }
  reflex_.Build(points_, places_);
  corners_.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) corners_[i] = Corner{i == 0 ? n - 1 : i - 1, i + 1 < n ? i + 1 : 0, places_[i], false};
  for (int i = 0; i < n; ++i) Update(i);

  // The walk goes on from each ear it cuts, looking first at the corner
  // before it, whose turn changed, and rescues the outline when a round
  // ends without an ear.
  left_ = n;
  credit_ = -1;
  int at = 0, start = 0, tested = 0;
  while (left_ > 3) {
    if (tested == 0) start = at;
    const int prev = corners_[at].prev;
    if (IsEar(at)) {
      Cut(at, true);
      at = prev;
      tested = 0;
      continue;
    }
    at = corners_[at].next;
    ++tested;
    if (credit_ > 0) --credit_;
    if (tested >= left_ || credit_ == 0) {
      credit_ = std::max(credit_, 0LL) + kRescueCredit;
      at = Rescue(start, tested);
      tested = 0;
    }
  }
  pieces_.insert(pieces_.end(), {corners_[at].prev, at, corners_[at].next});
  return pieces_;
}
