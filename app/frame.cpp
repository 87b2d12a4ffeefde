#include "app/frame.h"

#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "app/edges_and_hidden.h"
#include "app/overlays.h"
#include "app/startup.h"
#include "app/view_control.h"
#include "base/diagnostics.h"
#include "render/display_list.h"
#include "render/material_textures.h"
#include "model/model_loading.h"
#include "model/view_projection.h"

const double g_cameraEye[3] = {50.0, 200.0, 200.0};
const double g_cameraCenter[3] = {0.0, 0.0, 0.0};
const double g_cameraUp[3] = {0.0, 1.0, 0.0};

namespace {

constexpr float kMarkerSize = 5.0f;
constexpr float kGizmoRadius = 1.0f;
constexpr float kGizmoHalfLength = 70.0f;
// The tube's angles use 3.14 rather than pi, so its last side stops just
// short of the first; kept so that the arrows look as they always have.
constexpr double kTubePi = 3.14;

// The light markers and the arrows ("markings") are drawn in the state the
// model's faces are drawn in: lit, and textured when the model has a
// texture, from client arrays of positions, normals and texture
// coordinates. Their material has no colour but its emission, so the
// lighting gives exactly that colour, and the white texture leaves it as it
// is: the pixels are those of plain coloured drawing without lighting.
// Mesa's software renderer compiles a fragment program and a triangle
// set-up for every state it meets, and the first frame waits for each;
// drawn so, the markings share the model's, and cost the first frame one
// vertex program instead of a set of their own.
constexpr int kMostMarkingCorners = 256;  // glutSolidCone's 5 x 5 cone has 36
const float kNoTexel[kMostMarkingCorners][2] = {};

GLuint WhiteTexture() {
  static GLuint name = 0;
  if (name == 0) {
    // Sampled as the model's textures are.
    const unsigned char white[4] = {255, 255, 255, 255};
    name = NewBoundTexture();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  }
  return name;
}

bool ModelTextured() {
  for (int i = 0; i < g_materialCount; ++i)
    if (g_materialImages[i].textureLoaded) return true;
  return false;
}

// Starts markings; twoSided as the model as modelled is lit. EndMarkings
// gives back the lighting, material and texture state of before.
void BeginMarkings(bool twoSided) {
  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT);
  const float none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
  glEnable(GL_LIGHTING);
  if (twoSided) glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  if (ModelTextured()) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, WhiteTexture());
  }
  // Also read for glutSolidCone's cones, which bring positions and normals.
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, 0, kNoTexel);
}

void EndMarkings() {
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glPopAttrib();
}

void MarkingColour(float red, float green, float blue) {
  const float colour[4] = {red, green, blue, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, colour);
}

void DrawMarking(GLenum mode, const float* positions, const float* normals, int count) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, positions);
  glNormalPointer(GL_FLOAT, 0, normals);
  glDrawArrays(mode, 0, count);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

// A white point where the light stands.
void DrawLightMarker(const float position[4]) {
  glPointSize(kMarkerSize);
  MarkingColour(1.0f, 1.0f, 1.0f);
  const float normal[3] = {0.0f, 0.0f, 1.0f};
  DrawMarking(GL_POINTS, position, normal, 1);
}

void ColourByFlag(int held) {
  if (held) {
    MarkingColour(1.0f, 0.0f, 0.0f);
  } else {
    MarkingColour(0.0f, 0.0f, 1.0f);
  }
}

// One arrow along the current +Y axis in the current emission colour.
// Leaves the model-view matrix moved, so callers wrap it in a push and pop.
void DrawArrow(float radius, float halfLength) {
  // Seven pairs of corners around the tube, from its bottom to its top.
  constexpr int kCorners = 14;
  float tube[kCorners][3];
  float normals[kCorners][3];
  for (int i = 0; i <= 12; i += 2) {
    const double a = i * kTubePi / 6.0;
    const float cx = static_cast<float>(std::cos(a) * radius);
    const float cz = static_cast<float>(std::sin(a) * radius);
    tube[i][0] = tube[i + 1][0] = cx;
    tube[i][1] = -halfLength;
    tube[i + 1][1] = halfLength;
    tube[i][2] = tube[i + 1][2] = cz;
    // Any length but none: the lighting normalizes them.
    for (int k : {i, i + 1}) {
      normals[k][0] = normals[k][1] = 0.0f;
      normals[k][2] = 1.0f;
    }
  }
  DrawMarking(GL_QUAD_STRIP, tube[0], normals[0], kCorners);
  glTranslatef(0.0f, halfLength, 0.0f);
  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);  // the cone's axis (+Z) onto +Y
  glutSolidCone(2.0 * radius, 4.0 * radius, 5, 5);
}

