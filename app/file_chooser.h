#pragma once
// The modal open-file chooser for one .mqo file (GTK 3).

#include <string>

// Runs the chooser. Returns true with the absolute path of an existing file,
// or false when the user cancelled or no chooser could be shown (no display).
bool ChooseModelFile(std::string& path);

// The default extension: a name that does not exist and has no extension of
// its own gets ".mqo", as a typed name without it means the model file.
std::string WithDefaultExtension(const std::string& path);
