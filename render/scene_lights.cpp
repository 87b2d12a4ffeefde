#include "render/scene_lights.h"

#include <GL/gl.h>

// Light 0 is directional (w = 0) and fixed relative to the viewer.
const float g_light0Position[4] = {50.0f, 200.0f, 200.0f, 0.0f};
const float g_light1Position[4] = {-50.0f, 0.0f, -150.0f, 1.0f};
const float g_light2Position[4] = {0.0f, -150.0f, -50.0f, 1.0f};

void SetupLights() {
  const float ambient0[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  const float half[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  const float materialDiffuse[4] = {0.1f, 0.8f, 0.8f, 1.0f};
  const float materialSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const float shininess = 50.0f;
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient0);
  // Given while the model-view matrix is the identity, so it follows the viewer.
  glLightfv(GL_LIGHT0, GL_POSITION, g_light0Position);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, half);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, half);
  glLightfv(GL_LIGHT1, GL_SPECULAR, half);
  glLightfv(GL_LIGHT2, GL_DIFFUSE, half);
  glLightfv(GL_LIGHT2, GL_SPECULAR, half);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, materialDiffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &shininess);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glEnable(GL_LIGHT2);
}

void InitDrawingState() {
  glClearColor(0.4f, 0.4f, 0.8f, 1.0f);
  SetupLights();
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_AUTO_NORMAL);
  glEnable(GL_NORMALIZE);
  glShadeModel(GL_SMOOTH);
  glDepthFunc(GL_LEQUAL);
}
