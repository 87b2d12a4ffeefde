#include "app/file_drop.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <GL/glut.h>

#include <algorithm>
#include <string>

#include "base/diagnostics.h"

namespace {

constexpr long kXdndVersion = 5;
// How often the connection is read: a drag source waits this long at most
// for an answer to each message.
constexpr int kPollMs = 30;
// The longest file list taken, in 32-bit units as Xlib counts (4 MiB).
constexpr long kMaxListUnits = 1 << 20;

enum AtomIndex {
  kAware, kProxy, kEnter, kPosition, kStatus, kLeave, kDrop, kFinished,
  kSelection, kTypeList, kActionCopy, kUriList, kIncr, kDropProperty, kAtomCount
};
const char* const kAtomNames[kAtomCount] = {
  "XdndAware", "XdndProxy", "XdndEnter", "XdndPosition", "XdndStatus", "XdndLeave", "XdndDrop", "XdndFinished",
  "XdndSelection", "XdndTypeList", "XdndActionCopy", "text/uri-list", "INCR", "LUMENSPIN_DROP",
};

// The drop connection and the drag in progress; made by StartTakingDrops,
// alive until the program ends.
struct DropState {
  Display* display = nullptr;
  Window proxy = None;
  int glutWindow = 0;
  Atom atoms[kAtomCount] = {};
  DropHandler handler = nullptr;
  // The drag in progress: its source window, the window the source named
  // as the target (echoed back in every answer), the protocol version, and
  // whether it offers a file list.
  Window source = None;
  Window target = None;
  long version = 0;
  bool offersUriList = false;
  bool converting = false;
};
DropState g_drop;

// X errors on the drop connection are noted rather than left to Xlib's
// default handler, which would end the program; errors on any other
// connection go to the handler that was there before.
XErrorHandler g_previousHandler = nullptr;
int g_errorCode = 0;

int OnXError(Display* display, XErrorEvent* error) {
  if (display == g_drop.display) {
    if (g_errorCode == 0) g_errorCode = error->error_code;
    return 0;
  }
  return g_previousHandler ? g_previousHandler(display, error) : 0;
}

// While one lives, errors of the drop connection are caught; it waits for
// the server's answer to every request made before it ends, so that no
// error of its requests comes later, under another handler.
class ErrorTrap {
 public:
  ErrorTrap() : previous_(XSetErrorHandler(OnXError)) {
    g_previousHandler = previous_;
    g_errorCode = 0;
  }
  ~ErrorTrap() {
    XSync(g_drop.display, False);
    XSetErrorHandler(previous_);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

 private:
  XErrorHandler previous_;
};

Atom A(AtomIndex index) { return g_drop.atoms[index]; }

void SetWindowProperty(Window window, AtomIndex name, Atom type, long value) {
  XChangeProperty(g_drop.display, window, A(name), type, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&value), 1);
}

// A message of the protocol to the drag source, l[0] naming the target.
XEvent MessageToSource(AtomIndex message) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.display = g_drop.display;
  event.xclient.window = g_drop.source;
  event.xclient.message_type = A(message);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(g_drop.target);
  return event;
}

void Send(XEvent& event) { XSendEvent(g_drop.display, g_drop.source, False, NoEventMask, &event); }

// l[2] and l[3] are left an empty rectangle: the source sends every move.
void SendStatus(bool accept) {
  XEvent status = MessageToSource(kStatus);
  status.xclient.data.l[1] = accept ? 1 : 0;
  status.xclient.data.l[4] = accept ? static_cast<long>(A(kActionCopy)) : 0;
  Send(status);
}

// Before version 5, XdndFinished carries nothing but the target.
void SendFinished(bool done) {
  if (g_drop.source == None) return;
  XEvent finished = MessageToSource(kFinished);
  if (g_drop.version >= 5 && done) {
    finished.xclient.data.l[1] = 1;
    finished.xclient.data.l[2] = static_cast<long>(A(kActionCopy));
  }
  Send(finished);
}

void EndDrag() {
  g_drop.source = None;
  g_drop.offersUriList = false;
  g_drop.converting = false;
}

bool HasUriList(const Atom* types, unsigned long count) {
  return std::find(types, types + count, A(kUriList)) != types + count;
}

void OnEnter(const XClientMessageEvent& message) {
  EndDrag();
  g_drop.source = static_cast<Window>(message.data.l[0]);
  g_drop.target = message.window;
  g_drop.version = (message.data.l[1] >> 24) & 0xff;
  if ((message.data.l[1] & 1) == 0) {
    const Atom types[3] = {static_cast<Atom>(message.data.l[2]), static_cast<Atom>(message.data.l[3]),
                           static_cast<Atom>(message.data.l[4])};
    g_drop.offersUriList = HasUriList(types, 3);
    return;
  }
  // More than three types: the source lists them in XdndTypeList.
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(g_drop.display, g_drop.source, A(kTypeList), 0, 1024, False, XA_ATOM, &type, &format, &count,
                         &after, &data) == Success &&
      type == XA_ATOM && format == 32 && data != nullptr)
    g_drop.offersUriList = HasUriList(reinterpret_cast<const Atom*>(data), count);
  if (data) XFree(data);
}

void OnPosition(const XClientMessageEvent& message) {
  if (static_cast<Window>(message.data.l[0]) != g_drop.source) return;
  g_drop.target = message.window;
  const bool accept = g_drop.offersUriList && !g_drop.converting;
  SendStatus(accept);
}

