#pragma once
// A material's texture read ahead, apart from LoadTexture
// (image/material_images.h), which reads it when the material needs it.

#include <cstddef>
#include <vector>

class CImageManager;

// Whether textures in the formats that newer models use (DDS) are read; off
// by default, when their names are "not supported" as they always were. Set
// before any texture is read, read ahead or not.
void SetNewerTextureFormats(bool on);

// The picture that `name` names, found and decoded as LoadTexture would,
// without a word on standard output or error and without ending the process.
// Returns it (owned by the caller) with its kind (1 BMP, 2 the others), or
// nullptr when it is not found or LoadTexture would have printed anything
// about it: LoadTexture then reads it itself and says so. Safe on a thread of
// its own while no other thread reads pictures or sets the texture lookup.
CImageManager* DecodeTextureQuietly(const char* name, int& textureKind);

// The bytes of the picture that `name` leads to, found as LoadTexture finds
// it (an archive's entry first, then the files), quietly: for copying a
// picture out as it is. Empty when nothing is found, it cannot be read
// whole, or it holds more than maxBytes (which bounds the memory taken).
// Reads regular files only.
std::vector<unsigned char> ReadTextureBytes(const char* name, std::size_t maxBytes);
