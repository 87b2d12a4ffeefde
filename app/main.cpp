#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/command_line.h"
#include "app/desktop_session.h"
#include "app/frame.h"
#include "app/physics.h"
#include "app/startup.h"
#include "app/view_control.h"
#include "app/window_identity.h"
#include "base/diagnostics.h"
#include "image/jpeg_manager.h"
#include "image/texture_dispatch.h"
#include "image/texture_tree.h"
#include "render/display_list.h"
#include "model/model_loading.h"
#include "model/view_projection.h"

int main(int argc, char** argv) {
  g_asModelled = TakeOption(argc, argv, "--as-modelled");
  g_newerFormats = TakeNewerOption(argc, argv) || g_asModelled;
  // Pictures a project keeps elsewhere in its tree are part of the model as
  // its author saw it.
  SetTextureTreeSearch(g_asModelled);
  // The desktop's way: a texture that cannot be decoded is left out with a
  // line saying why, and the model shown, rather than the program ended.
  if (g_newerFormats) CJpegManager::SetFatalErrorsFail(true);
  SetNewerTextureFormats(g_newerFormats);
  if (PrintInformationAsked(argc, argv)) return 0;
  StartDesktopNotices();
  KeepFreedMemory();
  CreatePhysicsWorld();
  PrintHelp();
  const std::vector<int> models = FindModelArguments(argc, argv);
  if (models.size() > 1)
    Diagnose(nullptr, "%zu models named; only the first, %s, is shown", models.size(), argv[models.front()]);
  ChooseAndStartLoadingModel(models.empty() ? nullptr : argv[models.front()]);

  glutInitWindowPosition(100, 100);
  glutInitWindowSize(kFirstWindowWidth, kFirstWindowHeight);
  glutInitErrorFunc(OnWindowSystemError);
  glutInit(&argc, argv);
  FinishLoadingModel();
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow(kWindowTitle);
  SetWindowIdentity();
  if (g_asModelled) SetWindowTitle(ModelWindowTitle());
  glutDisplayFunc(OnFirstDisplay);
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
