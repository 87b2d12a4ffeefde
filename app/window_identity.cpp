#include "app/window_identity.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <GL/glut.h>

#include <vector>

#include "app/window_icon.h"

void SetWindowIdentity() {
  Display* display = glXGetCurrentDisplay();
  const Window window = glXGetCurrentDrawable();
  if (display == nullptr || window == None) return;

  // The instance name is the program's name, the class the one the desktop
  // entry's StartupWMClass gives.
  char instance[] = "lumenspin";
  char windowClass[] = "Lumenspin";
  XClassHint hint = {instance, windowClass};
  XSetClassHint(display, window, &hint);

  // Xlib takes 32-bit properties as arrays of long, whatever long's width.
  const long pid = getpid();
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  const std::vector<unsigned long> icon(kWindowIcon, kWindowIcon + kWindowIconLength);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(icon.data()), static_cast<int>(icon.size()));
  XFlush(display);
}

void SetWindowTitle(const std::string& title) {
  glutSetWindowTitle(title.c_str());
  Display* display = glXGetCurrentDisplay();
  const Window window = glXGetCurrentDrawable();
  if (display == nullptr || window == None) return;
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"})
    XChangeProperty(display, window, XInternAtom(display, name, False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
  XFlush(display);
}
