#include "app/view_control.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "app/edges_and_hidden.h"
#include "app/frame.h"
#include "app/model_switch.h"
#include "app/overlays.h"
#include "app/physics.h"
#include "app/screenshot.h"
#include "app/startup.h"
#include "model/framing.h"
#include "model/view_projection.h"
#include "render/display_list.h"

// The one view state of the program, alive for the whole run.
ViewState g_view;

void Quaternion::SetComponents(double newW, double newX, double newY, double newZ) {
  w = newW;
  x = newX;
  y = newY;
  z = newZ;
}

void Quaternion::SetFromMatrix(const double r[9]) {
  // From the largest of the four components, so that none is divided by a
  // number near zero.
  const double trace = r[0] + r[4] + r[8];
  if (trace > r[0] && trace > r[4] && trace > r[8]) {
    const double s = 2.0 * std::sqrt(1.0 + trace);
    SetComponents(s / 4, (r[7] - r[5]) / s, (r[2] - r[6]) / s, (r[3] - r[1]) / s);
  } else if (r[0] >= r[4] && r[0] >= r[8]) {
    const double s = 2.0 * std::sqrt(1.0 + r[0] - r[4] - r[8]);
    SetComponents((r[7] - r[5]) / s, s / 4, (r[1] + r[3]) / s, (r[2] + r[6]) / s);
  } else if (r[4] >= r[8]) {
    const double s = 2.0 * std::sqrt(1.0 + r[4] - r[0] - r[8]);
    SetComponents((r[2] - r[6]) / s, (r[1] + r[3]) / s, s / 4, (r[5] + r[7]) / s);
  } else {
    const double s = 2.0 * std::sqrt(1.0 + r[8] - r[0] - r[4]);
    SetComponents((r[3] - r[1]) / s, (r[2] + r[6]) / s, (r[5] + r[7]) / s, s / 4);
  }
}

void Quaternion::PreMultiply(const Quaternion& a) {
  const Quaternion b = *this;
  w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
  x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
  y = a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x;
  z = a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w;
}

void Quaternion::ScaleToUnitLength() {
  const double length = std::sqrt(w * w + x * x + y * y + z * z);
  if (!(length > 0.0) || !std::isfinite(length)) return;
  w /= length;
  x /= length;
  y /= length;
  z /= length;
}

void Quaternion::ToMatrix(const double t[3], double out[16]) const {
  const double n = w * w + x * x + y * y + z * z;
  if (!(n > 0.0)) return;
  out[0] = 1.0 - 2.0 * (y * y + z * z) / n;
  out[1] = 2.0 * (x * y + w * z) / n;
  out[2] = 2.0 * (x * z - w * y) / n;
  out[3] = 0.0;
  out[4] = 2.0 * (x * y - w * z) / n;
  out[5] = 1.0 - 2.0 * (x * x + z * z) / n;
  out[6] = 2.0 * (y * z + w * x) / n;
  out[7] = 0.0;
  out[8] = 2.0 * (x * z + w * y) / n;
  out[9] = 2.0 * (y * z - w * x) / n;
  out[10] = 1.0 - 2.0 * (x * x + y * y) / n;
  out[11] = 0.0;
  out[12] = t[0];
  out[13] = t[1];
  out[14] = t[2];
  out[15] = 1.0;
}

namespace {

int* DragFlag(ViewState& view, int button) {
  switch (button) {
    case GLUT_LEFT_BUTTON: return &view.leftDrag;
    case GLUT_MIDDLE_BUTTON: return &view.middleDrag;
    case GLUT_RIGHT_BUTTON: return &view.rightDrag;
    default: return nullptr;
  }
}

// The float fields take a step computed in double precision.
void Step(float& field, double delta) { field = static_cast<float>(field + delta); }

}  // namespace

bool ApplyMouseButton(ViewState& view, int button, int state, int x, int y) {
  int* flag = DragFlag(view, button);
  if (flag == nullptr) return true;
  if (state == GLUT_DOWN) {
    view.lastMouseX = x;
    view.lastMouseY = y;
    *flag = 1;
  } else {
    *flag = 0;
  }
  return true;
}

bool ApplyMotion(ViewState& view, int x, int y) {
  const double dx = (x - view.lastMouseX) * view.invWidth;
  const double dy = (y - view.lastMouseY) * view.invHeight;
  view.lastMouseX = x;
  view.lastMouseY = y;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0.0) return false;

  const double half = d * kDragGain * 0.5;
  const double s = std::sin(half) / d;
  const double c = std::cos(half);
  Quaternion increment;
  if (view.leftDrag) {
    increment.SetComponents(c, s * (dy - dx), 0.0, 0.0);
  } else if (view.middleDrag) {
    increment.SetComponents(c, 0.0, 0.0, s * (dy - dx));
  } else if (view.rightDrag) {
    increment.SetComponents(c, 0.0, s * (dx - dy), 0.0);
  } else {
    // A drag that began outside the window: multiplying by a zero increment
    // would wipe out the orientation for good, so the rotation stays.
    return true;
  }
  view.orientation.PreMultiply(increment);
  // An increment is of unit length only when dx = dy or dx = 0: other drags
  // shrink or grow the orientation a little each step, until ToMatrix sees a
  // length of zero (the model no longer turns) or overflows to NaN (the model
  // vanishes). Scaling back to unit length keeps the same rotation.
  view.orientation.ScaleToUnitLength();
  const double noTranslation[3] = {0.0, 0.0, 0.0};
  view.orientation.ToMatrix(noTranslation, view.rotationMatrix);
  return true;
}

