#include "mqo/material.h"

#include <cstring>

#include "image/image_manager.h"

MaterialMQO::MaterialMQO(const MaterialMQO& other) { CopyFrom(other); }

MaterialMQO& MaterialMQO::operator=(const MaterialMQO& other) {
  if (this != &other) {
    ReleaseImages();
    CopyFrom(other);
  }
  return *this;
}

MaterialMQO::~MaterialMQO() { ReleaseImages(); }

void MaterialMQO::CopyFrom(const MaterialMQO& other) {
  std::memcpy(color, other.color, sizeof color);
  diffuse = other.diffuse;
  ambient = other.ambient;
  emissive = other.emissive;
  specular = other.specular;
  power = other.power;
  vertexColors = other.vertexColors;
  std::memcpy(textureName, other.textureName, sizeof textureName);
  std::memcpy(alphaPlaneName, other.alphaPlaneName, sizeof alphaPlaneName);
  std::memcpy(bumpName, other.bumpName, sizeof bumpName);
  std::memcpy(name, other.name, sizeof name);
  textureKind = other.textureKind;
  textureImage = nullptr;
  alphaImage = nullptr;
  textureLoaded = other.textureLoaded;
  alphaLoaded = other.alphaLoaded;
}

void MaterialMQO::ReleaseImages() {
  delete textureImage;
  textureImage = nullptr;
  delete alphaImage;
  alphaImage = nullptr;
}
