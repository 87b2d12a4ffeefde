#include "model/subdivision.h"

#include <opensubdiv/far/error.h>
#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyDescriptor.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

using OpenSubdiv::Far::TopologyDescriptor;
using OpenSubdiv::Far::TopologyRefiner;
using Factory = OpenSubdiv::Far::TopologyRefinerFactory<TopologyDescriptor>;
namespace Sdc = OpenSubdiv::Sdc;

struct Position {
  float p[3];
  void Clear() { p[0] = p[1] = p[2] = 0; }
  void AddWithWeight(const Position& src, float weight) {
    for (int a = 0; a < 3; ++a) p[a] += weight * src.p[a];
  }
};

// What a face corner carries besides its vertex: UV, then the colour's four
// bytes, each interpolated on its own.
struct CornerValue {
  float v[6];
  void Clear() { std::fill(v, v + 6, 0.0f); }
  void AddWithWeight(const CornerValue& src, float weight) {
    for (int i = 0; i < 6; ++i) v[i] += weight * src.v[i];
  }
};

// Corners of one vertex with the same UV and colour share one value, so that
// the refined UVs run smoothly across faces and break only at seams.
struct CornerKey {
  int vertex;
  std::uint32_t u, v, colour;
  bool operator==(const CornerKey&) const = default;
};
struct CornerKeyHash {
  std::size_t operator()(const CornerKey& k) const {
    std::uint64_t h = static_cast<std::uint32_t>(k.vertex);
    for (std::uint32_t part : {k.u, k.v, k.colour}) h = h * 0x9E3779B97F4A7C15ull ^ part;
    return static_cast<std::size_t>(h ^ h >> 29);
  }
};

std::uint32_t Bits(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// A corner without a colour is drawn white, so it is refined as white: a
// zero would darken the colours of its neighbours.
std::uint32_t CornerColour(int written) { return written == 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(written); }

int PackColour(const float bytes[4]) {
  std::uint32_t colour = 0;
  for (int i = 0; i < 4; ++i) {
    const float b = std::isfinite(bytes[i]) ? std::clamp(std::round(bytes[i]), 0.0f, 255.0f) : 255.0f;
    colour |= static_cast<std::uint32_t>(b) << (8 * i);
  }
  return static_cast<int>(colour);
}

// The refiner reports a cage it refuses through these; a refused cage is
// drawn as it is, which needs no message on anyone's terminal.
void Silent(OpenSubdiv::Far::ErrorType, const char*) {}
void SilentWarning(const char*) {}

}  // namespace

int SubdivisionLevels(const ObjectMQO& object) {
  if (object.patch < 1 || object.patch > 4) return 0;
  return std::clamp(object.segment, 1, kMostSubdivisionLevels);
}

RefinedSize MostRefined(long long faces, long long vertices, long long corners, long long lines, int levels) {
  RefinedSize size;
  // The first level makes a quad of every corner and a vertex of every face,
  // edge (at most one per corner) and vertex; each later one makes four of
  // every quad and adds a vertex for each quad and each of its four edges.
  long long levelFaces = corners, levelVertices = vertices + corners + faces;
  for (int level = 1; level <= levels; ++level) {
    size.faces += levelFaces;
    size.vertices += levelVertices;
    levelVertices += 5 * levelFaces;
    levelFaces *= 4;
  }
  size.faces += lines;
  size.vertices += 2 * lines;
  return size;
}

