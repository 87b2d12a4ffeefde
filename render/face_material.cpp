#include "render/face_material.h"

#include "render/material_textures.h"
#include "model/material_kind.h"
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

void SetColour(GLenum parameter, const float colour[4], float factor, float alpha) {
  const float scaled[4] = {colour[0] * factor, colour[1] * factor, colour[2] * factor, alpha};
  glMaterialfv(GL_FRONT_AND_BACK, parameter, scaled);
}

void SetColour(GLenum parameter, const float colour[4], float factor) {
  SetColour(parameter, colour, factor, colour[3] * factor);
}

void SetPlain(GLenum parameter, float value) {
  const float colour[4] = {value, value, value, value};
  glMaterialfv(GL_FRONT_AND_BACK, parameter, colour);
}

// A face without material as modelled: a light grey, brightest (near white)
// where all three lights meet it.
constexpr float kGreyAmbient = 0.45f;
constexpr float kGreyDiffuse = kNoMaterialGrey;
constexpr float kGreySpecular = 0.1f;

void SetGrey(GLenum parameter, float value) {
  const float colour[4] = {value, value, value, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, parameter, colour);
}

}  // namespace

FaceMaterial::FaceMaterial(int materialCount, bool asModelled, bool coverage)
    : materialCount_(materialCount), cut_(materialCount), asModelled_(asModelled), coverage_(coverage) {
  // As modelled, alpha between 0 and 255 blends; only a hard cut-out (0 or
  // 255 alone) keeps the test, so that foliage keeps its depth.
  for (int i = 0; i < materialCount; ++i)
    cut_[i] = asModelled ? IsCutOut(g_materials[i], g_materialImages[i])
                         : WantsAlphaTest(g_materials[i], g_materialImages[i]);
}

void FaceMaterial::UseTexture(GLuint name) {
  if (!textured_) glEnable(GL_TEXTURE_2D);
  if (!textured_ || bound_ != name) glBindTexture(GL_TEXTURE_2D, name);
  textured_ = true;
  bound_ = name;
}

void FaceMaterial::TextureOff() {
  if (textured_) glDisable(GL_TEXTURE_2D);
  textured_ = false;
}

void FaceMaterial::UseAlphaTest(bool wanted, float reference) {
  if (coverage_) {
    wanted = true;
    reference = 0.0f;
  }
  if (wanted && reference != alphaReference_) {
    glAlphaFunc(GL_GREATER, reference);
    alphaReference_ = reference;
  }
  if (wanted == alphaTest_) return;
  if (wanted)
    glEnable(GL_ALPHA_TEST);
  else
    glDisable(GL_ALPHA_TEST);
  alphaTest_ = wanted;
}

bool FaceMaterial::Translucent(int material) const {
  return asModelled_ && material >= 0 && material < materialCount_ &&
         IsTranslucent(g_materials[material], g_materialImages[material]);
}

bool FaceMaterial::VertexColours(int material) const {
  return asModelled_ && material >= 0 && material < materialCount_ && TakesVertexColours(g_materials[material]);
}

bool FaceMaterial::Constant(int material) const {
  return asModelled_ && material >= 0 && material < materialCount_ && IsConstant(g_materials[material]);
}

void FaceMaterial::UseVertexColours(GLenum target) {
  if (target == vertexColours_) return;
  if (target != 0) {
    glColorMaterial(GL_FRONT_AND_BACK, target);
    if (vertexColours_ == 0) glEnable(GL_COLOR_MATERIAL);
  } else {
    glDisable(GL_COLOR_MATERIAL);
  }
  vertexColours_ = target;
}

bool FaceMaterial::Set(int material) {
  if (material != set_) {
    setTextured_ = Apply(material);
    set_ = material;
  }
  return setTextured_;
}

bool FaceMaterial::Apply(int material) {
  // A constant material's colour is all its light, so vertex colours give
  // its emission; a lit one's, its diffuse colour.
  if (asModelled_) UseVertexColours(!VertexColours(material) ? 0 : Constant(material) ? GL_EMISSION : GL_DIFFUSE);
  if ((material < 0 || material >= materialCount_) && asModelled_) {
    SetGrey(GL_AMBIENT, kGreyAmbient);
    SetGrey(GL_DIFFUSE, kGreyDiffuse);
    SetGrey(GL_SPECULAR, kGreySpecular);
    SetGrey(GL_EMISSION, 0.0f);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kPlainShininess);
    TextureOff();
    UseAlphaTest(false, alphaReference_);
    return false;
  }
  if (material < 0 || material >= materialCount_) {
    SetPlain(GL_AMBIENT, kPlainAmbient);
    SetPlain(GL_DIFFUSE, kPlainDiffuse);
    SetPlain(GL_SPECULAR, kPlainSpecular);
    SetPlain(GL_EMISSION, kPlainEmission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kPlainShininess);
    TextureOff();
    UseAlphaTest(false, alphaReference_);
    return false;
  }
  const MaterialMQO& m = g_materials[material];
  // As modelled, an alpha plane alone makes a texture too: white, cut by it.
  const bool textured = g_materialImages[material].textureLoaded != 0 || (asModelled_ && g_textureIds[material] != 0);
  if (textured)
    UseTexture(g_textureIds[material]);
  else
    TextureOff();
  // Only the alpha of a material's own plane (or of its picture) decides
  // what the test cuts: under lighting a fragment's alpha is the diffuse
  // alpha times the texel's, so that diffuse alpha is 1 here. Any other
  // factor would move the cut line, and a dark or emissive material (dif
  // below one half) would vanish whole. As modelled, a translucent
  // material's alpha multiplies its texels' (it blends), and its cut line
  // moves with it.
  const bool cut = cut_[material];
  const bool translucent = Translucent(material);
  UseAlphaTest(cut, translucent ? kCutOutAlpha * m.color[3] : kCutOutAlpha);
  SetColour(GL_AMBIENT, m.color, m.ambient);
  if (cut && !translucent)
    SetColour(GL_DIFFUSE, m.color, m.diffuse, 1.0f);
  else if (asModelled_)
    SetColour(GL_DIFFUSE, m.color, m.diffuse, m.color[3]);
  else
    SetColour(GL_DIFFUSE, m.color, m.diffuse);
  SetColour(GL_SPECULAR, m.color, m.specular);
  SetColour(GL_EMISSION, m.color, m.emissive);
  if (Constant(material)) {
    // Unlit: no light adds to the colour, which shows as it is (times the
    // texture); the diffuse alpha set above still gives the face its alpha.
    SetColour(GL_AMBIENT, m.color, 0.0f, 0.0f);
    SetColour(GL_SPECULAR, m.color, 0.0f, 0.0f);
    const float diffuseAlpha = cut && !translucent ? 1.0f : m.color[3];
    SetColour(GL_DIFFUSE, m.color, 0.0f, diffuseAlpha);
    SetColour(GL_EMISSION, m.color, 1.0f, 1.0f);
  }
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.power);
  return textured;
}

void FaceMaterial::Finish() {
  set_ = kNoneSet;
  TextureOff();
  if (alphaTest_) glDisable(GL_ALPHA_TEST);
  alphaTest_ = false;
  UseVertexColours(0);
}
