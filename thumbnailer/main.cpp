// lumenspin-thumbnailer [-s SIZE] INPUT OUTPUT: a model as a PNG thumbnail,
// for file managers (the freedesktop thumbnailer convention).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "base/quiet_streams.h"
#include "thumbnailer/resource_limits.h"
#include "thumbnailer/thumbnailer.h"

namespace {

constexpr const char* kName = "lumenspin-thumbnailer";

int Usage(FILE* out, int status) {
  std::fprintf(out,
               "usage: %s [-s SIZE] INPUT OUTPUT\n"
               "Draws the Metasequoia document INPUT (.mqo of \"Format Text Ver 1.0\" to \"1.2\" and later 1.x,\n"
               "or .mqoz) as a SIZE x SIZE PNG picture at OUTPUT (SIZE 1 to %d, default %d), without a display.\n",
               kName, kMaxThumbnailSize, kDefaultThumbnailSize);
  return status;
}

bool ParseSize(const char* text, int& size) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 1 || value > kMaxThumbnailSize) return false;
  size = static_cast<int>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int size = kDefaultThumbnailSize;
  const char* paths[2] = {nullptr, nullptr};
  int pathCount = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) return Usage(stdout, 0);
    if (!std::strcmp(argv[i], "--version")) {
      std::printf("%s %s\n", kName, LUMENSPIN_VERSION);
      return 0;
    }
    if (!std::strcmp(argv[i], "-s")) {
      if (i + 1 >= argc || !ParseSize(argv[++i], size)) return Usage(stderr, 2);
    } else if (pathCount < 2 && (argv[i][0] != '-' || argv[i][1] == '\0')) {
      paths[pathCount++] = argv[i];
    } else {
      return Usage(stderr, 2);
    }
  }
  if (pathCount != 2) return Usage(stderr, 2);

  BoundResources();
  QuietStandardStreams();
  std::string reason;
  bool made = false;
  try {
    made = MakeThumbnail(paths[0], paths[1], size, reason);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  if (!made) {
    std::fprintf(stderr, "%s: %s: %s\n", kName, paths[0], reason.c_str());
    return 1;
  }
  return 0;
}
