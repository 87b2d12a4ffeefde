#include "thumbnailer/thumbnail_faces.h"

#include "render/drawn_faces.h"
#include "model/model_loading.h"

void DrawThumbnailFaces(const ThumbnailView& view) {
  TranslucentFaces translucent;
  DrawModelAsModelled(g_objects, g_objectCount, view, translucent);
  // Their depth is written too, so that the picture read back knows where
  // they lie.
  DrawTranslucentFaces(translucent, true);
}
