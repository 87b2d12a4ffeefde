#include "model/display_list.h"

#include <GL/gl.h>

// Placeholder until the model is compiled: an empty list 1.
void BuildDisplayList() {
  glNewList(1, GL_COMPILE);
  glEndList();
}
