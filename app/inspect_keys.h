#pragma once
// Keys that show more of the model as modelled: w draws the edges of its
// faces over the shaded model, h shows the objects the document hides. Both
// stay as set when another model is shown.

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
