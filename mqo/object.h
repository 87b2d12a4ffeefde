#pragma once
// The geometry records of a document: one object with its vertex and face lists.

#include <limits>

#include "mqo/shared_list.h"

struct VertexMQO {
  float x = 0, y = 0, z = 0;
  float weight = 0;  // from a "weit" list
};

// One face with up to four corners; corner k uses entry k of the arrays.
struct FaceMQO {
  int numVertices = 0;
  int material = -1;  // index into the document's materials, -1 for none
  float uv[4][2] = {};
  int vertexIndex[4] = {};
  int vertexColor[4] = {};
};

// Copies behave as deep copies (the lists are copy-on-write).
struct ObjectMQO {
  char name[256] = {};
  float scale[3] = {};  // 0, 0, 0 unless the file has a "scale" line
  float rotation[3] = {};
  float translation[3] = {};
  // How the modeller shows the object; the viewer draws by them only when
  // asked to draw the model as modelled.
  int visible = 15;           // "visible": 0 hides the object
  int shading = 1;            // "shading": 0 flat, 1 smooth within facet
  float facet = 59.5f;        // "facet": the smoothing angle in degrees
  int mirror = 0;             // "mirror": 0 none, 1 two halves, 2 halves joined
  int mirrorAxis = 1;         // "mirror_axis": X 1, Y 2, Z 4; 8 about the object's own axes
  // "mirror_dis": how near the plane joined edges lie; not a number when
  // the object has no such line.
  float mirrorDistance = std::numeric_limits<float>::quiet_NaN();
  int patch = 0;    // "patch": 1 to 4 a curved surface over the faces as its cage
  int segment = 1;  // "segment": how many times that surface is subdivided
  int numVertices = 0;  // always vertices.size()
  SharedList<VertexMQO> vertices;
  int numFaces = 0;  // always faces.size()
  SharedList<FaceMQO> faces;

  void AddVertex(const VertexMQO& vertex);
  void AddFace(const FaceMQO& face);
  void SetFaceMaterial(int i, int m);
  void SetFaceUV(int i, int k, float u, float v);
  void SetFaceColor(int i, int k, int c);
  VertexMQO GetVertex(int i) const;  // 0 <= i < numVertices
};
