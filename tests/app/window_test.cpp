// The viewer's OpenGL state, projection, frame and timer in a real GLUT
// window (Mesa under Xvfb), and which callbacks really ask for a redraw.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <thread>

#include "app/frame.h"
#include "app/physics.h"
#include "app/startup.h"
#include "app/view_control.h"

namespace {

int g_redraws = 0;

void CountingDisplay() {
  ++g_redraws;
  OnDisplay();
}

// Runs the event loop for a while, so that posted redraws and timers fire.
void Pump(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    glutMainLoopEvent();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < end);
}

// Pumps until no redraw has come for a while; returns the count then.
int Settle() {
  int before;
  do {
    before = g_redraws;
    Pump(80);
  } while (g_redraws != before);
  return g_redraws;
}

class WindowEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    int argc = 1;
    char name[] = "window_test";
    char* argv[] = {name, nullptr};
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(800, 600);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(kWindowTitle);
    glutDisplayFunc(CountingDisplay);
    glutReshapeFunc(OnReshape);
    CreatePhysicsWorld();
    InitGL();
    Pump(300);
  }
  // Closing the window and the display lets the driver free its buffers
  // before it is unloaded at exit.
  void TearDown() override {
    DestroyPhysicsWorld();
    glutExit();
  }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

void ExpectLight(GLenum light, GLenum parameter, float r, float g, float b, float a) {
  float value[4];
  glGetLightfv(light, parameter, value);
  EXPECT_FLOAT_EQ(value[0], r);
  EXPECT_FLOAT_EQ(value[1], g);
  EXPECT_FLOAT_EQ(value[2], b);
  EXPECT_FLOAT_EQ(value[3], a);
}

void ExpectMaterial(GLenum face, GLenum parameter, float r, float g, float b, float a) {
  float value[4];
  glGetMaterialfv(face, parameter, value);
  EXPECT_FLOAT_EQ(value[0], r);
  EXPECT_FLOAT_EQ(value[1], g);
  EXPECT_FLOAT_EQ(value[2], b);
  EXPECT_FLOAT_EQ(value[3], a);
}

struct Rgb {
  int r, g, b;
};

// A pixel of the frame just drawn, x from the left, y from the top. Mesa
// keeps the back buffer's contents across the swap, so it still holds it.
Rgb FramePixel(int x, int y) {
  unsigned char pixel[3] = {0, 0, 0};
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, 600 - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
  return {pixel[0], pixel[1], pixel[2]};
}

// Where a world point lands in the 800 x 600 window (x, y from the top).
void WindowPosition(double wx, double wy, double wz, double& x, double& y) {
  double modelView[16];
  double projection[16];
  int viewport[4];
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  gluLookAt(g_cameraEye[0], g_cameraEye[1], g_cameraEye[2], 0, 0, 0, 0, 1, 0);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glPopMatrix();
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  double z;
  gluProject(wx, wy, wz, modelView, projection, viewport, &x, &y, &z);
  y = viewport[3] - y;
}

Rgb PixelAtWorld(double wx, double wy, double wz) {
  double x, y;
  WindowPosition(wx, wy, wz, x, y);
  return FramePixel(static_cast<int>(x), static_cast<int>(y));
}

void DrawFrame() {
  OnDisplay();
  glFinish();
}

TEST(InitGL, LightsMaterialAndSwitches) {
  ExpectLight(GL_LIGHT0, GL_AMBIENT, 0.8f, 0.8f, 0.8f, 1.0f);
  ExpectLight(GL_LIGHT0, GL_DIFFUSE, 0.5f, 0.5f, 0.5f, 1.0f);
  ExpectLight(GL_LIGHT0, GL_SPECULAR, 1.0f, 1.0f, 1.0f, 1.0f);
  for (GLenum light : {GL_LIGHT1, GL_LIGHT2}) {
    ExpectLight(light, GL_AMBIENT, 0.0f, 0.0f, 0.0f, 1.0f);
    ExpectLight(light, GL_DIFFUSE, 0.5f, 0.5f, 0.5f, 1.0f);
    ExpectLight(light, GL_SPECULAR, 0.5f, 0.5f, 0.5f, 1.0f);
  }
  for (GLenum face : {GL_FRONT, GL_BACK}) {
    ExpectMaterial(face, GL_DIFFUSE, 0.1f, 0.8f, 0.8f, 1.0f);
    ExpectMaterial(face, GL_SPECULAR, 1.0f, 1.0f, 1.0f, 1.0f);
    float shininess = 0.0f;
    glGetMaterialfv(face, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(shininess, 50.0f);
  }
  for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_DEPTH_TEST, GL_AUTO_NORMAL, GL_NORMALIZE}) {
    EXPECT_TRUE(glIsEnabled(cap)) << std::hex << cap;
  }
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  int value = 0;
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  float clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_FLOAT_EQ(clear[0], 0.4f);
  EXPECT_FLOAT_EQ(clear[1], 0.4f);
  EXPECT_FLOAT_EQ(clear[2], 0.8f);
  EXPECT_FLOAT_EQ(clear[3], 1.0f);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_view.rotationMatrix[i], i % 5 == 0 ? 1.0 : 0.0);
  EXPECT_EQ(g_view.orientation.w, 1.0);
  EXPECT_TRUE(glIsList(1));
}

TEST(InitGL, LightZeroStaysWithTheViewer) {
  // Given under the identity model-view matrix, its eye-space direction is
  // the position itself, whatever the camera does later.
  DrawFrame();
  ExpectLight(GL_LIGHT0, GL_POSITION, 50.0f, 200.0f, 200.0f, 0.0f);
}