KeyResult ApplyKey(ViewState& view, unsigned char key, const KeySteps& steps) {
  const auto zoom = [&](bool larger) {
    if (steps.zoomByWheel)
      ApplyWheel(view, larger);
    else
      Step(view.zoom, larger ? kZoomStep : -kZoomStep);
  };
  switch (key) {
    case 27:
    case 'q':
    case 'Q': return KeyResult::kQuit;
    case 'a':
    case 'A': zoom(true); break;
    case 'z':
    case 'Z': zoom(false); break;
    case 's': Step(view.pan[0], -steps.pan); break;
    case 'f': Step(view.pan[0], steps.pan); break;
    case 'e': Step(view.pan[1], steps.pan); break;
    case 'd': Step(view.pan[1], -steps.pan); break;
    case 'x': Step(view.pan[2], -steps.depth); break;
    case 'c': Step(view.pan[2], steps.depth); break;
    default: break;
  }
  return KeyResult::kRedraw;
}

bool ApplySpecialKey(ViewState& view, int key, const KeySteps& steps) {
  switch (key) {
    case GLUT_KEY_LEFT: Step(view.pan[0], -steps.pan); break;
    case GLUT_KEY_UP: Step(view.pan[1], steps.pan); break;
    case GLUT_KEY_RIGHT: Step(view.pan[0], steps.pan); break;
    case GLUT_KEY_DOWN: Step(view.pan[1], -steps.pan); break;
    default: break;
  }
  return true;
}

void ResetView(ViewState& view) {
  view.orientation.SetComponents(1.0, 0.0, 0.0, 0.0);
  const double noTranslation[3] = {0.0, 0.0, 0.0};
  view.orientation.ToMatrix(noTranslation, view.rotationMatrix);
  for (float& p : view.pan) p = 0.0f;
  view.zoom = kFirstZoom;
}

void ApplyWheel(ViewState& view, bool up) {
  view.zoom = static_cast<float>(up ? view.zoom * kWheelZoom : view.zoom / kWheelZoom);
}

void TurnAboutVertical(ViewState& view, double degrees) {
  const double half = degrees * std::numbers::pi / 360;
  Quaternion increment;
  increment.SetComponents(std::cos(half), 0.0, std::sin(half), 0.0);
  view.orientation.PreMultiply(increment);
  view.orientation.ScaleToUnitLength();
  const double noTranslation[3] = {0.0, 0.0, 0.0};
  view.orientation.ToMatrix(noTranslation, view.rotationMatrix);
}

ViewSide ViewSideOfKey(unsigned char key, bool ctrl) {
  constexpr unsigned char kCtrl3 = 27, kCtrl7 = 31;
  if (ctrl) {
    if (key == '1') return ViewSide::kBack;
    if (key == '3' || key == kCtrl3) return ViewSide::kLeft;
    if (key == '7' || key == kCtrl7) return ViewSide::kBottom;
    return ViewSide::kNone;
  }
  if (key == '1') return ViewSide::kFront;
  if (key == '3') return ViewSide::kRight;
  if (key == '7') return ViewSide::kTop;
  return ViewSide::kNone;
}

