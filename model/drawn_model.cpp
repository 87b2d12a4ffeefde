#include "model/drawn_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <unordered_map>

#include "model/subdivision.h"

namespace {

// Around a vertex of at most this many faces every pair of faces is
// compared; around a busier one (the tip of a cone of many sides) the faces
// are gathered into at most kMostGroups groups instead, so that no vertex
// costs more than a fixed number of steps per face.
constexpr int kExactDegree = 64;
constexpr int kMostGroups = 16;

struct Plane {
  double normal[3];
  double offset;
  double Distance(const VertexMQO& v) const {
    return normal[0] * v.x + normal[1] * v.y + normal[2] * v.z - offset;
  }
};

constexpr double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// The object's own axes, from its "rotation" line: heading about Y, pitch
// about X, bank about Z, in degrees, applied bank first.
void OwnAxes(const ObjectMQO& object, double axes[3][3]) {
  const double h = Radians(object.rotation[0]), p = Radians(object.rotation[1]), b = Radians(object.rotation[2]);
  const double ch = std::cos(h), sh = std::sin(h), cp = std::cos(p), sp = std::sin(p), cb = std::cos(b),
               sb = std::sin(b);
  // Columns of Ry(h) Rx(p) Rz(b).
  const double m[3][3] = {{ch * cb + sh * sp * sb, -ch * sb + sh * sp * cb, sh * cp},
                          {cp * sb, cp * cb, -sp},
                          {-sh * cb + ch * sp * sb, sh * sb + ch * sp * cb, ch * cp}};
  for (int axis = 0; axis < 3; ++axis)
    for (int row = 0; row < 3; ++row) axes[axis][row] = m[row][axis];
}

std::vector<Plane> MirrorPlanes(const ObjectMQO& object) {
  std::vector<Plane> planes;
  if (object.mirror != 1 && object.mirror != 2) return planes;
  int bits = object.mirrorAxis & 7;
  if (bits == 0) bits = 1;  // no axis named: X
  double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double origin[3] = {0, 0, 0};
  if (object.mirrorAxis & 8) {
    OwnAxes(object, axes);
    for (int a = 0; a < 3; ++a) origin[a] = object.translation[a];
  }
  for (int a = 0; a < 3; ++a) {
    if (!(bits & (1 << a))) continue;
    Plane plane;
    for (int i = 0; i < 3; ++i) plane.normal[i] = axes[a][i];
    plane.offset = plane.normal[0] * origin[0] + plane.normal[1] * origin[1] + plane.normal[2] * origin[2];
    planes.push_back(plane);
  }
  return planes;
}

VertexMQO Reflect(const VertexMQO& v, const Plane& plane) {
  const double d = 2 * plane.Distance(v);
  VertexMQO r = v;
  r.x = static_cast<float>(v.x - d * plane.normal[0]);
  r.y = static_cast<float>(v.y - d * plane.normal[1]);
  r.z = static_cast<float>(v.z - d * plane.normal[2]);
  return r;
}

// Corners that lie this near a plane are on it; coordinates are written
// with four or so decimals, so a relative bound catches what was meant.
double OnPlaneTolerance(const ObjectMQO& object) {
  double largest = 0;
  for (const VertexMQO& v : object.vertices)
    for (float c : {v.x, v.y, v.z})
      if (std::isfinite(c)) largest = std::max(largest, static_cast<double>(std::abs(c)));
  return std::max(largest * 1e-6, 1e-12);
}

// How near the plane an open edge's ends must lie to be joined to its image.
// Without a distance the modeller joins every open edge to its image,
// however far from the plane (a half seat modelled away from it is joined
// across the gap); one that is not finite is taken as none written.
double JoinDistance(const ObjectMQO& object, double tolerance) {
  if (!std::isfinite(object.mirrorDistance)) return std::numeric_limits<double>::infinity();
  return std::max(static_cast<double>(object.mirrorDistance), tolerance);
}

// The corners of the object's faces whose edge (to the next corner) has both
// ends within joinDistance of the plane: at least as many as the open edges
// that MirrorAcross joins there.
long long CornersNearPlane(const ObjectMQO& object, const Plane& plane, double joinDistance) {
  const int vertexCount = object.vertices.size();
  long long near = 0;
  for (const FaceMQO& face : object.faces) {
    const int corners = DrawnCorners(face, vertexCount);
    if (corners < 3) continue;
    for (int k = 0; k < corners; ++k) {
      const VertexMQO& a = object.vertices[face.vertexIndex[k]];
      const VertexMQO& b = object.vertices[face.vertexIndex[(k + 1) % corners]];
      near += std::abs(plane.Distance(a)) <= joinDistance && std::abs(plane.Distance(b)) <= joinDistance;
    }
  }
  return near;
}

// The faces with their mirror images across one plane added. Corners on the
// plane are their own images, so the two halves share them; with joined
// halves, an open edge whose ends lie near the plane gets a face that joins
// it to its image.
void MirrorAcross(ObjectMQO& g, const Plane& plane, bool joined, double tolerance, double joinDistance) {
  const int vertexCount = g.vertices.size();
  const int faceCount = g.faces.size();
  std::vector<int> image(vertexCount);
  std::vector<double> distance(vertexCount);
  for (int v = 0; v < vertexCount; ++v) {
    distance[v] = plane.Distance(g.vertices[v]);
    if (std::abs(distance[v]) <= tolerance) {
      image[v] = v;
    } else {
      image[v] = g.vertices.size();
      g.AddVertex(Reflect(g.vertices[v], plane));
    }
  }
  // Each undirected edge: how many faces use it, and the last face and
  // corner that did (corner k runs from k to k + 1).
  struct EdgeUse {
    int count = 0, face = 0, corner = 0;
  };
  std::unordered_map<unsigned long long, EdgeUse> edges;
  const auto key = [](int a, int b) {
    return static_cast<unsigned long long>(std::min(a, b)) << 32 | static_cast<unsigned>(std::max(a, b));
  };
  for (int i = 0; i < faceCount; ++i) {
    const FaceMQO face = g.faces[i];
    const int corners = DrawnCorners(face, vertexCount);
    if (corners < 2) continue;  // a line of two corners is mirrored too
    bool allOnPlane = true;
    FaceMQO mirrored = face;
    for (int k = 0; k < corners; ++k) {
      const int from = corners - 1 - k;  // reversed, so the copy faces out as well
      mirrored.vertexIndex[k] = image[face.vertexIndex[from]];
      mirrored.uv[k][0] = face.uv[from][0];
      mirrored.uv[k][1] = face.uv[from][1];
      mirrored.vertexColor[k] = face.vertexColor[from];
      allOnPlane = allOnPlane && image[face.vertexIndex[k]] == face.vertexIndex[k];
      if (joined && corners >= 3) {
        EdgeUse& use = edges[key(face.vertexIndex[k], face.vertexIndex[(k + 1) % corners])];
        ++use.count;
        use.face = i;
        use.corner = k;
      }
    }
    // A face lying in the plane is its own image.
    if (!allOnPlane) g.AddFace(mirrored);
  }
  if (!joined) return;
  for (const auto& [edge, use] : edges) {
    if (use.count != 1) continue;
    const FaceMQO face = g.faces[use.face];
    const int corners = DrawnCorners(face, vertexCount);
    const int ka = use.corner, kb = (use.corner + 1) % corners;
    const int a = face.vertexIndex[ka], b = face.vertexIndex[kb];
    if (std::abs(distance[a]) > joinDistance || std::abs(distance[b]) > joinDistance) continue;
    if (image[a] == a && image[b] == b) continue;  // the edge lies in the plane
    // The face runs a to b; the joining face runs b, a, a', b', so that it
    // faces the same way, and drops a corner that is its own image.
    FaceMQO bridge;
    bridge.material = face.material;
    const int order[4] = {kb, ka, ka, kb};
    const int vertex[4] = {b, a, image[a], image[b]};
    for (int k = 0; k < 4; ++k) {
      if (k == 2 && image[a] == a) continue;
      if (k == 3 && image[b] == b) continue;
      const int n = bridge.numVertices++;
      bridge.vertexIndex[n] = vertex[k];
      bridge.uv[n][0] = face.uv[order[k]][0];
      bridge.uv[n][1] = face.uv[order[k]][1];
      bridge.vertexColor[n] = face.vertexColor[order[k]];
    }
    g.AddFace(bridge);
  }
}

// The face's unit normal out of its front, which is wound clockwise: the
// opposite of the Newell normal. False for a face without area.
bool FaceNormal(const ObjectMQO& g, const FaceMQO& face, int corners, double n[3]) {
  n[0] = n[1] = n[2] = 0;
  for (int k = 0; k < corners; ++k) {
    const VertexMQO& a = g.vertices[face.vertexIndex[k]];
    const VertexMQO& b = g.vertices[face.vertexIndex[(k + 1) % corners]];
    n[0] += (static_cast<double>(a.y) - b.y) * (static_cast<double>(a.z) + b.z);
    n[1] += (static_cast<double>(a.z) - b.z) * (static_cast<double>(a.x) + b.x);
    n[2] += (static_cast<double>(a.x) - b.x) * (static_cast<double>(a.y) + b.y);
  }
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (!(length > 0) || !std::isfinite(length)) return false;
  for (int a = 0; a < 3; ++a) n[a] = -n[a] / length;
  return true;
}

std::array<float, 3> Unit(const double v[3], const double fallback[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  const double* use = length > 0 && std::isfinite(length) ? v : fallback;
  const double scale = use == v ? 1 / length : 1;
  return {static_cast<float>(use[0] * scale), static_cast<float>(use[1] * scale), static_cast<float>(use[2] * scale)};
}

void WorkOutNormals(DrawnObject& drawn) {
  const ObjectMQO& g = drawn.geometry;
  const int vertexCount = g.vertices.size();
  const int faceCount = g.faces.size();
  static const double kUp[3] = {0, 1, 0};
  std::vector<std::array<double, 3>> faceNormal(faceCount);
  std::vector<bool> hasArea(faceCount, false);
  std::vector<int> cornerCount(faceCount, 0);
  for (int i = 0; i < faceCount; ++i) {
    cornerCount[i] = std::max(DrawnCorners(g.faces[i], vertexCount), 0);
    hasArea[i] = cornerCount[i] >= 3 && FaceNormal(g, g.faces[i], cornerCount[i], faceNormal[i].data());
    if (!hasArea[i]) std::copy(kUp, kUp + 3, faceNormal[i].begin());
  }
  drawn.normals.assign(static_cast<size_t>(faceCount) * 4, {0, 1, 0});
  const bool smooth = g.shading != 0 && g.facet > 0;
  if (!smooth) {
    for (int i = 0; i < faceCount; ++i)
      for (int k = 0; k < 4; ++k) drawn.normals[4 * i + k] = Unit(faceNormal[i].data(), kUp);
    return;
  }
  const double cosLimit = g.facet >= 180 ? -2.0 : std::cos(Radians(g.facet));
  // The corners at each vertex, as 4 * face + corner, grouped by vertex.
  std::vector<int> start(vertexCount + 1, 0);
  for (int i = 0; i < faceCount; ++i)
    for (int k = 0; k < cornerCount[i]; ++k) ++start[g.faces[i].vertexIndex[k] + 1];
  for (int v = 0; v < vertexCount; ++v) start[v + 1] += start[v];
  std::vector<int> slots(start[vertexCount]);
  std::vector<int> fill(start.begin(), start.end() - 1);
  for (int i = 0; i < faceCount; ++i)
    for (int k = 0; k < cornerCount[i]; ++k) slots[fill[g.faces[i].vertexIndex[k]]++] = 4 * i + k;

  std::vector<std::array<double, 3>> groupSum;
  std::vector<int> groupOf;
  for (int v = 0; v < vertexCount; ++v) {
    const int* begin = slots.data() + start[v];
    const int degree = start[v + 1] - start[v];
    const auto normalOf = [&](int slot) { return faceNormal[slot / 4].data(); };
    const auto within = [&](const double* a, const double* b) {
      return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] >= cosLimit;
    };
    if (degree <= kExactDegree) {
      for (int c = 0; c < degree; ++c) {
        const double* own = normalOf(begin[c]);
        double sum[3] = {0, 0, 0};
        if (hasArea[begin[c] / 4]) {
          for (int o = 0; o < degree; ++o) {
            const double* other = normalOf(begin[o]);
            if (!hasArea[begin[o] / 4] || !within(own, other)) continue;
            for (int a = 0; a < 3; ++a) sum[a] += other[a];
          }
        }
        drawn.normals[begin[c]] = Unit(sum, own);
      }
      continue;
    }
    // Each face joins the first group whose first face lies within the
    // angle, else starts one; past the last group it joins the nearest.
    groupSum.clear();
    groupOf.assign(degree, -1);
    std::vector<const double*> leader;
    for (int c = 0; c < degree; ++c) {
      if (!hasArea[begin[c] / 4]) continue;
      const double* own = normalOf(begin[c]);
      int chosen = -1, nearest = 0;
      double best = -3;
      for (size_t gi = 0; gi < leader.size() && chosen < 0; ++gi) {
        const double dot = own[0] * leader[gi][0] + own[1] * leader[gi][1] + own[2] * leader[gi][2];
        if (dot >= cosLimit) chosen = static_cast<int>(gi);
        if (dot > best) best = dot, nearest = static_cast<int>(gi);
      }
      if (chosen < 0 && leader.size() < kMostGroups) {
        leader.push_back(own);
        groupSum.push_back({0, 0, 0});
        chosen = static_cast<int>(leader.size()) - 1;
      }
      if (chosen < 0) chosen = nearest;
      groupOf[c] = chosen;
      for (int a = 0; a < 3; ++a) groupSum[chosen][a] += own[a];
    }
    for (int c = 0; c < degree; ++c)
      drawn.normals[begin[c]] = groupOf[c] < 0 ? Unit(normalOf(begin[c]), kUp)
                                               : Unit(groupSum[groupOf[c]].data(), normalOf(begin[c]));
  }
}

}  // namespace

