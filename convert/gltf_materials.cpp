// The document's materials as glTF metallic-roughness materials, with their
// textures embedded.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "base/name_ending.h"
#include "convert/gltf_scene.h"
#include "image/png_writer.h"
#include "image/texture_dispatch.h"
#include "model/material_kind.h"
#include "model/model_loading.h"
#include "model/texel_layout.h"

namespace {

constexpr const char* kUnlit = "KHR_materials_unlit";

double Clamped(double value) { return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0; }

void MakeUnlit(GltfScene& scene, tinygltf::Material& material) {
  material.extensions[kUnlit] = tinygltf::Value(tinygltf::Value::Object());
  std::vector<std::string>& used = scene.model.extensionsUsed;
  if (std::find(used.begin(), used.end(), kUnlit) == used.end()) used.push_back(kUnlit);
}

// The one sampler of every texture: repeated and filtered linearly, as the
// viewer samples them.
int Sampler(GltfScene& scene) {
  if (scene.model.samplers.empty()) {
    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.wrapS = sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    scene.model.samplers.push_back(sampler);
  }
  return 0;
}

// The file's own bytes when they are a PNG or a JPEG that gives the picture
// as it is drawn (no alpha plane of another file joins it); otherwise the
// picture encoded as PNG. Empty when neither can be had.
ScenePicture PictureBytes(const MaterialMQO& material, const std::vector<unsigned char>& rgba, int width,
                          int height) {
  static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  static const unsigned char kJpegStart[3] = {0xFF, 0xD8, 0xFF};
  ScenePicture picture;
  const char* name = material.textureName;
  const bool png = EndsWithIgnoringCase(name, ".png");
  const bool jpeg = EndsWithIgnoringCase(name, ".jpg") || EndsWithIgnoringCase(name, ".jpeg");
  if (material.alphaPlaneName[0] == '\0' && (png || jpeg)) {
    // A file much larger than its pixels (a picture with much else in it) is
    // encoded afresh rather than copied.
    picture.bytes = ReadTextureBytes(name, 2 * rgba.size() + (1 << 20));
    const unsigned char* signature = png ? kPngSignature : kJpegStart;
    const size_t signatureBytes = png ? sizeof kPngSignature : sizeof kJpegStart;
    if (picture.bytes.size() > signatureBytes &&
        std::equal(signature, signature + signatureBytes, picture.bytes.begin())) {
      picture.png = png;
      return picture;
    }
  }
  picture.png = true;
  if (!EncodePng(rgba.data(), width, height, picture.bytes)) picture.bytes.clear();
  return picture;
}

// Reads the material's pictures as the viewer does as modelled (an alpha
// plane alone cuts a white texture) and adds its texture; -1 when it has
// none. Sets images.softAlpha.
int AddTexture(GltfScene& scene, const MaterialMQO& material, MaterialImages& images) {
  if (material.textureName[0] != '\0') LoadTexture(material, images);
  if (material.alphaPlaneName[0] != '\0') LoadAlphaPlane(material, images);
  CImageManager white;  // no planes: every colour sample reads as 255
  const CImageManager* texture = images.textureLoaded ? images.textureImage.get() : nullptr;
  if (!texture && material.textureName[0] == '\0' && images.alphaLoaded) {
    white.m_width = images.alphaImage->m_width;
    white.m_height = images.alphaImage->m_height;
    texture = &white;
  }
  if (!texture) return -1;
  const std::vector<unsigned char> rgba = BuildPicture(*texture, AlphaSource(material, images));
  if (rgba.empty()) return -1;
  images.softAlpha = HasSoftAlpha(rgba.data(), rgba.size());
  ScenePicture picture = PictureBytes(material, rgba, texture->m_width, texture->m_height);
  if (picture.bytes.empty()) return -1;

  tinygltf::Image image;
  image.name = Utf8Name(material.textureName[0] != '\0' ? material.textureName : material.alphaPlaneName);
  image.mimeType = picture.png ? "image/png" : "image/jpeg";
  scene.model.images.push_back(image);
  scene.pictures.push_back(std::move(picture));
  tinygltf::Texture gltfTexture;
  gltfTexture.source = static_cast<int>(scene.model.images.size()) - 1;
  gltfTexture.sampler = Sampler(scene);
  scene.model.textures.push_back(gltfTexture);
  return static_cast<int>(scene.model.textures.size()) - 1;
}

int AddMaterial(GltfScene& scene, tinygltf::Material material) {
  material.doubleSided = true;  // the viewer lights both sides of every face
  scene.model.materials.push_back(std::move(material));
  return static_cast<int>(scene.model.materials.size()) - 1;
}

// Metallic-roughness from the modeller's lighting: the diffuse colour is the
// base colour; "emi" the emission; a material without specular ("spe 0") is
// fully rough, and a higher "power" (Phong exponent) a smoother one (the
// Beckmann roughness of that exponent). Ambient has no counterpart.
tinygltf::Material DocumentMaterial(GltfScene& scene, const MaterialMQO& m, const MaterialImages& images, int texture) {
  tinygltf::Material material;
  material.name = Utf8Name(m.name);
  tinygltf::PbrMetallicRoughness& pbr = material.pbrMetallicRoughness;
  // A constant material shows its colour as it is; vertex colours carry the
  // diffuse factor and the colour's alpha themselves (VertexColour).
  const bool constant = IsConstant(m);
  const double factor = constant ? 1.0 : m.diffuse;
  if (TakesVertexColours(m))
    pbr.baseColorFactor = {1, 1, 1, 1};
  else
    pbr.baseColorFactor = {Clamped(m.color[0] * factor), Clamped(m.color[1] * factor), Clamped(m.color[2] * factor),
                           Clamped(m.color[3])};
  pbr.metallicFactor = 0;
  pbr.roughnessFactor = m.specular > 0 ? Clamped(std::sqrt(2.0 / (std::max(0.0f, m.power) + 2.0))) : 1.0;
  if (texture >= 0) pbr.baseColorTexture.index = texture;
  if (constant) {
    MakeUnlit(scene, material);
  } else {
    material.emissiveFactor = {Clamped(m.color[0] * m.emissive), Clamped(m.color[1] * m.emissive),
                               Clamped(m.color[2] * m.emissive)};
  }
  if (IsTranslucent(m, images)) {
    material.alphaMode = "BLEND";
  } else if (IsCutOut(m, images)) {
    material.alphaMode = "MASK";
    material.alphaCutoff = kCutOutAlpha;
  }
  return material;
}

}  // namespace

