#include "model/texel_layout.h"

#include <cstddef>

#include "image/image_manager.h"

namespace {

bool HasColour(const CImageManager& image) { return image.m_rgbRows != nullptr; }
bool HasSingleChannel(const CImageManager& image) { return image.m_alphaRows != nullptr; }

// Sample (x, y) of the single-channel plane, 255 where there is none.
unsigned char SingleChannelAt(const CImageManager& image, int x, int y) {
  if (!image.m_alphaRows || x < 0 || x >= image.m_width || y < 0 || y >= image.m_height) return 255;
  return image.m_alphaRows[y][x];
}

}  // namespace

const CImageManager* AlphaSource(const MaterialMQO& material, const MaterialImages& images) {
  if (material.alphaPlaneName[0] != '\0') return images.alphaLoaded ? images.alphaImage.get() : nullptr;
  const CImageManager* texture = images.textureImage.get();
  return images.textureLoaded && texture ? OwnAlpha(*texture) : nullptr;
}

const CImageManager* OwnAlpha(const CImageManager& texture) {
  return HasColour(texture) && HasSingleChannel(texture) ? &texture : nullptr;
}

bool WantsAlphaTest(const MaterialMQO& material, const MaterialImages& images) {
  return images.alphaLoaded != 0 || (material.alphaPlaneName[0] == '\0' && AlphaSource(material, images) != nullptr);
}

TexelBlock BuildTexels(const CImageManager& texture, const CImageManager* alpha) {
  TexelBlock block;
  const int pictureWidth = texture.m_width;
  const int pictureHeight = texture.m_height;
  if (pictureWidth <= 0 || pictureHeight <= 0) return block;
  block.width = pictureHeight;
  block.height = pictureWidth;
  block.rgba.resize(static_cast<std::size_t>(pictureWidth) * static_cast<std::size_t>(pictureHeight) * 4);

  const bool colour = HasColour(texture);
  const bool grey = !colour && HasSingleChannel(texture);
  unsigned char* out = block.rgba.data();
  for (int r = 0; r < block.height; ++r) {    // picture column r
    for (int c = 0; c < block.width; ++c) {   // picture row c
      if (colour) {
        const unsigned char* p = texture.m_rgbRows[c] + 3 * static_cast<std::size_t>(r);
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
      } else if (grey) {
        out[0] = out[1] = out[2] = texture.m_alphaRows[c][r];
      } else {
        out[0] = out[1] = out[2] = 255;
      }
      out[3] = alpha ? SingleChannelAt(*alpha, r, c) : 255;
      out += 4;
    }
  }
  return block;
}

bool HasSoftAlpha(const TexelBlock& texels) {
  for (std::size_t i = 3; i < texels.rgba.size(); i += 4)
    if (texels.rgba[i] != 0 && texels.rgba[i] != 255) return true;
  return false;
}
