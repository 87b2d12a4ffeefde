#pragma once
// The modal open-file chooser for one model file. Its GTK 3 dialog lives in
// the chooser module (chooser_module.h), loaded on the first call.

#include <string>

// Runs the chooser, which offers .mqo files and, with archives, .mqoz files
// in the same filter. Returns true with the absolute path of an existing
// file; false when the user cancelled, or when no chooser could be shown
// (no display, or its module missing: the reason then on standard error).
bool ChooseModelFile(std::string& path, bool archives = false);

// The default extension: a name that does not exist and has no extension of
// its own gets ".mqo", as a typed name without it means the model file.
std::string WithDefaultExtension(const std::string& path);
