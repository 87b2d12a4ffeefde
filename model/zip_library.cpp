#include "model/zip_library.h"

#include <dlfcn.h>

#include <mutex>

namespace {

// The shared object of the libzip whose header this is built with.
static_assert(LIBZIP_VERSION_MAJOR == 1, "libzip 1.x is libzip.so.4");
constexpr const char* kZipLibraryFile = "libzip.so.4";

ZipLibrary g_zip;
std::string g_zipError;  // empty once loaded

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  if (function == nullptr) g_zipError = std::string(kZipLibraryFile) + " has no " + name;
  return function != nullptr;
}

void Load() {
  // Local: its symbols stay out of the search of every library loaded
  // later (the OpenGL driver's among them).
  void* library = dlopen(kZipLibraryFile, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    g_zipError = why ? why : kZipLibraryFile;
    return;
  }
  // Each call is named once: its field and libzip's symbol cannot disagree.
#define LUMENSPIN_RESOLVE(call) Resolve(library, "zip_" #call, g_zip.call)
  const bool all = LUMENSPIN_RESOLVE(discard) && LUMENSPIN_RESOLVE(error_code_zip) && LUMENSPIN_RESOLVE(error_fini) &&
                   LUMENSPIN_RESOLVE(error_init) && LUMENSPIN_RESOLVE(error_strerror) && LUMENSPIN_RESOLVE(fclose) &&
                   LUMENSPIN_RESOLVE(file_strerror) && LUMENSPIN_RESOLVE(fopen_index) && LUMENSPIN_RESOLVE(fread) &&
                   LUMENSPIN_RESOLVE(get_name) && LUMENSPIN_RESOLVE(get_num_entries) && LUMENSPIN_RESOLVE(name_locate) &&
                   LUMENSPIN_RESOLVE(open_from_source) && LUMENSPIN_RESOLVE(source_buffer_create) &&
                   LUMENSPIN_RESOLVE(source_filep_create) && LUMENSPIN_RESOLVE(source_free) &&
                   LUMENSPIN_RESOLVE(stat_index) && LUMENSPIN_RESOLVE(strerror);
#undef LUMENSPIN_RESOLVE
  if (all) g_zipError.clear();
}

}  // namespace

const ZipLibrary* LoadZipLibrary(std::string& error) {
  static std::once_flag once;
  std::call_once(once, [] {
    g_zipError = "not loaded";
    Load();
  });
  if (!g_zipError.empty()) {
    error = "libzip cannot be loaded: " + g_zipError;
    return nullptr;
  }
  return &g_zip;
}

const ZipLibrary& Zip() { return g_zip; }
