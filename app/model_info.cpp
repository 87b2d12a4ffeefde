#include "app/model_info.h"

#include <cstring>
#include <set>

#include "app/edges_and_hidden.h"
#include "app/startup.h"
#include "model/drawn_model.h"
#include "model/model_loading.h"
#include "render/display_list.h"

namespace {

// 1234567 as "1,234,567".
std::string Grouped(long long value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
  return value < 0 ? "-" + digits : digits;
}

}  // namespace

std::string ModelInfoText(const ModelInfo& info, Language language) {
  const std::string objects = Grouped(info.objects), hidden = Grouped(info.hiddenObjects);
  const std::string faces = Grouped(info.faces), fileFaces = Grouped(info.fileFaces);
  const std::string vertices = Grouped(info.vertices), fileVertices = Grouped(info.fileVertices);
  const std::string found = Grouped(info.texturesFound), missing = Grouped(info.texturesMissing);
  if (language == Language::kJapanese)
    return info.name + "\nオブジェクト\t" + objects + "（非表示 " + hidden + (info.hiddenShown ? "・表示中）" : "）") +
           "\n面\t" + faces + "（ファイル上 " + fileFaces + "）" + "\n頂点\t" + vertices + "（ファイル上 " +
           fileVertices + "）" + "\n材質\t" + Grouped(info.materials) + "\nテクスチャ\t" + found + " 読込, " + missing +
           " なし";
  return info.name + "\nObjects\t" + objects + " (" + hidden + (info.hiddenShown ? " hidden, shown)" : " hidden)") +
         "\nFaces\t" + faces + " drawn (" + fileFaces + " in the file)" + "\nVertices\t" + vertices + " drawn (" +
         fileVertices + " in the file)" + "\nMaterials\t" + Grouped(info.materials) + "\nTextures\t" + found +
         " found, " + missing + " missing";
}

ModelInfo ShownModelInfo() {
  ModelInfo info;
  info.name = ModelShownName();
  info.objects = g_objectCount;
  // Objects that h shows are still those the document hides.
  info.hiddenShown = g_hiddenObjectsShown && HiddenObjectsOfDocument() > 0;
  for (int i = 0; i < g_objectCount; ++i) {
    if (!IsDrawnObject(g_objects[i])) ++info.hiddenObjects;
    info.fileFaces += g_objects[i].numFaces;
    info.fileVertices += g_objects[i].numVertices;
  }
  if (g_hiddenObjectsShown) info.hiddenObjects = HiddenObjectsOfDocument();
  info.faces = g_drawnSize.faces;
  info.vertices = g_drawnSize.vertices;
  info.materials = g_materialCount;
  // Materials often share a picture: each name is counted once, found when
  // any of its materials shows it.
  std::set<std::string> found, named;
  for (int i = 0; i < g_materialCount; ++i) {
    const char* name = g_materials[i].textureName;
    if (name[0] == '\0') continue;
    named.insert(name);
    if (g_materialImages[i].textureLoaded) found.insert(name);
  }
  info.texturesFound = static_cast<int>(found.size());
  info.texturesMissing = static_cast<int>(named.size() - found.size());
  return info;
}
