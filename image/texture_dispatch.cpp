// A material's texture operations: pick a reader by the name's extension,
// find the file and keep the loaded image beside the material.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/bmp_manager.h"
#include "image/dds_manager.h"
#include "image/jpeg_manager.h"
#include "image/material_images.h"
#include "image/png_manager.h"
#include "image/texture_dispatch.h"
#include "image/texture_lookup.h"
#include "image/texture_tree.h"
#include "image/tga_manager.h"
#include "base/diagnostics.h"
#include "base/regular_file.h"
#include "base/shown_text.h"

namespace {

struct ReaderKind {
  const char* extension;  // compared exactly, case included, at the end of the name
  int textureKind;        // 1 BMP, 2 the others
  const char* openFailed;
  CImageManager* (*create)();
  bool newer = false;  // read only with SetNewerTextureFormats(true)
};

// Set once at start-up, read by the thread that decodes textures ahead too.
std::atomic<bool> g_newerTextureFormats{false};

template <typename Reader>
CImageManager* Create() {
  return new Reader();
}

const ReaderKind kReaders[] = {
    {".bmp", 1, CBMPManager::kOpenFailed, Create<CBMPManager>},
    {".BMP", 1, CBMPManager::kOpenFailed, Create<CBMPManager>},
    {".jpg", 2, CJpegManager::kOpenFailed, Create<CJpegManager>},
    {".jpeg", 2, CJpegManager::kOpenFailed, Create<CJpegManager>},
    {".JPG", 2, CJpegManager::kOpenFailed, Create<CJpegManager>},
    {".JPEG", 2, CJpegManager::kOpenFailed, Create<CJpegManager>},
    {".tga", 2, CTgaManager::kOpenFailed, Create<CTgaManager>},
    {".TGA", 2, CTgaManager::kOpenFailed, Create<CTgaManager>},
    {".png", 2, CPngManager::kOpenFailed, Create<CPngManager>},
    {".PNG", 2, CPngManager::kOpenFailed, Create<CPngManager>},
    {".dds", 2, CDdsManager::kOpenFailed, Create<CDdsManager>, true},
    {".DDS", 2, CDdsManager::kOpenFailed, Create<CDdsManager>, true},
};

const ReaderKind* FindReader(const char* name) {
  const size_t length = std::strlen(name);
  for (const ReaderKind& kind : kReaders) {
    if (kind.newer && !g_newerTextureFormats.load(std::memory_order_relaxed)) continue;
    const size_t extLength = std::strlen(kind.extension);
    if (length >= extLength && std::strcmp(name + length - extLength, kind.extension) == 0) return &kind;
  }
  return nullptr;
}

// Why a found picture was not read: memory, or the file itself.
void DiagnoseUnread(const char* shown, const char* role, const ReaderKind& kind, const CImageManager& image) {
  if (image.m_outOfMemory)
    Diagnose(shown, "%s not read: out of memory for its %d x %d pixels", role, image.m_width, image.m_height);
  else
    Diagnose(shown, "%s could not be decoded as a %s file", role, kind.extension + 1);
}

void DiagnoseNotFound(const char* role, const char* name) {
  // Two spellings of a Shift-JIS name may look the same once shown.
  std::vector<std::string> shown;
  for (const std::string& place : TexturePlaces(name))
    if (std::find(shown.begin(), shown.end(), ShownText(place)) == shown.end()) shown.push_back(ShownText(place));
  std::string places;
  for (const std::string& place : shown) places += (places.empty() ? "" : ", ") + place;
  const std::string top = TextureTreeTop();
  if (top.empty())
    Diagnose(name, "%s not found; looked for %s (letter case ignored)", role, places.c_str());
  else
    Diagnose(name, "%s not found; looked for %s (letter case ignored), then by its file name in %s and below",
             role, places.c_str(), top.c_str());
}

// Shared by the texture and the alpha plane. Returns 1 when the image loaded.
int LoadImage(const char* name, std::unique_ptr<CImageManager>& image, int& loaded, int* textureKind) {
  if (name[0] == '\0') return 0;
  const char* role = textureKind ? "texture" : "alpha plane";
  const ReaderKind* kind = FindReader(name);
  if (!kind) {
    std::printf("This file type is not supported! %s\n", ShownText(name).c_str());
    Diagnose(name, "%s not read: the name does not end in .bmp, .jpg, .jpeg, .tga%s (in lower or upper case)", role,
             g_newerTextureFormats.load(std::memory_order_relaxed) ? ", .png or .dds" : " or .png");
    return 0;
  }
  if (textureKind) *textureKind = kind->textureKind;

  char path[260];
  if (std::snprintf(path, sizeof path, "Texture/%s", name) >= static_cast<int>(sizeof path)) {
    std::printf("%s", kind->openFailed);
    Diagnose(name, "%s not read: its path is longer than 259 bytes", role);
    loaded = 0;
    return 0;
  }
  // An archive's own texture comes first; one that cannot be read leaves
  // the files beside the archive to look at.
  const std::string entry = FindPackedTexture(name);
  if (!entry.empty()) {
    std::string why;
    const std::string shown = PackedTexturePath(entry);
    if (FILE* fp = OpenPackedTexture(entry, why)) {
      image.reset(kind->create());
      const bool read = image->LoadStream(fp, shown.c_str()) != -1;
      // A damaged entry is as one that cannot be opened, whatever the
      // decoder made of it.
      if (FinishPackedTexture(fp, why)) {
        if (read) {
          loaded = 1;
          return 1;
        }
        DiagnoseUnread(shown.c_str(), role, *kind, *image);
        image.reset();
        loaded = 0;
        return 0;
      }
      image.reset();
    }
    Diagnose(shown.c_str(), "%s not read from the archive: %s", role, why.c_str());
  }
  // When nothing else opens, the reader is given the path as written and
  // reports the missing file itself.
  std::string found = FindTextureFile(name);
  if (found.empty()) {
    found = FindTextureInTree(name);
    if (found.empty())
      DiagnoseNotFound(role, name);
    else
      Diagnose(name, "%s found in the model's tree at %s", role, found.c_str());
  }
  image.reset(kind->create());  // a second load replaces the first image
  if (image->Load(found.empty() ? path : found.c_str()) != -1) {
    loaded = 1;
    return 1;
  }
  if (!found.empty()) DiagnoseUnread(FullTexturePath(found).c_str(), role, *kind, *image);
  image.reset();
  loaded = 0;
  return 0;
}

// The rest of the stream, when at most maxBytes long.
bool ReadWhole(FILE* fp, std::size_t maxBytes, std::vector<unsigned char>& bytes) {
  bytes.clear();
  unsigned char block[1 << 16];
  while (true) {
    const std::size_t got = std::fread(block, 1, sizeof block, fp);
    if (bytes.size() + got > maxBytes) return false;
    bytes.insert(bytes.end(), block, block + got);
    if (got < sizeof block) return !std::ferror(fp);
  }
}

}  // namespace

