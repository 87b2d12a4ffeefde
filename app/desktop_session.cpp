#include "app/desktop_session.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/diagnostics.h"

namespace {

constexpr size_t kMaxNoticeLines = 8;

}  // namespace

void StartDesktopNotices() {
  if (!isatty(STDIN_FILENO) && !isatty(STDOUT_FILENO) && !isatty(STDERR_FILENO)) KeepDiagnostics();
}

bool HasSessionBus() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat info;
  return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

void PostDiagnosticsToDesktop() {
  const std::vector<std::string> lines = TakeDiagnostics();
  if (lines.empty() || !HasSessionBus()) return;
  std::string body;
  for (size_t i = 0; i < lines.size() && i < kMaxNoticeLines; ++i) body += (i ? "\n" : "") + lines[i];
  if (lines.size() > kMaxNoticeLines) body += "\n(" + std::to_string(lines.size() - kMaxNoticeLines) + " more)";
  // The notification service takes UTF-8 only; a CP932 file name would make
  // the whole message invalid, so such bytes are replaced. The body is read
  // as markup: a file name with "&" or "<" would otherwise be taken for tags
  // or make the service refuse the whole message.
  gchar* valid = g_utf8_make_valid(body.c_str(), -1);
  gchar* text = g_markup_escape_text(valid, -1);
  g_free(valid);

  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
        "Notify", g_variant_new("(susssasa{sv}i)", "Lumenspin", 0u, "lumenspin", "Lumenspin", text, nullptr, nullptr, -1),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
    g_object_unref(bus);
  }
  g_free(text);
}
