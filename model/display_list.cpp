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

// Texturing as the list leaves it so far: 0 while off, else the bound name.
// A run of faces with one texture enables and binds it once and disables it
// once at its end; between two textured faces the switch off and on again
// would change nothing, but it keeps Mesa from joining their polygons into
// one draw, which made frames several times slower.
struct TextureState {
  GLuint bound = 0;
  bool enabled = false;

  void Use(GLuint name) {
    if (!enabled) glEnable(GL_TEXTURE_2D);
    if (!enabled || bound != name) glBindTexture(GL_TEXTURE_2D, name);
    enabled = true;
    bound = name;
  }
  void Off() {
    if (enabled) glDisable(GL_TEXTURE_2D);
    enabled = false;
  }
};

// Sets the face's material; returns true when the face is textured.
bool SetFaceMaterial(int material, int materialCount, TextureState& texture) {
  if (material < 0 || material >= materialCount) {
    SetPlain(GL_AMBIENT, kPlainAmbient);
    SetPlain(GL_DIFFUSE, kPlainDiffuse);
    SetPlain(GL_SPECULAR, kPlainSpecular);
    SetPlain(GL_EMISSION, kPlainEmission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kPlainShininess);
    texture.Off();
    return false;
  }
  const MaterialMQO& m = g_materials[material];
  const bool textured = m.textureLoaded != 0;
  if (textured)
    texture.Use(g_textureIds[material]);
  else
    texture.Off();
  SetColour(GL_AMBIENT, m.color, m.ambient);
  SetColour(GL_DIFFUSE, m.color, m.diffuse);
  SetColour(GL_SPECULAR, m.color, m.specular);
  SetColour(GL_EMISSION, m.color, m.emissive);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.power);
  return textured;
}

void DrawObject(const ObjectMQO& object, int materialCount, TextureState& texture) {
  const int vertexCount = object.vertices.size();
  for (const FaceMQO& face : object.faces) {
    const int corners = DrawnCorners(face, vertexCount);
    if (corners == 0) continue;
    const bool textured = SetFaceMaterial(face.material, materialCount, texture);
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
    if (face.vertexIndex[k] < 0 || face.vertexIndex[k] >= vertexCount) return 0;
  return corners;
}

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
  TextureState texture;
  for (int i = 0; i < objectCount; ++i) DrawObject(g_objects[i], materialCount, texture);
  texture.Off();
  if (alphaTest) glDisable(GL_ALPHA_TEST);
  glEndList();
}
