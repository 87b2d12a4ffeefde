// empty_window: the floor of the start-up benchmark. The least a GLUT
// program does to show one frame in a window of the viewer's place, size,
// pixel format and clear colour: no model, no state, one clear and a swap.
#include <GL/freeglut.h>

#include "model/view_projection.h"

namespace {

void Display() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glutSwapBuffers();
}

}  // namespace

int main(int argc, char** argv) {
  glutInitWindowPosition(100, 100);
  glutInitWindowSize(kFirstWindowWidth, kFirstWindowHeight);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow("empty_window");
  glClearColor(0.4f, 0.4f, 0.8f, 1.0f);
  glutDisplayFunc(Display);
  glutMainLoop();
  return 0;
}
