// A generated document with every kind of material converted and read back
// with tinygltf; and the refusals, which leave every file as it was.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "image/png_writer.h"

namespace {

namespace fs = std::filesystem;

// Materials: translucent, cut out by its texture's alpha, constant,
// vertex-coloured, and one for lines. The visible object is mirrored across
// X and named in Shift-JIS; the hidden one is left out.
const char kDocument[] =
    "Metasequoia Document\r\nFormat Text Ver 1.0\r\n"
    "Material 5 {\r\n"
    "\t\"glass\" col(0.2 0.4 0.6 0.5) dif(0.8) amb(0.6) emi(0) spc(0) power(5)\r\n"
    "\t\"leaf\" col(1 1 1 1) dif(1) amb(0.6) emi(0) spc(0) power(5) tex(\"cut.png\")\r\n"
    "\t\"lamp\" shader(1) col(1 0.5 0.25 1) dif(0.5) amb(0.6) emi(0) spc(0) power(5)\r\n"
    "\t\"paint\" vcol(1) col(1 1 1 1) dif(0.5) amb(0.6) emi(0.5) spc(0.5) power(30)\r\n"
    "\t\"wire\" col(0 1 0 1) dif(0.8) amb(0.6) emi(0) spc(0) power(5)\r\n"
    "}\r\n"
    "Object \"\x83\x65\x83\x58\x83\x67\" {\r\n"
    "\tmirror 1\r\n\tmirror_axis 1\r\n"
    "\tvertex 6 {\r\n\t\t1 0 0\r\n\t\t2 0 0\r\n\t\t2 1 0\r\n\t\t1 1 0\r\n\t\t3 0 0\r\n\t\t3 1 0\r\n\t}\r\n"
    "\tface 5 {\r\n"
    "\t\t3 V(0 1 2) M(0) UV(0 0 1 0 1 1)\r\n"
    "\t\t3 V(0 2 3) M(1) UV(0 0 1 1 0 1)\r\n"
    "\t\t3 V(1 4 5) M(2)\r\n"
    "\t\t3 V(1 5 2) M(3) COL(4278190335 4278255360 4294901760)\r\n"
    "\t\t2 V(3 2) M(4)\r\n"
    "\t}\r\n}\r\n"
    "Object \"hidden\" {\r\n\tvisible 0\r\n"
    "\tvertex 3 {\r\n\t\t0 0 5\r\n\t\t1 0 5\r\n\t\t1 1 5\r\n\t}\r\n"
    "\tface 1 {\r\n\t\t3 V(0 1 2)\r\n\t}\r\n}\r\n"
    "Eof\r\n";

std::vector<unsigned char> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const void* data, size_t size) {
  std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Keeps the pictures' bytes as they are.
bool KeepBytes(tinygltf::Image* image, int, std::string*, std::string*, int, int, const unsigned char* bytes, int size,
               void*) {
  image->image.assign(bytes, bytes + size);
  return true;
}

class ConvertTest : public testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/convert_test.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    dir_ = folder;
    model_ = dir_ / "kinds.mqo";
    WriteFile(model_, kDocument, sizeof kDocument - 1);
    // A 2 x 2 picture whose alpha is 0 or 255 alone: a cut-out.
    const unsigned char rgba[16] = {255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255, 255, 0};
    std::vector<unsigned char> png;
    ASSERT_TRUE(EncodePng(rgba, 2, 2, png));
    WriteFile(dir_ / "cut.png", png.data(), png.size());
  }
  void TearDown() override { fs::remove_all(dir_); }

  ConvertStatus Convert(const fs::path& output, GltfFormat format = GltfFormat::kBinary) {
    reason_.clear();
    return ConvertModel(model_.c_str(), output.c_str(), format, reason_);
  }

  tinygltf::Model Load(const fs::path& path, bool binary) {
    tinygltf::TinyGLTF reader;
    reader.SetImageLoader(KeepBytes, nullptr);
    tinygltf::Model model;
    std::string error, warning;
    const bool loaded = binary ? reader.LoadBinaryFromFile(&model, &error, &warning, path)
                               : reader.LoadASCIIFromFile(&model, &error, &warning, path);
    EXPECT_TRUE(loaded) << error;
    return model;
  }

  fs::path dir_, model_;
  std::string reason_;
};

const tinygltf::Material& Named(const tinygltf::Model& model, const std::string& name) {
  for (const tinygltf::Material& m : model.materials)
    if (m.name == name) return m;
  ADD_FAILURE() << "no material " << name;
  return model.materials.at(0);
}

