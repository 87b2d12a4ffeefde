#pragma once
// What the image fuzz targets share: each reads arbitrary bytes through its
// reader's stream entry and touches every sample it produced, so that
// AddressSanitizer checks each row's size.
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace image_fuzz {

inline unsigned Sum(unsigned char** rows, int height, size_t rowBytes) {
  unsigned sum = 0;
  for (int y = 0; rows && y < height; ++y)
    for (size_t x = 0; x < rowBytes; ++x) sum += rows[y][x];
  return sum;
}

// The readers' messages would drown the fuzzer's own output.
inline int SilenceStdout() { return std::freopen("/dev/null", "w", stdout) ? 0 : 0; }

template <class Manager>
int ReadBytes(const uint8_t* data, size_t size) {
  struct Reader : Manager {
    using Manager::ReadStream;
  };
  FILE* fp = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!fp) return 0;
  Reader image;
  if (image.ReadStream(fp) != -1) {
    volatile unsigned sink = Sum(image.m_rgbRows, image.m_height, static_cast<size_t>(image.m_width) * 3) +
                             Sum(image.m_alphaRows, image.m_height, static_cast<size_t>(image.m_width));
    (void)sink;
  }
  std::fclose(fp);
  return 0;
}

}  // namespace image_fuzz
