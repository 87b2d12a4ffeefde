#pragma once
// The model as the thumbnail draws it: as modelled (render/drawn_faces.h),
// in the thumbnail's scene.

#include "thumbnailer/thumbnail_view.h"

// Draws the model tables directly (a thumbnail is drawn once, and compiling
// a list first costs more than drawing). Needs a current context with the
// thumbnail's camera set and the textures made.
void DrawThumbnailFaces(const ThumbnailView& view);
