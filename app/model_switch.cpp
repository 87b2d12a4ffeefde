#include "app/model_switch.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "app/desktop_session.h"
#include "app/edges_and_hidden.h"
#include "app/file_chooser.h"
#include "app/model_watch.h"
#include "app/startup.h"
#include "app/uri_list.h"
#include "app/view_control.h"
#include "app/window_identity.h"
#include "base/diagnostics.h"
#include "base/name_ending.h"
#include "model/model_loading.h"
#include "render/display_list.h"

namespace {

// A name that is an extension alone (".mqo") is no model.
bool IsModelName(const std::string& name) {
  for (std::string_view extension : {".mqo", ".mqoz"})
    if (name.size() > extension.size() && EndsWithIgnoringCase(name, extension)) return true;
  return false;
}

// Reads path into the model's tables in place of the model shown; false,
// with the reason, when it cannot be opened or the reader refuses it, and
// then the model shown, its folder and its path are as they were.
bool ReadShownModel(const std::string& path, std::string& reason) {
  const std::string shown = ModelPath();
  char absolute[kMaxPath];
  if (!MakeAbsolutePath(path, absolute)) {
    reason = "its path is longer than the 259 bytes a model's path may have";
    return false;
  }
  if (!SetModelPath(path)) {
    reason = "its folder cannot be entered";
    SetModelPath(shown);
    return false;
  }
  int result = 0;
  if (ReadModelFile(ModelPath().c_str(), true, result, reason, true) && result == 0) return true;
  SetModelPath(shown);
  return false;
}

}  // namespace

std::string NeighbourModel(const std::string& path, int step) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, std::max<std::size_t>(slash, 1));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return "";
  std::vector<std::string> models;
  while (const dirent* entry = readdir(dir))
    if (IsModelName(entry->d_name)) models.push_back(entry->d_name);
  closedir(dir);
  if (std::find(models.begin(), models.end(), name) == models.end()) models.push_back(name);
  std::sort(models.begin(), models.end());
  const long count = static_cast<long>(models.size());
  const long at = std::find(models.begin(), models.end(), name) - models.begin();
  const long next = ((at + step) % count + count) % count;
  return (folder == "/" ? "" : folder) + "/" + models[next];
}

bool ShowModel(const std::string& path, bool keepView) {
  std::string reason;
  if (!ReadShownModel(path, reason)) {
    Diagnose(path.c_str(), "not shown: %s", reason.c_str());
    PostDiagnosticsAside();
    return false;
  }
  ReleaseModelDrawing();
  KeepHiddenObjectsShown();
  CountModelAgainstBudget(ModelPath().c_str());
  MakeModelReady();
  if (!keepView) ResetView(g_view);
  SetWindowTitle(ModelWindowTitle());
  WatchShownModel();
  PostDiagnosticsAside();
  return true;
}

bool ShowChosenModel() {
  std::string path;
  if (!ChooseModelFile(path, true)) return false;
  return ShowModel(path, false);
}

bool ShowDroppedModel(std::string_view uriList) {
  const std::vector<std::string> items = UriListItems(uriList);
  if (items.empty()) {
    Diagnose(nullptr, "the drop named no file; nothing is shown");
    return false;
  }
  char host[256] = "";
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  std::string path;
  if (!LocalFilePath(items.front(), host, path)) {
    Diagnose(items.front().c_str(), "dropped, but not a file URI of this computer; not shown");
    return false;
  }
  if (items.size() > 1)
    Diagnose(nullptr, "%zu files dropped; only the first, %s, is shown", items.size(), path.c_str());
  return ShowModel(path, false);
}
