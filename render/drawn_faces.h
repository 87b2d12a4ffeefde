#pragma once
// The model drawn as the modeller shows it (drawn_model.h), in OpenGL:
// visible objects with their mirrored halves, a normal at every corner, lit
// on the side the camera sees, faces of translucent materials blended over
// the others, vertex colours where a material asks for them. The viewer
// compiles it into its display list; the thumbnailer draws it directly.

#include "model/framing.h"
#include "mqo/object.h"

// Draws the objects, each corner moved into the scene by the framing. Needs
// a current context and the textures made; may be compiled into a list.
// Leaves texturing, the alpha test, blending and two-sided lighting off.
void DrawModelAsModelled(const ObjectMQO* objects, int objectCount, const Framing& framing);
