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
  ZipLibrary& z = g_zip;
  const bool all =
      Resolve(library, "zip_discard", z.discard) && Resolve(library, "zip_error_code_zip", z.error_code_zip) &&
      Resolve(library, "zip_error_fini", z.error_fini) && Resolve(library, "zip_error_init", z.error_init) &&
      Resolve(library, "zip_error_strerror", z.error_strerror) && Resolve(library, "zip_fclose", z.fclose) &&
      Resolve(library, "zip_file_strerror", z.file_strerror) && Resolve(library, "zip_fopen_index", z.fopen_index) &&
      Resolve(library, "zip_fread", z.fread) && Resolve(library, "zip_get_name", z.get_name) &&
      Resolve(library, "zip_get_num_entries", z.get_num_entries) &&
      Resolve(library, "zip_name_locate", z.name_locate) &&
      Resolve(library, "zip_open_from_source", z.open_from_source) &&
      Resolve(library, "zip_source_buffer_create", z.source_buffer_create) &&
      Resolve(library, "zip_source_filep_create", z.source_filep_create) &&
      Resolve(library, "zip_source_free", z.source_free) && Resolve(library, "zip_stat_index", z.stat_index) &&
      Resolve(library, "zip_strerror", z.strerror);
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
