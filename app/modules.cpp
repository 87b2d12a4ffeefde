#include "app/modules.h"

#include <dlfcn.h>
#include <unistd.h>

namespace {

// The folder of the running program, from the kernel's link to it (so a
// symbolic link to the program leads to the real one).
std::string ProgramFolder() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  const std::string program(path, static_cast<size_t>(length));
  return program.substr(0, program.find_last_of('/'));
}

}  // namespace

void* LoadModuleEntry(const char* module, const char* entry, std::string& error) {
  const std::string folder = ProgramFolder();
  // LUMENSPIN_MODULES_FROM_PROGRAM is the installed module folder relative
  // to the installed program's, so an installation staged anywhere works.
  for (const std::string& place : {folder + "/" LUMENSPIN_MODULES_FROM_PROGRAM, folder}) {
    const std::string path = place + "/" + module;
    if (access(path.c_str(), F_OK) != 0) continue;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      error = dlerror();
      return nullptr;
    }
    void* function = dlsym(handle, entry);
    if (function == nullptr) error = path + " has no " + entry;
    return function;
  }
  error = std::string(module) + " is neither in " + folder + "/" LUMENSPIN_MODULES_FROM_PROGRAM " nor in " + folder;
  return nullptr;
}
