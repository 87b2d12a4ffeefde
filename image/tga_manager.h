#pragma once
#include <cstdio>

#include "image/image_manager.h"

// The 18-byte header of a TGA file, as read (little-endian, all unsigned).
struct TgaHeader {
  unsigned char idLength;
  unsigned char colorMapType;
  unsigned char imageType;  // 2 true-colour, 3 greyscale; others are refused
  unsigned short colorMapFirst;
  unsigned short colorMapLength;
  unsigned char colorMapEntrySize;  // bits per colour-map entry
  unsigned short xOrigin;
  unsigned short yOrigin;
  unsigned short width;
  unsigned short height;
  unsigned char pixelDepth;
  unsigned char descriptor;  // bit 5 set: rows stored top-down
};

// Uncompressed TGA: 24-bit or 32-bit true colour into the colour plane (the
// alpha of a 32-bit file into the single-channel plane), 8-bit greyscale into
// the single-channel plane. Load returns 0, or -1 after printing
// "Can't open file\n" or "Can't read tga file\n". Safe on untrusted files:
// a short or inconsistent file is refused before anything is allocated.
class CTgaManager : public CImageManager {
 public:
  static constexpr const char* kOpenFailed = "Can't open file\n";

  int Load(const char* path) override;

  TgaHeader m_header{};

 protected:
  // Reads a whole TGA from the stream's current position; the stream entry
  // exists so that in-memory streams can be decoded too.
  int ReadStream(FILE* fp) override;
};
