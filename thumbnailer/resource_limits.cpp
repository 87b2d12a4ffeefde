#include "thumbnailer/resource_limits.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "image/jpeg_manager.h"
#include "model/model_loading.h"
#include "thumbnailer/thumbnail_picture.h"

#if defined(__SANITIZE_ADDRESS__)
#define LUMENSPIN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMENSPIN_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// Removes the output being written, then dies of the same signal.
void OnFatalSignal(int number) {
  if (g_partialOutput[0] != '\0') unlink(g_partialOutput);
  signal(number, SIG_DFL);
  raise(number);
}

void Bound(int resource, rlim_t soft, rlim_t hard) {
  rlimit current;
  if (getrlimit(resource, &current) != 0) return;
  // Never above a bound that the caller already set (RLIM_INFINITY is the
  // largest value).
  const rlimit wanted{std::min(soft, current.rlim_cur), std::min(hard, current.rlim_max)};
  setrlimit(resource, &wanted);
}

}  // namespace

void BoundResources() {
  // The soft CPU bound sends SIGXCPU, which the handler turns into an end
  // without a partial file; the hard one, a second later, kills outright.
  Bound(RLIMIT_CPU, kCpuSeconds, kCpuSeconds + 1);
#ifndef LUMENSPIN_ADDRESS_SANITIZER
  Bound(RLIMIT_AS, kAddressSpaceBytes, kAddressSpaceBytes);
#endif
  Bound(RLIMIT_FSIZE, kOutputFileBytes, kOutputFileBytes);
  Bound(RLIMIT_CORE, 0, 0);
  // A write past the file-size bound then fails with EFBIG instead of
  // killing the process.
  signal(SIGXFSZ, SIG_IGN);
  for (int s : {SIGXCPU, SIGALRM, SIGTERM, SIGINT, SIGHUP}) signal(s, OnFatalSignal);
  alarm(kWallSeconds);
  CJpegManager::SetFatalErrorsFail(true);
  CJpegManager::SetLargestSide(kLargestJpegSide);
  CImageManager::SetPixelLimits(kMaxTexturePixels, kMaxTexturePixelsInAll);
}

long long DrawingBudget() {
  rlimit current;
  long long bound = static_cast<long long>(kAddressSpaceBytes);
  if (getrlimit(RLIMIT_AS, &current) == 0 && current.rlim_cur != RLIM_INFINITY)
    bound = std::min(bound, static_cast<long long>(current.rlim_cur));
  return std::max(0LL, (bound - kProgramBytes) / 2);
}

bool WithinDrawingBudget(const ObjectMQO* objects, int count, long long budget, std::string& reason) {
  return DrawnModelFits(objects, count, MemoryBudget{budget, kBytesPerDrawnFace, kBytesPerDrawnVertex}, reason);
}
