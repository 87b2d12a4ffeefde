#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/frame.h"
#include "app/physics.h"
#include "app/startup.h"
#include "app/view_control.h"

int main(int argc, char** argv) {
  KeepFreedMemory();
  CreatePhysicsWorld();
  PrintHelp();
  const int modelArgument = FindModelArgument(argc, argv);
  ChooseAndLoadModel(modelArgument > 0 ? argv[modelArgument] : nullptr);

  glutInitWindowPosition(100, 100);
  glutInitWindowSize(800, 600);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow(kWindowTitle);
  glutDisplayFunc(OnDisplay);
  glutReshapeFunc(OnReshape);
  glutMouseFunc(OnMouse);
  glutKeyboardFunc(OnKeyboard);
  glutMotionFunc(OnMotion);
  glutSpecialFunc(OnSpecialKey);
  glutTimerFunc(kTimerPeriodMs, OnTimer, 0);
  std::atexit(CleanupAtExit);
  InitGL();
  // Everything printed so far reaches a pipe or a file before the loop runs.
  std::fflush(stdout);
  glutMainLoop();
  return 0;
}
