// The file chooser module, lumenspin-chooser.so: the GTK 3 dialog behind
// ChooseModelFile, loaded only when no model is named on the command line.
#include <gtk/gtk.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>

#include "app/chooser_module.h"

namespace {

bool StartGtk(bool sessionBus) {
  // GTK would otherwise switch the whole process to the user's locale, and
  // number parsing in the model reader must keep the "C" rules. The
  // chooser's own labels still follow the user's language.
  gtk_disable_setlocale();
  std::setlocale(LC_MESSAGES, "");
  // Without a session bus GTK's settings store and accessibility bridge
  // would print a warning for every setting the chooser touches. Settings
  // then live in memory for this run; a user's own choice of either stays.
  if (!sessionBus) {
    setenv("GSETTINGS_BACKEND", "memory", 0);
    setenv("NO_AT_BRIDGE", "1", 0);
  }
  // No arguments: the command line is left whole for the window library.
  return gtk_init_check(nullptr, nullptr);
}

void FlushGtkEvents() {
  while (gtk_events_pending()) gtk_main_iteration();
}

// GTK sizes the chooser from its font and from the size it saved last, not
// from the screen: on a 1024x768 screen it opened at 1096x822 with its
// buttons below the bottom edge. It sets that size as the dialog is mapped;
// right after, the size is cut down to the work area of the monitor under
// the pointer, where a window manager puts a new window.
void FitToMonitor(GtkWidget* dialog, gpointer) {
  GdkDisplay* display = gtk_widget_get_display(dialog);
  GdkMonitor* monitor = nullptr;
  GdkSeat* seat = gdk_display_get_default_seat(display);
  GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
  if (pointer) {
    int x = 0, y = 0;
    gdk_device_get_position(pointer, nullptr, &x, &y);
    monitor = gdk_display_get_monitor_at_point(display, x, y);
  }
  if (monitor == nullptr) monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr) return;
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  int width = 0, height = 0;
  gtk_window_get_size(GTK_WINDOW(dialog), &width, &height);
  // The window manager's frame needs a little room as well.
  const int frame = 32;
  const int fitWidth = std::max(area.width - frame, 1);
  const int fitHeight = std::max(area.height - frame, 1);
  if (width > fitWidth || height > fitHeight)
    gtk_window_resize(GTK_WINDOW(dialog), std::min(width, fitWidth), std::min(height, fitHeight));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int LumenspinRunChooser(int archives, int sessionBus,
                                                                         ChooserAccept accept, void* context) {
  static const bool gtkReady = StartGtk(sessionBus);
  if (!gtkReady) return -1;

  GtkWidget* dialog = gtk_file_chooser_dialog_new("メタセコイアファイルを選択", nullptr, GTK_FILE_CHOOSER_ACTION_OPEN,
                                                  "_Cancel", GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT,
                                                  nullptr);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
  // Start where the program was started, not in the recent files.
  gchar* here = g_get_current_dir();
  gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), here);
  g_free(here);
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, archives ? "MQOファイル(*.mqo;*.mqoz)" : "MQOファイル(*.mqo)");
  gtk_file_filter_add_pattern(filter, "*.mqo");
  // Files made on Windows often carry the extension in capitals.
  gtk_file_filter_add_pattern(filter, "*.MQO");
  if (archives) {
    gtk_file_filter_add_pattern(filter, "*.mqoz");
    gtk_file_filter_add_pattern(filter, "*.MQOZ");
  }
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
  g_signal_connect(dialog, "map", G_CALLBACK(FitToMonitor), nullptr);

  bool chosen = false;
  while (!chosen && gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
    if (name == nullptr) continue;
    chosen = accept(name, context) != 0;
    g_free(name);
  }
  gtk_widget_destroy(dialog);
  // Let the dialog vanish before the viewer's window opens.
  FlushGtkEvents();
  return chosen ? 1 : 0;
}
