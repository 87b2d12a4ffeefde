#include "mqo/loader.h"

bool LoaderMQO::ReadScene() {
  AsciiFileString& s = *separator;
  SceneMQO& scene = document.scene;
  float head = 0, pitch = 0;
  bool angleGiven = false;
  for (;;) {
    const int n = NextLine();
    if (s.IsKeyword("}", 1)) {
      if (angleGiven) {
        scene.bank = 0;
        scene.head = head;
        scene.pitch = pitch;
      }
      return true;
    }
    if (s.IsKeyword("pos", 4)) {
      for (int i = 0; i < 3; ++i) scene.pos[i] = static_cast<float>(s.GetDouble(1 + i));
    } else if (s.IsKeyword("lookat", 4)) {
      for (int i = 0; i < 3; ++i) scene.lookat[i] = static_cast<float>(s.GetDouble(1 + i));
    } else if (s.IsKeyword("head", 2)) {
      head = static_cast<float>(s.GetDouble(1));
      angleGiven = true;
    } else if (s.IsKeyword("pich", 2)) {
      pitch = static_cast<float>(s.GetDouble(1));
      angleGiven = true;
    } else if (s.IsKeyword("amb", 4)) {
      for (int i = 0; i < 3; ++i) scene.ambient[i] = static_cast<float>(s.GetDouble(1 + i));
    } else {
      SkipChunk(n);
    }
  }
}
