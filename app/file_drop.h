#pragma once
// Files dropped onto the viewer's window by a file manager, through the X
// desktop's drag-and-drop protocol (XDND, version 5). GLUT passes no X event
// on, so the drops are taken on a second X connection of the viewer's own:
// an unmapped input-only window of that connection is named, in the GLUT
// window's XdndProxy property, as the window that the drag source talks
// to; a GLUT timer reads its events, so that no thread is involved.

#include <string_view>

// Handles the text/uri-list of a drop; returns whether the drop was done
// (the drag source is told so).
using DropHandler = bool (*)(std::string_view uriList);

// Call once the GLUT window exists, with its context current. Returns
// false, with a line on standard error, when drops cannot be taken; the
// window then works as before. An X error later (a drag source that goes
// away, say) costs that one drop, with a line, never the program.
bool StartTakingDrops(DropHandler handler);
