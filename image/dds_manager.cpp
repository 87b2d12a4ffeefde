#include "image/dds_manager.h"

#include <squish.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/diagnostics.h"

namespace {

const char kReadFailed[] = "Can't read dds file\n";

// The magic and the header that follows it; the pixel format sits at byte 76.
constexpr int kFileHeaderBytes = 4 + 124;
constexpr unsigned kHeaderSize = 124;
constexpr unsigned kPixelFormatSize = 32;
constexpr int kPixelFormatAt = 4 + 72;

constexpr unsigned kAlphaPixels = 0x1;
constexpr unsigned kFourCcFlag = 0x4;
constexpr unsigned kRgbFlag = 0x40;

// As the PNG reader: no texture is wider or higher.
constexpr unsigned kMaxSide = 65535;

unsigned Le32(const unsigned char* p) {
  return static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8 | static_cast<unsigned>(p[2]) << 16 |
         static_cast<unsigned>(p[3]) << 24;
}

constexpr unsigned FourCc(const char (&code)[5]) {
  return static_cast<unsigned>(code[0]) | static_cast<unsigned>(code[1]) << 8 | static_cast<unsigned>(code[2]) << 16 |
         static_cast<unsigned>(code[3]) << 24;
}

// The squish flag for a FourCC this reader decodes, or 0.
int SquishFlags(unsigned fourCc) {
  if (fourCc == FourCc("DXT1")) return squish::kDxt1;
  if (fourCc == FourCc("DXT3")) return squish::kDxt3;
  if (fourCc == FourCc("DXT5")) return squish::kDxt5;
  return 0;
}

// A FourCC for a message: its letters when they are all printable.
void DescribeFourCc(unsigned code, char (&out)[16]) {
  char letters[5] = {};
  bool printable = true;
  for (int i = 0; i < 4; ++i) {
    letters[i] = static_cast<char>(code >> (8 * i) & 0xFF);
    printable = printable && letters[i] >= 0x20 && letters[i] < 0x7F;
  }
  if (printable)
    std::snprintf(out, sizeof out, "'%s'", letters);
  else
    std::snprintf(out, sizeof out, "0x%08X", code);
}

// The bit position of a mask that is one whole byte of a pixel, or -1.
int ByteShift(unsigned mask, int pixelBytes) {
  for (int k = 0; k < pixelBytes; ++k)
    if (mask == 0xFFu << (8 * k)) return 8 * k;
  return -1;
}

}  // namespace

int CDdsManager::Load(const char* path) { return LoadFile(path, kOpenFailed); }

int CDdsManager::Refuse(const char* format, ...) {
  char reason[200];
  va_list args;
  va_start(args, format);
  std::vsnprintf(reason, sizeof reason, format, args);
  va_end(args);
  PrintFixedText(kReadFailed);
  Diagnose(m_fileName, "%s", reason);
  return -1;
}

