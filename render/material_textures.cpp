#include "render/material_textures.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "image/image_manager.h"
#include "model/texel_layout.h"
#include "render/display_list.h"
#include "model/textures_ahead.h"

// Entry i names the texture object of material slot i; 0 where none was made.
// The texture objects live until the model is let go, or the process ends.
unsigned int g_textureIds[kMaxModelSlots];

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

// Makes material slot's texture object from the texels; the scratch texels
// live only for the upload, OpenGL keeps its own copy.
void UploadTexels(int slot, const TexelBlock& texels) {
  g_materialImages[slot].softAlpha = HasSoftAlpha(texels);
  glEnable(GL_TEXTURE_2D);
  g_textureIds[slot] = NewBoundTexture();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  if (!texels.rgba.empty())
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texels.width, texels.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.rgba.data());
  glDisable(GL_TEXTURE_2D);
}

// prepared: the texels built ahead, or empty to build them here.
void UploadTexture(int slot, const MaterialMQO& material, MaterialImages& images, TexelBlock prepared) {
  if (material.alphaPlaneName[0] != '\0') LoadAlphaPlane(material, images);
  UploadTexels(slot, prepared.rgba.empty() ? BuildTexels(*images.textureImage, AlphaSource(material, images))
                                           : std::move(prepared));
}

// As modelled, a material with an alpha plane and no texture is cut by the
// plane all the same: its texture is white, the plane its alpha.
void UploadAlphaAlone(int slot, const MaterialMQO& material, MaterialImages& images) {
  if (!LoadAlphaPlane(material, images)) return;
  CImageManager white;  // no planes: every colour sample reads as 255
  white.m_width = images.alphaImage->m_width;
  white.m_height = images.alphaImage->m_height;
  UploadTexels(slot, BuildTexels(white, AlphaSource(material, images)));
}

}  // namespace

void LoadMaterialTextures() {
  if (!g_loader) return;
  if (g_loader->document.numMaterials > kMaxModelSlots) std::printf("This program can't load over 256 materials\n");
  std::vector<TextureAhead> ahead = TakeTexturesAhead();
  ahead.resize(std::max(ahead.size(), static_cast<size_t>(g_materialCount)));
  for (int i = 0; i < g_materialCount; ++i) {
    const MaterialMQO& material = g_materials[i];
    MaterialImages& images = g_materialImages[i];
    if (material.textureName[0] == '\0') {
      if (g_asModelled && material.alphaPlaneName[0] != '\0') UploadAlphaAlone(i, material, images);
      continue;
    }
    if (ahead[i].image) {
      // What LoadTexture leaves after a clean read.
      images.textureImage = std::move(ahead[i].image);
      images.textureKind = ahead[i].kind;
      images.textureLoaded = 1;
    } else if (!LoadTexture(material, images) || !images.textureImage) {
      continue;
    }
    UploadTexture(i, material, images, std::move(ahead[i].texels));
  }
}

void ReleaseMaterialTextures() {
  for (unsigned int& name : g_textureIds) {
    if (name != 0) glDeleteTextures(1, &name);
    name = 0;
  }
}
