#include "thumbnailer/thumbnail_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "render/scene_lights.h"
#include "render/display_list.h"
#include "thumbnailer/thumbnail_faces.h"

bool FitThumbnailView(const ObjectMQO* objects, int objectCount, ThumbnailView& view) {
  double turn[9];
  TurnFromAngles(kThumbnailYawDegrees, kThumbnailPitchDegrees, turn);
  if (!FrameModel(objects, objectCount, turn, kThumbnailFieldOfViewDegrees, 1.0, kThumbnailFill, view)) return false;
  // lightFrame = translate(0, 0, -distance) * turn.
  const double* m = view.turn;
  const double light[16] = {m[0], m[3], m[6], 0, m[1], m[4], m[7], 0, m[2], m[5], m[8], 0, 0, 0, -view.distance, 1};
  std::copy(light, light + 16, view.lightFrame);
  return true;
}

bool RefitToDrawn(const float* depth, int pixels, ThumbnailView& view) {
  int first[2] = {pixels, pixels}, last[2] = {-1, -1};  // drawn columns, rows
  for (int y = 0; y < pixels; ++y)
    for (int x = 0; x < pixels; ++x)
      if (depth[static_cast<size_t>(y) * pixels + x] < 1.0f) {
        first[0] = std::min(first[0], x), last[0] = std::max(last[0], x);
        first[1] = std::min(first[1], y), last[1] = std::max(last[1], y);
      }
  // Nothing drawn, or something reaching out of the picture: a far-off
  // corner left out of the frame, whose face would only pull it outwards.
  if (last[0] < 0 || std::min(first[0], first[1]) == 0 || std::max(last[0], last[1]) == pixels - 1) return false;
  double low[2], high[2];
  const double sample = (view.window[1] - view.window[0]) / pixels;  // the window is square
  for (int a = 0; a < 2; ++a) {
    low[a] = view.window[2 * a] + first[a] * sample;
    high[a] = view.window[2 * a] + (last[a] + 1) * sample;
  }
  ThumbnailView refit = view;
  FitWindow(low, high, kThumbnailFill, kThumbnailFieldOfViewDegrees, refit);
  // Rasterising leaves the drawn edge within a sample of the corners; only
  // what the alpha cuts away moves it further.
  bool moved = false;
  for (int i = 0; i < 4; ++i) moved = moved || std::abs(refit.window[i] - view.window[i]) > 2 * sample;
  if (moved) std::copy(refit.window, refit.window + 4, view.window);
  return moved;
}

void SetThumbnailCamera(const ThumbnailView& view, int pixels) {
  glViewport(0, 0, pixels, pixels);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double n = view.nearPlane;
  glFrustum(view.window[0] * n, view.window[1] * n, view.window[2] * n, view.window[3] * n, n, view.farPlane);
  glMatrixMode(GL_MODELVIEW);
  // Lights 1 and 2 stand still in the scene, as in the viewer's frame; light
  // 0 was placed relative to the camera by the fixed state.
  glLoadMatrixd(view.lightFrame);
  glLightfv(GL_LIGHT1, GL_POSITION, g_light1Position);
  glLightfv(GL_LIGHT2, GL_POSITION, g_light2Position);
}

void DrawThumbnail(const ThumbnailView& view, int pixels) {
  SetThumbnailCamera(view, pixels);
  DrawThumbnailFaces(view);
}