// The floats of an accessor (tightly packed, as written).
std::vector<float> Floats(const tinygltf::Model& model, int index) {
  const tinygltf::Accessor& a = model.accessors[index];
  const tinygltf::BufferView& view = model.bufferViews[a.bufferView];
  const int per = tinygltf::GetNumComponentsInType(a.type);
  const float* first = reinterpret_cast<const float*>(model.buffers[view.buffer].data.data() + view.byteOffset);
  return std::vector<float>(first, first + a.count * per);
}

std::vector<uint32_t> Indices(const tinygltf::Model& model, int index) {
  const tinygltf::Accessor& a = model.accessors[index];
  const tinygltf::BufferView& view = model.bufferViews[a.bufferView];
  const uint32_t* first = reinterpret_cast<const uint32_t*>(model.buffers[view.buffer].data.data() + view.byteOffset);
  return std::vector<uint32_t>(first, first + a.count);
}

const tinygltf::Primitive& PrimitiveOf(const tinygltf::Model& model, const std::string& material, int mode) {
  for (const tinygltf::Primitive& p : model.meshes.at(0).primitives)
    if (p.material >= 0 && model.materials[p.material].name == material && p.mode == mode) return p;
  ADD_FAILURE() << "no primitive of " << material;
  return model.meshes.at(0).primitives.at(0);
}

TEST_F(ConvertTest, EveryMaterialKindRoundTrips) {
  ASSERT_EQ(Convert(dir_ / "out.glb"), kConverted) << reason_;
  const tinygltf::Model model = Load(dir_ / "out.glb", true);

  // The visible object alone, its name converted from Shift-JIS.
  ASSERT_EQ(model.nodes.size(), 1u);
  EXPECT_EQ(model.nodes[0].name, "\u30c6\u30b9\u30c8");
  const auto near = [](const std::vector<double>& got, std::vector<double> want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-6) << i;
  };

  const tinygltf::Material& glass = Named(model, "glass");
  EXPECT_EQ(glass.alphaMode, "BLEND");
  near(glass.pbrMetallicRoughness.baseColorFactor, {0.16, 0.32, 0.48, 0.5});

  const tinygltf::Material& leaf = Named(model, "leaf");
  EXPECT_EQ(leaf.alphaMode, "MASK");
  EXPECT_DOUBLE_EQ(leaf.alphaCutoff, 0.5);
  ASSERT_GE(leaf.pbrMetallicRoughness.baseColorTexture.index, 0);
  const tinygltf::Image& image = model.images[model.textures[leaf.pbrMetallicRoughness.baseColorTexture.index].source];
  EXPECT_EQ(image.mimeType, "image/png");
  EXPECT_EQ(image.image, FileBytes(dir_ / "cut.png"));  // the file's own bytes

  // Unlit, its colour as it is (not times its diffuse factor).
  const tinygltf::Material& lamp = Named(model, "lamp");
  EXPECT_EQ(lamp.extensions.count("KHR_materials_unlit"), 1u);
  near(lamp.pbrMetallicRoughness.baseColorFactor, {1, 0.5, 0.25, 1});
  EXPECT_EQ(lamp.alphaMode, "OPAQUE");
  EXPECT_NE(std::find(model.extensionsUsed.begin(), model.extensionsUsed.end(), "KHR_materials_unlit"),
            model.extensionsUsed.end());

  // Vertex colours carry the diffuse factor; the base colour is white.
  const tinygltf::Material& paint = Named(model, "paint");
  near(paint.pbrMetallicRoughness.baseColorFactor, {1, 1, 1, 1});
  near(paint.emissiveFactor, {0.5, 0.5, 0.5});
  EXPECT_NEAR(paint.pbrMetallicRoughness.roughnessFactor, 0.25, 1e-6);
  const tinygltf::Primitive& painted = PrimitiveOf(model, "paint", TINYGLTF_MODE_TRIANGLES);
  ASSERT_EQ(painted.attributes.count("COLOR_0"), 1u);
  const std::vector<float> colours = Floats(model, painted.attributes.at("COLOR_0"));
  const std::vector<float> red = {0.5f, 0, 0, 1};
  EXPECT_NE(std::search(colours.begin(), colours.end(), red.begin(), red.end()), colours.end());
  EXPECT_EQ(PrimitiveOf(model, "glass", TINYGLTF_MODE_TRIANGLES).attributes.count("COLOR_0"), 0u);

  // The line and its mirror image, unlit in the material's colour.
  const tinygltf::Primitive& line = PrimitiveOf(model, "wire (lines)", TINYGLTF_MODE_LINE);
  EXPECT_EQ(Indices(model, line.indices).size(), 4u);
  EXPECT_EQ(Named(model, "wire (lines)").extensions.count("KHR_materials_unlit"), 1u);

  // The glass triangle and its mirror image: counter-clockwise seen from the
  // side its normals face, UVs as written (v runs down the picture in both).
  const tinygltf::Primitive& pane = PrimitiveOf(model, "glass", TINYGLTF_MODE_TRIANGLES);
  const std::vector<float> p = Floats(model, pane.attributes.at("POSITION"));
  const std::vector<float> n = Floats(model, pane.attributes.at("NORMAL"));
  const std::vector<float> uv = Floats(model, pane.attributes.at("TEXCOORD_0"));
  const std::vector<uint32_t> triangles = Indices(model, pane.indices);
  ASSERT_EQ(triangles.size(), 6u);
  bool mirrored = false;
  for (size_t t = 0; t < triangles.size(); t += 3) {
    const float* a = &p[3 * triangles[t]];
    const float* b = &p[3 * triangles[t + 1]];
    const float* c = &p[3 * triangles[t + 2]];
    const float z = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
    EXPECT_GT(z * n[3 * triangles[t] + 2], 0) << "triangle " << t / 3 << " faces away from its normal";
    mirrored = mirrored || a[0] < 0;
  }
  EXPECT_TRUE(mirrored);
  for (size_t v = 0; v < p.size() / 3; ++v)
    if (p[3 * v] == 2 && p[3 * v + 1] == 0) EXPECT_EQ((std::vector<float>{uv[2 * v], uv[2 * v + 1]}), (std::vector<float>{1, 0}));
}

