#pragma once
// Start-up of the viewer and the pieces that belong to the window as a
// whole: help text, choosing and loading the model, the one-time OpenGL
// state, the reshape callback and the exit handler.

#include <cstdarg>
#include <string>

#include "render/scene_lights.h"

constexpr const char* kWindowTitle = "Lumenspin";
constexpr int kMaxPath = 260;  // bytes of a path, its closing NUL included

// Keeps memory that the process frees for its own reuse instead of handing
// it back to the kernel at once. Call it first thing in main.
void KeepFreedMemory();
void PrintHelp();
// Takes the model named on the command line, or else the one picked in the
// chooser, makes its folder the current one and starts reading it, and then
// its textures, on a thread. A cancelled chooser or a path that cannot be a
// model ends the process with status -1 (255).
void ChooseAndStartLoadingModel(const char* commandLinePath = nullptr);
// Counts what drawing the model read will take against its memory budget
// before any of it is made (as modelled, a document whose every object is
// hidden is first shown with them), and bounds the textures to what it leaves. A
// model as modelled past the budget (its mirrored halves multiply it) is let
// go, with a line on standard error: nothing is drawn.
void CountModelAgainstBudget(const char* path);
// "NAME — Lumenspin": the model's file name as shown text, then the
// program's; for the window as modelled.
std::string ModelWindowTitle();
// The model's file name as shown text (Shift-JIS converted, control
// characters escaped), as the title gives it.
std::string ModelShownName();
// The model shown, as an absolute path.
std::string ModelPath();
// Makes path (absolute, or relative to the current folder) the model shown
// and its folder the current one; false when that cannot be.
bool SetModelPath(const std::string& path);
// The textures, the framing as modelled and the display list of the model
// read; memory that runs out lets the model go with a line, not the program.
void MakeModelReady();
// What MakeModelReady does when memory runs out, also for a list compiled
// anew: a line naming path (when given), the model and its drawing let go,
// and an empty list.
void LetModelGoForMemory(const char* path);
// Waits for the reading. Returns only when a model was loaded: a file that
// cannot be opened ends the process with status -1 (255).
void FinishLoadingModel();
void InitGL();  // needs the window's OpenGL context
// The fixed part of InitGL: the view's start rotation and the drawing state
// (lights, depth test, shading), without the textures and the display list.
void InitFixedGLState();
// GLUT's display callback for the first frame: draws it, hands the later
// ones to OnDisplay, and only then posts the start-up's diagnostics to the
// desktop, so that a slow or missing notification service never holds the
// first frame back.
void OnFirstDisplay();
void OnReshape(int width, int height);
void CleanupAtExit();
// GLUT's handler of fatal errors: one line on standard error in place of
// GLUT's own, then status 1 as GLUT gives.
[[noreturn]] void OnWindowSystemError(const char* format, va_list args);

// The absolute form of path in out; false when it does not fit kMaxPath
// bytes or the current directory is unknown. Never cuts a path short.
bool MakeAbsolutePath(const std::string& path, char (&out)[kMaxPath]);
// The folder part of an absolute path ("/" for a file at the root).
std::string FolderOf(const char* absolutePath);
// width / height, or 1 when either is zero (a minimised window).
double AspectRatio(int width, int height);
// The vertical field of view of the model as modelled in a window of that
// shape: the viewer's own, and wider in a window narrower than the first,
// so that what the first window showed across still fits across (the
// model is framed for the first window, whole; so it stays, and Home
// returns to it, whatever the window's shape).
double FieldOfViewFor(double aspect);
