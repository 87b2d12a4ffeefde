#include "app/file_chooser.h"

#include <sys/stat.h>

#include "app/chooser_module.h"
#include "app/desktop_session.h"
#include "app/modules.h"
#include "base/diagnostics.h"

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Only an existing file ends the dialog; anything else leaves it open.
int AcceptExistingFile(const char* name, void* chosenPath) {
  const std::string candidate = WithDefaultExtension(name);
  if (!IsRegularFile(candidate)) return 0;
  *static_cast<std::string*>(chosenPath) = candidate;
  return 1;
}

}  // namespace

std::string WithDefaultExtension(const std::string& path) {
  const std::string::size_type slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name.find('.') != std::string::npos || Exists(path)) return path;
  return path + ".mqo";
}

bool ChooseModelFile(std::string& path, bool archives) {
  std::string error;
  const auto run = reinterpret_cast<RunChooser>(LoadModuleEntry(kChooserModule, kRunChooserEntry, error));
  if (run == nullptr) {
    Diagnose(nullptr, "the file chooser cannot be loaded: %s; name the model on the command line", error.c_str());
    return false;
  }
  const int result = run(archives, HasSessionBus(), AcceptExistingFile, &path);
  if (result < 0) Diagnose(nullptr, "no display for the file chooser; name the model on the command line");
  return result > 0;
}