TEST_F(ConvertTest, TextFormatWritesItsFilesBeside) {
  ASSERT_EQ(Convert(dir_ / "my model.gltf", GltfFormat::kText), kConverted) << reason_;
  // Names fit for URIs beside the .gltf; nothing else left behind.
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"cut.png", "kinds.mqo", "my model.gltf", "my_model-0.png", "my_model.bin"}));
  const tinygltf::Model model = Load(dir_ / "my model.gltf", false);
  EXPECT_EQ(model.materials.size(), 6u);  // the document's and the lines'
  ASSERT_EQ(model.images.size(), 1u);
  EXPECT_EQ(model.images[0].uri, "my_model-0.png");
  EXPECT_EQ(FileBytes(dir_ / "my_model-0.png"), FileBytes(dir_ / "cut.png"));
}

TEST_F(ConvertTest, RefusalsLeaveEveryFileAsItWas) {
  const std::vector<unsigned char> document = FileBytes(model_);
  // The model itself, through a link, is never written over.
  fs::create_symlink(model_, dir_ / "link.glb");
  EXPECT_EQ(Convert(dir_ / "link.glb"), kCannotWrite);
  EXPECT_NE(reason_.find("model itself"), std::string::npos) << reason_;
  EXPECT_EQ(FileBytes(model_), document);
  fs::create_hard_link(model_, dir_ / "hard.gltf");
  EXPECT_EQ(Convert(dir_ / "hard.gltf", GltfFormat::kText), kCannotWrite);
  EXPECT_EQ(FileBytes(model_), document);

  // A document the reader refuses leaves an existing output alone.
  WriteFile(dir_ / "old.glb", "old", 3);
  std::string newer(kDocument);
  newer.replace(newer.find("Ver 1.0"), 7, "Ver 2.0");
  WriteFile(model_, newer.data(), newer.size());
  EXPECT_EQ(Convert(dir_ / "old.glb"), kDocumentRefused);
  EXPECT_NE(reason_.find("Ver 2.0"), std::string::npos) << reason_;
  EXPECT_EQ(FileBytes(dir_ / "old.glb"), (std::vector<unsigned char>{'o', 'l', 'd'}));

  model_ = dir_ / "missing.mqo";
  EXPECT_EQ(Convert(dir_ / "out.glb"), kInputUnreadable);
  model_ = dir_;
  EXPECT_EQ(Convert(dir_ / "out.glb"), kInputUnreadable);  // a folder

  // An output that cannot be made: a folder, or in a missing folder.
  WriteFile(model_ = dir_ / "kinds.mqo", kDocument, sizeof kDocument - 1);
  fs::create_directory(dir_ / "taken.glb");
  EXPECT_EQ(Convert(dir_ / "taken.glb"), kCannotWrite);
  EXPECT_EQ(Convert(dir_ / "nowhere" / "out.glb"), kCannotWrite);
  for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
    EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();
}

}  // namespace
