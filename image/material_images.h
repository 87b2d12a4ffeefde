#pragma once
// The images decoded for one material: its texture and its alpha plane. The
// model keeps one such record beside each material record.

#include <memory>

#include "image/image_manager.h"
#include "mqo/material.h"

struct MaterialImages {
  int textureKind = 0;  // 0 no texture file, 1 BMP, 2 TGA, JPEG or PNG; set by LoadTexture
  std::unique_ptr<CImageManager> textureImage;
  std::unique_ptr<CImageManager> alphaImage;
  int textureLoaded = 0;  // 1 when the texture image loaded
  int alphaLoaded = 0;    // 1 when the alpha plane's image loaded
  // Whether the texels' alpha takes values between 0 and 255 (a glow, a
  // blur), not only 0 and 255 (a cut-out); set when the texture is made.
  bool softAlpha = false;
};

// Pick a reader by the extension of the material's texture (alpha plane)
// name, find the file and keep the loaded image in `images`; a second load
// replaces the first image. Return 1 when the image loaded, 0 otherwise.
int LoadTexture(const MaterialMQO& material, MaterialImages& images);
int LoadAlphaPlane(const MaterialMQO& material, MaterialImages& images);
