// The texel layout of a material's texture, without OpenGL.

#include "model/texel_layout.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "image/image_manager.h"

namespace {

// An image with the planes given as top-down sample lists (3 bytes a pixel
// for colour, 1 for the single channel); an empty list means no plane.
std::unique_ptr<CImageManager> MakeImage(int width, int height, const std::vector<int>& rgb,
                                         const std::vector<int>& single = {}) {
  auto image = std::make_unique<CImageManager>();
  image->m_width = width;
  image->m_height = height;
  auto plane = [&](const std::vector<int>& samples, int channels) {
    auto** rows = new unsigned char*[height];
    for (int y = 0; y < height; ++y) {
      rows[y] = new unsigned char[width * channels];
      for (int i = 0; i < width * channels; ++i) rows[y][i] = static_cast<unsigned char>(samples[y * width * channels + i]);
    }
    return rows;
  };
  if (!rgb.empty()) image->m_rgbRows = plane(rgb, 3);
  if (!single.empty()) image->m_alphaRows = plane(single, 1);
  image->m_planeKind = rgb.empty() ? 2 : 1;
  return image;
}

std::vector<int> Texel(const TexelBlock& block, int row, int column) {
  const unsigned char* p = &block.rgba[(row * block.width + column) * 4];
  return {p[0], p[1], p[2], p[3]};
}

// Picture pixel (column x, row y) of the test pictures has red 10x+y+1 and
// green 100+x, blue 200+y, so every texel names where it came from.
std::vector<int> Picture(int width, int height) {
  std::vector<int> rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), {10 * x + y + 1, 100 + x, 200 + y});
  return rgb;
}

TEST(TexelLayout, SquarePictureIsTransposedWithOpaqueAlpha) {
  const auto texture = MakeImage(2, 2, Picture(2, 2));
  const TexelBlock block = BuildTexels(*texture, nullptr);
  ASSERT_EQ(block.width, 2);
  ASSERT_EQ(block.height, 2);
  ASSERT_EQ(block.rgba.size(), 16u);
  // Texel row r walks picture column r downwards.
  EXPECT_EQ(Texel(block, 0, 0), (std::vector<int>{1, 100, 200, 255}));   // P(0, 0)
  EXPECT_EQ(Texel(block, 0, 1), (std::vector<int>{2, 100, 201, 255}));   // P(0, 1)
  EXPECT_EQ(Texel(block, 1, 0), (std::vector<int>{11, 101, 200, 255}));  // P(1, 0)
  EXPECT_EQ(Texel(block, 1, 1), (std::vector<int>{12, 101, 201, 255}));  // P(1, 1)
}

TEST(TexelLayout, WidePictureGivesTallTextureWithoutReadingPastEitherSide) {
  // 3 wide, 2 high: the texture is 2 texels wide and 3 rows high.
  const auto texture = MakeImage(3, 2, Picture(3, 2));
  const TexelBlock block = BuildTexels(*texture, nullptr);
  ASSERT_EQ(block.width, 2);
  ASSERT_EQ(block.height, 3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 2; ++c) EXPECT_EQ(Texel(block, r, c)[0], 10 * r + c + 1) << r << "," << c;

  const auto tall = MakeImage(1, 4, Picture(1, 4));
  const TexelBlock tallBlock = BuildTexels(*tall, nullptr);
  ASSERT_EQ(tallBlock.width, 4);
  ASSERT_EQ(tallBlock.height, 1);
  for (int c = 0; c < 4; ++c) EXPECT_EQ(Texel(tallBlock, 0, c)[2], 200 + c);
}

TEST(TexelLayout, AlphaFollowsTheAlphaPlaneTransposed) {
  const auto texture = MakeImage(2, 2, Picture(2, 2));
  const auto alpha = MakeImage(2, 2, {}, {10, 20, 30, 40});  // A(0,0)=10 A(1,0)=20 A(0,1)=30 A(1,1)=40
  const TexelBlock block = BuildTexels(*texture, alpha.get());
  EXPECT_EQ(Texel(block, 0, 0)[3], 10);
  EXPECT_EQ(Texel(block, 0, 1)[3], 30);
  EXPECT_EQ(Texel(block, 1, 0)[3], 20);
  EXPECT_EQ(Texel(block, 1, 1)[3], 40);
  EXPECT_EQ(Texel(block, 1, 1)[0], 12);  // colour untouched
}

