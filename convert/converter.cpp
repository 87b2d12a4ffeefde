#include "convert/converter.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "convert/gltf_scene.h"
#include "base/diagnostics.h"
#include "image/texture_dispatch.h"
#include "image/texture_tree.h"
#include "model/model_loading.h"

namespace {

// Reads the document into the model tables, the drawn model counted
// against the viewer's budget.
ConvertStatus ReadDocument(const char* input, std::string& reason) {
  // Any real model: newer documents, archives and the textures they use,
  // and pictures kept elsewhere in the model's project, as the viewer finds
  // them when it shows a model as modelled.
  g_newerFormats = true;
  SetNewerTextureFormats(true);
  SetTextureTreeSearch(true);
  int result = 0;
  if (!ReadModelFile(input, true, result, reason)) {
    reason = "cannot open the model: " + reason;
    return kInputUnreadable;
  }
  if (result != 0) return result == kOutOfMemory ? kOverBudget : kDocumentRefused;
  ShowHiddenObjectsWhenAllHidden(input);
  const MemoryBudget budget = ModelMemoryBudget();
  if (!DrawnModelFits(g_objects, g_objectCount, budget, reason)) return kOverBudget;
  BoundTexturePixels(budget, DrawnModelBytes(g_objects, g_objectCount, budget));
  return kConverted;
}

ConvertStatus Convert(const std::string& input, const std::string& output, GltfFormat format, std::string& reason) {
  if (SameFile(input, output)) {
    reason = "the output is the model itself";
    return kCannotWrite;
  }
  if (const ConvertStatus read = ReadDocument(input.c_str(), reason); read != kConverted) return read;
  // Textures are looked up relative to the model's folder.
  const std::string folder = std::filesystem::path(input).parent_path().string();
  if (chdir(folder.c_str()) != 0) {
    reason = std::string("cannot enter the model's folder: ") + std::strerror(errno);
    return kInputUnreadable;
  }
  GltfScene scene;
  // A document of empty objects is written all the same, as an empty
  // scene: that is what it holds.
  if (!BuildGltfScene(scene, std::filesystem::path(input).filename().string())) Diagnose(input.c_str(), "the document has no face to draw: the glTF scene is empty");
  for (const std::string& name : GltfFileNames(scene, output, format))
    if (SameFile(input, name)) {
      reason = "the output would overwrite the model itself: " + name;
      return kCannotWrite;
    }
  return WriteGltfFiles(scene, output, format, reason) ? kConverted : kCannotWrite;
}

}  // namespace

ConvertStatus ConvertModel(const char* input, const char* output, GltfFormat format, std::string& reason) {
  // Both as seen from here, so that they keep naming the same files after
  // the move to the model's folder.
  std::error_code error;
  const std::filesystem::path inputPath = std::filesystem::absolute(input, error);
  const std::filesystem::path outputPath = error ? std::filesystem::path() : std::filesystem::absolute(output, error);
  if (error) {
    reason = "cannot resolve the paths: " + error.message();
    return kInputUnreadable;
  }
  const ConvertStatus status = Convert(inputPath.string(), outputPath.string(), format, reason);
  ReleaseModel();
  return status;
}
