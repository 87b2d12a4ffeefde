#pragma once
// The model as the thumbnail draws it: the display list's faces, materials
// and textures, but each face lit by its own normal, since the list sends
// none and would show a flat silhouette.

#include "thumbnailer/thumbnail_view.h"

// Draws the faces of the model tables in immediate mode (a thumbnail is
// drawn once, and compiling a list first costs more than drawing). Needs a
// current context with the thumbnail's camera set and the textures made.
void DrawThumbnailFaces(const ThumbnailView& view);
