#include "thumbnailer/thumbnailer.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/fixed_gl_state.h"
#include "thumbnailer/headless_context.h"
#include "thumbnailer/resource_limits.h"
#include "thumbnailer/thumbnail_picture.h"
#include "thumbnailer/thumbnail_view.h"
#include "model/display_list.h"
#include "model/material_textures.h"
#include "model/model_loading.h"
#include "base/regular_file.h"

namespace {

// Reads the document into the viewer's tables; false with the reason when
// it cannot be opened or the reader refuses it.
bool ReadModel(const char* input, std::string& reason) {
  FILE* file = OpenRegularFile(input);
  if (!file) {
    reason = errno == EINVAL ? "not a regular file" : std::strerror(errno);
    return false;
  }
  const int result = LoadModelFromStream(file);
  if (result != 0) reason = ReadFailureReason(result, file);
  std::fclose(file);
  return result == 0;
}

}  // namespace

bool ReadThumbnailModel(const char* input, ThumbnailView& view, std::string& reason) {
  if (!ReadModel(input, reason)) return false;
  if (!FitThumbnailView(g_objects, kMaxModelSlots, view)) {
    reason = "the document has no face to draw";
    return false;
  }
  return true;
}

bool RenderThumbnail(const ThumbnailView& view, const char* output, int size, std::string& reason) {
  // The viewer's fixed state, textures and list, as its InitGL makes them.
  InitFixedGLState();
  LoadMaterialTextures();
  BuildDisplayList();
  const int pixels = size * kSupersampling;
  DrawThumbnail(view, pixels);
  std::vector<unsigned char> rgba(static_cast<size_t>(pixels) * pixels * 4);
  std::vector<float> depth(static_cast<size_t>(pixels) * pixels);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, pixels, pixels, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glReadPixels(0, 0, pixels, pixels, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  const std::vector<unsigned char> picture = ResolveThumbnail(rgba.data(), depth.data(), size, kSupersampling);
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
              WithinDrawingBudget(g_objects, kMaxModelSlots, DrawingBudget(), reason);
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
  delete g_loader;
  g_loader = nullptr;
  return made;
}
