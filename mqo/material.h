#pragma once
// One material of a document, and the texture images attached to it later.

class CImageManager;

struct MaterialMQO {
  float color[4] = {};  // r, g, b, a as written after "col"
  float diffuse = 0;
  float ambient = 0;
  float emissive = 0;
  float specular = 0;
  float power = 0;
  int vertexColors = 0;  // "vcol": 1 when the faces' COL colours the material
  char textureName[256] = {};     // "tex", bytes as in the file
  char alphaPlaneName[256] = {};  // "aplane"
  char bumpName[256] = {};        // "bump", read but unused
  char name[256] = {};
  int textureKind = 0;  // 0 none, 1 BMP, 2 TGA, JPEG or PNG
  CImageManager* textureImage = nullptr;  // owned
  CImageManager* alphaImage = nullptr;    // owned
  int textureLoaded = 0;
  int alphaLoaded = 0;

  MaterialMQO() = default;
  // A copy takes every member but the two images, which stay with the record
  // that loaded them: two owners of one image would delete it twice.
  MaterialMQO(const MaterialMQO& other);
  MaterialMQO& operator=(const MaterialMQO& other);
  ~MaterialMQO();  // deletes textureImage, then alphaImage

  // Defined with the image readers: pick a reader by the name's extension and
  // read the file. Return 1 when the image loaded, 0 otherwise.
  int LoadTexture();
  int LoadAlphaPlane();

 private:
  void CopyFrom(const MaterialMQO& other);
  void ReleaseImages();
};
