#pragma once
// Writes large, well-formed Metasequoia text documents for benchmarks: a
// Scene chunk, a Material chunk and objects with vertex and face lists, laid
// out as the modelling tool writes them (tabs, CR LF line ends).

#include <cstdio>

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
};

// Returns false when writing failed.
bool WriteMqoDocument(FILE* out, const MqoGeneratorOptions& options);
bool WriteMqoDocument(const char* path, const MqoGeneratorOptions& options);
