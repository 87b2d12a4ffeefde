#include "base/available_memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

long long AvailableMemoryBytes() {
  // Asked again for each model: what other programs take changes while the
  // viewer runs, and the total alone would let one document take memory
  // that is in use.
  long long available = -1;
  if (FILE* info = std::fopen("/proc/meminfo", "r")) {
    char line[128];
    long long kib = 0;
    while (std::fgets(line, sizeof line, info))
      if (std::sscanf(line, "MemAvailable: %lld kB", &kib) == 1) {
        available = kib * 1024;
        break;
      }
    std::fclose(info);
  }
  if (available < 0) available = static_cast<long long>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
  rlimit bound;
  if (getrlimit(RLIMIT_AS, &bound) == 0 && bound.rlim_cur != RLIM_INFINITY)
    available = std::min(available, static_cast<long long>(bound.rlim_cur));
  return std::max(0LL, available);
}
