#pragma once
// Splits the outline of a face of many corners into triangles that cover
// exactly its area, by ear clipping in the face's own plane: the corners are
// projected along the axis on which the face's Newell normal is largest, and
// a corner is cut off only when its triangle is convex and holds no other
// corner. Concave outlines (letters, combs, rings joined by a bridge of
// repeated corners) come out right; a fan from one corner would not.
//
// Every triangle lists its corners in the outline's order, so it keeps the
// face's winding. A simple outline of n corners gives n - 2 triangles.
// Outlines that are not simple still give at most n - 2 triangles: when a
// round of the outline finds no ear, the corners of that round whose two
// edges lie on one line (a duplicate, a collinear corner, a spike) are
// dropped without a triangle, and failing that its first convex corner, or
// else any corner, is cut off although its triangle overlaps others.
//
// The work grows about as fast as the corners (times a logarithm): the ear
// test searches only the reflex corners near the ear (reflex_index.h), the
// walk goes on from the last ear rather than starting over, and once a
// whole round has found no ear, rounds are rationed in proportion to the
// corners removed (polygon_splitter.cpp).

#include <vector>

#include "mqo/object.h"
#include "mqo/reflex_index.h"

class PolygonSplitter {
 public:
  // The triangles of the outline given by n positions, as corner numbers
  // 0 .. n - 1, three a triangle. Valid until the next call. Fewer than
  // three corners give none.
  const std::vector<int>& Split(const VertexMQO* positions, int n);

  // Corners, boxes and places looked at by the last Split: its cost, for
  // tests to bound without timing it.
  long long Steps() const { return steps_; }

 private:
  struct Corner {
    int prev, next;
    int place;    // in reflex_, -1 when not finite
    bool reflex;  // not strictly convex, so counted in reflex_
  };

  double Turn(int i) const;  // > 0 where the outline turns left at corner i
  void Update(int i);        // whether corner i is reflex, from its neighbours
  bool IsEar(int i);
  void Cut(int i, bool piece);
  int Rescue(int start, int reach);

  std::vector<ReflexIndex::Point> points_;  // in the plane, turned so that the outline runs anticlockwise
  std::vector<Corner> corners_;
  std::vector<int> places_;
  ReflexIndex reflex_;
  int left_ = 0;           // corners not cut yet
  long long credit_ = -1;  // tests the walk may still spend, -1 for no limit
  std::vector<int> pieces_;
  long long steps_ = 0;
};
