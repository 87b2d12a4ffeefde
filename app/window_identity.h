#pragma once
// Names the viewer's window to the desktop, so that docks and task switchers
// match it to the desktop entry and show the project's icon: the X window
// properties WM_CLASS ("lumenspin", "Lumenspin"), _NET_WM_PID and
// _NET_WM_ICON, set through Xlib since GLUT has no call for them.

#include <string>

// Call right after glutCreateWindow, while the window's context is current.
// Does nothing when no GLX drawable is current.
void SetWindowIdentity();
// Sets the window's title, UTF-8, as docks and task switchers read it
// (_NET_WM_NAME) and as older window managers do (WM_NAME, through GLUT).
void SetWindowTitle(const std::string& title);
