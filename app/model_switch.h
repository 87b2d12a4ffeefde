#pragma once
// Another model shown without a restart, as modelled: the next or the
// previous model of the folder (Page Down, Page Up), the same one read
// again (F5), one picked in the file chooser (Ctrl+O) or dropped onto the
// window. The model shown and what was drawn from it are let go once the
// new one is read; a model that cannot be read leaves the one shown as it
// was, with a line saying why (and a notice, from the desktop).

#include <string>
#include <string_view>

// The model that comes `step` places after path (before it, for a negative
// step) among the folder's .mqo and .mqoz files (any letter case) in byte
// order of their names, wrapping round; path itself when it is the only one,
// or empty when the folder cannot be read.
std::string NeighbourModel(const std::string& path, int step);

// Reads and shows the model at path in place of the one shown; the view is
// kept with keepView, else set back to the first. Returns whether the model
// at path is shown. Needs the window's context.
bool ShowModel(const std::string& path, bool keepView);

// Asks for a model in the file chooser and shows it, the view set back to
// the first; a cancelled chooser leaves the model shown.
bool ShowChosenModel();
// Shows the first file of a dropped text/uri-list, the view set back to the
// first. A URI that is not a local file is not shown, and of several files
// only the first is; a line on standard error says so. Returns whether the
// file is shown.
bool ShowDroppedModel(std::string_view uriList);
