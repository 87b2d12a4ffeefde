#pragma once
// Runs display list 1 in feedback mode and returns the polygons OpenGL made
// of it, in window coordinates, with colour and texture coordinates. The
// projection maps model x and y in -32..32 onto a 64 by 64 viewport, so a
// model vertex (x, y) lands at window (x + 32, y + 32).

#include <GL/gl.h>

#include <vector>

struct FeedbackVertex {
  float x, y, z;
  float colour[4];
  float s, t;
};

using FeedbackPolygon = std::vector<FeedbackVertex>;

inline void SetFeedbackProjection() {
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-32, 32, -32, 32, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

inline std::vector<FeedbackPolygon> RunListInFeedback() {
  SetFeedbackProjection();
  std::vector<GLfloat> buffer(1 << 16);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  glCallList(1);
  const int used = glRenderMode(GL_RENDER);
  std::vector<FeedbackPolygon> polygons;
  constexpr int kVertexFloats = 3 + 4 + 4;
  auto vertexAt = [&](int i) {
    FeedbackVertex v{buffer[i], buffer[i + 1], buffer[i + 2],
                     {buffer[i + 3], buffer[i + 4], buffer[i + 5], buffer[i + 6]},
                     buffer[i + 7], buffer[i + 8]};
    return v;
  };
  for (int i = 0; i < used;) {
    const int token = static_cast<int>(buffer[i++]);
    if (token == GL_POLYGON_TOKEN) {
      const int count = static_cast<int>(buffer[i++]);
      FeedbackPolygon polygon;
      for (int k = 0; k < count; ++k, i += kVertexFloats) polygon.push_back(vertexAt(i));
      polygons.push_back(polygon);
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      i += 1;
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      i += 2 * kVertexFloats;
    } else {  // point, bitmap and pixel tokens carry one vertex
      i += kVertexFloats;
    }
  }
  return polygons;
}
