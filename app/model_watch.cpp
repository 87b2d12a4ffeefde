#include "app/model_watch.h"

#include <GL/freeglut.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "app/model_switch.h"
#include "app/startup.h"
#include "base/diagnostics.h"
#include "model/whole_file.h"

namespace {

// How often the watch is looked at.
constexpr int kLookMs = 100;
// Whatever an editor does to the file's name in the folder: written and
// closed, written to, made, renamed onto.
constexpr uint32_t kChanges = IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_ATTRIB;

int g_inotify = -1;
int g_watch = -1;
std::string g_folder;  // the folder watched
std::string g_name;    // the model's file name in it
bool g_changed = false;
bool g_saidNotWhole = false;
std::chrono::steady_clock::time_point g_changedAt;

// Takes every event waiting; true when one was about the model's name (or
// events were lost, which may have been).
bool TakeEvents() {
  bool ours = false;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t length = read(g_inotify, buffer, sizeof buffer);
    if (length <= 0) break;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->mask & IN_Q_OVERFLOW) ours = true;
      if (event->wd == g_watch && event->len > 0 && g_name == event->name) ours = true;
      at += sizeof(inotify_event) + event->len;
    }
  }
  return ours;
}

void LookAtWatch(int) {
  glutTimerFunc(kLookMs, LookAtWatch, 0);
  const auto now = std::chrono::steady_clock::now();
  if (TakeEvents()) {
    g_changed = true;
    g_changedAt = now;
  }
  if (!g_changed || now - g_changedAt < std::chrono::milliseconds(kSettleMs)) return;
  g_changed = false;
  const std::string path = ModelPath();
  if (!ModelFileWhole(path.c_str())) {
    // Said once until the file is whole again, not at each of an editor's steps.
    if (!g_saidNotWhole) Diagnose(path.c_str(), "changed, but does not end as a whole file does; the model shown stays");
    g_saidNotWhole = true;
    return;
  }
  g_saidNotWhole = false;
  ShowModel(path, true);
  glutPostRedisplay();
}

}  // namespace

void WatchShownModel() {
  const std::string path = ModelPath();
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  g_name = path.substr(slash + 1);
  if (g_inotify < 0) {
    g_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (g_inotify < 0) {
      Diagnose(path.c_str(), "not watched for changes: %s", std::strerror(errno));
      return;
    }
    glutTimerFunc(kLookMs, LookAtWatch, 0);
  }
  g_changed = false;
  g_saidNotWhole = false;
  if (folder == g_folder && g_watch >= 0) return;
  if (g_watch >= 0) inotify_rm_watch(g_inotify, g_watch);
  g_folder = folder;
  g_watch = inotify_add_watch(g_inotify, folder.c_str(), kChanges);
  if (g_watch < 0) Diagnose(path.c_str(), "not watched for changes: %s", std::strerror(errno));
}
