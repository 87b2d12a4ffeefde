#pragma once
// The parts of the viewer that need big libraries only now and then live in
// modules of their own, loaded when first used: the file chooser (GTK 3,
// lumenspin-chooser.so) and the desktop notices (GIO, lumenspin-notice.so).
// A start with a model named loads neither, and none of their libraries.

#include <string>

// The entry point named `entry` of the module file `module`, loaded from
// where the build or the installation put it: beside the running program
// in the build tree, in the library folder's lumenspin/ when installed.
// nullptr, with the reason in error, when it cannot be loaded. A module
// stays loaded until the process ends.
void* LoadModuleEntry(const char* module, const char* entry, std::string& error);
