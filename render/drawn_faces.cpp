#include "render/drawn_faces.h"

#include <GL/gl.h>

#include <cmath>
#include <utility>
#include <vector>

#include "model/drawn_model.h"
#include "render/face_material.h"
#include "model/model_loading.h"

namespace {

// Scene coordinates beyond this lie far outside any frustum; OpenGL's float
// arithmetic would turn them into infinities, so such faces are left out.
constexpr double kFarthest = 1e30;

// The colour of a line without material: the light grey that faces without
// material have where a light meets them.
constexpr float kPlainLine[4] = {0.7f, 0.7f, 0.7f, 1.0f};

// Faces of two corners are lines, drawn unlit in their material's colour,
// after the faces of the pass. The material set-up is finished first, so
// that the next face sets its own again.
void DrawLines(const DrawnObject& drawn, const Framing& framing, FaceMaterial& material, int materialCount,
               bool translucent) {
  const ObjectMQO& g = drawn.geometry;
  const int vertexCount = g.vertices.size();
  material.Finish();
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glBegin(GL_LINES);
  for (const FaceMQO& face : g.faces) {
    if (DrawnCorners(face, vertexCount) != 2) continue;
    const int faceMaterial = face.material >= 0 && face.material < materialCount ? face.material : -1;
    if (material.Translucent(faceMaterial) != translucent) continue;
    double corner[2][3];
    bool inRange = true;
    for (int k = 0; k < 2; ++k) {
      const VertexMQO& v = g.vertices[face.vertexIndex[k]];
      framing.ToScene(v.x, v.y, v.z, corner[k]);
      for (double c : corner[k]) inRange = inRange && std::abs(c) < kFarthest;
    }
    if (!inRange) continue;
    glColor4fv(faceMaterial >= 0 ? g_materials[faceMaterial].color : kPlainLine);
    glVertex3dv(corner[0]);
    glVertex3dv(corner[1]);
  }
  glEnd();
  glPopAttrib();
}

// Draws the faces of one pass: the opaque ones, or those of translucent
// materials. Faces of one material go into one run of triangles, then the
// pass's lines. Returns whether the object has faces of the other pass.
bool DrawPass(const DrawnObject& drawn, const Framing& framing, FaceMaterial& material, int materialCount,
              bool translucent) {
  const ObjectMQO& g = drawn.geometry;
  const int vertexCount = g.vertices.size();
  const int faceCount = g.faces.size();
  bool inRun = false, textured = false, coloured = false, otherPass = false, lines = false;
  int runMaterial = -2;
  float diffuse = 1, alpha = 1;
  for (int i = 0; i < faceCount; ++i) {
    const FaceMQO& face = g.faces[i];
    const int corners = DrawnCorners(face, vertexCount);
    if (corners < 2) continue;  // nothing to draw
    const int faceMaterial = face.material >= 0 && face.material < materialCount ? face.material : -1;
    if (material.Translucent(faceMaterial) != translucent) {
      otherPass = true;
      continue;
    }
    if (corners == 2) {
      lines = true;
      continue;
    }
    double corner[4][3];
    bool inRange = true;
    for (int k = 0; k < corners; ++k) {
      const VertexMQO& v = g.vertices[face.vertexIndex[k]];
      framing.ToScene(v.x, v.y, v.z, corner[k]);
      for (double c : corner[k]) inRange = inRange && std::abs(c) < kFarthest;
    }
    if (!inRange) continue;  // also a corner that is not finite
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
    // A polygon of four corners is drawn as the fan 0-1-2, 0-2-3.
    for (int t = 1; t + 1 < corners; ++t)
      for (int k : {0, t, t + 1}) {
        glNormal3fv(drawn.normals[4 * static_cast<size_t>(i) + k].data());
        if (coloured) {
          // COL packs red in the low byte, then green, blue and alpha. A
          // face without COL reads as 0, which the modeller shows white.
          const unsigned c = face.vertexColor[k] == 0 ? 0xFFFFFFFFu : static_cast<unsigned>(face.vertexColor[k]);
          glColor4f((c & 0xFF) / 255.0f * diffuse, (c >> 8 & 0xFF) / 255.0f * diffuse,
                    (c >> 16 & 0xFF) / 255.0f * diffuse, (c >> 24 & 0xFF) / 255.0f * alpha);
        }
        if (textured) glTexCoord2f(face.uv[k][1], face.uv[k][0]);
        glVertex3dv(corner[k]);
      }
  }
  if (inRun) glEnd();
  if (lines) DrawLines(drawn, framing, material, materialCount, translucent);
  return otherPass;
}

}  // namespace

void DrawModelAsModelled(const ObjectMQO* objects, int objectCount, const Framing& framing) {
  FaceMaterial material(g_materialCount, true);
  // The side of a face that the camera sees is lit, whichever it is: a
  // model's open shells and single planes show their inside too. Faces are
  // wound clockwise seen from their front.
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glFrontFace(GL_CW);
  // Each object is prepared, drawn and let go, so that only one object's
  // normals live at a time; those with translucent faces wait for the
  // second pass.
  std::vector<DrawnObject> waiting;
  for (int i = 0; i < objectCount; ++i) {
    if (!IsDrawnObject(objects[i])) continue;
    DrawnObject drawn = PrepareDrawnObject(objects[i]);
    if (DrawPass(drawn, framing, material, g_materialCount, false)) waiting.push_back(std::move(drawn));
  }
  if (!waiting.empty()) {
    // Blended over what is opaque, in the file's order, unsorted; each
    // still writes its depth, so that a picture read back knows where it
    // was drawn.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (const DrawnObject& drawn : waiting) DrawPass(drawn, framing, material, g_materialCount, true);
    glDisable(GL_BLEND);
  }
  material.Finish();
  glFrontFace(GL_CCW);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
}
