#pragma once
// Compiles the whole model into OpenGL display list 1. Needs a current
// OpenGL context and the textures already made. Faces that name a vertex
// their object lacks are left out; a material index past the table draws
// the face as one without material.

void BuildDisplayList();
