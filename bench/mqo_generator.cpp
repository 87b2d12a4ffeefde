#include "mqo_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A small deterministic generator: the same options give the same bytes.
class Random {
 public:
  explicit Random(unsigned seed) : state_(seed * 2654435761u + 1) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  double Unit() { return Next() / 4294967296.0; }
  long long Below(long long n) { return n > 0 ? static_cast<long long>(Unit() * static_cast<double>(n)) : 0; }

 private:
  std::uint32_t state_;
};

void WriteScene(FILE* out, const char* eol) {
  std::fprintf(out, "Scene {%s\tpos 0.0000 0.0000 1500.0000%s\tlookat 0.0000 0.0000 0.0000%s", eol, eol, eol);
  std::fprintf(out, "\thead -0.5236%s\tpich 0.5236%s\tortho 0%s\tzoom2 5.0000%s", eol, eol, eol, eol);
  std::fprintf(out, "\tamb 0.250 0.250 0.250%s}%s", eol, eol);
}

void WriteMaterials(FILE* out, const MqoGeneratorOptions& o, Random& random, const char* eol) {
  if (o.materials <= 0) return;
  std::fprintf(out, "Material %d {%s", o.materials, eol);
  for (int i = 0; i < o.materials; ++i) {
    const double r = random.Unit(), g = random.Unit(), b = random.Unit();
    std::fprintf(out, "\t\"mat%d\" shader(3) col(%.3f %.3f %.3f %.3f) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00)",
                 i + 1, r, g, b, o.translucentMaterials && i % 2 == 1 ? 0.5 : 1.0);
    if (i < static_cast<int>(o.textureFiles.size()))
      std::fprintf(out, " tex(\"%s\")", o.textureFiles[i].c_str());
    else if (o.textures)
      std::fprintf(out, " tex(\"tex%d.bmp\")", i + 1);
    std::fprintf(out, "%s", eol);
  }
  std::fprintf(out, "}%s", eol);
}

void WriteVertexList(FILE* out, long long count, Random& random, const char* eol) {
  std::fprintf(out, "\tvertex %lld {%s", count, eol);
  for (long long i = 0; i < count; ++i)
    std::fprintf(out, "\t\t%.4f %.4f %.4f%s", random.Unit() * 2000 - 1000, random.Unit() * 2000 - 1000,
                 random.Unit() * 2000 - 1000, eol);
  std::fprintf(out, "\t}%s", eol);
}

void WriteBinaryVertices(FILE* out, long long count, Random& random, const char* eol) {
  std::fprintf(out, "\tBVertex 1 {%s\t\tVector %lld [%lld]%s", eol, count, count * 12, eol);
  std::vector<unsigned char> bytes;
  bytes.reserve(12 * 4096);
  for (long long i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k) {
      const float value = static_cast<float>(random.Unit() * 2000 - 1000);
      std::uint32_t bits;
      std::memcpy(&bits, &value, 4);
      for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<unsigned char>(bits >> (8 * b)));
    }
    if (bytes.size() >= 12 * 4096 || i + 1 == count) {
      std::fwrite(bytes.data(), 1, bytes.size(), out);
      bytes.clear();
    }
  }
  std::fprintf(out, "\t}%s", eol);
}

void WriteFaceList(FILE* out, const MqoGeneratorOptions& o, long long count, long long vertices, Random& random,
                   const char* eol) {
  std::fprintf(out, "\tface %lld {%s", count, eol);
  for (long long i = 0; i < count; ++i) {
    const int n = random.Unit() < o.quadShare ? 4 : 3;
    std::fprintf(out, "\t\t%d V(", n);
    for (int k = 0; k < n; ++k) std::fprintf(out, k ? " %lld" : "%lld", random.Below(vertices));
    std::fputc(')', out);
    if (o.materialGroups && o.materials > 0) std::fprintf(out, " M(%lld)", random.Below(o.materials));
    if (o.uvGroups) {
      std::fputs(" UV(", out);
      for (int k = 0; k < n; ++k) std::fprintf(out, k ? " %.5f %.5f" : "%.5f %.5f", random.Unit(), random.Unit());
      std::fputc(')', out);
    }
    std::fputs(eol, out);
  }
  std::fprintf(out, "\t}%s", eol);
}

long long FaceMaterial(const MqoGeneratorOptions& o, int object, long long face, long long faces, Random& random) {
  switch (o.materialOrder) {
    case MqoGeneratorOptions::MaterialOrder::kGrouped:
      // Each object walks through all materials in long runs, starting at a
      // different one so that the objects differ.
      return (face * o.materials / std::max(1LL, faces) + object) % o.materials;
    case MqoGeneratorOptions::MaterialOrder::kEveryFace:
      return (face + object) % o.materials;
    case MqoGeneratorOptions::MaterialOrder::kRandom:
      break;
  }
  return random.Below(o.materials);
}

// A grid of cells over the object's strip; a cell becomes one quad or two
// triangles, until the face count is reached.
struct Grid {
  long long columns = 1, rows = 1;
  double x0 = 0, width = 1, z0 = 0, depth = 1;
  long long Vertex(long long column, long long row) const { return row * (columns + 1) + column; }
};

Grid MakeGrid(const MqoGeneratorOptions& o, int object, int objects, long long faces) {
  Grid g;
  const double perCell = std::clamp(2.0 - o.quadShare, 1.0, 2.0);
  const long long cells = std::max(1LL, static_cast<long long>(std::ceil(faces / perCell)));
  g.columns = std::max(1LL, static_cast<long long>(std::ceil(std::sqrt(static_cast<double>(cells)))));
  // Spare rows so that an unlucky run of quads still finds enough cells.
  g.rows = cells / g.columns + 2 + cells / g.columns / 20;
  g.width = 2 * o.extent / objects;
  g.x0 = -o.extent + g.width * object;
  g.z0 = -o.extent;
  g.depth = 2 * o.extent;
  return g;
}

