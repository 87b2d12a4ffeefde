#pragma once
// Helpers shared by the model tests: a clean model between tests, a
// document installed as if the reader had produced it, a GLUT window for
// the OpenGL tests, and small files written on the fly.

#include <GL/glut.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <string>

#include "image/image_manager.h"
#include "render/material_textures.h"
#include "model/model_loading.h"

// Empties the tables, the texture ids and the reader, as at program start,
// also slots a test filled by hand past the counts.
inline void ResetModel() {
  ReleaseModel();
  for (int i = 0; i < kMaxModelSlots; ++i) {
    g_objects[i] = ObjectMQO();
    g_materials[i] = MaterialMQO();
    g_materialImages[i] = MaterialImages();
  }
  for (unsigned int& id : g_textureIds) id = 0;
}

// Installs a reader whose document is the given one, and copies it into the
// tables as reading it would.
inline void InstallDocument(const DocumentMQO& document, bool fillTables = true) {
  ResetModel();
  static FILE* unused = std::tmpfile();
  g_loader = new LoaderMQO(document, unused);
  g_loader->document = document;
  if (!fillTables) return;
  g_objectCount = std::min(document.numObjects, kMaxModelSlots);
  g_materialCount = std::min(document.numMaterials, kMaxModelSlots);
  for (int i = 0; i < g_objectCount; ++i) g_objects[i] = document.objects[i];
  for (int i = 0; i < g_materialCount; ++i) g_materials[i] = document.materials[i];
}

inline void AddObject(DocumentMQO& document, const ObjectMQO& object) {
  document.objects.push_back(object);
  document.numObjects = document.objects.size();
}

inline void AddMaterial(DocumentMQO& document, const MaterialMQO& material) {
  document.materials.push_back(material);
  document.numMaterials = document.materials.size();
}

inline MaterialMQO NamedMaterial(const char* name, const char* texture = "", const char* alphaPlane = "") {
  MaterialMQO m;
  std::snprintf(m.name, sizeof m.name, "%s", name);
  std::snprintf(m.textureName, sizeof m.textureName, "%s", texture);
  std::snprintf(m.alphaPlaneName, sizeof m.alphaPlaneName, "%s", alphaPlane);
  return m;
}

inline FaceMQO Face(std::initializer_list<int> corners, int material = -1) {
  FaceMQO f;
  f.material = material;
  for (int index : corners) f.vertexIndex[f.numVertices++] = index;
  return f;
}

// The graphics driver is unloaded at exit, before the leak checker runs, and
// its allocations would then be reported without a module name that the
// suppressions could match. Keeping every loaded library resident avoids it.
inline void PinLoadedLibraries() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    const size_t slash = line.find('/');
    if (slash == std::string::npos || line.find(".so", slash) == std::string::npos) continue;
    dlopen(line.c_str() + slash, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
}

// A single-buffered window, made once per test program. Under Xvfb it is a
// real Mesa context.
inline void EnsureWindow(int size = 64) {
  static bool made = false;
  if (made) return;
  made = true;
  int argc = 1;
  char name[] = "model-test";
  char* argv[] = {name, nullptr};
  glutInitWindowSize(size, size);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_SINGLE | GLUT_DEPTH);
  glutCreateWindow("model-test");
  glViewport(0, 0, size, size);
  PinLoadedLibraries();
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  std::fwrite(bytes.data(), 1, bytes.size(), fp);
  return std::fclose(fp) == 0;
}

// A fresh folder with an empty Texture folder in it, made the current
// directory (textures are looked up as "Texture/<name>").
inline std::string EnterScratchFolder() {
  char pattern[] = "/tmp/model-test-XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (!dir) std::abort();
  const std::string folder = dir;
  if (chdir(folder.c_str()) != 0) std::abort();
  if (mkdir((folder + "/Texture").c_str(), 0755) != 0) std::abort();
  return folder;
}

// Uncompressed TGA of type 2 (24-bit, pixels given as r, g, b) or type 3
// (8-bit grey), rows given top to bottom and written bottom-up.
inline std::string Tga(int type, int width, int height, const std::string& topDownPixels) {
  const int depth = type == 2 ? 24 : 8;
  std::string s(18, '\0');
  s[2] = static_cast<char>(type);
  s[12] = static_cast<char>(width & 0xff);
  s[13] = static_cast<char>(width >> 8);
  s[14] = static_cast<char>(height & 0xff);
  s[15] = static_cast<char>(height >> 8);
  s[16] = static_cast<char>(depth);
  const int bpp = depth / 8;
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) {
      const char* p = topDownPixels.data() + (static_cast<size_t>(y) * width + x) * bpp;
      if (bpp == 3) {
        s += p[2];
        s += p[1];
        s += p[0];
      } else {
        s += p[0];
      }
    }
  return s;
}
