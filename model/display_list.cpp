#include "model/display_list.h"

#include <GL/gl.h>

#include <algorithm>

#include "model/material_textures.h"
#include "model/model_loading.h"
#include "model/texel_layout.h"

namespace {

// Lighting colours of a face without material. They lie far above the 0..1
// range on purpose: such faces come out white under any light.
constexpr float kPlainAmbient = 51.0f;
constexpr float kPlainDiffuse = 76.5f;
constexpr float kPlainSpecular = 63.75f;
constexpr float kPlainEmission = 0.0f;
constexpr float kPlainShininess = 5.0f;

void SetColour(GLenum parameter, const float colour[4], float factor) {
  const float scaled[4] = {colour[0] * factor, colour[1] * factor, colour[2] * factor, colour[3] * factor};
  glMaterialfv(GL_FRONT_AND_BACK, parameter, scaled);
}

void SetPlain(GLenum parameter, float value) {
  const float colour[4] = {value, value, value, value};
  glMaterialfv(GL_FRONT_AND_BACK, parameter, colour);
}

// Sets the face's material; returns true when the face is textured.
bool SetFaceMaterial(int material, int materialCount) {
  if (material < 0 || material >= materialCount) {
    SetPlain(GL_AMBIENT, kPlainAmbient);
    SetPlain(GL_DIFFUSE, kPlainDiffuse);
    SetPlain(GL_SPECULAR, kPlainSpecular);
    SetPlain(GL_EMISSION, kPlainEmission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kPlainShininess);
    return false;
  }
  const MaterialMQO& m = g_materials[material];
  const bool textured = m.textureLoaded != 0;
  if (textured) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_textureIds[material]);
  }
  SetColour(GL_AMBIENT, m.color, m.ambient);
  SetColour(GL_DIFFUSE, m.color, m.diffuse);
  SetColour(GL_SPECULAR, m.color, m.specular);
  SetColour(GL_EMISSION, m.color, m.emissive);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.power);
  return textured;
}

// A face naming a vertex the object does not have is left out whole.
bool CornersInRange(const FaceMQO& face, int cornerCount, int vertexCount) {
  for (int k = 0; k < cornerCount; ++k)
    if (face.vertexIndex[k] < 0 || face.vertexIndex[k] >= vertexCount) return false;
  return true;
}

void DrawObject(const ObjectMQO& object, int materialCount) {
  const int vertexCount = object.vertices.size();
  for (const FaceMQO& face : object.faces) {
    const int corners = std::clamp(face.numVertices, 0, 4);
    if (!CornersInRange(face, corners, vertexCount)) continue;
    const bool textured = SetFaceMaterial(face.material, materialCount);
    glBegin(GL_POLYGON);
    for (int k = 0; k < corners; ++k) {
      if (textured) glTexCoord2f(face.uv[k][1], face.uv[k][0]);
      const VertexMQO& v = object.vertices[face.vertexIndex[k]];
      glVertex3d(v.x, v.y, v.z);
    }
    glEnd();
    if (textured) glDisable(GL_TEXTURE_2D);
  }
}

}  // namespace

void BuildDisplayList() {
  int objectCount = 0;
  int materialCount = 0;
  if (g_loader) {
    const DocumentMQO document = g_loader->GetDocument();
    objectCount = std::min(document.numObjects, kMaxModelSlots);
    materialCount = std::min(document.numMaterials, kMaxModelSlots);
  }
  bool alphaTest = false;
  for (int i = 0; i < materialCount && !alphaTest; ++i) alphaTest = WantsAlphaTest(g_materials[i]);

  glNewList(1, GL_COMPILE);
  if (alphaTest) {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
  }
  for (int i = 0; i < objectCount; ++i) DrawObject(g_objects[i], materialCount);
  if (alphaTest) glDisable(GL_ALPHA_TEST);
  glEndList();
}
