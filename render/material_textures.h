#pragma once
// One OpenGL texture per textured material. Needs a current OpenGL context.

#include "model/model_loading.h"

extern unsigned int g_textureIds[kMaxModelSlots];  // entry i for material i, 0 where none was made

// Loads each material's texture (and alpha plane) from "Texture/<name>" and
// uploads it; a material whose texture does not load stays untextured. Takes
// the pictures decoded ahead (model/textures_ahead.h), when that was started.
void LoadMaterialTextures();
// A new texture object, bound, sampled as the model's textures are:
// repeated, filtered linearly.
unsigned int NewBoundTexture();
// Deletes the materials' texture objects; the entries are 0 again.
void ReleaseMaterialTextures();
