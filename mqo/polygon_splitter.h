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
// Outlines that are not simple still give at most n - 2 triangles, in at
// most O(n^2) steps: when no corner is an ear, a corner whose two edges lie
// on one line (a duplicate, a collinear corner, a spike) is dropped without
// a triangle, and failing that the first convex corner, or else any corner,
// is cut off although its triangle overlaps others.

#include <vector>

#include "mqo/object.h"

class PolygonSplitter {
 public:
  // The triangles of the outline given by n positions, as corner numbers
  // 0 .. n - 1, three a triangle. Valid until the next call. Fewer than
  // three corners give none.
  const std::vector<int>& Split(const VertexMQO* positions, int n);

  // Corners and reflex entries looked at by the last Split: its cost, for
  // tests to bound without timing it.
  long long Steps() const { return steps_; }

 private:
  struct Corner {
    double x, y;  // in the plane, turned so that the outline runs anticlockwise
    int prev, next;
    int slot;  // where the corner stands in reflex_, -1 when it is convex
    bool ear;  // believed to be an ear; checked again before it is cut off
  };

  double Turn(int i) const;  // > 0 where the outline turns left at corner i
  void Update(int i);        // whether corner i is reflex, from its neighbours
  void Unlist(int i);
  bool IsEar(int i);
  void Remove(int i);

  std::vector<Corner> corners_;
  std::vector<int> reflex_;  // the corners left that are not strictly convex
  std::vector<int> pieces_;
  long long steps_ = 0;
};
