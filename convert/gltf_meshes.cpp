// The drawn objects as glTF meshes: per material one primitive of
// triangles and one of lines.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "convert/gltf_scene.h"
#include "model/drawn_model.h"
#include "model/material_kind.h"
#include "model/model_loading.h"

namespace {

struct Corner {
  float position[3];
  float normal[3];
  float uv[2];
  float colour[4];
};

// The vertices and indices of one primitive. Corners of one vertex of the
// object that agree in every attribute become one glTF vertex: the corners
// made from a vertex are chained, newest first, so that each is compared
// with the few made from the same vertex alone.
class PrimitiveData {
 public:
  PrimitiveData(std::vector<int>& latest, std::vector<int>& owner, int id, bool faces, bool coloured)
      : latest_(latest), owner_(owner), id_(id), faces_(faces), coloured_(coloured) {}

  uint32_t Add(int vertex, const Corner& c) {
    if (owner_[vertex] == id_) {
      for (int o = latest_[vertex]; o >= 0; o = previous_[o])
        if (Same(o, c)) return static_cast<uint32_t>(o);
    } else {
      owner_[vertex] = id_;
      latest_[vertex] = -1;
    }
    const int o = count_++;
    previous_.push_back(latest_[vertex]);
    latest_[vertex] = o;
    positions_.insert(positions_.end(), c.position, c.position + 3);
    for (int a = 0; a < 3; ++a) {
      low_[a] = std::min(low_[a], c.position[a]);
      high_[a] = std::max(high_[a], c.position[a]);
    }
    if (faces_) {
      normals_.insert(normals_.end(), c.normal, c.normal + 3);
      uvs_.insert(uvs_.end(), c.uv, c.uv + 2);
    }
    if (coloured_) colours_.insert(colours_.end(), c.colour, c.colour + 4);
    return static_cast<uint32_t>(o);
  }

  bool Coloured() const { return coloured_; }

  std::vector<uint32_t> indices;

