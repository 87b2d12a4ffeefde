#include "app/desktop_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "app/modules.h"
#include "app/notice_module.h"
#include "base/diagnostics.h"

namespace {

constexpr size_t kMaxNoticeLines = 8;

// The kept diagnostics as a notice's text, or "" when there is nothing to
// post or nowhere to post it.
std::string TakeNoticeBody() {
  const std::vector<std::string> lines = TakeDiagnostics();
  if (lines.empty() || !HasSessionBus()) return "";
  std::string body;
  for (size_t i = 0; i < lines.size() && i < kMaxNoticeLines; ++i) body += (i ? "\n" : "") + lines[i];
  if (lines.size() > kMaxNoticeLines) body += "\n(" + std::to_string(lines.size() - kMaxNoticeLines) + " more)";
  return body;
}

// A notice is a courtesy on top of standard error: without its module it
// is left out, as without a notification service.
void Post(const std::string& body) {
  std::string error;
  const auto post = reinterpret_cast<PostNotice>(LoadModuleEntry(kNoticeModule, kPostNoticeEntry, error));
  if (post != nullptr) post(body.c_str());
}

}  // namespace

void StartDesktopNotices() {
  if (!isatty(STDIN_FILENO) && !isatty(STDOUT_FILENO) && !isatty(STDERR_FILENO)) {
    KeepDiagnostics();
    // An exit where it stands (a decoder's fatal error) still posts what it
    // said; the exits that posted already leave nothing to post.
    std::atexit(PostDiagnosticsToDesktop);
  }
}

bool HasSessionBus() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat info;
  return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

void PostDiagnosticsToDesktop() {
  const std::string body = TakeNoticeBody();
  if (!body.empty()) Post(body);
}

void PostDiagnosticsAside() {
  const std::string body = TakeNoticeBody();
  // Detached: the window never waits for the bus, and an exit meanwhile
  // only drops the notice. The thread owns its copy of the text.
  if (!body.empty()) std::thread(Post, body).detach();
}
