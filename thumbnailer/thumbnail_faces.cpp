#include "thumbnailer/thumbnail_faces.h"

#include <algorithm>

#include "model/drawn_faces.h"
#include "model/model_loading.h"

void DrawThumbnailFaces(const ThumbnailView& view) {
  const int objectCount = g_loader ? std::min(g_loader->GetDocument().numObjects, kMaxModelSlots) : 0;
  DrawModelAsModelled(g_objects, objectCount, view);
}
