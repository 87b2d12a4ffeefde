#pragma once
// The materials' textures decoded on a thread of their own while the window
// opens, so that LoadMaterialTextures finds most of them ready. The thread
// says nothing: a texture it could not read cleanly is left to
// LoadMaterialTextures, which reads it as ever and prints what it prints.

#include <memory>
#include <vector>

#include "image/image_manager.h"
#include "model/texel_layout.h"

struct TextureAhead {
  std::unique_ptr<CImageManager> image;  // nullptr where none was read cleanly
  int kind = 0;                          // as MaterialImages::textureKind
  // Built from the image where the material names no alpha plane (which is
  // read with the upload); empty otherwise.
  TexelBlock texels;
};

// Starts the thread; call after LoadModel, before the window is made, and
// read no picture on another thread until the thread is waited for.
void StartTexturesAhead();
// Waits for the thread, when one was started. Any exit before
// LoadMaterialTextures must call it: exit would tear down what it reads.
void WaitForTexturesAhead();
// Waits, then hands over what the thread read, one entry per material slot
// it looked at (none when it was not started); nothing is kept here.
std::vector<TextureAhead> TakeTexturesAhead();
