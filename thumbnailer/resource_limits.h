#pragma once
// Bounds that the thumbnailer sets on itself. A file manager runs it on files
// that nobody looked at: a hostile document or texture must end the
// thumbnailer, never take the desktop's memory or time with it.

#include <sys/resource.h>

constexpr rlim_t kCpuSeconds = 30;                   // processor time, all threads together
constexpr unsigned kWallSeconds = 60;                // also while waiting on a slow disk
constexpr rlim_t kAddressSpaceBytes = rlim_t{4} << 30;  // not set in sanitized builds
constexpr rlim_t kOutputFileBytes = rlim_t{64} << 20;   // larger than any thumbnail

// Sets the bounds, and handlers that remove a partly written output when
// time runs out. In a build with AddressSanitizer the address-space bound is
// left out: the sanitizer reserves terabytes of address space for itself.
void BoundResources();
