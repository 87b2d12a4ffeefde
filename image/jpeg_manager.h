#pragma once
#include "image/image_manager.h"

// JPEG through the IJG library (interface version 62) with its standard error
// manager: a fatal decoding error prints the library's message on stderr and
// ends the process with status 1, so never feed this reader from a fuzzer.
// Grey pictures are expanded to equal red, green and blue; CMYK and YCCK ones
// are converted to RGB. Load returns 1, or -1 after printing
// "Can't open jpeg file.\n" (no file) or "Can't read jpeg file\n" (a colour
// space it cannot deliver, or a size the file's length cannot justify).
class CJpegManager : public CImageManager {
 public:
  static constexpr const char* kOpenFailed = "Can't open jpeg file.\n";

  int Load(const char* path) override;
};
