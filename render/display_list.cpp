#include "render/display_list.h"

#include <GL/gl.h>

#include "model/drawn_model.h"
#include "model/model_loading.h"
#include "render/drawn_faces.h"
#include "render/face_material.h"
#include "render/material_textures.h"

bool g_asModelled = false;
Framing g_modelFraming;
TranslucentFaces g_translucentFaces;
DrawnSize g_drawnSize;

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

void BuildDisplayList() {
  glNewList(1, GL_COMPILE);
  try {
    if (g_asModelled) {
      DrawModelAsModelled(g_objects, g_objectCount, g_modelFraming, g_translucentFaces, &g_drawnSize);
    } else {
      FaceMaterial material(g_materialCount);
      for (int i = 0; i < g_objectCount; ++i) DrawObject(g_objects[i], material);
      material.Finish();
    }
  } catch (...) {
    // The list is closed, a polygon that was begun with it, so that the
    // caller can make another.
    glEnd();
    glEndList();
    throw;
  }
  glEndList();
}

namespace {

// Display list 2 holds the edges, made the first time they are drawn.
constexpr GLuint kEdgeList = 2;
bool g_edgeListMade = false;

}  // namespace

void CallEdgeList() {
  if (!g_edgeListMade) {
    glNewList(kEdgeList, GL_COMPILE);
    try {
      DrawModelEdges(g_objects, g_objectCount, g_modelFraming);
    } catch (...) {
      glEnd();
      glEndList();
      throw;
    }
    glEndList();
    g_edgeListMade = true;
  }
  glCallList(kEdgeList);
}

void ReleaseEdgeList() {
  glDeleteLists(kEdgeList, 1);
  g_edgeListMade = false;
}

void ReleaseModelDrawing() {
  ReleaseEdgeList();
  glDeleteLists(1, 1);
  g_translucentFaces = TranslucentFaces();
  g_drawnSize = DrawnSize();
  ReleaseMaterialTextures();
}
