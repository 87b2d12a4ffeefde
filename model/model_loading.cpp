#include "model/model_loading.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "base/available_memory.h"
#include "base/diagnostics.h"
#include "base/regular_file.h"
#include "image/texture_lookup.h"
#include "image/texture_tree.h"
#include "model/archive.h"
#include "model/textures_ahead.h"

// The reader stays while its model is shown: messages about the document
// read ask it what it kept.
LoaderMQO* g_loader = nullptr;
ObjectMQO g_objects[kMaxModelSlots];
MaterialMQO g_materials[kMaxModelSlots];
MaterialImages g_materialImages[kMaxModelSlots];
int g_objectCount = 0;
int g_materialCount = 0;
bool g_newerFormats = false;
bool g_keepThumbnail = false;
MemoryBudget g_memoryBudget;

namespace {

const char* ResultMessage(int result) {
  switch (result) {
    case -1: return "Error\n";
    case -2: return "EOF\n";
    case -3: return "Header Error\n";
    case -4: return "Format Error\n";
    // Such a document said "Error" before memory had its own code.
    case kOutOfMemory: return "Error\n";
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

// The archive of the model shown, open while its textures may be read.
std::unique_ptr<ModelArchive> g_archive;
// Entries the lookup may take, at most (four for each material slot).
constexpr std::size_t kMaxPackedTextures = 4 * kMaxModelSlots;

void CloseArchive() {
  SetPackedTextures({});
  g_archive.reset();
}

// Hands the texture lookup the archive's entries that the materials may
// name; the archive stays open until the next model.
void OfferPackedTextures(std::unique_ptr<ModelArchive> archive, const char* path) {
  // Letter case is dropped from ASCII bytes alone, on both sides: a second
  // byte of a CP932 character may then match too widely, which only offers
  // an entry that the lookup will not take.
  const auto lower = [](std::string name) {
    for (char& c : name)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return name;
  };
  // Only the entries a material's name can lead to are offered: however
  // many others of the same file name lie in folders before them.
  std::set<std::string> named;
  for (int i = 0; i < g_materialCount; ++i)
    for (const char* name : {g_materials[i].textureName, g_materials[i].alphaPlaneName})
      for (const std::string& path : CandidateEntryPaths(name)) named.insert(lower(path));
  if (named.empty()) return;
  const auto wanted = [&](const std::string& entry) { return named.count(lower(entry)) > 0; };
  PackedTextures packed;
  packed.names = archive->EntryNames(wanted, kMaxPackedTextures);
  if (packed.names.empty()) return;
  std::error_code error;
  packed.archive = std::filesystem::absolute(path, error).string();
  g_archive = std::move(archive);
  packed.open = [](const std::string& name, std::string& reason) { return g_archive->OpenEntry(name.c_str(), reason); };
  packed.failure = [] { return g_archive->Failure(); };
  SetPackedTextures(std::move(packed));
}

// The objects the document hides, and which SetHiddenObjectsShown shows and
// hides again; those shown because every object was hidden are not among
// them.
bool g_hiddenByDocument[kMaxModelSlots];

// A reader over the stream, set up as the model's readers are.
std::unique_ptr<LoaderMQO> NewReader(FILE* fp) {
  auto reader = std::make_unique<LoaderMQO>(DocumentMQO(), fp);
  reader->SetNewerFormats(g_newerFormats);
  reader->SetKeepThumbnail(g_keepThumbnail);
  reader->SetMemoryBudget(ModelMemoryBudget());
  return reader;
}

// Runs a new reader, kept in g_loader, over the stream, in place of the
// model before.
int RunReader(FILE* fp) {
  ReleaseModel();
  g_loader = NewReader(fp).release();
  return g_loader->Load();
}

void PrintResultMessage(int result) {
  if (const char* message = ResultMessage(result)) std::printf("%s", message);
}

// Copies the document read into the tables, or prints the reader's message.
int TakeDocument(int result) {
  if (result == 0) {
    // One copy of the document; its lists are shared with the reader's until
    // a slot is changed, so the tables cost no second copy of the geometry.
    const DocumentMQO& document = g_loader->document;
    if (document.numObjects > kMaxModelSlots) std::printf("This program can't load over 256 objects\n");
    g_objectCount = std::min(document.numObjects, kMaxModelSlots);
    for (int i = 0; i < g_objectCount; ++i) {
      g_objects[i] = document.objects[i];
      g_hiddenByDocument[i] = !IsDrawnObject(g_objects[i]);
    }
    g_materialCount = std::min(document.numMaterials, kMaxModelSlots);
    for (int i = 0; i < g_materialCount; ++i) g_materials[i] = document.materials[i];
  } else {
    PrintResultMessage(result);
  }
  return result;
}

// Why a document is refused for its memory, with what it holds.
std::string MemoryReason(const LoaderMQO& reader) {
  char reason[300];
  const long long faces = reader.KeptFaces(), vertices = reader.KeptVertices();
  if (reader.OverBudget()) {
    const MemoryBudget budget = reader.Budget();
    std::snprintf(reason, sizeof reason,
                  "out of memory: more than %lld faces and %lld vertices, which would take more than the %lld MiB "
                  "a model may have here",
                  faces, vertices, budget.bytes >> 20);
  } else {
    std::snprintf(reason, sizeof reason, "out of memory after %lld faces and %lld vertices", faces, vertices);
  }
  return reason;
}

}  // namespace

MemoryBudget ViewerMemoryBudget() {
  // At least a byte: a budget of 0 would set no bound at all.
  return MemoryBudget{std::max(1LL, AvailableMemoryBytes() / 2), kViewerBytesPerFace, kViewerBytesPerVertex};
}

MemoryBudget ModelMemoryBudget() { return g_memoryBudget.bytes > 0 ? g_memoryBudget : ViewerMemoryBudget(); }

namespace {

bool HasSomethingToDraw(const ObjectMQO& object) {
  const int vertexCount = object.vertices.size();
  for (const FaceMQO& face : object.faces)
    if (DrawnCorners(face, vertexCount) >= 2) return true;
  return false;
}

}  // namespace

int SetHiddenObjectsShown(bool shown) {
  int count = 0;
  for (int i = 0; i < g_objectCount; ++i) {
    if (!g_hiddenByDocument[i]) continue;
    g_objects[i].visible = shown ? 15 : 0;
    ++count;
  }
  return count;
}

int HiddenObjectsOfDocument() {
  int count = 0;
  for (int i = 0; i < g_objectCount; ++i) count += g_hiddenByDocument[i];
  return count;
}

bool ShowHiddenObjectsWhenAllHidden(const char* path) {
  int hidden = 0;
  for (int i = 0; i < g_objectCount; ++i) {
    if (!HasSomethingToDraw(g_objects[i])) continue;
    if (IsDrawnObject(g_objects[i])) return false;
    ++hidden;
  }
  if (hidden == 0) return false;
  for (int i = 0; i < g_objectCount; ++i) {
    if (!IsDrawnObject(g_objects[i])) g_objects[i].visible = 15;
    g_hiddenByDocument[i] = false;
  }
  Diagnose(path, "every object is hidden: the hidden objects are shown");
  return true;
}

double DrawnModelBytes(const ObjectMQO* objects, int count, const MemoryBudget& budget) {
  const DrawnSize drawn = MostDrawn(objects, count);
  // In doubles: a hostile count times its cost may pass what a 64-bit
  // integer holds.
  return static_cast<double>(drawn.faces) * budget.perFace + static_cast<double>(drawn.vertices) * budget.perVertex;
}

bool DrawnModelFits(const ObjectMQO* objects, int count, const MemoryBudget& budget, std::string& reason) {
  const double cost = DrawnModelBytes(objects, count, budget);
  if (cost <= static_cast<double>(budget.bytes)) return true;
  const DrawnSize drawn = MostDrawn(objects, count);
  char text[300];
  std::snprintf(text, sizeof text,
                "out of memory: drawn as modelled (mirrored halves and curved surfaces included), up to %lld faces and %lld vertices "
                "would take %.0f MiB, more than the %lld MiB a model may have here",
                drawn.faces, drawn.vertices, cost / (1 << 20), budget.bytes >> 20);
  reason = text;
  return false;
}

void BoundTexturePixels(const MemoryBudget& budget, double modelBytes) {
  const double left = std::max(0.0, static_cast<double>(budget.bytes) - modelBytes);
  // At least one pixel: a bound of 0 would be none at all.
  const long long pixels = std::max(1LL, static_cast<long long>(std::min(
      static_cast<double>(kViewerMaxTexturePixels), left / kViewerBytesPerTexturePixel)));
  CImageManager::SetPixelLimits(0, pixels);
}

std::string ReadFailureReason(int result, FILE* fp, const LoaderMQO& reader) {
  char reason[200];
  if (result == kOutOfMemory) return "not read (reader code -5): " + MemoryReason(reader);
  if (result == -4)
    std::snprintf(reason, sizeof reason, "not read (reader code -4): the file declares \"%s\"; only %s documents are read",
                  DeclaredFormat(fp).c_str(),
                  g_newerFormats ? "\"Format Text Ver 1.0\" to \"Ver 1.2\" (and later 1.x)" : "\"Format Text Ver 1.0\"");
  else
    std::snprintf(reason, sizeof reason, "not read (reader code %d): %s", result, ResultReason(result));
  return reason;
}

int LoadModel(const char* path) {
  int result = 0;
  std::string reason;
  if (!ReadModelFile(path, false, result, reason)) {
    Diagnose(path, "cannot open the model: %s", reason.c_str());
    std::printf("Can't open mqo file. [enter]\n");
    std::fflush(stdout);
    std::getchar();
    return -1;
  }
  if (result != 0 && ResultMessage(result)) Diagnose(path, "%s", reason.c_str());
  return 0;
}

namespace {

// The newest version of the format whose files have been seen; a later 1.x
// is read the same way, and the user is told.
constexpr double kNewestKnownVersion = 1.2;

void NoteDocument(const char* path, const DocumentMQO& document) {
  SetTextureNamesUtf8(document.namesUtf8);
  if (document.formatVersion > kNewestKnownVersion)
    Diagnose(path, "the file declares \"Format Text Ver %s\", newer than the Ver 1.2 this program knows; read as Ver 1.2",
             document.formatVersionText);
}

}  // namespace

void ReleaseModel() {
  TakeTexturesAhead();
  CloseArchive();
  SetTextureNamesUtf8(false);
  ResetTextureTree();
  for (int i = 0; i < g_objectCount; ++i) g_objects[i] = ObjectMQO();
  for (int i = 0; i < g_materialCount; ++i) {
    g_materials[i] = MaterialMQO();
    g_materialImages[i] = MaterialImages();
  }
  g_objectCount = g_materialCount = 0;
  delete g_loader;
  g_loader = nullptr;
}

bool ReadModelFile(const char* path, bool regularOnly, int& result, std::string& reason, bool keepShownOnFailure) {
  if (!keepShownOnFailure) ReleaseModel();  // of an earlier model
  std::unique_ptr<ModelArchive> archive;
  FILE* fp = nullptr;
  if (g_newerFormats && IsArchiveName(path)) {
    archive = std::make_unique<ModelArchive>(path);
    fp = archive->IsOpen() ? archive->OpenDocument(reason) : nullptr;
    if (!archive->IsOpen()) reason = archive->Failure();
  } else {
    fp = regularOnly ? OpenRegularFile(path) : std::fopen(path, "rb");
    if (!fp) reason = errno == EINVAL ? "not a regular file" : std::strerror(errno);
  }
  if (!fp) return false;
  std::unique_ptr<LoaderMQO> reader = NewReader(fp);
  result = reader->Load();
  // An archive found damaged while it was read is one that cannot be
  // opened, whatever the reader made of the part it got.
  const bool damaged = archive && std::ferror(fp);
  if (damaged) reason = archive->Failure();
  if (!damaged && result != 0) reason = ReadFailureReason(result, fp, *reader);
  if ((damaged || result != 0) && keepShownOnFailure) {
    if (!damaged) PrintResultMessage(result);
    std::fclose(fp);
    return !damaged;
  }
  ReleaseModel();
  g_loader = reader.release();
  if (damaged) {
    std::fclose(fp);
    return false;
  }
  TakeDocument(result);
  if (result == 0) NoteDocument(path, g_loader->document);
  std::fclose(fp);
  if (result == 0 && archive) OfferPackedTextures(std::move(archive), path);
  return true;
}

int LoadModelFromStream(FILE* fp) { return TakeDocument(RunReader(fp)); }
