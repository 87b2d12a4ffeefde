#include "model/material_textures.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "image/image_manager.h"
#include "model/model_loading.h"
#include "model/texel_layout.h"
#include "model/textures_ahead.h"

// Entry i names the texture object of material slot i; 0 where none was made.
// The texture objects live until the process ends.
unsigned int g_textureIds[kMaxTextures];

unsigned int NewBoundTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  return name;
}

namespace {

// prepared: the texels built ahead, or empty to build them here.
void UploadTexture(int slot, MaterialMQO& material, TexelBlock prepared) {
  glEnable(GL_TEXTURE_2D);
  g_textureIds[slot] = NewBoundTexture();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  if (material.alphaPlaneName[0] != '\0') material.LoadAlphaPlane();

  // The scratch texels live only for the upload; OpenGL keeps its own copy.
  const TexelBlock texels =
      prepared.rgba.empty() ? BuildTexels(*material.textureImage, AlphaSource(material)) : std::move(prepared);
  if (!texels.rgba.empty())
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texels.width, texels.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.rgba.data());
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

void LoadMaterialTextures() {
  if (!g_loader) return;
  int count = g_loader->GetDocument().numMaterials;
  if (count > kMaxTextures) {
    std::printf("This program can't load over 256 materials\n");
    count = kMaxTextures;
  }
  std::vector<TextureAhead> ahead = TakeTexturesAhead();
  ahead.resize(std::max(ahead.size(), static_cast<size_t>(count)));
  for (int i = 0; i < count; ++i) {
    MaterialMQO& material = g_materials[i];
    if (material.textureName[0] == '\0') continue;
    if (ahead[i].image) {
      // What LoadTexture leaves after a clean read.
      material.textureImage = ahead[i].image.release();
      material.textureKind = ahead[i].kind;
      material.textureLoaded = 1;
    } else if (!material.LoadTexture() || !material.textureImage) {
      continue;
    }
    UploadTexture(i, material, std::move(ahead[i].texels));
  }
}