void OnDrop(const XClientMessageEvent& message) {
  if (static_cast<Window>(message.data.l[0]) != g_drop.source || g_drop.converting) return;
  if (!g_drop.offersUriList) {
    SendFinished(false);
    EndDrag();
    return;
  }
  const Time time = g_drop.version >= 1 ? static_cast<Time>(message.data.l[2]) : CurrentTime;
  XConvertSelection(g_drop.display, A(kSelection), A(kUriList), A(kDropProperty), g_drop.proxy, time);
  g_drop.converting = true;
}

// The file list the source wrote into the proxy's property; false, with a
// line, when there is none that can be read.
bool TakeUriList(const XSelectionEvent& event, std::string& uriList) {
  if (event.property == None) {
    Diagnose(nullptr, "a drop was not taken: the drag source gave no file list");
    return false;
  }
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool read = XGetWindowProperty(g_drop.display, g_drop.proxy, event.property, 0, kMaxListUnits, True,
                                       AnyPropertyType, &type, &format, &count, &after, &data) == Success;
  bool taken = false;
  if (!read || data == nullptr || format != 8)
    Diagnose(nullptr, "a drop was not taken: its file list cannot be read");
  else if (type == A(kIncr) || after > 0)
    Diagnose(nullptr, "a drop was not taken: its file list is longer than 4 MiB");
  else {
    uriList.assign(reinterpret_cast<const char*>(data), count);
    taken = true;
  }
  if (data) XFree(data);
  return taken;
}

// Reads what came on the drop connection; a file list that arrived is
// returned in uriList, the drag left waiting for its XdndFinished.
void ReadEvents(std::string& uriList) {
  while (XPending(g_drop.display) > 0) {
    XEvent event;
    XNextEvent(g_drop.display, &event);
    if (event.type == SelectionNotify) {
      if (!g_drop.converting || event.xselection.selection != A(kSelection)) continue;
      g_drop.converting = false;
      if (!TakeUriList(event.xselection, uriList)) {
        SendFinished(false);
        EndDrag();
      }
      continue;
    }
    if (event.type != ClientMessage || event.xclient.format != 32) continue;
    const Atom kind = event.xclient.message_type;
    if (kind == A(kEnter))
      OnEnter(event.xclient);
    else if (kind == A(kPosition))
      OnPosition(event.xclient);
    else if (kind == A(kLeave) && static_cast<Window>(event.xclient.data.l[0]) == g_drop.source)
      EndDrag();
    else if (kind == A(kDrop))
      OnDrop(event.xclient);
  }
}

void ReportXError(const char* when) {
  char text[256] = "";
  XGetErrorText(g_drop.display, g_errorCode, text, sizeof text);
  Diagnose(nullptr, "%s: X error %d (%s)", when, g_errorCode, text);
}

void PollDrops(int) {
  std::string uriList;
  {
    ErrorTrap trap;
    ReadEvents(uriList);
  }
  if (g_errorCode != 0) {
    // Whatever the source said, its drag has ended for the viewer.
    ReportXError("a drop was not taken");
    EndDrag();
    uriList.clear();
  }
  if (!uriList.empty()) {
    // The handler draws into the GLUT window; a timer has no window of its own.
    glutSetWindow(g_drop.glutWindow);
    const bool done = g_drop.handler(uriList);
    glutPostRedisplay();
    {
      ErrorTrap trap;
      SendFinished(done);
    }
    EndDrag();
  }
  glutTimerFunc(kPollMs, PollDrops, 0);
}

}  // namespace

bool StartTakingDrops(DropHandler handler) {
  Display* glutDisplay = glXGetCurrentDisplay();
  const Window window = glXGetCurrentDrawable();
  if (glutDisplay == nullptr || window == None) {
    Diagnose(nullptr, "files cannot be dropped onto the window: it has no X window");
    return false;
  }
  g_drop.display = XOpenDisplay(DisplayString(glutDisplay));
  if (g_drop.display == nullptr) {
    Diagnose(nullptr, "files cannot be dropped onto the window: a second connection to the display was refused");
    return false;
  }
  {
    ErrorTrap trap;
    XInternAtoms(g_drop.display, const_cast<char**>(kAtomNames), kAtomCount, False, g_drop.atoms);
    XSetWindowAttributes attributes = {};
    g_drop.proxy = XCreateWindow(g_drop.display, DefaultRootWindow(g_drop.display), -1, -1, 1, 1, 0, 0, InputOnly,
                                 CopyFromParent, 0, &attributes);
    // The source looks for XdndProxy on the window under the pointer and
    // trusts it only when the proxy names itself too.
    for (const Window named : {window, g_drop.proxy}) {
      SetWindowProperty(named, kAware, XA_ATOM, kXdndVersion);
      SetWindowProperty(named, kProxy, XA_WINDOW, static_cast<long>(g_drop.proxy));
    }
  }
  if (g_errorCode != 0) {
    ReportXError("files cannot be dropped onto the window");
    XCloseDisplay(g_drop.display);
    g_drop.display = nullptr;
    return false;
  }
  g_drop.glutWindow = glutGetWindow();
  g_drop.handler = handler;
  glutTimerFunc(kPollMs, PollDrops, 0);
  return true;
}
