// Feeds arbitrary bytes to the PNG reader through its stream entry.
#include <cstdint>
#include <cstdio>

#include <zlib.h>

#include <vector>

#include "fuzz/image_fuzz.h"
#include "image/png_manager.h"

namespace {

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

extern "C" int LLVMFuzzerInitialize(int*, char***) { return image_fuzz::SilenceStdout(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<unsigned char> png(data, data + size);
  MendCrcs(png);
  return image_fuzz::ReadBytes<CPngManager>(png.data(), png.size());
}