// Three arrows through the current origin along +Y, +Z and +X, each red
// while its button is held (right, middle, left) and blue otherwise.
void DrawAxisGizmo(float radius, float halfLength) {
  glPushMatrix();
  ColourByFlag(g_view.rightDrag);
  DrawArrow(radius, halfLength);
  glPopMatrix();

  glPushMatrix();
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  ColourByFlag(g_view.middleDrag);
  DrawArrow(radius, halfLength);
  glPopMatrix();

  glPushMatrix();
  glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
  ColourByFlag(g_view.leftDrag);
  DrawArrow(radius, halfLength);
  glPopMatrix();
}

bool AnyDrag(const ViewState& view) { return view.leftDrag || view.middleDrag || view.rightDrag; }

// The share of the first window's height (or width) the framed model takes.
constexpr double kViewerFill = 0.85;

// The gizmo, small, in the bottom left corner, seen from the camera: the
// model no longer turns about it, and would hide it.
void DrawAxisIndicator() {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  // Drawn over the model: the depth buffer is cleared, all of it, since
  // nothing but the indicator, inside its corner, is drawn after this. A
  // clear of the corner alone would cost Mesa's software renderer a quad
  // with programs of its own, compiled for the first frame.
  glClear(GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, kAxisIndicatorSide, kAxisIndicatorSide);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluPerspective(kFieldOfViewDegrees, 1.0, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(g_cameraEye[0], g_cameraEye[1], g_cameraEye[2], g_cameraCenter[0], g_cameraCenter[1],
            g_cameraCenter[2], g_cameraUp[0], g_cameraUp[1], g_cameraUp[2]);
  BeginMarkings(true);
  DrawAxisGizmo(3.0f, 50.0f);
  EndMarkings();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

// The edges over the model (w); memory that runs out for them turns them
// off with a line, the model stays.
void DrawEdges() {
  try {
    CallEdgeList();
  } catch (const std::bad_alloc&) {
    Diagnose(ModelPath().c_str(), "out of memory while the edges were drawn; they are not shown");
    ReleaseEdgeList();
    g_showEdges = false;
  }
}

}  // namespace

void PanInModelFrame(const double m[16], const float p[3], float out[3]) {
  for (int j = 0; j < 3; ++j) {
    out[j] = static_cast<float>(m[4 * j] * p[0] + m[4 * j + 1] * p[1] + m[4 * j + 2] * p[2] + m[4 * j + 3]);
  }
}

void OnDisplay() {
  float t[3];
  PanInModelFrame(g_view.rotationMatrix, g_view.pan, t);

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  gluLookAt(g_cameraEye[0], g_cameraEye[1], g_cameraEye[2], g_cameraCenter[0], g_cameraCenter[1],
            g_cameraCenter[2], g_cameraUp[0], g_cameraUp[1], g_cameraUp[2]);

  // The lights stand where they always do; as modelled, their markers are
  // not drawn.
  glLightfv(GL_LIGHT1, GL_POSITION, g_light1Position);
  glLightfv(GL_LIGHT2, GL_POSITION, g_light2Position);
  if (!g_asModelled) {
    BeginMarkings(false);
    DrawLightMarker(g_light1Position);
    DrawLightMarker(g_light2Position);
    glPushMatrix();
    DrawAxisGizmo(kGizmoRadius, kGizmoHalfLength);
    glPopMatrix();
    EndMarkings();
  }
  glEnable(GL_LIGHTING);

  glMultMatrixd(g_view.rotationMatrix);
  glPushMatrix();
  glTranslatef(t[0], t[1], t[2]);
  const bool blended = AnyDrag(g_view);
  if (blended) {
    // Materials with alpha below 1 show through while a button is held.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  glScalef(g_view.zoom, g_view.zoom, g_view.zoom);
  if (g_showEdges) {
    // The faces a little farther than the edges drawn over them.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
  }
  glCallList(1);
  if (g_showEdges) {
    glDisable(GL_POLYGON_OFFSET_FILL);
    DrawEdges();
  }
  if (g_asModelled) DrawTranslucentFaces(g_translucentFaces);
  glPopMatrix();
  if (blended) glDisable(GL_BLEND);
  if (g_asModelled) {
    DrawAxisIndicator();
    DrawOverlays();
  }
  glutSwapBuffers();
}

bool FrameViewerModel(Framing& framing) {
  double turn[9];
  TurnFromEye(g_cameraEye, turn);
  Framing framed;
  if (!FrameModel(g_objects, g_objectCount, turn, kFieldOfViewDegrees, kFirstAspect, kViewerFill, framed)) return false;
  // The framing puts its camera at framed.distance from the model; this
  // view's camera stands at its own distance and draws the list at the
  // first zoom: a scale brings the model to where the framing saw it.
  const double eyeDistance = std::sqrt(g_cameraEye[0] * g_cameraEye[0] + g_cameraEye[1] * g_cameraEye[1] +
                                       g_cameraEye[2] * g_cameraEye[2]);
  framed.scale *= eyeDistance / (framed.distance * kFirstZoom);
  framing = framed;
  return true;
}
