#pragma once
// Fixture writers and helpers shared by the image tests: pictures are built
// byte by byte (TGA, BMP) or with the format's own library (JPEG, PNG).
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/material_images.h"

using Bytes = std::vector<unsigned char>;

inline void PutLe(Bytes& b, unsigned long long v, int size) {
  for (int i = 0; i < size; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  FILE* fp = std::fopen(path.c_str(), "wb");
  ASSERT_NE(fp, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), fp);
  std::fclose(fp);
}

inline Bytes ReadBytes(const std::string& path) {
  Bytes b;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return b;
  for (int c; (c = std::fgetc(fp)) != EOF;) b.push_back(static_cast<unsigned char>(c));
  std::fclose(fp);
  return b;
}

// Gives a test the reader's stream entry.
template <typename Reader>
struct StreamReader : Reader {
  int LoadBytes(const Bytes& bytes) {
    // A heap copy of exactly the file's size, so that AddressSanitizer sees
    // any read past its end.
    unsigned char* copy = static_cast<unsigned char*>(std::malloc(bytes.size() + 1));
    std::copy(bytes.begin(), bytes.end(), copy);
    FILE* fp = fmemopen(copy, bytes.size(), "rb");
    const int result = fp ? Reader::ReadStream(fp) : -2;
    if (fp) std::fclose(fp);
    std::free(copy);
    return result;
  }
};

// Runs a test inside a fresh temporary folder as the current directory.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    char pattern[] = "/tmp/lumenspin-image-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(saved_);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path saved_, dir_;
};

inline Bytes Tga(int type, int width, int height, int depth, const Bytes& pixels, int descriptor = 0,
                 const Bytes& id = {}, int mapLength = 0) {
  Bytes b;
  b.push_back(static_cast<unsigned char>(id.size()));
  b.push_back(mapLength ? 1 : 0);
  b.push_back(static_cast<unsigned char>(type));
  PutLe(b, 0, 2);
  PutLe(b, mapLength, 2);
  b.push_back(mapLength ? 24 : 0);
  PutLe(b, 0, 4);
  PutLe(b, width, 2);
  PutLe(b, height, 2);
  b.push_back(static_cast<unsigned char>(depth));
  b.push_back(static_cast<unsigned char>(descriptor));
  b.insert(b.end(), id.begin(), id.end());
  b.insert(b.end(), static_cast<size_t>(mapLength) * 3, 0xEE);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

struct BmpShape {
  BmpShape(int w, int h, int b = 24) : width(w), height(h), bits(b) {}
  int width, height, bits;
  unsigned infoSize = 40, compression = 0, gap = 0;
  Bytes palette;  // 4 bytes an entry
};

// `rows` are the stored rows, already padded.
inline Bytes Bmp(const BmpShape& s, const Bytes& rows) {
  const unsigned offset = 14 + s.infoSize + static_cast<unsigned>(s.palette.size()) + s.gap;
  Bytes b{'B', 'M'};
  PutLe(b, offset + rows.size(), 4);
  PutLe(b, 0, 4);
  PutLe(b, offset, 4);
  PutLe(b, s.infoSize, 4);
  PutLe(b, static_cast<unsigned>(s.width), 4);
  PutLe(b, static_cast<unsigned>(s.height), 4);
  PutLe(b, 1, 2);
  PutLe(b, s.bits, 2);
  PutLe(b, s.compression, 4);
  PutLe(b, rows.size(), 4);
  PutLe(b, 2835, 4);
  PutLe(b, 2835, 4);
  PutLe(b, s.palette.size() / 4, 4);
  PutLe(b, 0, 4);
  b.insert(b.end(), s.infoSize - 40 + s.gap, 0);
  b.insert(b.end() - s.gap, s.palette.begin(), s.palette.end());
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

inline Bytes Iota(int n, int first = 1) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.push_back(static_cast<unsigned char>(first + i));
  return b;
}

inline Bytes Row(const unsigned char* row, int bytes) { return Bytes(row, row + bytes); }

struct JpegShape {
  int width, height, components = 3;
  J_COLOR_SPACE space = JCS_RGB;
  bool progressive = false;
};

inline void WriteJpeg(const std::string& path, const JpegShape& s, const Bytes& samples) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  ASSERT_NE(fp, nullptr);
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, fp);
  c.image_width = s.width;
  c.image_height = s.height;
  c.input_components = s.components;
  c.in_color_space = s.space;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  if (s.progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(samples.data()) + c.next_scanline * s.width * s.components;
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(fp);
}

struct PngShape {
  PngShape(int w, int h, int type, int depth = 8) : width(w), height(h), colorType(type), bitDepth(depth) {}
  int width, height, colorType, bitDepth;
  bool interlaced = false;
  Bytes palette;       // 3 bytes an entry
  Bytes transparency;  // tRNS: palette alphas, or one 16-bit grey / RGB key
};

inline void Append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

// `samples` are the rows as PNG stores them (packed, 16-bit big-endian).
inline Bytes Png(const PngShape& s, const Bytes& samples) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, Append, nullptr);
  png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
               s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty())
    png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(s.palette.data()), static_cast<int>(s.palette.size() / 3));
  if (s.colorType == PNG_COLOR_TYPE_PALETTE && !s.transparency.empty()) {
    png_set_tRNS(png, info, s.transparency.data(), static_cast<int>(s.transparency.size()), nullptr);
  } else if (!s.transparency.empty()) {
    png_color_16 key{};
    auto at = [&](size_t i) { return static_cast<png_uint_16>(s.transparency[i] << 8 | s.transparency[i + 1]); };
    key.gray = key.red = at(0);
    if (s.transparency.size() >= 6) key.green = at(2), key.blue = at(4);
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  const size_t stride = samples.size() / s.height;
  std::vector<png_bytep> rows;
  for (int y = 0; y < s.height; ++y) rows.push_back(const_cast<png_bytep>(samples.data()) + stride * y);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A material with the images decoded for it, loaded as the model loads them.
struct Material : MaterialMQO, MaterialImages {
  int LoadTexture() { return ::LoadTexture(*this, *this); }
  int LoadAlphaPlane() { return ::LoadAlphaPlane(*this, *this); }
};
