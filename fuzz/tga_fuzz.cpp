// Feeds arbitrary bytes to the TGA reader through its stream entry.
#include "fuzz/image_fuzz.h"
#include "image/tga_manager.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return image_fuzz::SilenceStdout(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return image_fuzz::ReadBytes<CTgaManager>(data, size);
}
