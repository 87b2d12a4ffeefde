#pragma once
// Compiles the whole model into OpenGL display list 1. Needs a current
// OpenGL context and the textures already made.

void BuildDisplayList();
