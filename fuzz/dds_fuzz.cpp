// Feeds arbitrary bytes to the DDS reader through its stream entry.
#include "fuzz/image_fuzz.h"
#include "image/dds_manager.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return image_fuzz::SilenceStdout(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return image_fuzz::ReadBytes<CDdsManager>(data, size);
}
