#include "image/bmp_manager.h"

#include <cstdio>
#include <cstring>

#include "image/pixel_order.h"
#include "base/diagnostics.h"

namespace {

const char kReadFailed[] = "Can't read bmp file\n";
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kMaxWidth = 0x7FFFFFFF / 4;

unsigned int Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned int Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned int>(p[3]) << 24);
}

void DecodeHeaders(const unsigned char* b, BmpFileHeader& f, BmpInfoHeader& i) {
  f.signature = static_cast<unsigned short>(Le16(b));
  f.fileSize = Le32(b + 2);
  f.reserved1 = static_cast<unsigned short>(Le16(b + 6));
  f.reserved2 = static_cast<unsigned short>(Le16(b + 8));
  f.pixelOffset = Le32(b + 10);
  b += kFileHeaderSize;
  i.headerSize = Le32(b);
  i.width = static_cast<int>(Le32(b + 4));
  i.height = static_cast<int>(Le32(b + 8));
  i.planes = static_cast<unsigned short>(Le16(b + 12));
  i.bitsPerPixel = static_cast<unsigned short>(Le16(b + 14));
  i.compression = Le32(b + 16);
  i.imageSize = Le32(b + 20);
  i.xPixelsPerMeter = static_cast<int>(Le32(b + 24));
  i.yPixelsPerMeter = static_cast<int>(Le32(b + 28));
  i.colorsUsed = Le32(b + 32);
  i.colorsImportant = Le32(b + 36);
}

bool DepthTaken(unsigned bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

// Expands one stored row into red-green-blue triplets.
void ConvertRow(const unsigned char* src, unsigned char* dst, int width, unsigned bits,
                const unsigned char (*palette)[3]) {
  switch (bits) {
    case 24:
      BgrToRgb(src, dst, width, 3);
      break;
    case 32:  // blue, green, red, unused
      BgrToRgb(src, dst, width, 4);
      break;
    default: {  // palette indices packed from the high bits down
      const unsigned perByte = 8 / bits;
      const unsigned mask = (1u << bits) - 1;
      for (int x = 0; x < width; ++x, dst += 3) {
        const unsigned shift = 8 - bits * (1 + x % perByte);
        const unsigned index = (src[x / perByte] >> shift) & mask;
        std::memcpy(dst, palette[index], 3);
      }
    }
  }
}

}  // namespace

int CBMPManager::Load(const char* path) {
  m_planeKind = 1;
  FILE* fp = OpenForReading(path, kOpenFailed);
  if (!fp) return -1;
  const int result = ReadStream(fp);
  std::fclose(fp);
  return result;
}

int CBMPManager::ReadStream(FILE* fp) {
  m_planeKind = 1;
  const long long fileLength = RemainingBytes(fp);
  unsigned char raw[kFileHeaderSize + kInfoHeaderSize];
  if (fileLength < 0 || std::fread(raw, 1, sizeof raw, fp) != sizeof raw) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  DecodeHeaders(raw, m_fileHeader, m_infoHeader);
  const BmpInfoHeader& info = m_infoHeader;
  const unsigned bits = info.bitsPerPixel;
  // A width past a quarter of the int range could not be multiplied by a
  // pixel's bytes by callers; no file that holds such rows exists anyway.
  if (info.headerSize < kInfoHeaderSize || info.compression != 0 || !DepthTaken(bits) || info.width < 0 ||
      info.width > kMaxWidth || info.height == static_cast<int>(0x80000000u)) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  m_width = info.width;
  m_height = info.height < 0 ? -info.height : info.height;
  const bool topDown = info.height < 0;

  // The colour table follows the information header, four bytes (blue, green,
  // red, unused) an entry; indices past its end come out black.
  unsigned char palette[256][3] = {};
  const long long headersEnd = kFileHeaderSize + static_cast<long long>(info.headerSize);
  if (bits <= 8) {
    const unsigned maxEntries = 1u << bits;
    const unsigned entries = info.colorsUsed == 0 || info.colorsUsed > maxEntries ? maxEntries : info.colorsUsed;
    if (headersEnd + 4LL * entries > fileLength || std::fseek(fp, static_cast<long>(headersEnd), SEEK_SET) != 0) {
      PrintFixedText(kReadFailed);
      return -1;
    }
    unsigned char table[256 * 4];
    if (std::fread(table, 4, entries, fp) != entries) {
      PrintFixedText(kReadFailed);
      return -1;
    }
    for (unsigned e = 0; e < entries; ++e) {
      palette[e][0] = table[4 * e + 2];
      palette[e][1] = table[4 * e + 1];
      palette[e][2] = table[4 * e];
    }
  }

  // Rows are padded to four bytes; the last row's padding may be missing.
  const long long dataBytes = (static_cast<long long>(m_width) * bits + 7) / 8;
  const long long stride = (dataBytes + 3) / 4 * 4;
  const long long offset = m_fileHeader.pixelOffset;
  const long long available = fileLength - offset;
  bool fits = offset >= headersEnd && available >= 0;
  if (fits && m_height > 0) {
    fits = m_width == 0 ? m_height <= fileLength : (m_height - 1) <= (available - dataBytes) / stride && available >= dataBytes;
  }
  if (!fits || std::fseek(fp, static_cast<long>(offset), SEEK_SET) != 0) {
    PrintFixedText(kReadFailed);
    return -1;
  }

  if (!AllocatePlane(m_rgbRows, 3)) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  const bool complete = ReadRowBlocks(fp, static_cast<size_t>(stride), static_cast<size_t>(dataBytes), m_height,
                                      [&](const unsigned char* row, int i) {
                                        const int y = topDown ? i : m_height - 1 - i;
                                        ConvertRow(row, m_rgbRows[y], m_width, bits, palette);
                                      });
  if (!complete) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  return 0;
}
