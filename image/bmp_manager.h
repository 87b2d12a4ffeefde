#pragma once
#include <cstdio>

#include "image/image_manager.h"

// The 14-byte file header of a BMP file, as read (little-endian).
struct BmpFileHeader {
  unsigned short signature;  // "BM"; not checked
  unsigned int fileSize;
  unsigned short reserved1;
  unsigned short reserved2;
  unsigned int pixelOffset;  // where the rows start
};

// The first 40 bytes of the information header; longer headers (108, 124
// bytes) begin the same way and the rest is skipped.
struct BmpInfoHeader {
  unsigned int headerSize;
  int width;
  int height;  // negative: rows stored top-down
  unsigned short planes;
  unsigned short bitsPerPixel;  // 1, 4, 8 (palette), 24 or 32
  unsigned int compression;     // only 0, none, is taken
  unsigned int imageSize;
  int xPixelsPerMeter;
  int yPixelsPerMeter;
  unsigned int colorsUsed;  // palette entries; 0 means 2^bitsPerPixel
  unsigned int colorsImportant;
};

// Uncompressed BMP into the colour plane: 24- and 32-bit pixels and 1-, 4- and
// 8-bit palette pictures, with row padding, the pixel-data offset and either
// row order honoured. Load returns 0, or -1 after printing "Can't open file\n"
// or "Can't read bmp file\n". Safe on untrusted files: sizes are checked
// against the file's length before anything is allocated.
class CBMPManager : public CImageManager {
 public:
  static constexpr const char* kOpenFailed = "Can't open file\n";

  int Load(const char* path) override;

  BmpFileHeader m_fileHeader{};
  BmpInfoHeader m_infoHeader{};

 protected:
  // Reads a whole BMP from the stream's current position, which must be the
  // start of the file (the pixel offset counts from there).
  int ReadStream(FILE* fp) override;
};
