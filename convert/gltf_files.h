#pragma once
// Writing a scene out: either all its files, whole, or none of them. Each
// file is written under a temporary name in the output's folder and renamed
// to its own name only when everything was written.

#include <string>
#include <vector>

#include "convert/gltf_scene.h"

enum class GltfFormat {
  kBinary,  // one .glb file holding everything
  kText,    // a .gltf file, its buffer (.bin) and its pictures beside it
};

// The files that writing the scene makes, the output first: for kText also
// OUTPUT's stem (its name without ".gltf") with ".bin", and "-N.png" or
// "-N.jpg" for picture N, in the output's folder; letters other than ASCII
// letters, digits, '.', '-' and '_' in the stem become '_' there, so that the
// names are plain URIs.
std::vector<std::string> GltfFileNames(const GltfScene& scene, const std::string& output, GltfFormat format);

// Whether the two paths name one file (device and inode, symbolic links
// followed); false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

// Writes the scene to output (and the files beside it). False, with the
// reason, when a file cannot be written: the files that were there stay as
// they were and no temporary file is left. Moves the pictures' bytes into
// the scene.
bool WriteGltfFiles(GltfScene& scene, const std::string& output, GltfFormat format, std::string& reason);
