#include "app/view_control.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>

#include "app/frame.h"
#include "model/framing.h"

namespace {

constexpr double kTolerance = 1e-12;

// A view as InitGL leaves it in an 800 x 600 window.
ViewState StartedView(int width = 800, int height = 600) {
  ViewState view;
  view.orientation.SetComponents(1.0, 0.0, 0.0, 0.0);
  const double t[3] = {0.0, 0.0, 0.0};
  view.orientation.ToMatrix(t, view.rotationMatrix);
  view.invWidth = 1.0 / width;
  view.invHeight = 1.0 / height;
  return view;
}

void ExpectQuaternion(const Quaternion& q, double w, double x, double y, double z) {
  EXPECT_NEAR(q.w, w, kTolerance);
  EXPECT_NEAR(q.x, x, kTolerance);
  EXPECT_NEAR(q.y, y, kTolerance);
  EXPECT_NEAR(q.z, z, kTolerance);
}

void ExpectIdentity(const double m[16]) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], (i % 5 == 0) ? 1.0 : 0.0, kTolerance) << "element " << i;
}

// Drags from (100, 100) to (100, 106) with one button held.
ViewState SixPixelDrag(int button) {
  ViewState view = StartedView();
  EXPECT_TRUE(ApplyMouseButton(view, button, GLUT_DOWN, 100, 100));
  EXPECT_TRUE(ApplyMotion(view, 100, 106));
  return view;
}

TEST(Quaternion, StartsAtZeroNotIdentity) {
  const Quaternion q;
  ExpectQuaternion(q, 0, 0, 0, 0);
  const ViewState view;
  EXPECT_EQ(view.zoom, 0.5f);
  for (double element : view.rotationMatrix) EXPECT_EQ(element, 0.0);
}

TEST(Quaternion, ToMatrixNormalisesAnyPositiveLength) {
  const double t[3] = {4.0, 5.0, 6.0};
  double m[16];
  Quaternion q;
  // Length 2 about X by 90 degrees: (cos 45, sin 45, 0, 0) scaled.
  q.SetComponents(2.0 * std::sqrt(0.5), 2.0 * std::sqrt(0.5), 0.0, 0.0);
  q.ToMatrix(t, m);
  const double expected[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 4, 5, 6, 1};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], kTolerance) << "element " << i;

  // Half a turn about Z, length 3.
  q.SetComponents(0.0, 0.0, 0.0, 3.0);
  q.ToMatrix(t, m);
  EXPECT_NEAR(m[0], -1.0, kTolerance);
  EXPECT_NEAR(m[5], -1.0, kTolerance);
  EXPECT_NEAR(m[10], 1.0, kTolerance);
}

TEST(Quaternion, ZeroLengthLeavesMatrixUntouched) {
  const double t[3] = {0.0, 0.0, 0.0};
  double m[16];
  for (double& element : m) element = 7.0;
  Quaternion().ToMatrix(t, m);
  for (double element : m) EXPECT_EQ(element, 7.0);
}

TEST(Quaternion, PreMultiplyTurnsAboutWorldAxes) {
  // 90 degrees about X first, then 90 degrees about the world Y axis.
  const double h = std::sqrt(0.5);
  Quaternion q;
  q.SetComponents(h, h, 0.0, 0.0);
  Quaternion aboutY;
  aboutY.SetComponents(h, 0.0, h, 0.0);
  q.PreMultiply(aboutY);
  ExpectQuaternion(q, 0.5, 0.5, 0.5, -0.5);
  // The first turn takes the model's +Y onto +Z; the turn about the world
  // Y axis then takes it onto +X (about the model's own Y it would stay).
  const double t[3] = {0.0, 0.0, 0.0};
  double m[16];
  q.ToMatrix(t, m);
  EXPECT_NEAR(m[4], 1.0, kTolerance);  // column 1 (image of +Y) is +X
  EXPECT_NEAR(m[5], 0.0, kTolerance);
  EXPECT_NEAR(m[6], 0.0, kTolerance);
}

