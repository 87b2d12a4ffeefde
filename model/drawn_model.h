#pragma once
// The model as the modeller shows it, worked out without OpenGL: which
// objects are drawn (not those marked "visible 0"), their mirrored halves,
// and a normal at every corner, smoothed where the object asks for it. The
// viewer's as-modelled display list and the thumbnailer draw from it.

#include <array>
#include <vector>

#include "mqo/object.h"

// One reflection of an object's vertices: v' = v - 2 (n.v - d) n for each
// plane in turn.
struct MirrorCopy {
  int planes = 0;
  double normal[3][3] = {};
  double offset[3] = {};
  void Apply(const VertexMQO& v, double out[3]) const;
};

// The corners of the face that are drawn: its first four (0 to 4), or -1
// when the face is left out whole because one of them names a vertex
// outside the object's vertexCount.
int DrawnCorners(const FaceMQO& face, int vertexCount);

// Whether the object is drawn when the model is shown as modelled.
bool IsDrawnObject(const ObjectMQO& object);

// The copies an object is drawn as: first the object itself, then one per
// combination of its mirror planes (two for one axis, four for two, eight
// for three); only the first for an object without mirroring.
std::vector<MirrorCopy> MirrorCopies(const ObjectMQO& object);

struct DrawnObject {
  // Vertices and faces with the mirrored halves added. Without mirroring the
  // lists are the document's own (shared, not copied).
  ObjectMQO geometry;
  // The unit normal at corner k of face i, at 4 * i + k, facing out of the
  // side the face shows (faces are wound clockwise seen from the front).
  std::vector<std::array<float, 3>> normals;
};

// At most how many faces and vertices PrepareDrawnObject gives an object
// (with its mirrored halves and joining faces, and a curved surface's
// refined faces with the cage they are refined from), or all drawn objects of a
// model: worked out before any of it is made, in time in proportion to the
// corners and without memory of its own.
struct DrawnSize {
  long long faces = 0;
  long long vertices = 0;
};
DrawnSize MostDrawn(const ObjectMQO& object);
DrawnSize MostDrawn(const ObjectMQO* objects, int count);

// Mirrors the object, refines a curved surface ("patch") and works out its
// normals. With "shading 0" each face
// is flat; otherwise the faces around a vertex whose normals lie within the
// facet angle of each other share one averaged normal there. The smoothing
// takes time in proportion to the corners, whatever the model.
DrawnObject PrepareDrawnObject(const ObjectMQO& object);
