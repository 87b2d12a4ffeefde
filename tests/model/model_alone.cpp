// A program of the model library alone, every one of its objects linked in
// whole: it would not link if any of them called OpenGL. It reads the model
// named, frames it as the viewer does and prepares each object as drawn,
// twice over, so that the reading and releasing run too.

#include <cstdio>

#include "model/drawn_model.h"
#include "model/framing.h"
#include "model/model_loading.h"
#include "model/textures_ahead.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  g_newerFormats = true;
  for (int round = 0; round < 2; ++round) {
    if (LoadModel(argv[1]) != 0 || g_objectCount == 0) return 1;
    StartTexturesAhead();
    double turn[9];
    TurnFromAngles(45, 30, turn);
    Framing framing;
    if (!FrameModel(g_objects, g_objectCount, turn, 30, 4.0 / 3.0, 0.9, framing)) return 1;
    for (int i = 0; i < g_objectCount; ++i) PrepareDrawnObject(g_objects[i]);
    ReleaseModel();
  }
  std::printf("read, framed and prepared without OpenGL\n");
  return 0;
}
