#pragma once
// How a material's images become the RGBA texels handed to OpenGL. No OpenGL
// here, so the layout is testable without a window.
//
// The texture is the picture transposed: texel row r holds picture column r
// and texel column c holds picture row c counted from the top. A picture W
// pixels wide and H high therefore gives a texture H texels wide and W high.
// Faces send their texture coordinates swapped (s = v, t = u), so u runs
// across the picture from its left edge and v down from its top edge.

#include <cstddef>
#include <vector>

#include "base/huge_pages.h"
#include "image/material_images.h"

struct TexelBlock {
  int width = 0;   // texels per row: the picture's height
  int height = 0;  // texel rows: the picture's width
  // width * height * 4 bytes, row by row. A 1024 x 1024 texture's block took
  // longer to fault in page by page than to fill.
  std::vector<unsigned char, HugePageAllocator<unsigned char>> rgba;
};

// The image whose single-channel plane gives the material's texels their
// alpha, or null when every texel is opaque: the loaded alpha plane, or, when
// the material names none, the texture's own alpha channel (a PNG or 32-bit
// TGA with transparency).
const CImageManager* AlphaSource(const MaterialMQO& material, const MaterialImages& images);
// The texture's own alpha channel as AlphaSource takes it for a material
// that names no alpha plane, or null.
const CImageManager* OwnAlpha(const CImageManager& texture);

// True when the material's faces need the alpha test to cut them out.
bool WantsAlphaTest(const MaterialMQO& material, const MaterialImages& images);

// Fills the texel block from a texture image and an optional alpha source.
// Colour comes from the colour plane, or from the grey plane for a
// greyscale-only picture; alpha from the alpha source's single-channel
// plane. Any sample that an image lacks (no plane, or a smaller picture)
// reads as 255. An empty picture gives an empty block.
TexelBlock BuildTexels(const CImageManager& texture, const CImageManager* alpha);

// The same samples in the picture's own order, not transposed: width *
// height * 4 bytes, RGBA, the top row first. For writing the picture out.
std::vector<unsigned char> BuildPicture(const CImageManager& texture, const CImageManager* alpha);

// Whether some texel's alpha lies strictly between 0 and 255.
bool HasSoftAlpha(const TexelBlock& texels);
bool HasSoftAlpha(const unsigned char* rgba, std::size_t bytes);