void MirrorCopy::Apply(const VertexMQO& v, double out[3]) const {
  double p[3] = {v.x, v.y, v.z};
  for (int i = 0; i < planes; ++i) {
    const double d = 2 * (normal[i][0] * p[0] + normal[i][1] * p[1] + normal[i][2] * p[2] - offset[i]);
    for (int a = 0; a < 3; ++a) p[a] -= d * normal[i][a];
  }
  std::copy(p, p + 3, out);
}

int DrawnCorners(const FaceMQO& face, int vertexCount) {
  const int corners = std::clamp(face.numVertices, 0, 4);
  // A face naming a vertex the object does not have is left out whole.
  for (int k = 0; k < corners; ++k)
    if (face.vertexIndex[k] < 0 || face.vertexIndex[k] >= vertexCount) return -1;
  return corners;
}

bool IsDrawnObject(const ObjectMQO& object) { return object.visible != 0; }

std::vector<MirrorCopy> MirrorCopies(const ObjectMQO& object) {
  std::vector<MirrorCopy> copies(1);
  for (const Plane& plane : MirrorPlanes(object)) {
    const size_t before = copies.size();
    for (size_t c = 0; c < before; ++c) {
      MirrorCopy copy = copies[c];
      std::copy(plane.normal, plane.normal + 3, copy.normal[copy.planes]);
      copy.offset[copy.planes++] = plane.offset;
      copies.push_back(copy);
    }
  }
  return copies;
}

