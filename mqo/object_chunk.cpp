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
  static const char* const kIgnored[] = {"patch",  "segment",     "visible",    "shading", "facet",    "mirror",
                                         "mirror_axis", "mirror_dis", "lathe", "lathe_axis", "lathe_seg"};
  for (int a = NextLine(); !s.IsKeyword("}", 1); a = NextLine()) {
    if (s.IsKeyword("scale", 2)) {
      for (int i = 0; i < 3; ++i) object.scale[i] = FloatAt(1 + i);
      continue;
    }
    if (s.IsKeyword("rotation", 2)) {
      for (int i = 0; i < 3; ++i) object.rotation[i] = FloatAt(1 + i);
      continue;
    }
    if (s.IsKeyword("translation", 2)) {
      for (int i = 0; i < 3; ++i) object.translation[i] = FloatAt(1 + i);
      continue;
    }
    bool ignored = false;
    for (const char* keyword : kIgnored) ignored = ignored || s.IsKeyword(keyword, 2);
    if (ignored) continue;
    const bool opens = s.IsToken(a - 1, "{");
    if (s.IsKeyword("vertex", 3)) {
      if (!opens) return false;
      ReserveFor(object.vertices, s.GetInt(1), BytesLeft(), kMinVertexLine);
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
      ReserveFor(object.faces, s.GetInt(1), BytesLeft(), kMinFaceLine);
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
      object.AddVertex(v);
      continue;
    }
    const int a = NextLine();
    if (s.IsKeyword("}", 1)) return true;
    if (a < 3) continue;
    v.x = s.GetFloat(0);
    v.y = s.GetFloat(1);
    v.z = s.GetFloat(2);
    object.AddVertex(v);
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
  ReserveFor(object.vertices, n, BytesLeft(), kBVertexBytes);
  constexpr int kBatch = 1024;
  unsigned char bytes[kBatch * kBVertexBytes];
  for (int done = 0; done < n;) {
    const int want = std::min(kBatch, n - done);
    const std::size_t got = std::fread(bytes, kBVertexBytes, static_cast<std::size_t>(want), file);
    for (std::size_t i = 0; i < got; ++i) {
      VertexMQO v;
      v.x = LittleEndianFloat(bytes + i * kBVertexBytes);
      v.y = LittleEndianFloat(bytes + i * kBVertexBytes + 4);
      v.z = LittleEndianFloat(bytes + i * kBVertexBytes + 8);
      object.AddVertex(v);
    }
    if (got != static_cast<std::size_t>(want)) throw -2;
    done += want;
  }
}

bool LoaderMQO::ReadFaceChunk(ObjectMQO& object) {
  for (;;) {
    FaceMQO face;
    if (ReadPlainFace(face)) {
      object.AddFace(face);
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
  FaceMQO face;
  const int corners = static_cast<int>(std::clamp<long long>(n, 0, 4));
  for (int k = 0; k < corners; ++k) face.vertexIndex[k] = s.GetInt(3 + k);
  face.numVertices = corners;
  long long p = n + 4;
  // The groups come in this order only; a malformed one ends the line, and
  // the face keeps what was read before it.
  if (TokenIs(p, "M") && a >= p + 4) {
    if (!TokenIs(p + 1, "(") || !TokenIs(p + 3, ")")) {
      object.AddFace(face);
      return;
    }
    const int m = IntAt(p + 2);
    if (m >= 0 && m < document.numMaterials) face.material = m;
    p += 4;
  }
  if (TokenIs(p, "UV") && a >= p + 2 * n + 3) {
    if (!TokenIs(p + 1, "(") || !TokenIs(p + 2 * n + 2, ")")) {
      object.AddFace(face);
      return;
    }
    for (int k = 0; k < corners; ++k) {
      face.uv[k][0] = FloatAt(p + 2 + 2 * k);
      face.uv[k][1] = FloatAt(p + 3 + 2 * k);
    }
    p += 2 * n + 3;
  }
  if (TokenIs(p, "COL") && a >= p + n + 3 && TokenIs(p + 1, "(") && TokenIs(p + n + 2, ")")) {
    for (int k = 0; k < corners; ++k) face.vertexColor[k] = IntAt(p + 2 + k);
  }
  object.AddFace(face);
}
