#pragma once
// Compiles the whole model into OpenGL display list 1. Needs a current
// OpenGL context and the textures already made. Faces that name a vertex
// their object lacks are left out; a material index past the table draws
// the face as one without material.

#include "model/framing.h"
#include "render/drawn_faces.h"
#include "mqo/object.h"

// Off unless the user asks for the model as modelled: the list then holds
// what drawn_faces.h draws, each corner moved into the scene by
// g_modelFraming, instead of the faces as the file lists them.
extern bool g_asModelled;
extern Framing g_modelFraming;
// As modelled, the faces of translucent materials are not in the list: they
// are kept here, to be drawn after it, ordered for each frame's view.
extern TranslucentFaces g_translucentFaces;
// As modelled, the faces and vertices that went into the list and the
// translucent faces (drawn_faces.h counts them); empty otherwise.
extern DrawnSize g_drawnSize;

// Memory that runs out while it is compiled (the model's preparation)
// leaves the list closed and throws std::bad_alloc on.
void BuildDisplayList();

// As modelled: draws the edges of the model's faces (DrawModelEdges) from
// display list 2, compiled at the first call after the model or its hidden
// objects changed (ReleaseEdgeList). Memory that runs out while it is
// compiled leaves it closed and throws std::bad_alloc on.
void CallEdgeList();
void ReleaseEdgeList();

// Lets go of what was drawn from the model: display lists 1 and 2 and the
// materials' textures. Call before ReleaseModel, with the context current.
void ReleaseModelDrawing();
