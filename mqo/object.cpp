#include "mqo/object.h"

void ObjectMQO::AddVertex(const VertexMQO& vertex) {
  vertices.push_back(vertex);
  numVertices = vertices.size();
}

void ObjectMQO::AddFace(const FaceMQO& face) {
  faces.push_back(face);
  numFaces = faces.size();
}

void ObjectMQO::SetFaceMaterial(int i, int m) { faces.Mutable(i).material = m; }

void ObjectMQO::SetFaceUV(int i, int k, float u, float v) {
  FaceMQO& face = faces.Mutable(i);
  face.uv[k][0] = u;
  face.uv[k][1] = v;
}

void ObjectMQO::SetFaceColor(int i, int k, int c) { faces.Mutable(i).vertexColor[k] = c; }

VertexMQO ObjectMQO::GetVertex(int i) const { return vertices[i]; }
