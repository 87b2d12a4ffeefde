#pragma once
// Reads the same bytes line by line (the tokenizer's own fgets reading) and
// in blocks, and names the first difference between the two readings: the
// result code, any field of the document bit for bit, or where the stream
// was left. Shared by the reader's tests and the differential fuzz target.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mqo/loader.h"

// How the bytes reach the reader: a memory stream (fmemopen, where fseek
// cannot pass the end) or a real temporary file (where it can).
enum class Stream { kMemory, kFile };

// A stream over buffer, which the caller keeps alive until it is closed.
inline FILE* OpenBytes(std::vector<char>& buffer, Stream kind) {
  if (kind == Stream::kMemory && !buffer.empty()) return fmemopen(buffer.data(), buffer.size(), "rb");
  FILE* f = std::tmpfile();
  if (f) {
    std::fwrite(buffer.data(), 1, buffer.size(), f);
    std::rewind(f);
  }
  return f;
}

struct Reading {
  int code = 0;
  long position = 0;  // of the stream after the load
  DocumentMQO document;
};

// Runs load (one of the loader's Load functions) over the bytes.
template <class Load>
Reading ReadBytesWith(const std::string& bytes, Stream kind, Load load) {
  // An exact-size heap copy, so that a read past the end is seen by ASan.
  std::vector<char> buffer(bytes.begin(), bytes.end());
  FILE* f = OpenBytes(buffer, kind);
  Reading r;
  if (!f) return r;
  LoaderMQO loader(DocumentMQO{}, f);
  r.code = load(loader);
  r.position = std::ftell(f);
  r.document = loader.GetDocument();
  std::fclose(f);
  return r;
}

// blockBytes 0 reads line by line; newer turns on LoaderMQO::SetNewerFormats,
// keep LoaderMQO::SetKeepThumbnail.
inline Reading ReadBytes(const std::string& bytes, std::size_t blockBytes, Stream kind, bool newer = false,
                         bool keep = false) {
  return ReadBytesWith(bytes, kind, [blockBytes, newer, keep](LoaderMQO& loader) {
    loader.SetNewerFormats(newer);
    loader.SetKeepThumbnail(keep);
    return blockBytes > 0 ? loader.LoadInBlocks(blockBytes) : loader.LoadLineByLine();
  });
}

template <class T>
bool SameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The records hold no padding, so comparing their bytes compares every field.
static_assert(sizeof(VertexMQO) == 4 * sizeof(float));
static_assert(sizeof(FaceMQO) == 18 * sizeof(int));
static_assert(sizeof(SceneMQO) == 12 * sizeof(float));

// A material record has padding: its fields are compared one by one.
inline bool SameMaterial(const MaterialMQO& a, const MaterialMQO& b) {
  return SameBits(a.color, b.color) && SameBits(a.diffuse, b.diffuse) && SameBits(a.ambient, b.ambient) &&
         SameBits(a.emissive, b.emissive) && SameBits(a.specular, b.specular) && SameBits(a.power, b.power) &&
         a.vertexColors == b.vertexColors && a.shader == b.shader && SameBits(a.textureName, b.textureName) &&
         SameBits(a.alphaPlaneName, b.alphaPlaneName) && SameBits(a.bumpName, b.bumpName) &&
         SameBits(a.name, b.name);
}

template <class T>
bool SameList(const SharedList<T>& a, const SharedList<T>& b) {
  return a.size() == b.size() && (a.size() == 0 || std::memcmp(a.begin(), b.begin(), a.size() * sizeof(T)) == 0);
}

inline std::string ObjectDifference(const ObjectMQO& a, const ObjectMQO& b) {
  if (!SameBits(a.name, b.name)) return "name";
  if (!SameBits(a.scale, b.scale) || !SameBits(a.rotation, b.rotation) || !SameBits(a.translation, b.translation))
    return "transform";
  if (a.visible != b.visible || a.shading != b.shading || !SameBits(a.facet, b.facet) || a.mirror != b.mirror ||
      a.mirrorAxis != b.mirrorAxis || !SameBits(a.mirrorDistance, b.mirrorDistance) ||
      a.patch != b.patch || a.segment != b.segment)
    return "attributes";
  if (a.numVertices != b.numVertices || !SameList(a.vertices, b.vertices)) return "vertices";
  if (a.numFaces != b.numFaces || !SameList(a.faces, b.faces)) return "faces";
  // The same reservations: reading in blocks takes no more memory.
  if (a.vertices.capacity() != b.vertices.capacity() || a.faces.capacity() != b.faces.capacity()) return "reserved";
  return "";
}

inline std::string ReadingDifference(const Reading& a, const Reading& b) {
  if (a.code != b.code) return "result " + std::to_string(a.code) + " against " + std::to_string(b.code);
  if (a.position != b.position)
    return "stream left at " + std::to_string(a.position) + " against " + std::to_string(b.position);
  const DocumentMQO& x = a.document;
  const DocumentMQO& y = b.document;
  if (!SameBits(x.scene, y.scene)) return "scene";
  if (x.thumbnail.width != y.thumbnail.width || x.thumbnail.height != y.thumbnail.height ||
      !SameList(x.thumbnail.rgb, y.thumbnail.rgb))
    return "thumbnail";
  if (x.numMaterials != y.numMaterials || x.materials.size() != y.materials.size()) return "material count";
  for (int i = 0; i < x.materials.size(); ++i)
    if (!SameMaterial(x.materials[i], y.materials[i])) return "material " + std::to_string(i);
  if (x.numObjects != y.numObjects || x.objects.size() != y.objects.size()) return "object count";
  for (int i = 0; i < x.objects.size(); ++i) {
    const std::string d = ObjectDifference(x.objects[i], y.objects[i]);
    if (!d.empty()) return "object " + std::to_string(i) + " " + d;
  }
  return "";
}

// The first difference between reading line by line and in blocks of
// blockBytes, or "" when there is none.
inline std::string BlockReadingDifference(const std::string& bytes, std::size_t blockBytes,
                                          Stream kind = Stream::kMemory, bool newer = false) {
  return ReadingDifference(ReadBytes(bytes, 0, kind, newer), ReadBytes(bytes, blockBytes, kind, newer));
}