  // Adds the accessors and the primitive; nothing when it has no index.
  void Finish(tinygltf::Model& model, tinygltf::Mesh& mesh, int material) {
    if (indices.empty()) return;
    tinygltf::Primitive primitive;
    primitive.mode = faces_ ? TINYGLTF_MODE_TRIANGLES : TINYGLTF_MODE_LINE;
    primitive.material = material;
    const int position = Accessor(model, positions_, TINYGLTF_TYPE_VEC3);
    model.accessors[position].minValues.assign(low_, low_ + 3);
    model.accessors[position].maxValues.assign(high_, high_ + 3);
    primitive.attributes["POSITION"] = position;
    if (faces_) {
      primitive.attributes["NORMAL"] = Accessor(model, normals_, TINYGLTF_TYPE_VEC3);
      primitive.attributes["TEXCOORD_0"] = Accessor(model, uvs_, TINYGLTF_TYPE_VEC2);
    }
    if (coloured_) primitive.attributes["COLOR_0"] = Accessor(model, colours_, TINYGLTF_TYPE_VEC4);
    tinygltf::Accessor index;
    index.bufferView = AddBufferView(model, indices.data(), indices.size() * sizeof(uint32_t),
                                     TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    index.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    index.type = TINYGLTF_TYPE_SCALAR;
    index.count = indices.size();
    model.accessors.push_back(index);
    primitive.indices = static_cast<int>(model.accessors.size()) - 1;
    mesh.primitives.push_back(primitive);
  }

 private:
  bool Same(int o, const Corner& c) const {
    const auto same = [o](const std::vector<float>& list, const float* value, int n) {
      return std::memcmp(list.data() + static_cast<size_t>(o) * n, value, n * sizeof(float)) == 0;
    };
    return (!faces_ || (same(normals_, c.normal, 3) && same(uvs_, c.uv, 2))) &&
           (!coloured_ || same(colours_, c.colour, 4));
  }

  int Accessor(tinygltf::Model& model, const std::vector<float>& values, int type) {
    tinygltf::Accessor accessor;
    accessor.bufferView =
        AddBufferView(model, values.data(), values.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = type;
    accessor.count = static_cast<size_t>(count_);
    model.accessors.push_back(accessor);
    return static_cast<int>(model.accessors.size()) - 1;
  }

  std::vector<int>& latest_;  // per vertex of the object: the newest glTF vertex made from it
  std::vector<int>& owner_;   // per vertex of the object: the primitive latest_ belongs to
  int id_;
  bool faces_, coloured_;
  int count_ = 0;
  std::vector<int> previous_;  // per glTF vertex: the one made before it from the same vertex
  std::vector<float> positions_, normals_, uvs_, colours_;
  float low_[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                   std::numeric_limits<float>::max()};
  float high_[3] = {std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest(),
                    std::numeric_limits<float>::lowest()};
};

float Finite(float value) { return std::isfinite(value) ? value : 0.0f; }

// Adds the object's primitives to the mesh, material by material.
void AddPrimitives(GltfScene& scene, std::vector<MaterialUse>& uses, const DrawnObject& drawn, tinygltf::Mesh& mesh) {
  const ObjectMQO& g = drawn.geometry;
  const int vertexCount = g.vertices.size();
  const int faceCount = g.faces.size();
  const int none = static_cast<int>(uses.size()) - 1;
  // The faces and the lines that are written, in the file's order, grouped
  // by material slot: faces without a material of the tables take the last.
  std::vector<int> start(uses.size() + 1, 0), slotOf(faceCount, -1);
  for (int i = 0; i < faceCount; ++i) {
    const FaceMQO& face = g.faces[i];
    const int corners = DrawnCorners(face, vertexCount);
    if (corners < 2) continue;
    bool finite = true;  // a corner that is not finite is never drawn
    for (int k = 0; k < corners; ++k) {
      const VertexMQO& v = g.vertices[face.vertexIndex[k]];
      finite = finite && std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    }
    if (!finite) continue;
    slotOf[i] = face.material >= 0 && face.material < none ? face.material : none;
    ++start[slotOf[i] + 1];
  }
  for (size_t s = 1; s < start.size(); ++s) start[s] += start[s - 1];
  std::vector<int> order(start.back()), fill(start.begin(), start.end() - 1);
  for (int i = 0; i < faceCount; ++i)
    if (slotOf[i] >= 0) order[fill[slotOf[i]]++] = i;

  std::vector<int> latest(vertexCount, -1), owner(vertexCount, -1);
  int id = 0;
  for (int slot = 0; slot <= none; ++slot) {
    const MaterialUse& use = uses[slot];
    const MaterialMQO* m = slot < none ? &g_materials[slot] : nullptr;
    for (const bool faces : {true, false}) {
      PrimitiveData data(latest, owner, id++, faces, faces && use.coloured);
      for (int n = start[slot]; n < start[slot + 1]; ++n) {
        const FaceMQO& face = g.faces[order[n]];
        const int corners = DrawnCorners(face, vertexCount);
        if ((corners >= 3) != faces) continue;
        uint32_t index[4];
        for (int k = 0; k < corners; ++k) {
          Corner c{};
          const VertexMQO& v = g.vertices[face.vertexIndex[k]];
          c.position[0] = v.x, c.position[1] = v.y, c.position[2] = v.z;
          if (faces) {
            const std::array<float, 3>& normal = drawn.normals[4 * static_cast<size_t>(order[n]) + k];
            std::copy(normal.begin(), normal.end(), c.normal);
            // The document's u runs right and v down from the picture's top
            // left corner, as glTF's do.
            c.uv[0] = Finite(face.uv[k][0]);
            c.uv[1] = Finite(face.uv[k][1]);
            if (data.Coloured()) VertexColour(face, k, m->diffuse, m->color[3], c.colour);
            for (float& channel : c.colour) channel = std::clamp(channel, 0.0f, 1.0f);
          }
          index[k] = data.Add(face.vertexIndex[k], c);
        }
        if (!faces) {
          data.indices.insert(data.indices.end(), {index[0], index[1]});
          continue;
        }
        // The document's faces are wound clockwise seen from their front,
        // glTF's counter-clockwise: a fan of the corners in reverse.
        for (int t = 1; t + 1 < corners; ++t) data.indices.insert(data.indices.end(), {index[0], index[t + 1], index[t]});
      }
      if (data.indices.empty()) continue;
      data.Finish(scene.model, mesh, faces ? FaceMaterial(scene, uses, slot) : LineMaterial(scene, uses, slot));
    }
  }
}

}  // namespace

int AddObjectMeshes(GltfScene& scene, std::vector<MaterialUse>& uses) {
  int added = 0;
  for (int i = 0; i < g_objectCount; ++i) {
    if (!IsDrawnObject(g_objects[i])) continue;
    tinygltf::Mesh mesh;
    // Each object is prepared, written and let go, so that only one
    // object's normals live at a time.
    AddPrimitives(scene, uses, PrepareDrawnObject(g_objects[i]), mesh);
    if (mesh.primitives.empty()) continue;
    mesh.name = Utf8Name(g_objects[i].name);
    tinygltf::Node node;
    node.name = mesh.name;
    node.mesh = static_cast<int>(scene.model.meshes.size());
    scene.model.meshes.push_back(std::move(mesh));
    scene.model.nodes.push_back(std::move(node));
    ++added;
  }
  return added;
}
