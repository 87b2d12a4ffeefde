#include "thumbnailer/thumbnail_faces.h"

#include "render/drawn_faces.h"
#include "model/model_loading.h"

void DrawThumbnailFaces(const ThumbnailView& view) {
  DrawModelAsModelled(g_objects, g_objectCount, view);
}
