#pragma once
// The model's edges drawn over its shaded faces (the w key) and the objects
// its document hides shown after all (the h key). Each is a switch that
// stays as the user set it when another model is shown.

extern bool g_showEdges;
extern bool g_hiddenObjectsShown;

void ToggleEdges();
// Shows the hidden objects (when what is then drawn fits the model's
// memory budget; else a line says why) or hides them again, and compiles
// the display list anew, the framing kept.
void ToggleHiddenObjects();
// After another model is read, before it is counted and drawn: shows its
// hidden objects when h has asked for them.
void KeepHiddenObjectsShown();