TEST(Trackball, SixPixelDragTurnsAboutTheButtonsAxis) {
  const double c = std::cos(0.05);
  const double s = std::sin(0.05);
  const ViewState left = SixPixelDrag(GLUT_LEFT_BUTTON);
  ExpectQuaternion(left.orientation, c, s, 0.0, 0.0);
  // 0.1 radian about +X.
  EXPECT_NEAR(left.rotationMatrix[5], std::cos(0.1), kTolerance);
  EXPECT_NEAR(left.rotationMatrix[6], std::sin(0.1), kTolerance);
  EXPECT_NEAR(left.rotationMatrix[9], -std::sin(0.1), kTolerance);
  EXPECT_NEAR(left.rotationMatrix[0], 1.0, kTolerance);
  EXPECT_EQ(left.lastMouseX, 100);
  EXPECT_EQ(left.lastMouseY, 106);

  ExpectQuaternion(SixPixelDrag(GLUT_MIDDLE_BUTTON).orientation, c, 0.0, 0.0, s);
  ExpectQuaternion(SixPixelDrag(GLUT_RIGHT_BUTTON).orientation, c, 0.0, -s, 0.0);
}

TEST(Trackball, AxisFollowsTheDifferenceOfTheMovement) {
  ViewState view = StartedView();
  ApplyMouseButton(view, GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
  ApplyMotion(view, 120, 110);
  EXPECT_LT(view.orientation.x, 0.0);
  EXPECT_EQ(view.orientation.y, 0.0);
  EXPECT_EQ(view.orientation.z, 0.0);

  // dx equal to dy turns nothing: only the scalar part changes.
  ViewState square = StartedView(500, 500);
  ApplyMouseButton(square, GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
  ApplyMotion(square, 15, 15);
  EXPECT_EQ(square.orientation.x, 0.0);
  ExpectIdentity(square.rotationMatrix);
}

TEST(Trackball, MotionWithoutMovementChangesNothing) {
  ViewState view = SixPixelDrag(GLUT_LEFT_BUTTON);
  const Quaternion before = view.orientation;
  EXPECT_FALSE(ApplyMotion(view, 100, 106));
  ExpectQuaternion(view.orientation, before.w, before.x, before.y, before.z);
  EXPECT_EQ(view.lastMouseY, 106);
}

TEST(Trackball, MotionWithNoButtonKeepsTheRotation) {
  ViewState view = SixPixelDrag(GLUT_LEFT_BUTTON);
  ApplyMouseButton(view, GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
  const Quaternion before = view.orientation;
  EXPECT_TRUE(ApplyMotion(view, 300, 400));
  ExpectQuaternion(view.orientation, before.w, before.x, before.y, before.z);
  EXPECT_EQ(view.lastMouseX, 300);
  // A later drag still turns from where the model was.
  ApplyMouseButton(view, GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
  ApplyMotion(view, 100, 106);
  EXPECT_NEAR(view.rotationMatrix[6], std::sin(0.2), kTolerance);
}

// Long diagonal drags used to shrink the orientation to zero length (the
// model froze) or grow it past the double range (the matrix filled with NaN).
TEST(Trackball, LongDiagonalDragsKeepTurningTheModel) {
  struct Case {
    int x0, y0, x1, y1, events;
  } cases[] = {{200, 200, 376, 332, 140}, {376, 200, 200, 332, 1200}};
  for (const Case& c : cases) {
    ViewState view = StartedView();
    ApplyMouseButton(view, GLUT_LEFT_BUTTON, GLUT_DOWN, c.x0, c.y0);
    for (int i = 0; i < c.events; ++i) ApplyMotion(view, i % 2 ? c.x0 : c.x1, i % 2 ? c.y0 : c.y1);
    for (double e : view.rotationMatrix) ASSERT_TRUE(std::isfinite(e));
    const double before = view.rotationMatrix[6];
    ApplyMotion(view, view.lastMouseX, view.lastMouseY + 30);
    EXPECT_GT(std::fabs(view.rotationMatrix[6] - before), 1e-3) << c.events << " events";
  }

  // Ordinary drags give the matrices of the raw, never rescaled product.
  ViewState view = StartedView();
  Quaternion raw;
  raw.SetComponents(1.0, 0.0, 0.0, 0.0);
  const int path[][2] = {{100, 100}, {130, 90}, {170, 140}, {160, 210}, {90, 260}, {95, 250}};
  for (int button : {GLUT_LEFT_BUTTON, GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON}) {
    ApplyMouseButton(view, button, GLUT_DOWN, path[0][0], path[0][1]);
    for (int i = 1; i < 6; ++i) {
      const double dx = (path[i][0] - path[i - 1][0]) / 800.0, dy = (path[i][1] - path[i - 1][1]) / 600.0;
      const double d = std::sqrt(dx * dx + dy * dy), s = std::sin(5 * d) / d, a = s * (dy - dx);
      Quaternion step;
      step.SetComponents(std::cos(5 * d), button == GLUT_LEFT_BUTTON ? a : 0.0,
                         button == GLUT_RIGHT_BUTTON ? -a : 0.0, button == GLUT_MIDDLE_BUTTON ? a : 0.0);
      raw.PreMultiply(step);
      ApplyMotion(view, path[i][0], path[i][1]);
      double expected[16];
      const double t[3] = {0.0, 0.0, 0.0};
      raw.ToMatrix(t, expected);
      for (int k = 0; k < 16; ++k) EXPECT_NEAR(view.rotationMatrix[k], expected[k], kTolerance);
    }
    ApplyMouseButton(view, button, GLUT_UP, 0, 0);
  }
}

TEST(Trackball, FirstHeldButtonWinsAndFlagsAreIndependent) {
  ViewState view = StartedView();
  ApplyMouseButton(view, GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
  ApplyMouseButton(view, GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 100);
  EXPECT_EQ(view.leftDrag, 1);
  EXPECT_EQ(view.rightDrag, 1);
  ApplyMotion(view, 100, 106);
  EXPECT_GT(view.orientation.x, 0.0);
  EXPECT_EQ(view.orientation.y, 0.0);

  ApplyMouseButton(view, GLUT_LEFT_BUTTON, GLUT_UP, 5, 5);
  EXPECT_EQ(view.leftDrag, 0);
  EXPECT_EQ(view.rightDrag, 1);
  EXPECT_EQ(view.lastMouseX, 100);  // a release records no position
  const Quaternion before = view.orientation;
  ApplyMotion(view, 100, 112);
  Quaternion expected;
  expected.SetComponents(std::cos(0.05), 0.0, -std::sin(0.05), 0.0);
  Quaternion turned = before;
  turned.PreMultiply(expected);
  ExpectQuaternion(view.orientation, turned.w, turned.x, turned.y, turned.z);

  // A wheel "button" changes nothing but still asks for a redraw.
  const ViewState copy = view;
  EXPECT_TRUE(ApplyMouseButton(view, 3, GLUT_DOWN, 1, 1));
  EXPECT_EQ(view.lastMouseX, copy.lastMouseX);
}

TEST(Keys, ZoomAndPanSteps) {
  ViewState view = StartedView();
  EXPECT_EQ(ApplyKey(view, 'a'), KeyResult::kRedraw);
  ApplyKey(view, 'A');
  EXPECT_FLOAT_EQ(view.zoom, 0.52f);

  const struct {
    unsigned char key;
    int axis;
    float delta;
  } moves[] = {{'s', 0, -1}, {'f', 0, 1}, {'e', 1, 1}, {'d', 1, -1}, {'x', 2, -1}, {'c', 2, 1}};
  for (const auto& move : moves) {
    ViewState moved = StartedView();
    ApplyKey(moved, move.key);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_EQ(moved.pan[axis], axis == move.axis ? move.delta : 0.0f) << move.key;
    }
  }

  // Capitals of the move keys, and keys without a meaning, only redraw.
  for (int key : std::initializer_list<int>{'S', 'F', 'E', 'D', 'X', 'C', 'w', ' ', '\r', 0xFF}) {
    ViewState same = StartedView();
    EXPECT_EQ(ApplyKey(same, static_cast<unsigned char>(key)), KeyResult::kRedraw);
    EXPECT_EQ(same.pan[0] + same.pan[1] + same.pan[2], 0.0f);
    EXPECT_EQ(same.zoom, 0.5f);
  }
  for (int key : std::initializer_list<int>{27, 'q', 'Q'}) EXPECT_EQ(ApplyKey(view, static_cast<unsigned char>(key)), KeyResult::kQuit);
}

TEST(Keys, FiftyShrinksReachZeroAndThenMirror) {
  ViewState view = StartedView();
  for (int i = 0; i < 50; ++i) ApplyKey(view, 'z');
  EXPECT_NEAR(view.zoom, 0.0f, 1e-6);
  ApplyKey(view, 'Z');
  EXPECT_NEAR(view.zoom, -0.01f, 1e-6);
}

TEST(Keys, ArrowKeysMoveLikeLetters) {
  ViewState view = StartedView();
  ApplySpecialKey(view, GLUT_KEY_LEFT);
  ApplySpecialKey(view, GLUT_KEY_LEFT);
  ApplySpecialKey(view, GLUT_KEY_UP);
  EXPECT_EQ(view.pan[0], -2.0f);
  EXPECT_EQ(view.pan[1], 1.0f);
  ApplySpecialKey(view, GLUT_KEY_RIGHT);
  ApplySpecialKey(view, GLUT_KEY_DOWN);
  EXPECT_EQ(view.pan[0], -1.0f);
  EXPECT_EQ(view.pan[1], 0.0f);
  EXPECT_TRUE(ApplySpecialKey(view, GLUT_KEY_F1));
  EXPECT_EQ(view.pan[0], -1.0f);
  EXPECT_EQ(view.pan[2], 0.0f);
}

// As modelled, a zoom key scales as a wheel notch does, and a pan key moves
// the model a twentieth of what the first view shows, where it had moved
// some 4 pixels; Home goes back.
TEST(Keys, ModelledStepsAreShareOfTheView) {
  ViewState view = StartedView();
  ApplyModelledKey(view, 'a');
  EXPECT_FLOAT_EQ(view.zoom, 0.5f * 1.1f);
  ApplyModelledKey(view, 'z');
  EXPECT_FLOAT_EQ(view.zoom, 0.5f);
  ApplyModelledKey(view, 'f');
  ApplyModelledSpecialKey(view, GLUT_KEY_UP);
  // The first view shows about 154 units from top to bottom at the origin.
  EXPECT_NEAR(view.pan[0], 0.05 * 153.9, 0.1);
  EXPECT_NEAR(view.pan[1], 0.05 * 153.9, 0.1);
  ApplyModelledSpecialKey(view, GLUT_KEY_HOME);
  EXPECT_EQ(view.pan[0] + view.pan[1], 0.0f);
  EXPECT_EQ(ApplyModelledKey(view, 'q'), KeyResult::kQuit);
}

// The turntable turns about the world's vertical: a quarter turn takes the
// model's +X onto the Z axis and leaves +Y where it was.
TEST(Keys, TurntableTurnsAboutTheVertical) {
  ViewState view = StartedView();
  for (int i = 0; i < 90; ++i) TurnAboutVertical(view, 1.0);
  const double* m = view.rotationMatrix;  // column-major
  EXPECT_NEAR(m[5], 1.0, 1e-9);   // +Y stays
  EXPECT_NEAR(m[0], 0.0, 1e-9);   // +X leaves its place
  EXPECT_NEAR(std::abs(m[2]), 1.0, 1e-9);  // for the Z axis
}

// Each view key shows the model from its side through the viewer's own
// camera, upright; Ctrl+3 arrives as ESC and must turn, not quit.
TEST(Keys, ViewKeysShowEachSideUpright) {
  double turn[9];
  TurnFromEye(g_cameraEye, turn);
  struct Case {
    unsigned char key;
    bool ctrl;
    int towardCamera[3];  // the model axis that then points at the camera
    int up[3];            // and the one that points up the screen
  };
  const Case cases[] = {{'1', false, {0, 0, 1}, {0, 1, 0}},  {'3', false, {1, 0, 0}, {0, 1, 0}},
                        {'7', false, {0, 1, 0}, {0, 0, -1}}, {'1', true, {0, 0, -1}, {0, 1, 0}},
                        {27, true, {-1, 0, 0}, {0, 1, 0}},   {31, true, {0, -1, 0}, {0, 0, 1}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.key) << (c.ctrl ? " with Ctrl" : ""));
    ViewState view = StartedView();
    view.pan[0] = 3.0f;
    view.orientation.SetComponents(0.3, 0.5, -0.2, 0.7);
    SetSideView(view, ViewSideOfKey(c.key, c.ctrl), turn);
    EXPECT_EQ(view.pan[0], 0.0f);
    // A model axis in view axes: through the rotation (column-major), then the camera's turn.
    const auto inView = [&](const int axis[3], int row) {
      double world[3] = {};
      for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) world[j] += view.rotationMatrix[4 * k + j] * axis[k];
      return turn[3 * row] * world[0] + turn[3 * row + 1] * world[1] + turn[3 * row + 2] * world[2];
    };
    EXPECT_NEAR(inView(c.towardCamera, 2), 1.0, 1e-9);
    EXPECT_NEAR(inView(c.up, 1), 1.0, 1e-9);
  }
  EXPECT_EQ(ViewSideOfKey(27, false), ViewSide::kNone);
  EXPECT_EQ(ViewSideOfKey('2', false), ViewSide::kNone);
}

}  // namespace
