#pragma once
#include <cstdio>

#include "image/image_manager.h"

// DDS textures, the first (largest) level only: DXT1, DXT3 and DXT5 blocks
// (decompressed by libsquish) and uncompressed 24-bit or 32-bit pixels whose
// red, green, blue and alpha masks each pick a whole byte. Colour fills the
// colour plane; DXT3, DXT5 and 32-bit pictures with an alpha mask also fill
// the single-channel plane with their alpha, and so does DXT1 when some
// block makes a pixel transparent. Load returns 0, or -1 after printing
// "Can't open dds file.\n" or "Can't read dds file\n" (and, for a file it
// refuses, a line on standard error saying why). Safe on untrusted files: the file must hold every block
// or row that its header announces before anything is allocated.
class CDdsManager : public CImageManager {
 public:
  static constexpr const char* kOpenFailed = "Can't open dds file.\n";

  int Load(const char* path) override;

 protected:
  // Reads a whole DDS from the stream's current position.
  int ReadStream(FILE* fp) override;

 private:
  // -1 when the file ends early, -2 when memory or the pixel limits fail.
  int ReadBlocks(FILE* fp, int squishFlags);
  // shifts: the bit position of red, green, blue and alpha in a stored pixel
  // of pixelBytes bytes; alpha's is negative when the picture has none.
  int ReadPixels(FILE* fp, int pixelBytes, const int (&shifts)[4]);
  // Prints the fixed text and the reason; returns -1.
  int Refuse(const char* format, ...) __attribute__((format(printf, 2, 3)));
};
