// Feeds arbitrary bytes to the TGA reader through its stream entry.
#include <cstdint>
#include <cstdio>

#include "image/tga_manager.h"

namespace {

struct Reader : CTgaManager {
  using CTgaManager::ReadStream;
};

// Touches every sample so that AddressSanitizer checks each row's size.
unsigned Sum(unsigned char** rows, int height, size_t rowBytes) {
  unsigned sum = 0;
  for (int y = 0; rows && y < height; ++y)
    for (size_t x = 0; x < rowBytes; ++x) sum += rows[y][x];
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would drown the fuzzer's own output.
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
