// The desktop notice module, lumenspin-notice.so: posts one notification
// through GIO, which the viewer then loads only when it has one to post.
#include <gio/gio.h>

#include "app/notice_module.h"

extern "C" __attribute__((visibility("default"))) void LumenspinPostNotice(const char* body) {
  // The notification service takes UTF-8 only; a CP932 file name would make
  // the whole message invalid, so such bytes are replaced. The body is read
  // as markup: a file name with "&" or "<" would otherwise be taken for tags
  // or make the service refuse the whole message.
  gchar* valid = g_utf8_make_valid(body, -1);
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
