#include "image/jpeg_manager.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

const char kReadFailed[] = "Can't read jpeg file\n";

// A JPEG can describe a large flat picture in very few bytes, and a truncated
// one is padded out by the library, so a tiny file could announce 65500 x 65500
// pixels. A picture is refused before anything is allocated when its samples
// exceed both limits. Every 8 x 8 block of every component costs at least one
// bit, so no file can be 1024 times smaller than its samples (a flat colour
// picture with subsampled colour is the extreme); 1 MiB covers what headers
// and tables add to a small picture.
constexpr long long kMaxExpansion = 1024;
constexpr long long kAlwaysAllowedBytes = 1LL << 20;

void CopyScanline(const JSAMPLE* src, unsigned char* dst, int width, int components, bool inverted) {
  switch (components) {
    case 1:
      for (int x = 0; x < width; ++x, dst += 3) dst[0] = dst[1] = dst[2] = src[x];
      break;
    default:  // 4: cyan, magenta, yellow, black
      for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        // Adobe's files store the inks inverted (255 = no ink).
        const int k = inverted ? src[3] : 255 - src[3];
        for (int c = 0; c < 3; ++c) {
          const int ink = inverted ? src[c] : 255 - src[c];
          dst[c] = static_cast<unsigned char>((ink * k + 127) / 255);
        }
      }
  }
}

}  // namespace

int CJpegManager::Load(const char* path) {
  FILE* fp = OpenForReading(path, kOpenFailed);
  if (!fp) return -1;
  m_planeKind = 1;
  const long long fileLength = RemainingBytes(fp);

  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, fp);
  jpeg_read_header(&cinfo, TRUE);

  const J_COLOR_SPACE space = cinfo.out_color_space;
  const bool spaceTaken = space == JCS_RGB || space == JCS_GRAYSCALE || space == JCS_CMYK;
  const long long decodedBytes = static_cast<long long>(cinfo.image_width) * cinfo.image_height * cinfo.num_components;
  if (!spaceTaken || fileLength < 0 ||
      (decodedBytes > kAlwaysAllowedBytes && decodedBytes / kMaxExpansion > fileLength)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(fp);
    std::printf("%s", kReadFailed);
    return -1;
  }

  jpeg_start_decompress(&cinfo);
  const int components = cinfo.output_components;
  const int stride = static_cast<int>(cinfo.output_width) * components;
  JSAMPARRAY buffer = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, stride, 1);

  m_width = static_cast<int>(cinfo.image_width);
  m_height = static_cast<int>(cinfo.image_height);
  const bool shapeOk = (components == 1 || components == 3 || components == 4) &&
                       cinfo.output_width == cinfo.image_width && cinfo.output_height == cinfo.image_height;
  if (!shapeOk || !AllocatePlane(m_rgbRows, 3)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(fp);
    std::printf("%s", kReadFailed);
    return -1;
  }
  const bool inverted = cinfo.saw_Adobe_marker != 0;
  for (int y = 0; cinfo.output_scanline < cinfo.output_height; ++y) {
    // Colour scanlines are already in the plane's layout: decode them in place
    // rather than through the scratch row.
    if (components == 3) {
      JSAMPROW row = m_rgbRows[y];
      jpeg_read_scanlines(&cinfo, &row, 1);
      continue;
    }
    jpeg_read_scanlines(&cinfo, buffer, 1);
    CopyScanline(buffer[0], m_rgbRows[y], m_width, components, inverted);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(fp);
  return 1;
}
