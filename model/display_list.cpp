#include "model/display_list.h"

#include <GL/gl.h>

#include <algorithm>

#include "model/drawn_faces.h"
#include "model/face_material.h"
#include "model/model_loading.h"

bool g_asModelled = false;
Framing g_modelFraming;

namespace {

void DrawObject(const ObjectMQO& object, FaceMaterial& material) {
  const int vertexCount = object.vertices.size();
  for (const FaceMQO& face : object.faces) {
    const int corners = DrawnCorners(face, vertexCount);
    if (corners < 0) continue;
    // A face of fewer than three corners still sets its material and draws
    // an empty polygon: what later faces find in the texture state depends
    // on it.
    const bool textured = material.Set(face.material);
    glBegin(GL_POLYGON);
    for (int k = 0; k < corners; ++k) {
      if (textured) glTexCoord2f(face.uv[k][1], face.uv[k][0]);
      const VertexMQO& v = object.vertices[face.vertexIndex[k]];
      glVertex3d(v.x, v.y, v.z);
    }
    glEnd();
  }
}

}  // namespace

int DrawnCorners(const FaceMQO& face, int vertexCount) {
  const int corners = std::clamp(face.numVertices, 0, 4);
  // A face naming a vertex the object does not have is left out whole.
  for (int k = 0; k < corners; ++k)
    if (face.vertexIndex[k] < 0 || face.vertexIndex[k] >= vertexCount) return -1;
  return corners;
}

int MaterialSlots() {
  return g_loader ? std::min(g_loader->GetDocument().numMaterials, kMaxModelSlots) : 0;
}

void BuildDisplayList() {
  const int objectCount = g_loader ? std::min(g_loader->GetDocument().numObjects, kMaxModelSlots) : 0;
  glNewList(1, GL_COMPILE);
  if (g_asModelled) {
    DrawModelAsModelled(g_objects, objectCount, g_modelFraming);
  } else {
    FaceMaterial material(MaterialSlots());
    for (int i = 0; i < objectCount; ++i) DrawObject(g_objects[i], material);
    material.Finish();
  }
  glEndList();
}
