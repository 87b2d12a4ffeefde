#pragma once
// The model shown is watched as modelled: when its file changes, and then
// stays as it is for kSettleMs and is whole (model/whole_file.h), it is read
// again keeping the view, as F5 does. Editors save in steps; a file that is
// never whole again (cut short for good) leaves the model shown as it was,
// with a line saying so.

// Long enough for an editor's steps (cut, write, rename) to be one change,
// short enough to feel at once.
constexpr int kSettleMs = 300;

// Points the watch at the model shown (ModelPath()); call it whenever another
// model is shown. Starts the GLUT timer that looks at the watch the first
// time. Nothing is watched where inotify cannot be had: a line says why.
void WatchShownModel();
