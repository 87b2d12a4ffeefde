#include <algorithm>
#include <cstdint>
#include <cstring>

#include "mqo/loader.h"

namespace {

// The shortest lines that still add a vertex (",,,") or a face ("0 V()"),
// line feed included. A count written in the file is trusted for a
// reservation only as far as the bytes left could really hold such lines.
constexpr long kMinVertexLine = 4;
constexpr long kMinFaceLine = 6;
constexpr long kBVertexBytes = 12;

template <class T>
void ReserveFor(SharedList<T>& list, long long announced, long bytesLeft, long minBytesEach) {
  if (announced <= 0 || bytesLeft < 0) return;
  const long long fit = std::min<long long>(announced, bytesLeft / minBytesEach);
  list.reserve(static_cast<std::size_t>(list.size()) + static_cast<std::size_t>(fit));
}

// A count that overstated its list leaves a reservation far beyond what was
// read; give that memory back rather than keep it in the document.
template <class T>
void TrimExcess(SharedList<T>& list) {
  if (list.capacity() > 2 * static_cast<std::size_t>(list.size()) + 1024) list.shrink_to_fit();
}

float LittleEndianFloat(const unsigned char* b) {
  const std::uint32_t bits = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                             static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

bool LoaderMQO::ReadObjectChunk(ObjectMQO& object) {
  AsciiFileString& s = *separator;
  static const char* const kIgnored[] = {"lathe", "lathe_axis", "lathe_seg"};
  // The lines of three numbers, and of one, that the object keeps.
  const struct {
    const char* keyword;
    float* values;
  } triples[] = {{"scale", object.scale}, {"rotation", object.rotation}, {"translation", object.translation}};
  const struct {
    const char* keyword;
    int* whole;
    float* real;
  } singles[] = {{"visible", &object.visible, nullptr},    {"shading", &object.shading, nullptr},
                 {"facet", nullptr, &object.facet},         {"mirror", &object.mirror, nullptr},
                 {"mirror_axis", &object.mirrorAxis, nullptr}, {"mirror_dis", nullptr, &object.mirrorDistance},
                 {"patch", &object.patch, nullptr},         {"segment", &object.segment, nullptr}};
  for (int a = NextLine(); !s.IsKeyword("}", 1); a = NextLine()) {
    bool kept = false;
    for (const auto& t : triples)
      if (!kept && s.IsKeyword(t.keyword, 2)) {
        for (int i = 0; i < 3; ++i) t.values[i] = FloatAt(1 + i);
        kept = true;
      }
    for (const auto& one : singles)
      if (!kept && s.IsKeyword(one.keyword, 2)) {
        if (one.whole) *one.whole = IntAt(1);
        if (one.real) *one.real = FloatAt(1);
        kept = true;
      }
    if (kept) continue;
    bool ignored = false;
    for (const char* keyword : kIgnored) ignored = ignored || s.IsKeyword(keyword, 2);
    if (ignored) continue;
    const bool opens = s.IsToken(a - 1, "{");
    if (s.IsKeyword("vertex", 3)) {
      if (!opens) return false;
      ReserveFor(object.vertices, std::min<long long>(s.GetInt(1), Affordable(budget_.perVertex)), BytesLeft(),
                 kMinVertexLine);
      ReadVertexChunk(object);
      TrimExcess(object.vertices);
    } else if (s.IsKeyword("vertexattr", 2)) {
      if (!opens) return false;
      ReadVertexAttrChunk(object);
    } else if (s.IsKeyword("BVertex", 3)) {
      if (!opens) return false;
      if (!ReadBVertexChunk(object)) return false;
    } else if (s.IsKeyword("face", 2)) {
      if (!opens) return false;
      ReserveFor(object.faces, std::min<long long>(s.GetInt(1), Affordable(budget_.perFace)), BytesLeft(),
                 kMinFaceLine);
      ReadFaceChunk(object);
      TrimExcess(object.faces);
    } else {
      SkipChunk(a);
    }
  }
  return true;
}

bool LoaderMQO::ReadVertexChunk(ObjectMQO& object) {
  AsciiFileString& s = *separator;
  for (;;) {
    VertexMQO v;
    if (ReadPlainVertex(v)) {
      KeepVertex(object, v);
      continue;
    }
    const int a = NextLine();
    if (s.IsKeyword("}", 1)) return true;
    if (a < 3) continue;
    v.x = s.GetFloat(0);
    v.y = s.GetFloat(1);
    v.z = s.GetFloat(2);
    KeepVertex(object, v);
  }
}

bool LoaderMQO::ReadVertexAttrChunk(ObjectMQO& object) {
  AsciiFileString& s = *separator;
  for (int a = NextLine(); !s.IsKeyword("}", 1); a = NextLine()) {
    if (s.IsKeyword("color", 2))
      SkipColorList();
    else if (s.IsKeyword("weit", 2))
      ReadWeightList(object);
    else
      SkipChunk(a);
  }
  return true;
}

bool LoaderMQO::SkipColorList() {
  while (NextLine(), !separator->IsKeyword("}", 1)) {
  }
  return true;
}

bool LoaderMQO::ReadWeightList(ObjectMQO& object) {
  AsciiFileString& s = *separator;
  for (int a = NextLine(); !s.IsKeyword("}", 1); a = NextLine()) {
    if (a < 2) continue;
    const int i = s.GetInt(0);
    if (i >= 0 && i < object.numVertices) object.vertices.Mutable(i).weight = s.GetFloat(1);
  }
  return true;
}

bool LoaderMQO::ReadBVertexChunk(ObjectMQO& object) {
  AsciiFileString& s = *separator;
  for (int a = NextLine(); !s.IsKeyword("}", 1); a = NextLine()) {
    if (s.IsKeyword("Vector", 5)) {
      if (!s.IsToken(a - 3, "[") || !s.IsToken(a - 1, "]")) return false;
      ReadBVertexData(object, s.GetInt(1));
    } else if (s.IsKeyword("color", 2)) {
      for (int m = NextLine(); !s.IsToken(m - 1, "}"); m = NextLine()) {
      }
    } else if (s.IsKeyword("weit", 2)) {
      for (int m = NextLine(); !s.IsToken(m - 1, "}"); m = NextLine()) {
        const int i = s.GetInt(0);
        if (i >= 0 && i < object.numVertices) object.vertices.Mutable(i).weight = s.GetFloat(1);
      }
    } else {
      SkipChunk(a);
    }
  }
  return true;
}

// n vertices of three little-endian floats each, straight from the stream
// right behind the Vector line. Data that ends early fails the read with -2;
// the reservation never exceeds what the bytes left can hold.
void LoaderMQO::ReadBVertexData(ObjectMQO& object, int n) {
  if (n <= 0) return;
  if (!lines_.HandBack()) throw -1;
  ReserveFor(object.vertices, std::min<long long>(n, Affordable(budget_.perVertex)), BytesLeft(), kBVertexBytes);
  constexpr int kBatch = 1024;
  unsigned char bytes[kBatch * kBVertexBytes];
  for (int done = 0; done < n;) {
    const int want = std::min(kBatch, n - done);
    const std::size_t got = std::fread(bytes, kBVertexBytes, static_cast<std::size_t>(want), file);
    const char* read = reinterpret_cast<const char*>(bytes);
    if (thumbnail_.Watching()) WatchThumbnail(read, read + got * kBVertexBytes);
    for (std::size_t i = 0; i < got; ++i) {
      VertexMQO v;
      v.x = LittleEndianFloat(bytes + i * kBVertexBytes);
      v.y = LittleEndianFloat(bytes + i * kBVertexBytes + 4);
      v.z = LittleEndianFloat(bytes + i * kBVertexBytes + 8);
      KeepVertex(object, v);
    }
    if (got != static_cast<std::size_t>(want)) throw -2;
    done += want;
  }
}

bool LoaderMQO::ReadFaceChunk(ObjectMQO& object) {
  for (;;) {
    FaceMQO face;
    if (ReadPlainFace(face)) {
      KeepFace(object, face);
      continue;
    }
    const int a = NextLine();
    if (separator->IsKeyword("}", 1)) return true;
    if (a > 0) ReadFaceLine(object, a);
  }
}

// One line "n V(i...) [M(m)] [UV(u v ...)] [COL(c...)]". Positions are
// computed in 64 bits: n comes from the file and may be anything.
void LoaderMQO::ReadFaceLine(ObjectMQO& object, int a) {
  AsciiFileString& s = *separator;
  const long long n = s.GetInt(0);
  if (!s.IsToken(1, "V") || a < n + 4) throw -1;
  if (!s.IsToken(2, "(") || !TokenIs(n + 3, ")")) return;
  // From here 0 <= n <= a - 4: a negative n puts its ")" on a token before it.
  // So the corners kept never outnumber the tokens of the line, whatever n
  // it announces. A Ver 1.0 face keeps its first four.
  const long long kept = newerDocument_ ? n : std::min<long long>(n, 4);
  corners_.assign(static_cast<std::size_t>(kept), FaceCorner{});
  for (int k = 0; k < kept; ++k) corners_[k].index = s.GetInt(3 + k);
  AddFaces(object, ReadFaceGroups(n, a));
}

// The groups after the V group of a face of n corners: the corners' UV and
// COL go to corners_, the material (-1 for none) is returned. In a Ver 1.0
// document they come in the order M, UV, COL only, and anything else ends the
// line. A Ver 1.1 document may give them in any order, among groups of its
// own (UID, N, CRS, ...) that are passed over by their parentheses. Either
// way a malformed group ends the line, and the face keeps what was read
// before it.
int LoaderMQO::ReadFaceGroups(long long n, int a) {
  const int corners = static_cast<int>(corners_.size());
  int material = -1;
  long long p = n + 4;
  for (int last = -1;;) {
    int group;
    long long span;  // tokens of the group, its name and brackets included
    if (TokenIs(p, "M")) {
      group = 0;
      span = 4;
    } else if (TokenIs(p, "UV")) {
      group = 1;
      span = 2 * n + 3;
    } else if (TokenIs(p, "COL")) {
      group = 2;
      span = n + 3;
    } else {
      if (!newerDocument_ || !TokenIs(p + 1, "(")) return material;
      long long close = p + 2;
      while (close < a && !TokenIs(close, ")")) ++close;
      p = close + 1;
      continue;
    }
    if (!newerDocument_ && group <= last) return material;
    if (a < p + span || !TokenIs(p + 1, "(") || !TokenIs(p + span - 1, ")")) return material;
    if (group == 0) {
      const int m = IntAt(p + 2);
      material = m >= 0 && m < document.numMaterials ? m : -1;
    }
    for (int k = 0; k < corners; ++k) {
      FaceCorner& c = corners_[k];
      if (group == 1) {
        c.uv[0] = FloatAt(p + 2 + 2 * k);
        c.uv[1] = FloatAt(p + 3 + 2 * k);
      } else if (group == 2) {
        c.color = IntAt(p + 2 + k);
      }
    }
    p += span;
    last = group;
  }
}

// Adds the face of corners_. One of more than four corners becomes the
// triangles that cover its outline; if a corner names a vertex the object
// does not have (yet), the outline has no place, and the face keeps its
// first four corners as a Ver 1.0 document has it.
void LoaderMQO::AddFaces(ObjectMQO& object, int material) {
  const int n = static_cast<int>(corners_.size());
  const auto add = [&](const int* which, int count) {
    FaceMQO face;
    face.numVertices = count;
    face.material = material;
    for (int k = 0; k < count; ++k) {
      const FaceCorner& c = corners_[which[k]];
      face.vertexIndex[k] = c.index;
      face.uv[k][0] = c.uv[0];
      face.uv[k][1] = c.uv[1];
      face.vertexColor[k] = c.color;
    }
    KeepFace(object, face);
  };
  static constexpr int kFirstFour[4] = {0, 1, 2, 3};
  outline_.clear();
  for (int k = 0; k < n && n > 4; ++k) {
    const int i = corners_[k].index;
    if (i < 0 || i >= object.numVertices) break;
    outline_.push_back(object.vertices[i]);
  }
  if (n <= 4 || static_cast<int>(outline_.size()) < n) {
    add(kFirstFour, std::min(n, 4));
    return;
  }
  const std::vector<int>& pieces = splitter_.Split(outline_.data(), n);
  for (std::size_t i = 0; i < pieces.size(); i += 3) add(&pieces[i], 3);
}