int CDdsManager::ReadStream(FILE* fp) {
  unsigned char h[kFileHeaderBytes];
  if (std::fread(h, 1, sizeof h, fp) != sizeof h) return Refuse("not a DDS file: shorter than its header");
  if (std::memcmp(h, "DDS ", 4) != 0) return Refuse("not a DDS file: it does not start with \"DDS \"");
  if (Le32(h + 4) != kHeaderSize || Le32(h + kPixelFormatAt) != kPixelFormatSize)
    return Refuse("not a DDS file: its header gives sizes %u and %u, not %u and %u", Le32(h + 4),
                  Le32(h + kPixelFormatAt), kHeaderSize, kPixelFormatSize);
  const unsigned height = Le32(h + 12), width = Le32(h + 16);
  const unsigned formatFlags = Le32(h + kPixelFormatAt + 4);
  const unsigned fourCc = Le32(h + kPixelFormatAt + 8);
  const unsigned bitCount = Le32(h + kPixelFormatAt + 12);

  int squishFlags = 0;
  int pixelBytes = 0;
  int shifts[4] = {-1, -1, -1, -1};
  if (formatFlags & kFourCcFlag) {
    squishFlags = SquishFlags(fourCc);
    if (squishFlags == 0) {
      char code[16];
      DescribeFourCc(fourCc, code);
      return Refuse(fourCc == FourCc("DX10") ? "refused: its pixels are described by an extended (%s) header"
                                             : "refused: pixel format %s is not DXT1, DXT3 or DXT5",
                    code);
    }
  } else if ((formatFlags & kRgbFlag) && (bitCount == 24 || bitCount == 32)) {
    pixelBytes = static_cast<int>(bitCount / 8);
    const int channels = formatFlags & kAlphaPixels && Le32(h + kPixelFormatAt + 28) != 0 ? 4 : 3;
    for (int c = 0; c < channels; ++c) {
      shifts[c] = ByteShift(Le32(h + kPixelFormatAt + 16 + 4 * c), pixelBytes);
      if (shifts[c] < 0)
        return Refuse("refused: a %u-bit pixel format whose masks are not each one byte", bitCount);
    }
  } else {
    return Refuse("refused: pixel format flags 0x%X, %u bits a pixel: neither DXT blocks nor 24 or 32-bit colour",
                  formatFlags, bitCount);
  }

  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
    return Refuse("refused: %u x %u pixels (each side must be 1 to %u)", width, height, kMaxSide);
  m_width = static_cast<int>(width);
  m_height = static_cast<int>(height);
  if (!WithinPixelLimit(m_width, m_height)) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  // The file must hold the whole first level before a plane is allocated, so
  // that a short file cannot claim more memory than its length justifies.
  const long long needed = squishFlags ? static_cast<long long>((width + 3) / 4) * ((height + 3) / 4) *
                                             (squishFlags == squish::kDxt1 ? 8 : 16)
                                       : static_cast<long long>(width) * height * pixelBytes;
  const long long remaining = RemainingBytes(fp);
  if (remaining < needed)
    return Refuse("truncated: its first picture needs %lld bytes, the file holds %lld after the header", needed,
                  remaining < 0 ? 0 : remaining);

  m_planeKind = 1;
  // DXT1's alpha plane waits for its first transparent pixel (ReadBlocks).
  const bool alpha = squishFlags ? squishFlags != squish::kDxt1 : shifts[3] >= 0;
  if (!AllocatePlane(m_rgbRows, 3) || (alpha && !AllocatePlane(m_alphaRows, 1))) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  const int result = squishFlags ? ReadBlocks(fp, squishFlags) : ReadPixels(fp, pixelBytes, shifts);
  if (result == -2) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  if (result != 0) return Refuse("truncated: the file ended inside its first picture");
  return 0;
}

int CDdsManager::ReadBlocks(FILE* fp, int squishFlags) {
  const int blockBytes = squishFlags == squish::kDxt1 ? 8 : 16;
  const int across = (m_width + 3) / 4;
  const std::size_t stride = static_cast<std::size_t>(across) * blockBytes;
  bool allocated = true;
  const bool complete = ReadRowBlocks(fp, stride, stride, (m_height + 3) / 4, [&](const unsigned char* row, int by) {
    for (int bx = 0; allocated && bx < across; ++bx) {
      squish::u8 rgba[16 * 4];
      squish::Decompress(rgba, row + static_cast<std::size_t>(bx) * blockBytes, squishFlags);
      // Blocks at the right and bottom edges reach past the picture.
      for (int py = 0; py < 4 && by * 4 + py < m_height; ++py) {
        unsigned char* rgb = m_rgbRows[by * 4 + py];
        for (int px = 0; px < 4 && bx * 4 + px < m_width; ++px) {
          const squish::u8* p = rgba + 4 * (4 * py + px);
          const int x = bx * 4 + px;
          std::memcpy(rgb + 3 * x, p, 3);
          // An opaque DXT1 picture keeps no alpha plane; one that is not gets
          // it at its first transparent pixel, all opaque until then.
          if (!m_alphaRows && p[3] != 255) {
            allocated = AllocatePlane(m_alphaRows, 1);
            if (!allocated) return;
            for (int y = 0; y < m_height; ++y) std::memset(m_alphaRows[y], 255, static_cast<std::size_t>(m_width));
          }
          if (m_alphaRows) m_alphaRows[by * 4 + py][x] = p[3];
        }
      }
    }
  });
  return !allocated ? -2 : complete ? 0 : -1;
}

int CDdsManager::ReadPixels(FILE* fp, int pixelBytes, const int (&shifts)[4]) {
  const std::size_t stride = static_cast<std::size_t>(m_width) * pixelBytes;
  const bool complete = ReadRowBlocks(fp, stride, stride, m_height, [&](const unsigned char* src, int y) {
    unsigned char* rgb = m_rgbRows[y];
    for (int x = 0; x < m_width; ++x, src += pixelBytes) {
      unsigned pixel = 0;
      for (int i = 0; i < pixelBytes; ++i) pixel |= static_cast<unsigned>(src[i]) << (8 * i);
      for (int c = 0; c < 3; ++c) rgb[3 * x + c] = static_cast<unsigned char>(pixel >> shifts[c]);
      if (m_alphaRows) m_alphaRows[y][x] = static_cast<unsigned char>(pixel >> shifts[3]);
    }
  });
  return complete ? 0 : -1;
}
