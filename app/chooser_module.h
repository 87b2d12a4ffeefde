#pragma once
// What the viewer and its file chooser module (lumenspin-chooser.so, the only
// part that links GTK 3) call each other by.

constexpr const char* kChooserModule = "lumenspin-chooser.so";
constexpr const char* kRunChooserEntry = "LumenspinRunChooser";

// Told each file name the user confirms; nonzero takes it and ends the
// dialog, zero leaves the dialog open.
using ChooserAccept = int (*)(const char* name, void* context);
// Runs the modal chooser, which offers .mqo files and, with archives, .mqoz
// files in the same filter. sessionBus says whether a session bus can be
// reached. Returns 1 when accept took a file, 0 when the user cancelled and
// -1 when GTK found no display.
using RunChooser = int (*)(int archives, int sessionBus, ChooserAccept accept, void* context);
