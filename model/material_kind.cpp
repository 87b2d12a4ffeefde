#include "model/material_kind.h"

#include "model/texel_layout.h"

bool IsTranslucent(const MaterialMQO& material, const MaterialImages& images) {
  return material.color[3] < 1.0f || images.softAlpha;
}

bool IsCutOut(const MaterialMQO& material, const MaterialImages& images) {
  return WantsAlphaTest(material, images) && !images.softAlpha;
}

bool TakesVertexColours(const MaterialMQO& material) { return material.vertexColors == 1; }

bool IsConstant(const MaterialMQO& material) { return material.shader == 1; }

void VertexColour(const FaceMQO& face, int k, float diffuse, float alpha, float out[4]) {
  const unsigned c = face.vertexColor[k] == 0 ? 0xFFFFFFFFu : static_cast<unsigned>(face.vertexColor[k]);
  out[0] = (c & 0xFF) / 255.0f * diffuse;
  out[1] = (c >> 8 & 0xFF) / 255.0f * diffuse;
  out[2] = (c >> 16 & 0xFF) / 255.0f * diffuse;
  out[3] = (c >> 24 & 0xFF) / 255.0f * alpha;
}
