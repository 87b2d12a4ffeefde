#include "render/drawn_faces.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "model/drawn_model.h"
#include "model/material_kind.h"
#include "render/face_material.h"
#include "model/model_loading.h"

namespace {

// Scene coordinates beyond this lie far outside any frustum; OpenGL's float
// arithmetic would turn them into infinities, so such faces are left out.
constexpr double kFarthest = 1e30;

// The colour of a line without material.
constexpr float kPlainLine[4] = {kNoMaterialGrey, kNoMaterialGrey, kNoMaterialGrey, 1.0f};
// The edges drawn over the shaded faces: dark, to show on any material.
constexpr float kEdgeColour[4] = {0.05f, 0.05f, 0.05f, 1.0f};

// The corners of a face in the scene; false when one lies beyond kFarthest
// or is not finite.
bool SceneCorners(const ObjectMQO& g, const FaceMQO& face, int corners, const Framing& framing, double out[4][3]) {
  bool inRange = true;
  for (int k = 0; k < corners; ++k) {
    const VertexMQO& v = g.vertices[face.vertexIndex[k]];
    framing.ToScene(v.x, v.y, v.z, out[k]);
    for (double c : out[k]) inRange = inRange && std::abs(c) < kFarthest;
  }
  return inRange;
}

// Faces of two corners are lines, drawn unlit in their material's colour
// after the object's faces. The material set-up is finished first, so that
// the next face sets its own again.
void DrawLines(const DrawnObject& drawn, const Framing& framing, FaceMaterial& material, int materialCount) {
  const ObjectMQO& g = drawn.geometry;
  const int vertexCount = g.vertices.size();
  material.Finish();
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glBegin(GL_LINES);
  for (const FaceMQO& face : g.faces) {
    double corner[4][3];
    if (DrawnCorners(face, vertexCount) != 2 || !SceneCorners(g, face, 2, framing, corner)) continue;
    const int faceMaterial = face.material >= 0 && face.material < materialCount ? face.material : -1;
    glColor4fv(faceMaterial >= 0 ? g_materials[faceMaterial].color : kPlainLine);
    glVertex3dv(corner[0]);
    glVertex3dv(corner[1]);
  }
  glEnd();
  glPopAttrib();
}

// Keeps a translucent face as triangles (a polygon of four corners is the
// fan 0-1-2, 0-2-3) for DrawTranslucentFaces.
void KeepTranslucent(const DrawnObject& drawn, int i, int corners, const double scene[4][3], int faceMaterial,
                     TranslucentFaces& translucent) {
  const FaceMQO& face = drawn.geometry.faces[i];
  const MaterialMQO& m = g_materials[faceMaterial];
  TranslucentFaces::Corner kept[4];
  for (int k = 0; k < corners; ++k) {
    TranslucentFaces::Corner& c = kept[k];
    for (int a = 0; a < 3; ++a) c.position[a] = static_cast<float>(scene[k][a]);
    const std::array<float, 3>& n = drawn.normals[4 * static_cast<size_t>(i) + k];
    for (int a = 0; a < 3; ++a) c.normal[a] = n[a];
    c.texel[0] = face.uv[k][1];
    c.texel[1] = face.uv[k][0];
    VertexColour(face, k, m.diffuse, m.color[3], c.colour);
  }
  for (int t = 1; t + 1 < corners; ++t)
    translucent.triangles.push_back({{kept[0], kept[t], kept[t + 1]}, faceMaterial});
}

// Draws an object's opaque faces, in runs of triangles of one material, then
// its lines; its translucent faces are kept.
void DrawObject(const DrawnObject& drawn, const Framing& framing, FaceMaterial& material, int materialCount,
                TranslucentFaces& translucent) {
  const ObjectMQO& g = drawn.geometry;
  const int vertexCount = g.vertices.size();
  const int faceCount = g.faces.size();
  bool inRun = false, textured = false, coloured = false, lines = false;
  int runMaterial = -2;
  float diffuse = 1, alpha = 1;
  for (int i = 0; i < faceCount; ++i) {
    const FaceMQO& face = g.faces[i];
    const int corners = DrawnCorners(face, vertexCount);
    if (corners < 2) continue;  // nothing to draw
    if (corners == 2) {
      lines = true;
      continue;
    }
    double corner[4][3];
    if (!SceneCorners(g, face, corners, framing, corner)) continue;  // also a corner that is not finite
    const int faceMaterial = face.material >= 0 && face.material < materialCount ? face.material : -1;
    if (material.Translucent(faceMaterial)) {
      KeepTranslucent(drawn, i, corners, corner, faceMaterial, translucent);
      continue;
    }
    if (!inRun || faceMaterial != runMaterial) {
      if (inRun) glEnd();
      textured = material.Set(faceMaterial);
      coloured = material.VertexColours(faceMaterial);
      if (coloured) {
        diffuse = g_materials[faceMaterial].diffuse;
        alpha = g_materials[faceMaterial].color[3];
      }
      glBegin(GL_TRIANGLES);
      inRun = true;
      runMaterial = faceMaterial;
    }
    for (int t = 1; t + 1 < corners; ++t)
      for (int k : {0, t, t + 1}) {
        glNormal3fv(drawn.normals[4 * static_cast<size_t>(i) + k].data());
        if (coloured) {
          float c[4];
          VertexColour(face, k, diffuse, alpha, c);
          glColor4fv(c);
        }
        if (textured) glTexCoord2f(face.uv[k][1], face.uv[k][0]);
        glVertex3dv(corner[k]);
      }
  }
  if (inRun) glEnd();
  if (lines) DrawLines(drawn, framing, material, materialCount);
}

// The state both kinds of faces are drawn in: the side of a face that the
// camera sees is lit, whichever it is (a model's open shells and single
// planes show their inside too), and faces are wound clockwise seen from
// their front.
void BeginFaces() {
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glFrontFace(GL_CW);
}

void EndFaces(FaceMaterial& material) {
  material.Finish();
  glFrontFace(GL_CCW);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
}

// Orders the triangles farthest first as seen through the model-view
// matrix m (column-major; the camera looks down -z).
void OrderFarthestFirst(TranslucentFaces& translucent, const double m[16]) {
  const size_t count = translucent.triangles.size();
  std::vector<double> depth(count);
  for (size_t i = 0; i < count; ++i) {
    double centre[3] = {0, 0, 0};
    for (const TranslucentFaces::Corner& c : translucent.triangles[i].corners)
      for (int a = 0; a < 3; ++a) centre[a] += c.position[a] / 3.0;
    depth[i] = m[2] * centre[0] + m[6] * centre[1] + m[10] * centre[2] + m[14];
  }
  translucent.order.resize(count);
  for (size_t i = 0; i < count; ++i) translucent.order[i] = static_cast<int>(i);
  // Stable, so that coplanar faces keep the file's order from frame to frame.
  std::stable_sort(translucent.order.begin(), translucent.order.end(),
                   [&](int a, int b) { return depth[a] < depth[b]; });
  std::copy(m, m + 16, translucent.orderedFor);
}

void DrawTranslucentTriangles(const TranslucentFaces& translucent, FaceMaterial& material) {
  bool inRun = false, textured = false, coloured = false;
  int runMaterial = -2;
  for (int index : translucent.order) {
    const TranslucentFaces::Triangle& triangle = translucent.triangles[index];
    if (!inRun || triangle.material != runMaterial) {
      if (inRun) glEnd();
      textured = material.Set(triangle.material);
      coloured = material.VertexColours(triangle.material);
      glBegin(GL_TRIANGLES);
      inRun = true;
      runMaterial = triangle.material;
    }
    for (const TranslucentFaces::Corner& c : triangle.corners) {
      glNormal3fv(c.normal);
      if (coloured) glColor4fv(c.colour);
      if (textured) glTexCoord2fv(c.texel);
      glVertex3fv(c.position);
    }
  }
  if (inRun) glEnd();
}

}  // namespace

