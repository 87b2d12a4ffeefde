#pragma once
// One OpenGL texture per textured material. Needs a current OpenGL context.

constexpr int kMaxTextures = 256;

extern unsigned int g_textureIds[kMaxTextures];  // entry i for material i, 0 where none was made

void LoadMaterialTextures();
