#pragma once
// The model as modelled (model/drawn_model.h), read into the model tables
// (model/model_loading.h), made into a glTF 2.0 scene in memory through
// tinygltf. Axes and units are the document's own: its Y is up and its front
// faces +Z, as glTF's, and one unit of the document is one metre.

#include <cstddef>
#include <string>
#include <vector>

#include <tiny_gltf.h>

// A picture of the scene, its bytes as they are to be written: a PNG or
// JPEG file copied as it is, or a picture encoded as PNG.
struct ScenePicture {
  std::vector<unsigned char> bytes;
  bool png = true;  // else JPEG
};

struct GltfScene {
  // Buffer 0 holds the geometry; images have a mime type but neither a uri
  // nor a buffer view: where their bytes go depends on the files written.
  tinygltf::Model model;
  std::vector<ScenePicture> pictures;  // picture i is image i
};

// Builds the scene of the drawn objects of the tables: one node and mesh per
// object with something to draw, named as in the document. Textures are read
// as the viewer reads them (relative to the current directory, the model's
// folder). The scene bears the name given (not empty). False when no face
// or line is drawn: the scene is then empty.
bool BuildGltfScene(GltfScene& scene, const std::string& name);

// What the meshes need of the glTF materials: for each material slot of the
// tables, and last for faces without material, the glTF material of its
// faces and of its lines (-1 until first asked for), whether its faces are
// textured and take vertex colours.
struct MaterialUse {
  int faces = -1;
  int lines = -1;
  bool textured = false;
  bool coloured = false;
};
// Adds a glTF material for each material of the tables, with its texture.
std::vector<MaterialUse> AddDocumentMaterials(GltfScene& scene);
// The glTF material for the faces, or the lines, of slot (the last slot for
// none), added when first asked for.
int FaceMaterial(GltfScene& scene, std::vector<MaterialUse>& uses, int slot);
int LineMaterial(GltfScene& scene, std::vector<MaterialUse>& uses, int slot);

// Adds a mesh and a node for each drawn object; returns how many.
int AddObjectMeshes(GltfScene& scene, std::vector<MaterialUse>& uses);

// Appends the bytes to buffer 0 as a buffer view (target 0 for none) and
// returns its index; views start on 4-byte boundaries.
int AddBufferView(tinygltf::Model& model, const void* data, std::size_t bytes, int target);

// A name of the document as UTF-8: converted from its code page when the
// document's names are not UTF-8 already, control characters escaped.
std::string Utf8Name(const char* bytes);