TEST(TexelLayout, AlphaPlaneWithoutSamplesGivesOpaqueTexels) {
  const auto texture = MakeImage(3, 3, Picture(3, 3));
  const auto small = MakeImage(1, 2, {}, {7, 8});
  const TexelBlock block = BuildTexels(*texture, small.get());
  EXPECT_EQ(Texel(block, 0, 0)[3], 7);
  EXPECT_EQ(Texel(block, 0, 1)[3], 8);
  EXPECT_EQ(Texel(block, 0, 2)[3], 255);  // below the alpha picture
  EXPECT_EQ(Texel(block, 1, 0)[3], 255);  // right of it
  EXPECT_EQ(Texel(block, 2, 2)[3], 255);

  const auto colourOnly = MakeImage(3, 3, Picture(3, 3));  // a BMP or JPEG named as alpha plane
  const TexelBlock opaque = BuildTexels(*texture, colourOnly.get());
  for (size_t i = 3; i < opaque.rgba.size(); i += 4) EXPECT_EQ(opaque.rgba[i], 255);
}

TEST(TexelLayout, GreyOnlyTextureGivesGreyColour) {
  const auto grey = MakeImage(2, 1, {}, {40, 90});
  const TexelBlock block = BuildTexels(*grey, nullptr);
  ASSERT_EQ(block.height, 2);
  EXPECT_EQ(Texel(block, 0, 0), (std::vector<int>{40, 40, 40, 255}));
  EXPECT_EQ(Texel(block, 1, 0), (std::vector<int>{90, 90, 90, 255}));
}

TEST(TexelLayout, EmptyPictureGivesNoTexels) {
  CImageManager nothing;
  EXPECT_TRUE(BuildTexels(nothing, nullptr).rgba.empty());
  const auto noRows = MakeImage(0, 5, {});
  EXPECT_TRUE(BuildTexels(*noRows, nullptr).rgba.empty());
}

// A material and the images loaded for it.
struct MaterialWithImages {
  MaterialMQO material;
  MaterialImages images;
  MaterialWithImages(std::unique_ptr<CImageManager> texture, std::unique_ptr<CImageManager> alpha) {
    images.textureLoaded = texture != nullptr;
    images.textureImage = std::move(texture);
    images.alphaLoaded = alpha != nullptr;
    images.alphaImage = std::move(alpha);
  }
};

TEST(AlphaSource, LoadedAlphaPlaneWins) {
  MaterialWithImages m(MakeImage(1, 1, {1, 2, 3}, {9}), MakeImage(1, 1, {}, {5}));
  std::snprintf(m.material.alphaPlaneName, 256, "a.tga");
  EXPECT_EQ(AlphaSource(m.material, m.images), m.images.alphaImage.get());
  EXPECT_TRUE(WantsAlphaTest(m.material, m.images));
}

TEST(AlphaSource, TextureWithItsOwnAlphaChannelCutsOutWhenNoAlphaPlaneIsNamed) {
  MaterialWithImages m(MakeImage(1, 1, {1, 2, 3}, {0}), nullptr);
  EXPECT_EQ(AlphaSource(m.material, m.images), m.images.textureImage.get());
  EXPECT_TRUE(WantsAlphaTest(m.material, m.images));
  EXPECT_EQ(Texel(BuildTexels(*m.images.textureImage, AlphaSource(m.material, m.images)), 0, 0),
            (std::vector<int>{1, 2, 3, 0}));

  // A named alpha plane that failed to load leaves the texture opaque.
  std::snprintf(m.material.alphaPlaneName, 256, "missing.tga");
  EXPECT_EQ(AlphaSource(m.material, m.images), nullptr);
  EXPECT_FALSE(WantsAlphaTest(m.material, m.images));
}

TEST(AlphaSource, PlainTexturesAndGreyTexturesAreOpaque) {
  MaterialWithImages colour(MakeImage(1, 1, {1, 2, 3}), nullptr);
  EXPECT_EQ(AlphaSource(colour.material, colour.images), nullptr);
  EXPECT_FALSE(WantsAlphaTest(colour.material, colour.images));

  MaterialWithImages grey(MakeImage(1, 1, {}, {77}), nullptr);
  EXPECT_EQ(AlphaSource(grey.material, grey.images), nullptr);
  EXPECT_FALSE(WantsAlphaTest(grey.material, grey.images));

  MaterialMQO none;
  EXPECT_FALSE(WantsAlphaTest(none, MaterialImages()));
}

TEST(AlphaSource, AlphaPlaneWithoutSingleChannelStillAsksForTheTest) {
  // The alpha plane loaded (a BMP): the test is on, every texel opaque.
  MaterialWithImages m(MakeImage(1, 1, {1, 2, 3}), MakeImage(1, 1, {4, 5, 6}));
  std::snprintf(m.material.alphaPlaneName, 256, "a.bmp");
  EXPECT_TRUE(WantsAlphaTest(m.material, m.images));
  EXPECT_EQ(Texel(BuildTexels(*m.images.textureImage, AlphaSource(m.material, m.images)), 0, 0)[3], 255);
}

}  // namespace
