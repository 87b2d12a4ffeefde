#include "model/model_loading.h"

#include <algorithm>
#include <cstdio>

// The reader lives for the whole run: the texture and display-list builders
// ask it again for the model's counts. The exit handler deletes it.
LoaderMQO* g_loader = nullptr;
ObjectMQO g_objects[kMaxModelSlots];
MaterialMQO g_materials[kMaxModelSlots];

namespace {

const char* ResultMessage(int result) {
  switch (result) {
    case -1: return "Error\n";
    case -2: return "EOF\n";
    case -3: return "Header Error\n";
    case -4: return "Format Error\n";
    default: return nullptr;
  }
}

}  // namespace

int LoadModel(const char* path) {
  FILE* fp = std::fopen(path, "rb");
  if (!fp) {
    std::printf("Can't open mqo file. [enter]\n");
    std::fflush(stdout);
    std::getchar();
    return -1;
  }
  LoadModelFromStream(fp);
  std::fclose(fp);
  return 0;
}

int LoadModelFromStream(FILE* fp) {
  g_loader = new LoaderMQO(DocumentMQO(), fp);
  const int result = g_loader->Load();
  if (result == 0) {
    // One copy of the document; its lists are shared with the reader's until
    // a slot is changed, so the tables cost no second copy of the geometry.
    const DocumentMQO document = g_loader->GetDocument();
    if (document.numObjects > kMaxModelSlots) std::printf("This program can't load over 256 objects\n");
    const int objectCount = std::min(document.numObjects, kMaxModelSlots);
    for (int i = 0; i < objectCount; ++i) g_objects[i] = document.objects[i];
    const int materialCount = std::min(document.numMaterials, kMaxModelSlots);
    for (int i = 0; i < materialCount; ++i) g_materials[i] = document.materials[i];
  } else if (const char* message = ResultMessage(result)) {
    std::printf("%s", message);
  }
  return result;
}