DrawnObject PrepareDrawnObject(const ObjectMQO& object) {
  DrawnObject drawn;
  drawn.geometry = object;
  const std::vector<Plane> planes = MirrorPlanes(object);
  if (!planes.empty()) {
    const double tolerance = OnPlaneTolerance(object);
    const double joinDistance = JoinDistance(object, tolerance);
    for (const Plane& plane : planes) MirrorAcross(drawn.geometry, plane, object.mirror == 2, tolerance, joinDistance);
  }
  // After mirroring, so that the surface runs smoothly across the seam, and
  // before the normals, so that they smooth the refined faces. A cage that
  // cannot be refined is drawn as it is.
  if (const int levels = SubdivisionLevels(object); levels > 0) Subdivide(drawn.geometry, levels);
  WorkOutNormals(drawn);
  return drawn;
}

DrawnSize MostDrawn(const ObjectMQO& object) {
  DrawnSize size{object.numFaces, object.numVertices};
  const std::vector<Plane> planes = MirrorPlanes(object);
  const double joinDistance = planes.empty() ? 0 : JoinDistance(object, OnPlaneTolerance(object));
  // Each plane doubles what there is. The planes stand at right angles, so
  // a copy's corners lie as near a later plane as the original's; the
  // joining faces made so far add at most four corners each.
  long long copies = 1, joins = 0;
  // The corners of faces of three or four, and the lines, that a surface
  // would be refined from; a joining face adds at most four corners.
  long long corners = 0, lines = 0;
  for (const FaceMQO& face : object.faces) {
    const int drawnCorners = DrawnCorners(face, object.vertices.size());
    corners += drawnCorners >= 3 ? drawnCorners : 0;
    lines += drawnCorners == 2;
  }
  for (const Plane& plane : planes) {
    const long long newJoins =
        object.mirror == 2 ? copies * CornersNearPlane(object, plane, joinDistance) + 4 * joins : 0;
    size.faces = 2 * size.faces + newJoins;
    size.vertices *= 2;
    corners = 2 * corners + 4 * newJoins;
    lines *= 2;
    joins = 2 * joins + newJoins;
    copies *= 2;
  }
  if (const int levels = SubdivisionLevels(object); levels > 0) {
    // The cage is held while it is refined.
    const RefinedSize refined = MostRefined(size.faces, size.vertices, corners, lines, levels);
    size.faces += refined.faces;
    size.vertices += refined.vertices;
  }
  return size;
}

DrawnSize MostDrawn(const ObjectMQO* objects, int count) {
  DrawnSize size;
  for (int i = 0; i < count; ++i) {
    if (!IsDrawnObject(objects[i])) continue;
    const DrawnSize one = MostDrawn(objects[i]);
    size.faces += one.faces;
    size.vertices += one.vertices;
  }
  return size;
}