void DrawModelAsModelled(const ObjectMQO* objects, int objectCount, const Framing& framing,
                         TranslucentFaces& translucent, DrawnSize* drawn) {
  translucent = TranslucentFaces();
  if (drawn) *drawn = DrawnSize();
  FaceMaterial material(g_materialCount, true);
  BeginFaces();
  // Each object is prepared, drawn and let go, so that only one object's
  // normals live at a time.
  for (int i = 0; i < objectCount; ++i) {
    if (!IsDrawnObject(objects[i])) continue;
    const DrawnObject prepared = PrepareDrawnObject(objects[i]);
    if (drawn) {
      drawn->faces += prepared.geometry.faces.size();
      drawn->vertices += prepared.geometry.vertices.size();
    }
    DrawObject(prepared, framing, material, g_materialCount, translucent);
  }
  EndFaces(material);
}

void DrawModelEdges(const ObjectMQO* objects, int objectCount, const Framing& framing) {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glColor4fv(kEdgeColour);
  glBegin(GL_LINES);
  for (int i = 0; i < objectCount; ++i) {
    if (!IsDrawnObject(objects[i])) continue;
    const DrawnObject drawn = PrepareDrawnObject(objects[i]);
    const ObjectMQO& g = drawn.geometry;
    const int vertexCount = g.vertices.size();
    for (const FaceMQO& face : g.faces) {
      const int corners = DrawnCorners(face, vertexCount);
      double corner[4][3];
      if (corners < 3 || !SceneCorners(g, face, corners, framing, corner)) continue;
      for (int k = 0; k < corners; ++k) {
        glVertex3dv(corner[k]);
        glVertex3dv(corner[(k + 1) % corners]);
      }
    }
  }
  glEnd();
  glPopAttrib();
}

void DrawTranslucentFaces(TranslucentFaces& translucent, bool writeDepth) {
  if (translucent.triangles.empty()) return;
  double m[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  if (translucent.order.size() != translucent.triangles.size() || !std::equal(m, m + 16, translucent.orderedFor))
    OrderFarthestFirst(translucent, m);
  FaceMaterial material(g_materialCount, true);
  BeginFaces();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  DrawTranslucentTriangles(translucent, material);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  EndFaces(material);
  if (writeDepth) {
    // Where a texel is wholly clear nothing lies.
    FaceMaterial coverage(g_materialCount, true, true);
    BeginFaces();
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    DrawTranslucentTriangles(translucent, coverage);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    EndFaces(coverage);
  }
}
