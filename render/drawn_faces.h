#pragma once
// The model drawn as the modeller shows it (drawn_model.h), in OpenGL:
// visible objects with their mirrored halves, a normal at every corner, lit
// on the side the camera sees, vertex colours where a material asks for
// them, lines of two corners; faces of translucent materials blended over
// everything opaque, farthest first. The viewer compiles the opaque part
// into its display list and draws the translucent faces each frame; the
// thumbnailer draws both directly.

#include <vector>

#include "model/drawn_model.h"
#include "model/framing.h"
#include "mqo/object.h"

// The faces of translucent materials as triangles in scene coordinates,
// kept to be drawn after everything opaque in the order of the view of the
// frame: they cannot be ordered once for all, the view turns.
struct TranslucentFaces {
  struct Corner {
    float position[3];
    float normal[3];
    float texel[2];   // s, t as the textures take them
    float colour[4];  // the vertex colour, for materials of vertex colours
  };
  struct Triangle {
    Corner corners[3];
    int material;
  };
  std::vector<Triangle> triangles;
  // Drawing order, farthest first, and the model-view matrix it was worked
  // out for: a view that has not turned keeps it.
  std::vector<int> order;
  double orderedFor[16] = {};
};

// Draws the objects' opaque faces and lines, each corner moved into the
// scene by the framing, and puts their translucent faces into `translucent`
// (emptied first). Needs a current context and the textures made; may be
// compiled into a list. Leaves texturing, the alpha test and two-sided
// lighting off. With `drawn`, the faces and vertices of the objects as
// prepared (mirrored, refined) are counted into it, emptied first.
void DrawModelAsModelled(const ObjectMQO* objects, int objectCount, const Framing& framing,
                         TranslucentFaces& translucent, DrawnSize* drawn = nullptr);

// Draws the edges of the faces that DrawModelAsModelled draws (lines are
// drawn by it already), unlit in one dark colour, for a wireframe over the
// shaded model. May be compiled into a list.
void DrawModelEdges(const ObjectMQO* objects, int objectCount, const Framing& framing);

// Draws the translucent faces blended over what was drawn, farthest first as
// seen through the current model-view matrix, without writing depth, so that
// each shows through the others. With writeDepth their depth is written
// afterwards, colour untouched, so that a picture read back knows where they
// lie. Not for a display list: the order is the frame's.
void DrawTranslucentFaces(TranslucentFaces& translucent, bool writeDepth = false);
