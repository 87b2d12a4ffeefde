#include "thumbnailer/embedded_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "image/jpeg_manager.h"
#include "model/archive.h"
#include "model/model_loading.h"

namespace {

constexpr const char* kArchivePictureName = "thumbnail.jpg";

// The archive's "thumbnail.jpg", the modeller's picture of the model saved
// beside the document; an empty picture when there is none or it does not
// decode.
EmbeddedPicture ReadArchivePicture(ModelArchive& archive, const char* path) {
  struct JpegStream : CJpegManager {
    using CJpegManager::ReadStream;
  };
  EmbeddedPicture picture;
  std::string reason;
  FILE* file = archive.OpenEntry(kArchivePictureName, reason);
  if (!file) return picture;
  JpegStream jpeg;
  std::snprintf(jpeg.m_fileName, sizeof jpeg.m_fileName, "%s/%s", path, kArchivePictureName);
  if (jpeg.ReadStream(file) == 1 && jpeg.m_rgbRows && jpeg.m_width > 0 && jpeg.m_height > 0) {
    picture.width = jpeg.m_width;
    picture.height = jpeg.m_height;
    const std::size_t row = static_cast<std::size_t>(jpeg.m_width) * 3;
    picture.rgb.resize(row * jpeg.m_height);
    for (int y = 0; y < jpeg.m_height; ++y) std::memcpy(&picture.rgb[row * y], jpeg.m_rgbRows[y], row);
  }
  std::fclose(file);
  return picture;
}

}  // namespace

EmbeddedPicture ReadEmbeddedPicture(const char* path) {
  EmbeddedPicture picture;
  if (g_newerFormats && IsArchiveName(path)) {
    // Opened once more: only for a model that names textures, which is when
    // the picture may be wanted.
    ModelArchive archive(path);
    if (!archive.IsOpen()) return picture;
    // The archive's picture is larger than the document's 128 x 128 one,
    // and made by the same save.
    picture = ReadArchivePicture(archive, path);
    if (!picture.rgb.empty()) return picture;
  }
  if (!g_loader) return picture;
  const ThumbnailMQO& kept = g_loader->document.thumbnail;
  picture.width = kept.width;
  picture.height = kept.height;
  picture.rgb.assign(kept.rgb.begin(), kept.rgb.end());
  return picture;
}

std::vector<unsigned char> ScaleEmbeddedPicture(const EmbeddedPicture& picture, int side) {
  std::vector<unsigned char> out(static_cast<size_t>(side) * side * 4, 0);
  if (picture.rgb.empty()) return out;
  // Output pixels per picture pixel, the longer side filling the square.
  const double zoom = static_cast<double>(side) / std::max(picture.width, picture.height);
  const int width = std::max(1, static_cast<int>(std::lround(picture.width * zoom)));
  const int height = std::max(1, static_cast<int>(std::lround(picture.height * zoom)));
  const int left = (side - width) / 2, top = (side - height) / 2;
  auto at = [&](int x, int y, int c) {
    return picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3 + c];
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      // The picture pixels under this output pixel, averaged; when enlarging
      // there is one, and its neighbours are blended in linearly.
      const double x0 = x / zoom, x1 = (x + 1) / zoom, y0 = y / zoom, y1 = (y + 1) / zoom;
      unsigned char* pixel = &out[(static_cast<size_t>(top + y) * side + left + x) * 4];
      if (zoom >= 1) {
        const double sx = std::clamp((x0 + x1) / 2 - 0.5, 0.0, picture.width - 1.0);
        const double sy = std::clamp((y0 + y1) / 2 - 0.5, 0.0, picture.height - 1.0);
        const int ix = static_cast<int>(sx), iy = static_cast<int>(sy);
        const int jx = std::min(ix + 1, picture.width - 1), jy = std::min(iy + 1, picture.height - 1);
        const double fx = sx - ix, fy = sy - iy;
        for (int c = 0; c < 3; ++c) {
          const double value = (at(ix, iy, c) * (1 - fx) + at(jx, iy, c) * fx) * (1 - fy) +
                               (at(ix, jy, c) * (1 - fx) + at(jx, jy, c) * fx) * fy;
          pixel[c] = static_cast<unsigned char>(std::lround(value));
        }
      } else {
        const int fromX = static_cast<int>(x0), toX = std::clamp(static_cast<int>(std::ceil(x1)), fromX + 1, picture.width);
        const int fromY = static_cast<int>(y0), toY = std::clamp(static_cast<int>(std::ceil(y1)), fromY + 1, picture.height);
        for (int c = 0; c < 3; ++c) {
          unsigned sum = 0;
          for (int sy = fromY; sy < toY; ++sy)
            for (int sx = fromX; sx < toX; ++sx) sum += at(sx, sy, c);
          const unsigned count = (toX - fromX) * (toY - fromY);
          pixel[c] = static_cast<unsigned char>((sum + count / 2) / count);
        }
      }
      pixel[3] = 255;
    }
  return out;
}
