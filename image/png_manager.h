#pragma once
#include <cstdio>

#include "image/image_manager.h"

struct PngDecode;

// PNG through libpng. Palette, low-depth and 16-bit pictures come out as 8-bit
// samples. A colour picture fills the colour plane; a grey one without alpha
// fills the single-channel plane (m_planeKind 2), so it can serve as an alpha
// plane; a picture with alpha (an alpha channel or a transparency chunk) fills
// the colour plane, grey expanded to red, green and blue, and puts the alpha
// samples in the single-channel plane. Load returns 0, or -1 after printing
// "Can't open png file.\n" or "Can't read png file\n"; libpng's errors become
// a failed load, never an exit. Safe on untrusted files.
class CPngManager : public CImageManager {
 public:
  static constexpr const char* kOpenFailed = "Can't open png file.\n";

  int Load(const char* path) override;

 protected:
  // Reads a whole PNG from the stream's current position.
  int ReadStream(FILE* fp) override;

 private:
  // The part that libpng may leave by longjmp; it owns no C++ objects.
  int Decode(FILE* fp, long long fileLength, PngDecode& d);
};
