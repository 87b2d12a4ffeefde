#pragma once
// The places of an outline's corners in a tree of boxes, each place counting
// the reflex corners that stand on it, so that the ear test looks only at
// the places near the ear instead of at every reflex corner. Corners on one
// place share an entry: an outline that runs round and round a few points
// costs no more to search than one that visits each point once.

#include <vector>

class ReflexIndex {
 public:
  struct Point {
    double x, y;
  };

  // Indexes the places of the given corners, none of them counted as reflex
  // yet, and gives each corner its place in `placeOf`: -1 for a corner with
  // a coordinate that is not finite, which no triangle holds.
  void Build(const std::vector<Point>& corners, std::vector<int>& placeOf);
  void Add(int place);     // one more reflex corner stands on the place
  void Remove(int place);  // one fewer

  // Whether a place with a reflex corner lies inside the anticlockwise
  // triangle a b c or on its sides, apart from the places of a, b and c
  // themselves. Adds the boxes and places looked at to `steps`.
  bool AnyIn(const Point& a, const Point& b, const Point& c, long long& steps) const;

 private:
  struct Place {
    double x, y;
    int group;   // its number before the tree reordered the places
    int reflex;  // reflex corners on it
  };
  struct Box {
    double left, bottom, right, top;
    int reflex;  // reflex corners on the places inside
  };
  struct Triangle;

  void Divide(int box, int begin, int end);
  void Count(int place, int change);
  bool AnyIn(const Triangle& t, int box, int begin, int end, long long& steps) const;

  // Box k covers a range of places_ and its halves are boxes 2k + 1 and
  // 2k + 2; a range of at most leaf_ places is not halved.
  std::vector<Place> places_;
  int leaf_ = 0;
  std::vector<Box> boxes_;
  std::vector<int> order_;  // scratch for Build
};
