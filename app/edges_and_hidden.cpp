#include "app/edges_and_hidden.h"

#include <GL/glut.h>

#include <new>
#include <string>

#include "app/desktop_session.h"
#include "app/startup.h"
#include "base/diagnostics.h"
#include "model/model_loading.h"
#include "render/display_list.h"

bool g_showEdges = false;
bool g_hiddenObjectsShown = false;

void ToggleEdges() {
  g_showEdges = !g_showEdges;
  glutPostRedisplay();
}

void ToggleHiddenObjects() {
  const std::string path = ModelPath();
  g_hiddenObjectsShown = !g_hiddenObjectsShown;
  const int hidden = SetHiddenObjectsShown(g_hiddenObjectsShown);
  std::string reason;
  if (g_hiddenObjectsShown && !DrawnModelFits(g_objects, g_objectCount, ModelMemoryBudget(), reason)) {
    Diagnose(path.c_str(), "%s; the hidden objects stay hidden", reason.c_str());
    g_hiddenObjectsShown = false;
    SetHiddenObjectsShown(false);
    PostDiagnosticsAside();
    return;
  }
  // Nothing to draw anew for a model that hides nothing.
  if (hidden == 0) return;
  ReleaseEdgeList();
  try {
    BuildDisplayList();
  } catch (const std::bad_alloc&) {
    LetModelGoForMemory(path.c_str());
    PostDiagnosticsAside();
  }
  glutPostRedisplay();
}

void KeepHiddenObjectsShown() {
  if (g_hiddenObjectsShown) SetHiddenObjectsShown(true);
}