std::vector<MaterialUse> AddDocumentMaterials(GltfScene& scene) {
  std::vector<MaterialUse> uses(g_materialCount + 1);
  // Materials naming the same pictures share one texture: the first
  // material's images decide for all.
  std::map<std::pair<std::string, std::string>, std::pair<int, int>> made;  // names -> texture, material slot
  for (int i = 0; i < g_materialCount; ++i) {
    const MaterialMQO& m = g_materials[i];
    int texture = -1, imagesOf = i;
    if (m.textureName[0] != '\0' || m.alphaPlaneName[0] != '\0') {
      const auto names = std::make_pair(std::string(m.textureName), std::string(m.alphaPlaneName));
      const auto found = made.find(names);
      if (found != made.end()) {
        std::tie(texture, imagesOf) = found->second;
      } else {
        texture = AddTexture(scene, m, g_materialImages[i]);
        made[names] = {texture, i};
      }
    }
    uses[i].faces = AddMaterial(scene, DocumentMaterial(scene, m, g_materialImages[imagesOf], texture));
    uses[i].textured = texture >= 0;
    uses[i].coloured = TakesVertexColours(m);
  }
  return uses;
}

int FaceMaterial(GltfScene& scene, std::vector<MaterialUse>& uses, int slot) {
  MaterialUse& use = uses[slot];
  if (use.faces < 0) {
    // Faces without material: the viewer's light grey.
    tinygltf::Material material;
    material.name = "(no material)";
    material.pbrMetallicRoughness.baseColorFactor = {kNoMaterialGrey, kNoMaterialGrey, kNoMaterialGrey, 1};
    material.pbrMetallicRoughness.metallicFactor = 0;
    use.faces = AddMaterial(scene, material);
  }
  return use.faces;
}

int LineMaterial(GltfScene& scene, std::vector<MaterialUse>& uses, int slot) {
  MaterialUse& use = uses[slot];
  if (use.lines < 0) {
    // Lines are drawn unlit in their material's colour, whole.
    tinygltf::Material material;
    const bool none = slot >= g_materialCount;
    const float* colour = none ? nullptr : g_materials[slot].color;
    material.name = (none ? std::string("(no material)") : Utf8Name(g_materials[slot].name)) + " (lines)";
    material.pbrMetallicRoughness.baseColorFactor = {none ? kNoMaterialGrey : Clamped(colour[0]),
                                                     none ? kNoMaterialGrey : Clamped(colour[1]),
                                                     none ? kNoMaterialGrey : Clamped(colour[2]), 1};
    material.pbrMetallicRoughness.metallicFactor = 0;
    MakeUnlit(scene, material);
    use.lines = AddMaterial(scene, material);
  }
  return use.lines;
}
