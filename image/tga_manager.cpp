#include "image/tga_manager.h"

#include <cstdio>
#include <cstring>

#include "image/pixel_order.h"
#include "base/diagnostics.h"

namespace {

const char kReadFailed[] = "Can't read tga file\n";

unsigned short Le16(const unsigned char* p) { return static_cast<unsigned short>(p[0] | (p[1] << 8)); }

void DecodeHeader(const unsigned char* b, TgaHeader& h) {
  h.idLength = b[0];
  h.colorMapType = b[1];
  h.imageType = b[2];
  h.colorMapFirst = Le16(b + 3);
  h.colorMapLength = Le16(b + 5);
  h.colorMapEntrySize = b[7];
  h.xOrigin = Le16(b + 8);
  h.yOrigin = Le16(b + 10);
  h.width = Le16(b + 12);
  h.height = Le16(b + 14);
  h.pixelDepth = b[16];
  h.descriptor = b[17];
}

// Bytes per stored pixel, or 0 for a kind of file this reader does not take.
int BytesPerPixel(const TgaHeader& h) {
  if (h.colorMapType > 1) return 0;
  if (h.imageType == 2 && h.pixelDepth == 24) return 3;
  if (h.imageType == 2 && h.pixelDepth == 32) return 4;
  if (h.imageType == 3 && h.pixelDepth == 8) return 1;
  return 0;
}

}  // namespace

int CTgaManager::Load(const char* path) { return LoadFile(path, kOpenFailed); }

int CTgaManager::ReadStream(FILE* fp) {
  unsigned char raw[18];
  if (std::fread(raw, 1, sizeof raw, fp) != sizeof raw) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  DecodeHeader(raw, m_header);
  m_width = m_header.width;
  m_height = m_header.height;

  const int bpp = BytesPerPixel(m_header);
  if (bpp == 0) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  // The image ID field and any colour map sit between the header and the pixels.
  long long skip = m_header.idLength;
  if (m_header.colorMapType == 1) skip += static_cast<long long>(m_header.colorMapLength) * ((m_header.colorMapEntrySize + 7) / 8);
  const long long rowBytes = static_cast<long long>(m_width) * bpp;
  const long long remaining = RemainingBytes(fp);
  if (remaining < 0 || remaining < skip + rowBytes * m_height || std::fseek(fp, static_cast<long>(skip), SEEK_CUR) != 0) {
    PrintFixedText(kReadFailed);
    return -1;
  }

  m_planeKind = bpp == 1 ? 2 : 1;
  if (bpp == 1 ? !AllocatePlane(m_alphaRows, 1) : !AllocatePlane(m_rgbRows, 3)) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  if (bpp == 4 && !AllocatePlane(m_alphaRows, 1)) {
    PrintFixedText(kReadFailed);
    return -1;
  }

  const bool topDown = (m_header.descriptor & 0x20) != 0;
  const size_t rowSize = static_cast<size_t>(rowBytes);
  const bool complete = ReadRowBlocks(fp, rowSize, rowSize, m_height, [&](const unsigned char* src, int i) {
    const int y = topDown ? i : m_height - 1 - i;
    if (bpp == 1) {
      if (rowSize > 0) std::memcpy(m_alphaRows[y], src, rowSize);
      return;
    }
    BgrToRgb(src, m_rgbRows[y], m_width, bpp);
    if (bpp == 4)
      for (int x = 0; x < m_width; ++x) m_alphaRows[y][x] = src[4 * x + 3];
  });
  if (!complete) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  return 0;
}
