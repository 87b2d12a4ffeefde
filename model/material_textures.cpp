#include "model/material_textures.h"

unsigned int g_textureIds[kMaxTextures];

// Placeholder until the texture upload lands.
void LoadMaterialTextures() {}