void WriteGridVertices(FILE* out, const Grid& g, const char* eol) {
  std::fprintf(out, "\tvertex %lld {%s", (g.columns + 1) * (g.rows + 1), eol);
  for (long long r = 0; r <= g.rows; ++r) {
    const double z = g.z0 + g.depth * r / g.rows;
    for (long long c = 0; c <= g.columns; ++c) {
      const double x = g.x0 + g.width * c / g.columns;
      const double y = 6.0 * std::sin(x * 0.05) * std::cos(z * 0.07);
      std::fprintf(out, "\t\t%.4f %.4f %.4f%s", x, y, z, eol);
    }
  }
  std::fprintf(out, "\t}%s", eol);
}

void WriteGridFace(FILE* out, const MqoGeneratorOptions& o, const Grid& g, const long long (&corner)[4][2], int n,
                   long long material, const char* eol) {
  std::fprintf(out, "\t\t%d V(", n);
  for (int k = 0; k < n; ++k) std::fprintf(out, k ? " %lld" : "%lld", g.Vertex(corner[k][0], corner[k][1]));
  std::fputc(')', out);
  if (o.materialGroups && o.materials > 0) std::fprintf(out, " M(%lld)", material);
  if (o.uvGroups) {
    std::fputs(" UV(", out);
    for (int k = 0; k < n; ++k)
      std::fprintf(out, k ? " %.5f %.5f" : "%.5f %.5f", static_cast<double>(corner[k][0]) / g.columns,
                   static_cast<double>(corner[k][1]) / g.rows);
    std::fputc(')', out);
  }
  std::fputs(eol, out);
}

void WriteGridFaces(FILE* out, const MqoGeneratorOptions& o, const Grid& g, int object, long long count,
                    Random& random, const char* eol) {
  std::fprintf(out, "\tface %lld {%s", count, eol);
  long long written = 0;
  for (long long cell = 0; written < count && cell < g.columns * g.rows; ++cell) {
    const long long c = cell % g.columns, r = cell / g.columns;
    const long long a[2] = {c, r}, b[2] = {c + 1, r}, d[2] = {c + 1, r + 1}, e[2] = {c, r + 1};
    if (random.Unit() < o.quadShare) {
      const long long quad[4][2] = {{a[0], a[1]}, {e[0], e[1]}, {d[0], d[1]}, {b[0], b[1]}};
      WriteGridFace(out, o, g, quad, 4, FaceMaterial(o, object, written, count, random), eol);
      ++written;
      continue;
    }
    const long long first[4][2] = {{a[0], a[1]}, {e[0], e[1]}, {d[0], d[1]}, {}};
    WriteGridFace(out, o, g, first, 3, FaceMaterial(o, object, written, count, random), eol);
    if (++written == count) break;
    const long long second[4][2] = {{a[0], a[1]}, {d[0], d[1]}, {b[0], b[1]}, {}};
    WriteGridFace(out, o, g, second, 3, FaceMaterial(o, object, written, count, random), eol);
    ++written;
  }
  std::fprintf(out, "\t}%s", eol);
}

}  // namespace

bool WriteMqoDocument(FILE* out, const MqoGeneratorOptions& o) {
  const char* eol = o.crlf ? "\r\n" : "\n";
  Random random(o.seed);
  std::fprintf(out, "Metasequoia Document%sFormat Text Ver 1.0%s%s", eol, eol, eol);
  WriteScene(out, eol);
  WriteMaterials(out, o, random, eol);
  const int objects = std::max(1, o.objects);
  for (int i = 0; i < objects; ++i) {
    // The remainder of an uneven split goes to the last object.
    const long long vertices = o.vertices / objects + (i + 1 == objects ? o.vertices % objects : 0);
    const long long faces = o.faces / objects + (i + 1 == objects ? o.faces % objects : 0);
    std::fprintf(out, "Object \"obj%d\" {%s\tdepth 0%s\tfolding 0%s", i + 1, eol, eol, eol);
    std::fprintf(out, "\tscale 1.000000 1.000000 1.000000%s\trotation 0.000000 0.000000 0.000000%s", eol, eol);
    std::fprintf(out, "\ttranslation 0.000000 0.000000 0.000000%s\tvisible 15%s\tlocking 0%s", eol, eol, eol);
    std::fprintf(out, "\tshading 1%s\tfacet 59.5%s\tcolor 0.898 0.498 0.698%s\tcolor_type 0%s", eol, eol, eol, eol);
    if (o.patch > 0) std::fprintf(out, "\tpatch %d%s\tsegment %d%s", o.patch, eol, o.segment, eol);
    if (o.gridMesh) {
      const Grid grid = MakeGrid(o, i, objects, faces);
      WriteGridVertices(out, grid, eol);
      WriteGridFaces(out, o, grid, i, faces, random, eol);
      std::fprintf(out, "}%s", eol);
      continue;
    }
    if (o.binaryVertices)
      WriteBinaryVertices(out, vertices, random, eol);
    else
      WriteVertexList(out, vertices, random, eol);
    WriteFaceList(out, o, faces, vertices, random, eol);
    std::fprintf(out, "}%s", eol);
  }
  std::fprintf(out, "Eof%s", eol);
  return !std::ferror(out);
}

bool WriteMqoDocument(const char* path, const MqoGeneratorOptions& options) {
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  const bool written = WriteMqoDocument(out, options);
  return std::fclose(out) == 0 && written;
}
