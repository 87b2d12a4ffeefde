#pragma once
// Curved surfaces ("patch"): the object's faces are the cage of a
// Catmull-Clark surface, refined into plain faces of four corners so that
// everything downstream (normals, drawing) takes them as any other faces.
// No OpenGL: the refinement is OpenSubdiv's CPU-only Far library.

#include "mqo/object.h"

// Each level makes four faces of every face, so the cost grows as 4 to the
// power of the levels: a "segment" beyond this is drawn at this many. Four
// levels already make 256 faces of every cage quad, finer than a pixel for
// any cage a modeller would refine.
constexpr int kMostSubdivisionLevels = 4;

// How many levels the object is refined at: its "segment" (at least 1, at
// most kMostSubdivisionLevels) for "patch" 1 to 4, else 0.
int SubdivisionLevels(const ObjectMQO& object);

// At most how many faces and vertices Subdivide makes and holds at once
// (every level the refiner keeps, the last being the result) from a cage of
// at most `faces` faces (of which at most `lines` have two corners) with
// `corners` corners among its faces of three or four, and `vertices`
// vertices.
struct RefinedSize {
  long long faces = 0;
  long long vertices = 0;
};
RefinedSize MostRefined(long long faces, long long vertices, long long corners, long long lines, int levels);

// Replaces the faces of three or four corners by the surface refined
// `levels` times: vertex positions smoothed, UVs and vertex colours carried
// as values per face corner, each refined face in its cage face's material.
// Lines (two corners) stay as they are, on their cage vertices; faces naming
// a vertex the object does not have, or of fewer than two corners, are left
// out. False, with the object untouched, when the cage cannot be refined (a
// face repeating a vertex, a topology the refiner refuses).
bool Subdivide(ObjectMQO& object, int levels);
