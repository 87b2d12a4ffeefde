// Feeds arbitrary bytes to the JPEG reader through its stream entry, with the
// thumbnailer's settings: a fatal error of the library fails the load instead
// of ending the process, and larger pictures are decoded scaled down.
#include "fuzz/image_fuzz.h"
#include "image/jpeg_manager.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  CJpegManager::SetFatalErrorsFail(true);
  CJpegManager::SetLargestSide(64);
  return image_fuzz::SilenceStdout();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return image_fuzz::ReadBytes<CJpegManager>(data, size);
}