TEST(Reshape, ViewportReciprocalsAndPerspective) {
  OnReshape(1000, 500);
  int viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1000);
  EXPECT_EQ(viewport[3], 500);
  EXPECT_DOUBLE_EQ(g_view.invWidth, 0.001);
  EXPECT_DOUBLE_EQ(g_view.invHeight, 0.002);
  double p[16];
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  EXPECT_NEAR(p[5] / p[0], 2.0, 1e-6);
  EXPECT_NEAR(p[5], 1.0 / std::tan(15.0 * M_PI / 180.0), 1e-6);
  EXPECT_NEAR(p[10], -1010.0 / 990.0, 1e-6);  // near 10, far 1000
  EXPECT_NEAR(p[14], -20000.0 / 990.0, 1e-6);
  int mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);

  // A minimised window: no division by zero, the last sizes kept.
  for (auto [w, h] : {std::pair{0, 500}, std::pair{640, 0}, std::pair{0, 0}}) {
    const double invWidth = g_view.invWidth;
    const double invHeight = g_view.invHeight;
    OnReshape(w, h);
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    for (double element : p) EXPECT_TRUE(std::isfinite(element));
    EXPECT_NEAR(p[5] / p[0], 1.0, 1e-6);
    if (w == 0) EXPECT_EQ(g_view.invWidth, invWidth);
    if (h == 0) EXPECT_EQ(g_view.invHeight, invHeight);
  }
  EXPECT_DOUBLE_EQ(g_view.invWidth, 1.0 / 640);
  EXPECT_DOUBLE_EQ(g_view.invHeight, 0.002);
  OnReshape(800, 600);
}

TEST(Frame, BackgroundMarkerAndGizmo) {
  OnReshape(800, 600);
  g_view = ViewState();
  InitGL();
  DrawFrame();
  const Rgb corner = FramePixel(5, 5);
  EXPECT_EQ(corner.r, 102);
  EXPECT_EQ(corner.g, 102);
  EXPECT_EQ(corner.b, 204);

  // Light 2's marker is a white point; light 1 lies above the top edge.
  const Rgb marker = PixelAtWorld(g_light2Position[0], g_light2Position[1], g_light2Position[2]);
  EXPECT_EQ(marker.r + marker.g + marker.b, 3 * 255);
  double x, y;
  WindowPosition(g_light1Position[0], g_light1Position[1], g_light1Position[2], x, y);
  EXPECT_LT(y, 0.0);

  for (const auto& axis : {std::array{50.0, 0.0, 0.0}, std::array{0.0, 50.0, 0.0}, std::array{0.0, 0.0, 50.0}}) {
    const Rgb arrow = PixelAtWorld(axis[0], axis[1], axis[2]);
    EXPECT_EQ(arrow.r, 0);
    EXPECT_EQ(arrow.g, 0);
    EXPECT_EQ(arrow.b, 255);
  }
}

TEST(Frame, HeldButtonsTurnTheirArrowsRed) {
  OnReshape(800, 600);
  g_view.middleDrag = 1;
  DrawFrame();
  const Rgb z = PixelAtWorld(0, 0, 50);
  EXPECT_EQ(z.r, 255);
  EXPECT_EQ(z.b, 0);
  EXPECT_EQ(PixelAtWorld(50, 0, 0).b, 255);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));

  g_view.middleDrag = 0;
  g_view.leftDrag = 1;
  g_view.rightDrag = 1;
  DrawFrame();
  EXPECT_EQ(PixelAtWorld(50, 0, 0).r, 255);
  EXPECT_EQ(PixelAtWorld(0, 50, 0).r, 255);
  EXPECT_EQ(PixelAtWorld(0, 0, 50).b, 255);
  g_view.leftDrag = 0;
  g_view.rightDrag = 0;
}

TEST(Frame, PanMovesAlongWorldAxesWhateverTheRotation) {
  // 90 degrees about Y: columns (0, 0, -1), (0, 1, 0), (1, 0, 0).
  const double m[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  const float pan[3] = {1, 2, 3};
  float t[3];
  PanInModelFrame(m, pan, t);
  EXPECT_FLOAT_EQ(t[0], -3.0f);
  EXPECT_FLOAT_EQ(t[1], 2.0f);
  EXPECT_FLOAT_EQ(t[2], 1.0f);
}

TEST(Callbacks, RedrawRules) {
  g_view.invWidth = 1.0 / 800;
  g_view.invHeight = 1.0 / 600;
  int count = Settle();

  OnMotion(g_view.lastMouseX, g_view.lastMouseY);
  Pump(60);
  EXPECT_EQ(g_redraws, count) << "a motion without movement asks for no redraw";

  OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
  Pump(60);
  EXPECT_EQ(g_redraws, ++count);
  OnMotion(100, 106);
  Pump(60);
  EXPECT_EQ(g_redraws, ++count);
  OnMouse(GLUT_LEFT_BUTTON, GLUT_UP, 100, 106);
  Pump(60);
  EXPECT_EQ(g_redraws, ++count);
  OnMouse(7, GLUT_DOWN, 1, 1);
  Pump(60);
  EXPECT_EQ(g_redraws, ++count);
  OnKeyboard('S', 0, 0);
  Pump(60);
  EXPECT_EQ(g_redraws, ++count);
  OnSpecialKey(GLUT_KEY_F5, 0, 0);
  Pump(60);
  EXPECT_EQ(g_redraws, ++count);
}

TEST(Callbacks, TimerStepsTheWorldAndRearms) {
  const int count = Settle();
  OnTimer(0);
  // One step of 0.1 from rest under -3.7: v = -0.37, z = 50 - 0.037.
  EXPECT_NEAR(dBodyGetPosition(g_body)[2], 49.963, 1e-9);
  Pump(200);
  EXPECT_LT(dBodyGetPosition(g_body)[2], 49.9);
  EXPECT_GE(g_redraws, count + 3);
}

}  // namespace
