#pragma once
// The modal open-file chooser for one model file (GTK 3).

#include <string>

// Runs the chooser, which offers .mqo files and, with archives, .mqoz files
// in the same filter. Returns true with the absolute path of an existing
// file, or false when the user cancelled or no chooser could be shown (no
// display).
bool ChooseModelFile(std::string& path, bool archives = false);

// The default extension: a name that does not exist and has no extension of
// its own gets ".mqo", as a typed name without it means the model file.
std::string WithDefaultExtension(const std::string& path);
