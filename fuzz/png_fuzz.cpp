// Feeds arbitrary bytes to the PNG reader through its stream entry.
#include <cstdint>
#include <cstdio>

#include <zlib.h>

#include <vector>

#include "image/png_manager.h"

namespace {

struct Reader : CPngManager {
  using CPngManager::ReadStream;
};

// Touches every sample so that AddressSanitizer checks each row's size.
unsigned Sum(unsigned char** rows, int height, size_t rowBytes) {
  unsigned sum = 0;
  for (int y = 0; rows && y < height; ++y)
    for (size_t x = 0; x < rowBytes; ++x) sum += rows[y][x];
  return sum;
}

// Random mutations nearly always break a chunk's CRC, which libpng checks
// first; mending them lets the inputs reach the decoding.
void MendCrcs(std::vector<unsigned char>& png) {
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t length = static_cast<size_t>(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    if (length > png.size() - at - 12) break;
    const unsigned long crc = crc32(0, png.data() + at + 4, static_cast<unsigned>(length + 4));
    for (int i = 0; i < 4; ++i) png[at + 8 + length + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    at += length + 12;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would drown the fuzzer's own output.
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<unsigned char> png(data, data + size);
  MendCrcs(png);
  FILE* fp = fmemopen(png.data(), png.size(), "rb");
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