bool Subdivide(ObjectMQO& object, int levels) {
  static const bool quiet = [] {
    OpenSubdiv::Far::SetErrorCallback(Silent);
    OpenSubdiv::Far::SetWarningCallback(SilentWarning);
    return true;
  }();
  (void)quiet;
  const int vertexCount = object.vertices.size();
  // The refiner sees only the vertices that faces use, numbered anew.
  std::vector<int> cageToRefined(vertexCount, -1), refinedToCage;
  std::vector<int> cornersOfFace, vertexOfCorner, valueOfCorner, cageFace;
  std::vector<CornerValue> values;
  std::unordered_map<CornerKey, int, CornerKeyHash> valueIndex;
  std::vector<FaceMQO> lines;
  for (int i = 0; i < object.faces.size(); ++i) {
    const FaceMQO& face = object.faces[i];
    const int corners = std::clamp(face.numVertices, 0, 4);
    bool inside = true;
    for (int k = 0; k < corners; ++k) inside = inside && face.vertexIndex[k] >= 0 && face.vertexIndex[k] < vertexCount;
    if (!inside || corners < 2) continue;
    if (corners == 2) {
      lines.push_back(face);
      continue;
    }
    for (int k = 0; k < corners; ++k)
      for (int j = 0; j < k; ++j)
        if (face.vertexIndex[j] == face.vertexIndex[k]) return false;
    cornersOfFace.push_back(corners);
    cageFace.push_back(i);
    for (int k = 0; k < corners; ++k) {
      int& refined = cageToRefined[face.vertexIndex[k]];
      if (refined < 0) {
        refined = static_cast<int>(refinedToCage.size());
        refinedToCage.push_back(face.vertexIndex[k]);
      }
      vertexOfCorner.push_back(refined);
      const std::uint32_t colour = CornerColour(face.vertexColor[k]);
      const auto [at, added] = valueIndex.try_emplace(
          CornerKey{refined, Bits(face.uv[k][0]), Bits(face.uv[k][1]), colour}, static_cast<int>(values.size()));
      if (added) {
        CornerValue value{{face.uv[k][0], face.uv[k][1]}};
        for (int b = 0; b < 4; ++b) value.v[2 + b] = static_cast<float>(colour >> (8 * b) & 0xFF);
        values.push_back(value);
      }
      valueOfCorner.push_back(at->second);
    }
  }
  if (cornersOfFace.empty()) return false;

  TopologyDescriptor cage;
  cage.numVertices = static_cast<int>(refinedToCage.size());
  cage.numFaces = static_cast<int>(cornersOfFace.size());
  cage.numVertsPerFace = cornersOfFace.data();
  cage.vertIndicesPerFace = vertexOfCorner.data();
  TopologyDescriptor::FVarChannel channel;
  channel.numValues = static_cast<int>(values.size());
  channel.valueIndices = valueOfCorner.data();
  cage.numFVarChannels = 1;
  cage.fvarChannels = &channel;
  Sdc::Options rules;
  // An open mesh keeps its boundary edges and corners where they are, as the
  // modeller shows an open cage; UVs stay sharp only at seam corners.
  rules.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_AND_CORNER);
  rules.SetFVarLinearInterpolation(Sdc::Options::FVAR_LINEAR_CORNERS_ONLY);
  const std::unique_ptr<TopologyRefiner> refiner(
      Factory::Create(cage, Factory::Options(Sdc::SCHEME_CATMARK, rules)));
  if (!refiner) return false;
  refiner->RefineUniform(TopologyRefiner::UniformOptions(levels));
  if (refiner->GetMaxLevel() != levels) return false;

  // Every level's values one after another, as the refiner interpolates
  // each level from the one before.
  std::vector<Position> positions(refiner->GetNumVerticesTotal());
  for (int v = 0; v < cage.numVertices; ++v) {
    const VertexMQO& cageVertex = object.vertices[refinedToCage[v]];
    positions[v] = Position{{cageVertex.x, cageVertex.y, cageVertex.z}};
  }
  std::vector<CornerValue> cornerValues(refiner->GetNumFVarValuesTotal(0));
  std::copy(values.begin(), values.end(), cornerValues.begin());
  const OpenSubdiv::Far::PrimvarRefiner interpolate(*refiner);
  Position* fromPosition = positions.data();
  CornerValue* fromValue = cornerValues.data();
  for (int level = 1; level <= levels; ++level) {
    Position* toPosition = fromPosition + refiner->GetLevel(level - 1).GetNumVertices();
    CornerValue* toValue = fromValue + refiner->GetLevel(level - 1).GetNumFVarValues(0);
    interpolate.Interpolate(level, fromPosition, toPosition);
    interpolate.InterpolateFaceVarying(level, fromValue, toValue, 0);
    fromPosition = toPosition;
    fromValue = toValue;
  }

  const auto& last = refiner->GetLevel(levels);
  ObjectMQO refined = object;
  refined.vertices.clear();
  refined.faces.clear();
  refined.numVertices = refined.numFaces = 0;
  refined.vertices.reserve(static_cast<std::size_t>(last.GetNumVertices()) + 2 * lines.size());
  refined.faces.reserve(static_cast<std::size_t>(last.GetNumFaces()) + lines.size());
  for (int v = 0; v < last.GetNumVertices(); ++v) {
    const float* p = fromPosition[v].p;
    refined.AddVertex(VertexMQO{p[0], p[1], p[2]});
  }
  for (int f = 0; f < last.GetNumFaces(); ++f) {
    int parent = f;
    for (int level = levels; level >= 1; --level) parent = refiner->GetLevel(level).GetFaceParentFace(parent);
    const auto corners = last.GetFaceVertices(f);
    const auto cornerValue = last.GetFaceFVarValues(f, 0);
    FaceMQO face;
    face.numVertices = std::min(corners.size(), 4);
    face.material = object.faces[cageFace[parent]].material;
    for (int k = 0; k < face.numVertices; ++k) {
      const CornerValue& value = fromValue[cornerValue[k]];
      face.vertexIndex[k] = corners[k];
      face.uv[k][0] = value.v[0];
      face.uv[k][1] = value.v[1];
      face.vertexColor[k] = PackColour(value.v + 2);
    }
    refined.AddFace(face);
  }
  // Lines keep their own cage vertices, added after the surface's.
  std::vector<int> lineVertex(vertexCount, -1);
  for (FaceMQO line : lines) {
    for (int k = 0; k < 2; ++k) {
      int& added = lineVertex[line.vertexIndex[k]];
      if (added < 0) {
        added = refined.vertices.size();
        refined.AddVertex(object.vertices[line.vertexIndex[k]]);
      }
      line.vertexIndex[k] = added;
    }
    refined.AddFace(line);
  }
  object = refined;
  return true;
}
