#include "thumbnailer/thumbnail_faces.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "model/display_list.h"
#include "model/face_material.h"
#include "model/model_loading.h"

namespace {

// Scene coordinates beyond this lie far outside any frustum; OpenGL's float
// arithmetic would turn them into infinities, so such faces are left out.
constexpr double kFarthest = 1e30;

// The viewer's colours for a face without material lie far above 1, so that
// such faces come out white under any light: every side of a shape would be
// the same white, and the thumbnail a silhouette. Here they are a light grey
// that the lights shade, brightest (near white) where all three meet a face.
void SetPlainThumbnailMaterial() {
  const float ambient[4] = {0.45f, 0.45f, 0.45f, 1.0f};
  const float diffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
  const float specular[4] = {0.1f, 0.1f, 0.1f, 1.0f};
  const float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
}

// The face's outward unit normal. Faces are wound clockwise seen from their
// front, so the outward normal is the opposite of the Newell normal, which
// follows the right-hand rule. A face without area gets the up direction.
void OutwardNormal(const double corner[][3], int corners, double normal[3]) {
  double n[3] = {0, 0, 0};
  for (int k = 0; k < corners; ++k) {
    const double* a = corner[k];
    const double* b = corner[(k + 1) % corners];
    n[0] += (a[1] - b[1]) * (a[2] + b[2]);
    n[1] += (a[2] - b[2]) * (a[0] + b[0]);
    n[2] += (a[0] - b[0]) * (a[1] + b[1]);
  }
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (!(length > 0) || !std::isfinite(length)) {
    normal[0] = normal[2] = 0;
    normal[1] = 1;
    return;
  }
  for (int a = 0; a < 3; ++a) normal[a] = -n[a] / length;
}

}  // namespace

void DrawThumbnailFaces(const ThumbnailView& view) {
  const int objectCount = g_loader ? std::min(g_loader->GetDocument().numObjects, kMaxModelSlots) : 0;
  const int materialCount = MaterialSlots();
  FaceMaterial material(materialCount);
  // Faces of one material go into one run of triangles; a new material ends
  // the run. Setting the same material again would change nothing drawn.
  bool inRun = false, textured = false;
  int runMaterial = -1;
  for (int i = 0; i < objectCount; ++i) {
    const ObjectMQO& object = g_objects[i];
    const int vertexCount = object.vertices.size();
    for (const FaceMQO& face : object.faces) {
      const int corners = DrawnCorners(face, vertexCount);
      if (corners < 3) continue;  // no area: nothing to draw
      double corner[4][3];
      bool inRange = true;
      for (int k = 0; k < corners; ++k) {
        view.ToScene(object.vertices[face.vertexIndex[k]], corner[k]);
        for (double c : corner[k]) inRange = inRange && std::abs(c) < kFarthest;
      }
      if (!inRange) continue;  // also a corner that is not finite
      const int faceMaterial = face.material >= 0 && face.material < materialCount ? face.material : -1;
      if (!inRun || faceMaterial != runMaterial) {
        if (inRun) glEnd();
        textured = material.Set(faceMaterial);
        if (faceMaterial < 0) SetPlainThumbnailMaterial();
        glBegin(GL_TRIANGLES);
        inRun = true;
        runMaterial = faceMaterial;
      }
      double normal[3];
      OutwardNormal(corner, corners, normal);
      glNormal3dv(normal);
      // A polygon of four corners is drawn as the fan 0-1-2, 0-2-3.
      for (int t = 1; t + 1 < corners; ++t)
        for (int k : {0, t, t + 1}) {
          if (textured) glTexCoord2f(face.uv[k][1], face.uv[k][0]);
          glVertex3dv(corner[k]);
        }
    }
  }
  if (inRun) glEnd();
  material.Finish();
}
