#pragma once
// What the information overlay (i, as modelled) says about the model shown.

#include <string>

#include "app/language.h"

struct ModelInfo {
  std::string name;           // the file's name as shown text, as in the title
  int objects = 0;            // the document's objects the viewer keeps
  int hiddenObjects = 0;      // of them, those the document hides ("visible 0")
  bool hiddenShown = false;   // whether h shows them
  long long faces = 0;        // drawn: mirrored halves, joining faces and refined
  long long vertices = 0;     //   surfaces included; lines of two corners are faces
  long long fileFaces = 0;    // as the document lists them, in all objects
  long long fileVertices = 0;
  int materials = 0;
  int texturesFound = 0;      // texture names (each counted once) whose picture is shown
  int texturesMissing = 0;    // the others: not found, unreadable or over the budget
};

// The overlay's text: the name as a title line, then one line a count with
// its label and value parted by a tab.
std::string ModelInfoText(const ModelInfo& info, Language language);
// The counts of the model shown, from its tables and its display list.
ModelInfo ShownModelInfo();
