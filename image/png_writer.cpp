#include "image/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstring>

namespace {

// The encoded picture, in a block sized once for the worst case: libpng
// leaves by longjmp, so nothing may grow (and throw) while it writes.
struct PngBuffer {
  std::vector<unsigned char>& bytes;
  std::size_t used = 0;
};

void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  PngBuffer& out = *static_cast<PngBuffer*>(png_get_io_ptr(png));
  if (length > out.bytes.size() - out.used) png_error(png, "the encoded picture outgrew its buffer");
  std::memcpy(out.bytes.data() + out.used, data, length);
  out.used += length;
}

void FlushPng(png_structp) {}

// libpng leaves by longjmp on an error, so nothing here owns a C++ object.
bool Encode(PngBuffer& out, const unsigned char* rgba, int width, int height) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, AppendPng, FlushPng);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, rgba + static_cast<std::size_t>(y) * width * 4);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool EncodePng(const unsigned char* rgba, int width, int height, std::vector<unsigned char>& png) {
  // Deflate's stored blocks, libpng's chunks and the filter bytes add far
  // less than an eighth to the raw rows.
  const std::size_t rawBytes = static_cast<std::size_t>(height) * (static_cast<std::size_t>(width) * 4 + 1);
  png.assign(rawBytes + rawBytes / 8 + (64 << 10), 0);
  PngBuffer out{png};
  const bool encoded = Encode(out, rgba, width, height);
  png.resize(encoded ? out.used : 0);
  return encoded;
}
