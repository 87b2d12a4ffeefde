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

// Pixel (x, y) of the picture as RGBA: colour from the colour plane, or from
// the grey plane for a greyscale-only picture, alpha from the alpha source;
// 255 for any sample an image lacks.
struct PictureSampler {
  const CImageManager& texture;
  const CImageManager* alpha;
  bool colour = HasColour(texture);
  bool grey = !colour && HasSingleChannel(texture);

  void operator()(int x, int y, unsigned char* out) const {
    if (colour) {
      const unsigned char* p = texture.m_rgbRows[y] + 3 * static_cast<std::size_t>(x);
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
    } else if (grey) {
      out[0] = out[1] = out[2] = texture.m_alphaRows[y][x];
    } else {
      out[0] = out[1] = out[2] = 255;
    }
    out[3] = alpha ? SingleChannelAt(*alpha, x, y) : 255;
  }
};

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

  const PictureSampler sample{texture, alpha};
  unsigned char* out = block.rgba.data();
  for (int r = 0; r < block.height; ++r)    // picture column r
    for (int c = 0; c < block.width; ++c) {  // picture row c
      sample(r, c, out);
      out += 4;
    }
  return block;
}

std::vector<unsigned char> BuildPicture(const CImageManager& texture, const CImageManager* alpha) {
  std::vector<unsigned char> rgba;
  if (texture.m_width <= 0 || texture.m_height <= 0) return rgba;
  rgba.resize(static_cast<std::size_t>(texture.m_width) * static_cast<std::size_t>(texture.m_height) * 4);
  const PictureSampler sample{texture, alpha};
  unsigned char* out = rgba.data();
  for (int y = 0; y < texture.m_height; ++y)
    for (int x = 0; x < texture.m_width; ++x) {
      sample(x, y, out);
      out += 4;
    }
  return rgba;
}

bool HasSoftAlpha(const unsigned char* rgba, std::size_t bytes) {
  for (std::size_t i = 3; i < bytes; i += 4)
    if (rgba[i] != 0 && rgba[i] != 255) return true;
  return false;
}

bool HasSoftAlpha(const TexelBlock& texels) { return HasSoftAlpha(texels.rgba.data(), texels.rgba.size()); }
