#include "convert/gltf_scene.h"

#include <cstring>

#include "base/shown_text.h"
#include "model/model_loading.h"
#include "mqo/code_page.h"

std::string Utf8Name(const char* bytes) {
  const bool utf8 = g_loader && g_loader->document.namesUtf8;
  // ShownText keeps valid UTF-8 and escapes what is not, so that the JSON
  // writer is never handed a broken character.
  return ShownText(utf8 ? std::string(bytes) : NameToUtf8(bytes, DefaultCodePage()));
}

int AddBufferView(tinygltf::Model& model, const void* data, std::size_t bytes, int target) {
  std::vector<unsigned char>& buffer = model.buffers[0].data;
  buffer.resize((buffer.size() + 3) / 4 * 4, 0);
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = buffer.size();
  view.byteLength = bytes;
  view.target = target;
  const unsigned char* first = static_cast<const unsigned char*>(data);
  buffer.insert(buffer.end(), first, first + bytes);
  model.bufferViews.push_back(view);
  return static_cast<int>(model.bufferViews.size()) - 1;
}

bool BuildGltfScene(GltfScene& scene, const std::string& name) {
  tinygltf::Model& model = scene.model;
  model.asset.version = "2.0";
  model.asset.generator = "lumenspin-convert";
  model.buffers.resize(1);
  std::vector<MaterialUse> uses = AddDocumentMaterials(scene);
  const bool drawn = AddObjectMeshes(scene, uses) > 0;
  tinygltf::Scene root;
  root.name = name;  // also keeps a scene of no node from being written as null
  for (size_t i = 0; i < model.nodes.size(); ++i) root.nodes.push_back(static_cast<int>(i));
  model.scenes.push_back(root);
  model.defaultScene = 0;
  return drawn;
}