void SetSideView(ViewState& view, ViewSide side, const double turn[9]) {
  // Where each model axis is to point in view axes (x right, y up, z to the
  // camera), row-major: the model seen from that side, upright, or from
  // above and below with its front down and up.
  static const double kSides[][9] = {
      {1, 0, 0, 0, 1, 0, 0, 0, 1},    // front
      {0, 0, -1, 0, 1, 0, 1, 0, 0},   // right
      {1, 0, 0, 0, 0, -1, 0, 1, 0},   // top
      {-1, 0, 0, 0, 1, 0, 0, 0, -1},  // back
      {0, 0, 1, 0, 1, 0, -1, 0, 0},   // left
      {1, 0, 0, 0, 0, 1, 0, -1, 0},   // bottom
  };
  if (side == ViewSide::kNone) return;
  const double* wanted = kSides[static_cast<int>(side) - 1];
  // The turn R with turn * R = wanted: R = turn^T * wanted.
  double r[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[3 * i + j] = turn[i] * wanted[j] + turn[3 + i] * wanted[3 + j] + turn[6 + i] * wanted[6 + j];
  view.orientation.SetFromMatrix(r);
  view.orientation.ScaleToUnitLength();
  const double noTranslation[3] = {0.0, 0.0, 0.0};
  view.orientation.ToMatrix(noTranslation, view.rotationMatrix);
  for (float& p : view.pan) p = 0.0f;
}

namespace {

// Each start of the turntable has its own number: a tick of a run that was
// stopped (and perhaps started again before the tick came) ends that run.
bool g_turntable = false;
int g_turntableRun = 0;

void OnTurntable(int run) {
  if (!g_turntable || run != g_turntableRun) return;
  TurnAboutVertical(g_view, kTurntableDegreesPerSecond * kTimerPeriodMs / 1000.0);
  glutPostRedisplay();
  glutTimerFunc(kTimerPeriodMs, OnTurntable, run);
}

}  // namespace

double ModelledPanStep() {
  const double distance = std::sqrt(g_cameraEye[0] * g_cameraEye[0] + g_cameraEye[1] * g_cameraEye[1] +
                                    g_cameraEye[2] * g_cameraEye[2]);
  return kModelledPanShare * 2 * distance * std::tan(kFieldOfViewDegrees / 2 * std::numbers::pi / 180);
}

namespace {

KeySteps ModelledSteps() {
  KeySteps steps;
  steps.pan = ModelledPanStep();
  steps.depth = steps.pan / (2 * std::tan(kFieldOfViewDegrees / 2 * std::numbers::pi / 180));
  steps.zoomByWheel = true;
  return steps;
}

}  // namespace

KeyResult ApplyModelledKey(ViewState& view, unsigned char key) { return ApplyKey(view, key, ModelledSteps()); }

bool ApplyModelledSpecialKey(ViewState& view, int key) {
  if (key == GLUT_KEY_HOME) ResetView(view);
  return ApplySpecialKey(view, key, ModelledSteps());
}

// The wheel reaches GLUT as presses of buttons 3 (up) and 4 (down).
constexpr int kWheelUp = 3;
constexpr int kWheelDown = 4;

void OnMouse(int button, int state, int x, int y) {
  if (g_asModelled && (button == kWheelUp || button == kWheelDown)) {
    if (state == GLUT_DOWN) ApplyWheel(g_view, button == kWheelUp);
    glutPostRedisplay();
    return;
  }
  if (ApplyMouseButton(g_view, button, state, x, y)) glutPostRedisplay();
}

void OnMotion(int x, int y) {
  if (ApplyMotion(g_view, x, y)) glutPostRedisplay();
}

// Ctrl+O reaches GLUT's keyboard callback as the control character.
constexpr unsigned char kCtrlO = 'O' - '@';

void OnKeyboard(unsigned char key, int, int) {
  if (g_asModelled && key == kCtrlO) {
    ShowChosenModel();
    glutPostRedisplay();
    return;
  }
  if (g_asModelled && key == ' ') {
    g_turntable = !g_turntable;
    if (g_turntable) glutTimerFunc(kTimerPeriodMs, OnTurntable, ++g_turntableRun);
    return;
  }
  if (g_asModelled) {
    const ViewSide side = ViewSideOfKey(key, glutGetModifiers() & GLUT_ACTIVE_CTRL);
    if (side != ViewSide::kNone) {
      double turn[9];
      TurnFromEye(g_cameraEye, turn);
      SetSideView(g_view, side, turn);
      glutPostRedisplay();
      return;
    }
    if (key == 'w') return ToggleEdges();
    if (key == 'h') return ToggleHiddenObjects();
    if (key == 'i' || key == 'I' || key == '?') {
      if (ToggleOverlay(key == '?' ? Overlay::kKeys : Overlay::kInfo)) glutPostRedisplay();
      return;
    }
  }
  if ((g_asModelled ? ApplyModelledKey(g_view, key) : ApplyKey(g_view, key)) == KeyResult::kQuit) std::exit(0);
  glutPostRedisplay();
}

void OnSpecialKey(int key, int, int) {
  if (g_asModelled && key == GLUT_KEY_F11) {
    glutFullScreenToggle();
    return;
  }
  if (g_asModelled && key == GLUT_KEY_F1) {
    if (ToggleOverlay(Overlay::kKeys)) glutPostRedisplay();
    return;
  }
  if (g_asModelled && key == GLUT_KEY_F12) {
    TakeScreenshot(ModelPath());
    return;
  }
  if (g_asModelled && (key == GLUT_KEY_PAGE_DOWN || key == GLUT_KEY_PAGE_UP || key == GLUT_KEY_F5)) {
    const std::string next = key == GLUT_KEY_F5 ? ModelPath() : NeighbourModel(ModelPath(), key == GLUT_KEY_PAGE_DOWN ? 1 : -1);
    if (!next.empty()) ShowModel(next, key == GLUT_KEY_F5);
    glutPostRedisplay();
    return;
  }
  if (g_asModelled ? ApplyModelledSpecialKey(g_view, key) : ApplySpecialKey(g_view, key)) glutPostRedisplay();
}