void SetNewerTextureFormats(bool on) { g_newerTextureFormats.store(on, std::memory_order_relaxed); }

CImageManager* DecodeTextureQuietly(const char* name, int& textureKind) {
  const ReaderKind* kind = name[0] != '\0' ? FindReader(name) : nullptr;
  char path[260];
  if (!kind || std::snprintf(path, sizeof path, "Texture/%s", name) >= static_cast<int>(sizeof path)) return nullptr;
  // An archive's own texture comes first, and is read in place; one found
  // only in the model's tree is left to LoadTexture, which says where.
  if (!FindPackedTexture(name).empty()) return nullptr;
  const std::string found = FindTextureFile(name);
  if (found.empty()) return nullptr;
  const QuietThread quiet;
  CImageManager* image = kind->create();
  if (image->Load(found.c_str()) == -1 || quiet.Dropped() > 0) {
    delete image;
    return nullptr;
  }
  textureKind = kind->textureKind;
  return image;
}

int LoadTexture(const MaterialMQO& material, MaterialImages& images) {
  return LoadImage(material.textureName, images.textureImage, images.textureLoaded, &images.textureKind);
}

int LoadAlphaPlane(const MaterialMQO& material, MaterialImages& images) {
  return LoadImage(material.alphaPlaneName, images.alphaImage, images.alphaLoaded, nullptr);
}

std::vector<unsigned char> ReadTextureBytes(const char* name, std::size_t maxBytes) {
  std::vector<unsigned char> bytes;
  if (name[0] == '\0') return bytes;
  const std::string entry = FindPackedTexture(name);
  if (!entry.empty()) {
    std::string why;
    if (FILE* fp = OpenPackedTexture(entry, why)) {
      const bool whole = ReadWhole(fp, maxBytes, bytes);
      if (FinishPackedTexture(fp, why) && whole) return bytes;
    }
    bytes.clear();
  }
  std::string found = FindTextureFile(name);
  if (found.empty()) found = FindTextureInTree(name);
  FILE* fp = found.empty() ? nullptr : OpenRegularFile(found.c_str());
  if (!fp) return bytes;
  if (!ReadWhole(fp, maxBytes, bytes)) bytes.clear();
  std::fclose(fp);
  return bytes;
}
