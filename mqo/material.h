#pragma once
// One material of a document, as its Material chunk gives it. The images its
// names lead to are decoded and held apart from it (image/material_images.h),
// so that the record stays a plain value.

struct MaterialMQO {
  float color[4] = {};  // r, g, b, a as written after "col"
  float diffuse = 0;
  float ambient = 0;
  float emissive = 0;
  float specular = 0;
  float power = 0;
  int vertexColors = 0;  // "vcol": 1 when the faces' COL colours the material
  int shader = 0;        // "shader": 1 a constant colour, unlit; others lit
  char textureName[256] = {};     // "tex", bytes as in the file
  char alphaPlaneName[256] = {};  // "aplane"
  char bumpName[256] = {};        // "bump", read but unused
  char name[256] = {};
};
