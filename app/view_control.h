#pragma once
// The viewer's view state and the input callbacks that change it: a
// quaternion trackball in which each mouse button turns the model about one
// fixed world axis, keys that move and scale the model, and the exit keys.

constexpr double kDragGain = 10.0;  // radians of turn per window size of drag
constexpr double kPanStep = 1.0;    // world units per key press
constexpr double kZoomStep = 0.01;  // scale change per key press
constexpr float kFirstZoom = 0.5f;  // the zoom the view starts with
// The model as modelled: one notch of the mouse wheel zooms by this factor.
constexpr double kWheelZoom = 1.1;

// A rotation as (w, x, y, z). ToMatrix divides by the squared length, so any
// positive length gives a proper rotation; the trackball still scales the
// orientation back to unit length after each turn so that it can neither
// underflow to zero nor overflow.
struct Quaternion {
  double w = 0.0;
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  void SetComponents(double w, double x, double y, double z);
  // The rotation of a proper rotation matrix (row-major 3 x 3).
  void SetFromMatrix(const double r[9]);
  // this = increment * this: the increment turns about a fixed world axis.
  void PreMultiply(const Quaternion& increment);
  // Divides by the length; a zero or non-finite length is left as it is.
  void ScaleToUnitLength();
  // Column-major 4x4 rotation with the given translation. Leaves out
  // untouched when the squared length is not greater than zero.
  void ToMatrix(const double translation[3], double out[16]) const;
};

struct ViewState {
  double rotationMatrix[16] = {};  // column-major; the identity once InitGL ran
  Quaternion orientation;          // (1, 0, 0, 0) once InitGL ran
  float pan[3] = {0.0f, 0.0f, 0.0f};
  float zoom = kFirstZoom;
  int leftDrag = 0;
  int middleDrag = 0;
  int rightDrag = 0;
  int lastMouseX = 0;
  int lastMouseY = 0;
  double invWidth = 0.0;   // 1 / window width, written by OnReshape
  double invHeight = 0.0;  // 1 / window height, written by OnReshape
};

// The one view state of the program, alive for the whole run.
extern ViewState g_view;

// The state changes behind the callbacks, without GLUT, so that they can be
// checked on their own. Each returns whether the window needs a redraw.
bool ApplyMouseButton(ViewState& view, int button, int state, int x, int y);
bool ApplyMotion(ViewState& view, int x, int y);
enum class KeyResult { kRedraw, kQuit };
// How far a key press moves and zooms: the faithful steps by default.
struct KeySteps {
  double pan = kPanStep;     // s f e d and the arrow keys
  double depth = kPanStep;   // x and c
  bool zoomByWheel = false;  // a and z: kZoomStep added, or a wheel notch
};
KeyResult ApplyKey(ViewState& view, unsigned char key, const KeySteps& steps = KeySteps());
bool ApplySpecialKey(ViewState& view, int key, const KeySteps& steps = KeySteps());
// The model as modelled: the first view again (no turn, no pan, the first
// zoom), and a notch of the wheel, up (nearer) or down.
void ResetView(ViewState& view);
void ApplyWheel(ViewState& view, bool up);

// As modelled, steps that feel right: a pan key moves the model by this
// share of the height the first view shows at the scene's origin (x and c
// by this share of the camera's distance), and a zoom key scales as a wheel
// notch does. The faithful steps, 1 unit and 0.01, had looked broken.
constexpr double kModelledPanShare = 0.05;
double ModelledPanStep();
// Turns the model about the world's vertical axis, as a drag with the right
// button does. As modelled, space starts and stops a slow turntable.
void TurnAboutVertical(ViewState& view, double degrees);
constexpr double kTurntableDegreesPerSecond = 20.0;
KeyResult ApplyModelledKey(ViewState& view, unsigned char key);
// As modelled, 1, 3 and 7 turn the model to be seen from its front (+Z),
// right (+X) and top (+Y), and with Ctrl from the opposite side; the zoom is
// kept and the model centred again. With Ctrl, X gives 3 and 7 as ESC (27)
// and 31; ViewSideOfKey reads either.
enum class ViewSide { kNone, kFront, kRight, kTop, kBack, kLeft, kBottom };
ViewSide ViewSideOfKey(unsigned char key, bool ctrl);
// turn: the camera's (framing.h's TurnFromEye), model to view axes.
void SetSideView(ViewState& view, ViewSide side, const double turn[9]);
bool ApplyModelledSpecialKey(ViewState& view, int key);

// GLUT callbacks.
void OnMouse(int button, int state, int x, int y);
void OnMotion(int x, int y);
void OnKeyboard(unsigned char key, int x, int y);
void OnSpecialKey(int key, int x, int y);
