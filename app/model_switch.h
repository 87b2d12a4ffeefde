#pragma once
// Another model shown without a restart, as modelled: the next or the
// previous model of the folder (Page Down, Page Up) or the same one read
// again (F5). The model shown and what was drawn from it are let go once the
// new one is read; a model that cannot be read leaves the one shown as it
// was, with a line saying why (and a notice, from the desktop).

#include <string>

// The model that comes `step` places after path (before it, for a negative
// step) among the folder's .mqo and .mqoz files (any letter case) in byte
// order of their names, wrapping round; path itself when it is the only one,
// or empty when the folder cannot be read.
std::string NeighbourModel(const std::string& path, int step);

// Reads and shows the model at path in place of the one shown; the view is
// kept with keepView, else set back to the first. Returns whether the model
// at path is shown. Needs the window's context.
bool ShowModel(const std::string& path, bool keepView);
