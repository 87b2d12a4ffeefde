#include "model/textures_ahead.h"

#include <future>
#include <string>
#include <thread>

#include "image/texture_dispatch.h"
#include "model/model_loading.h"

namespace {

struct Ahead {
  std::vector<std::string> names;  // the materials' texture names, copied
  std::vector<bool> alphaPlanes;   // whether each names an alpha plane
  std::vector<TextureAhead> textures;
};

// Shared with the thread, which holds a reference too: an exit while it
// still decodes does not free what it writes into.
std::shared_ptr<Ahead> g_ahead;
std::future<void> g_done;

void Decode(Ahead& ahead) {
  for (size_t i = 0; i < ahead.names.size(); ++i) {
    TextureAhead& texture = ahead.textures[i];
    if (ahead.names[i].empty()) continue;
    texture.image.reset(DecodeTextureQuietly(ahead.names[i].c_str(), texture.kind));
    if (texture.image && !ahead.alphaPlanes[i]) texture.texels = BuildTexels(*texture.image, OwnAlpha(*texture.image));
  }
}

}  // namespace

void StartTexturesAhead() {
  auto ahead = std::make_shared<Ahead>();
  for (int i = 0; i < g_materialCount; ++i) {
    ahead->names.push_back(g_materials[i].textureName);
    ahead->alphaPlanes.push_back(g_materials[i].alphaPlaneName[0] != '\0');
  }
  ahead->textures.resize(ahead->names.size());
  std::packaged_task<void()> task([ahead] { Decode(*ahead); });
  g_done = task.get_future();
  g_ahead = ahead;
  // Detached, so that no exit has to join it first.
  std::thread(std::move(task)).detach();
}

void WaitForTexturesAhead() {
  if (g_done.valid()) g_done.wait();
}

std::vector<TextureAhead> TakeTexturesAhead() {
  WaitForTexturesAhead();
  g_done = {};
  std::vector<TextureAhead> textures;
  if (g_ahead) textures.swap(g_ahead->textures);
  g_ahead.reset();
  return textures;
}
