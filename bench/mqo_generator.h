#pragma once
// Writes large, well-formed Metasequoia text documents for benchmarks: a
// Scene chunk, a Material chunk and objects with vertex and face lists, laid
// out as the modelling tool writes them (tabs, CR LF line ends).

#include <cstdio>
#include <string>
#include <vector>

struct MqoGeneratorOptions {
  int objects = 1;
  long long vertices = 1000000;  // over all objects
  long long faces = 1000000;     // over all objects
  double quadShare = 0.5;        // share of four-corner faces, the rest triangles
  bool materialGroups = true;    // M(...) on every face
  bool uvGroups = true;          // UV(...) on every face
  bool binaryVertices = false;   // BVertex chunks instead of vertex lists
  int materials = 4;
  bool textures = false;  // give the materials tex("...") file names
  bool crlf = true;
  unsigned seed = 1;

  // Surfaces as a modeller builds them: each object a bumpy grid patch of
  // small neighbouring faces, the objects side by side within +-extent. The
  // vertex count then follows from the grid and `vertices` is ignored.
  bool gridMesh = false;
  double extent = 120.0;
  // How M(...) indices run over the faces of a grid mesh: random, in
  // long runs of one material each, or a different material on every face.
  enum class MaterialOrder { kRandom, kGrouped, kEveryFace };
  MaterialOrder materialOrder = MaterialOrder::kRandom;
  // Material i names textureFiles[i] as its tex("...") when there is one.
  std::vector<std::string> textureFiles;
  // Every second material translucent (colour alpha 0.5), for documents
  // whose faces are blended and ordered for each view.
  bool translucentMaterials = false;
  // "patch" and "segment" of every object (0: none written): curved
  // surfaces refined as modelled.
  int patch = 0;
  int segment = 0;
};

// Returns false when writing failed.
bool WriteMqoDocument(FILE* out, const MqoGeneratorOptions& options);
bool WriteMqoDocument(const char* path, const MqoGeneratorOptions& options);
