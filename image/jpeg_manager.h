#pragma once
#include "image/image_manager.h"

// JPEG through the IJG library (interface version 62). By default a fatal
// decoding error goes to the library's standard error manager, which prints
// its message on stderr and ends the process with status 1; after
// SetFatalErrorsFail(true), or on a quiet thread (base/diagnostics.h), it
// becomes a diagnostic line naming the file and a failed load instead.
// Grey pictures are expanded to equal red, green and blue; CMYK and YCCK ones
// are converted to RGB. Load returns 1, or -1 after printing
// "Can't open jpeg file.\n" (no file) or "Can't read jpeg file\n" (a colour
// space it cannot deliver, a size the file's length cannot justify, scans
// beyond the bounds below, or a fatal error in the fail mode).
class CJpegManager : public CImageManager {
 public:
  static constexpr const char* kOpenFailed = "Can't open jpeg file.\n";
  // Every scan of a progressive file walks all blocks of its components
  // again, so a file of many nearly empty scans costs time in proportion to
  // its length squared (80 KB took 50 s; 300 scans of a flat 16384 x 16384
  // picture in 1.2 MB, 190 s). Encoders write about 10 scans, which take
  // each block 4 to 6 times. A file is refused when its scans take the
  // picture's blocks more than kMaxPasses times over (past the first
  // kAlwaysAllowedBlockVisits, a fraction of a second), or when it has more
  // than kMaxScans scans.
  static constexpr int kMaxPasses = 16;
  static constexpr long long kAlwaysAllowedBlockVisits = 1LL << 20;
  static constexpr int kMaxScans = 1000;

  // Process-wide settings, for programs that must outlive any file they read.
  static void SetFatalErrorsFail(bool fail);
  // Pictures whose longer side exceeds `side` are decoded scaled down by 2, 4
  // or 8 (the smallest of these that brings them within it, 8 at most); 0,
  // the default, decodes every picture at full size.
  static void SetLargestSide(int side);

  int Load(const char* path) override;

 protected:
  // Reads a whole JPEG from the stream's current position.
  int ReadStream(FILE* fp) override;
};
