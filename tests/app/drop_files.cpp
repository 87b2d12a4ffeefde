// drop_files WINDOW_ID URI...: drops a text/uri-list of the URIs onto the
// window as a file manager does, through the X drag-and-drop protocol
// (XDND): it owns XdndSelection, talks to the window's XdndProxy where the
// window names a valid one, and hands the list over when asked. For the
// end-to-end tests, which have no file manager.
// Status 0 when the target took the drop, 1 when it refused it, 2 when the
// protocol failed or 10 s passed without an answer.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

Display* g_display = nullptr;

Atom Intern(const char* name) { return XInternAtom(g_display, name, False); }

// The one window a 32-bit property of type XA_WINDOW names, or None.
Window WindowProperty(Window window, const char* name) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Window named = None;
  if (XGetWindowProperty(g_display, window, Intern(name), 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                         &data) == Success &&
      type == XA_WINDOW && format == 32 && count == 1)
    named = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return named;
}

long AwareVersion(Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long version = -1;
  if (XGetWindowProperty(g_display, window, Intern("XdndAware"), 0, 1, False, XA_ATOM, &type, &format, &count, &after,
                         &data) == Success &&
      type == XA_ATOM && format == 32 && count == 1)
    version = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return version;
}

// The next event for the source, or false after the deadline.
bool NextEvent(XEvent& event, int& millisecondsLeft) {
  while (XPending(g_display) == 0) {
    if (millisecondsLeft <= 0) return false;
    pollfd descriptor = {ConnectionNumber(g_display), POLLIN, 0};
    poll(&descriptor, 1, 100);
    millisecondsLeft -= 100;
  }
  XNextEvent(g_display, &event);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: drop_files WINDOW_ID URI...\n");
    return 2;
  }
  g_display = XOpenDisplay(nullptr);
  if (g_display == nullptr) {
    std::fprintf(stderr, "drop_files: cannot open the display\n");
    return 2;
  }
  const Window target = std::strtoul(argv[1], nullptr, 0);
  std::string uriList;
  for (int i = 2; i < argc; ++i) uriList += std::string(argv[i]) + "\r\n";

  // A proxy counts only when it names itself as well.
  Window destination = target;
  const Window proxy = WindowProperty(target, "XdndProxy");
  if (proxy != None && WindowProperty(proxy, "XdndProxy") == proxy) destination = proxy;
  const long version = std::min(AwareVersion(destination == target ? target : proxy), 5L);
  if (version < 0) {
    std::fprintf(stderr, "drop_files: window %#lx takes no drops (no XdndAware)\n", target);
    return 2;
  }

  const Window source = XCreateSimpleWindow(g_display, DefaultRootWindow(g_display), 0, 0, 1, 1, 0, 0, 0);
  const Atom selection = Intern("XdndSelection"), uriListType = Intern("text/uri-list");
  const Atom copy = Intern("XdndActionCopy");
  XSetSelectionOwner(g_display, selection, source, CurrentTime);

  XWindowAttributes attributes;
  int rootX = 0, rootY = 0;
  Window child;
  XGetWindowAttributes(g_display, target, &attributes);
  XTranslateCoordinates(g_display, target, DefaultRootWindow(g_display), attributes.width / 2, attributes.height / 2,
                        &rootX, &rootY, &child);

  // Messages name the target in `window` and go to the destination.
  const auto send = [&](const char* name, long l1, long l2, long l3, long l4) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = Intern(name);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(source);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(g_display, destination, False, NoEventMask, &event);
    XFlush(g_display);
  };
  send("XdndEnter", version << 24, static_cast<long>(uriListType), 0, 0);
  send("XdndPosition", 0, (static_cast<long>(rootX) << 16) | rootY, CurrentTime, static_cast<long>(copy));

  int left = 10000;
  XEvent event;
  bool dropped = false;
  while (NextEvent(event, left)) {
    if (event.type == ClientMessage && event.xclient.message_type == Intern("XdndStatus") && !dropped) {
      if ((event.xclient.data.l[1] & 1) == 0) {
        send("XdndLeave", 0, 0, 0, 0);
        std::fprintf(stderr, "drop_files: the target does not accept the drop\n");
        return 1;
      }
      send("XdndDrop", 0, CurrentTime, 0, 0);
      dropped = true;
    } else if (event.type == SelectionRequest) {
      const XSelectionRequestEvent& request = event.xselectionrequest;
      XEvent answer = {};
      answer.xselection.type = SelectionNotify;
      answer.xselection.requestor = request.requestor;
      answer.xselection.selection = request.selection;
      answer.xselection.target = request.target;
      answer.xselection.time = request.time;
      answer.xselection.property = None;
      if (request.target == uriListType && request.property != None) {
        XChangeProperty(g_display, request.requestor, request.property, uriListType, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(uriList.data()), static_cast<int>(uriList.size()));
        answer.xselection.property = request.property;
      }
      XSendEvent(g_display, request.requestor, False, NoEventMask, &answer);
      XFlush(g_display);
    } else if (event.type == ClientMessage && event.xclient.message_type == Intern("XdndFinished")) {
      const bool taken = version < 5 || (event.xclient.data.l[1] & 1) != 0;
      std::fprintf(stderr, "drop_files: the target %s the drop\n", taken ? "took" : "refused");
      return taken ? 0 : 1;
    }
  }
  std::fprintf(stderr, "drop_files: no answer from window %#lx within 10 s\n", target);
  return 2;
}
