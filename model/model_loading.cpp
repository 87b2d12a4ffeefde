#include "model/model_loading.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/diagnostics.h"

// The reader lives for the whole run: the texture and display-list builders
// ask it again for the model's counts. The exit handler deletes it.
LoaderMQO* g_loader = nullptr;
ObjectMQO g_objects[kMaxModelSlots];
MaterialMQO g_materials[kMaxModelSlots];
bool g_newerFormats = false;

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

// The reasons behind the fixed messages above, for standard error.
const char* ResultReason(int result) {
  switch (result) {
    case -1: return "the document is malformed";
    case -2: return "the file ends inside a chunk";
    case -3: return "the first line is not \"Metasequoia Document\"";
    default: return "the second line is not \"Format Text Ver 1.0\"";
  }
}

// The second line of the file as it stands, for telling which format a
// refused document declares; at most 60 bytes, control characters dropped.
std::string DeclaredFormat(FILE* fp) {
  char line[256];
  if (std::fseek(fp, 0, SEEK_SET) != 0 || !std::fgets(line, sizeof line, fp) || !std::fgets(line, sizeof line, fp))
    return "";
  std::string format;
  for (const char* c = line; *c && format.size() < 60; ++c)
    if (static_cast<unsigned char>(*c) >= 0x20) format += *c;
  return format;
}

}  // namespace

std::string ReadFailureReason(int result, FILE* fp) {
  char reason[200];
  if (result == -4)
    std::snprintf(reason, sizeof reason,
                  "not read (reader code -4): the file declares \"%s\"; only \"Format Text Ver 1.0\" documents are read",
                  DeclaredFormat(fp).c_str());
  else
    std::snprintf(reason, sizeof reason, "not read (reader code %d): %s", result, ResultReason(result));
  return reason;
}

int LoadModel(const char* path) {
  FILE* fp = std::fopen(path, "rb");
  if (!fp) {
    Diagnose(path, "cannot open the model: %s", std::strerror(errno));
    std::printf("Can't open mqo file. [enter]\n");
    std::fflush(stdout);
    std::getchar();
    return -1;
  }
  const int result = LoadModelFromStream(fp);
  if (result != 0 && ResultMessage(result)) Diagnose(path, "%s", ReadFailureReason(result, fp).c_str());
  std::fclose(fp);
  return 0;
}

int LoadModelFromStream(FILE* fp) {
  g_loader = new LoaderMQO(DocumentMQO(), fp);
  g_loader->SetNewerFormats(g_newerFormats);
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
