#include "thumbnailer/thumbnailer.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "thumbnailer/embedded_picture.h"
#include "thumbnailer/headless_context.h"
#include "thumbnailer/resource_limits.h"
#include "thumbnailer/thumbnail_picture.h"
#include "thumbnailer/thumbnail_view.h"
#include "render/display_list.h"
#include "render/scene_lights.h"
#include "render/material_textures.h"
#include "image/texture_dispatch.h"
#include "model/model_loading.h"
#include "image/texture_tree.h"
#include "base/regular_file.h"

namespace {

// Reads the document into the viewer's tables, and its own picture into the
// reader's document; false with the reason when it cannot be opened or the
// reader refuses it. File managers show newer documents and archives (.mqoz)
// too.
bool ReadModel(const char* input, std::string& reason) {
  g_newerFormats = true;
  // Drawn as the viewer draws with --as-modelled, textures included.
  g_asModelled = true;
  SetNewerTextureFormats(true);
  g_keepThumbnail = true;
  // Drawn as modelled, with the pictures its project keeps elsewhere.
  SetTextureTreeSearch(true);
  // The reader refuses a document that could not be drawn under the
  // address-space bound before it takes the memory, rather than failing an
  // allocation part way.
  g_memoryBudget = MemoryBudget{DrawingBudget(), kBytesPerDrawnFace, kBytesPerDrawnVertex};
  int result = 0;
  return ReadModelFile(input, true, result, reason) && result == 0;
}

}  // namespace

bool ReadThumbnailModel(const char* input, ThumbnailView& view, std::string& reason) {
  if (!ReadModel(input, reason)) return false;
  ShowHiddenObjectsWhenAllHidden(input);
  view.embedded = ReadEmbeddedPicture(input);
  view.drawable = FitThumbnailView(g_objects, g_objectCount, view);
  if (!view.drawable && view.embedded.rgb.empty()) {
    reason = "the document has no face to draw";
    return false;
  }
  return true;
}

bool RenderThumbnail(const ThumbnailView& view, const char* output, int size, std::string& reason) {
  if (!view.drawable) return WritePngFile(output, ScaleEmbeddedPicture(view.embedded, size), size, reason);
  // The viewer's drawing state and textures, as its InitGL makes them; the
  // faces are drawn directly. A texture that does not load leaves its faces
  // in their material's colour.
  InitDrawingState();
  LoadMaterialTextures();
  const int pixels = size * kSupersampling;
  std::vector<unsigned char> rgba(static_cast<size_t>(pixels) * pixels * 4);
  std::vector<float> depth(static_cast<size_t>(pixels) * pixels);
  auto drawFrame = [&](const ThumbnailView& frame) {
    DrawThumbnail(frame, pixels);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, pixels, pixels, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glReadPixels(0, 0, pixels, pixels, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  };
  drawFrame(view);
  // Framed again on what was drawn when alpha cut away the model's edges.
  ThumbnailView framed = view;
  if (RefitToDrawn(depth.data(), pixels, framed)) drawFrame(framed);
  const std::vector<unsigned char> picture = ResolveThumbnail(rgba.data(), depth.data(), size, kSupersampling);
  // A blank picture would pass for a model of nothing: faces without area,
  // cut out whole by their alpha, or too small for a pixel.
  bool drawn = false;
  for (size_t i = 3; i < picture.size() && !drawn; i += 4) drawn = picture[i] != 0;
  if (!drawn && !view.embedded.rgb.empty())
    return WritePngFile(output, ScaleEmbeddedPicture(view.embedded, size), size, reason);
  if (!drawn) {
    reason = "nothing was drawn: every face has no area, is cut out by its alpha or is smaller than a pixel";
    return false;
  }
  return WritePngFile(output, picture, size, reason);
}

bool MakeThumbnail(const char* input, const char* output, int size, std::string& reason) {
  // The output path as seen from here, so that it keeps naming the same file
  // after the move to the model's folder.
  std::error_code error;
  const std::filesystem::path outputPath = std::filesystem::absolute(output, error);
  if (error) {
    reason = "cannot resolve the output path: " + error.message();
    return false;
  }
  // Named twice (or through a link), the model would be overwritten.
  struct stat model, out;
  if (stat(input, &model) == 0 && stat(output, &out) == 0 && model.st_dev == out.st_dev &&
      model.st_ino == out.st_ino) {
    reason = "the output is the model itself";
    return false;
  }
  ThumbnailView view;
  bool made = ReadThumbnailModel(input, view, reason) &&
              WithinDrawingBudget(g_objects, g_objectCount, DrawingBudget(), reason);
  // Textures are looked up relative to the model's folder.
  const std::filesystem::path folder = std::filesystem::path(input).parent_path();
  if (made && !folder.empty() && chdir(folder.c_str()) != 0) {
    reason = std::string("cannot enter the model's folder: ") + std::strerror(errno);
    made = false;
  }
  const int pixels = size * kSupersampling;
  if (made && CreateHeadlessContext(pixels, pixels, reason)) {
    made = RenderThumbnail(view, outputPath.c_str(), size, reason);
    DestroyHeadlessContext();
  } else {
    made = false;
  }
  ReleaseModel();
  return made;
}
