#include "app/command_line.h"

#include <cstring>

namespace {

bool Is(const char* arg, const char* option) { return std::strcmp(arg, option) == 0; }

bool TakesValue(const char* arg) { return Is(arg, "-display") || Is(arg, "-geometry"); }

bool IsFlag(const char* arg) {
  return Is(arg, "-direct") || Is(arg, "-indirect") || Is(arg, "-iconic") || Is(arg, "-gldebug") ||
         Is(arg, "-sync");
}

}  // namespace

int FindModelArgument(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) break;
    if (TakesValue(argv[i])) {
      ++i;
    } else if (!IsFlag(argv[i])) {
      return i;
    }
  }
  return 0;
}
