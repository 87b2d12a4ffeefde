#pragma once
// A model file converted to glTF 2.0 as the viewer draws it with
// --as-modelled: the reader, its bounds and its messages, the texture
// lookup and the preparation of the drawn model are the viewer's.

#include <string>

#include "convert/gltf_files.h"

// What became of a conversion; the program's exit status.
enum ConvertStatus {
  kConverted = 0,
  kInputUnreadable = 1,   // cannot be opened, is not a regular file, or is a damaged archive
  kUsage = 2,             // the command line (main.cpp)
  kDocumentRefused = 3,   // the reader refused it
  kOverBudget = 4,        // more than the memory a model may have here
  kCannotWrite = 5,       // the output cannot be written, or is the input itself
};

// Reads the document at input (.mqo of "Format Text Ver 1.0" to 1.x, or
// .mqoz) and writes it to output in the format. On anything but
// kConverted, reason says why in one line, and no file was written or
// changed. The process's current directory becomes the model's folder,
// where its textures are looked up. Reads the model into the model tables
// and lets it go again.
ConvertStatus ConvertModel(const char* input, const char* output, GltfFormat format, std::string& reason);
