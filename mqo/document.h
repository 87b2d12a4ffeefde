#pragma once
// What the reader produces from one .mqo file. A value type: copies are
// cheap and independent (the lists are copy-on-write).

#include "mqo/material.h"
#include "mqo/object.h"
#include "mqo/shared_list.h"

struct SceneMQO {
  float pos[3] = {};
  float head = 0;
  float pitch = 0;  // "pich" in the file
  float bank = 0;
  float lookat[3] = {};
  float ambient[3] = {};
};

// The picture of itself that a document of the modeller's newer versions
// carries (its "Thumbnail" chunk): the modeller's own view, textures
// included, with its background. Kept only when the reader is asked to
// (LoaderMQO::SetKeepThumbnail); empty otherwise, and for a document that
// has none or a malformed one.
struct ThumbnailMQO {
  int width = 0;
  int height = 0;
  SharedList<unsigned char> rgb;  // width * height RGB pixels, 3 bytes each, top row first
};

struct DocumentMQO {
  SharedList<ObjectMQO> objects;
  int numObjects = 0;  // always objects.size()
  SharedList<MaterialMQO> materials;
  int numMaterials = 0;  // always materials.size()
  SceneMQO scene;
  ThumbnailMQO thumbnail;
  double formatVersion = 0;  // as the second header line gives it
  char formatVersionText[32] = {};  // the same as written there ("1.9999999"), for messages
  // The names are UTF-8: the document said so ("CodePage utf8"), or they
  // were converted from the code page it named. Otherwise they keep their
  // bytes as written, Shift-JIS where not plain ASCII.
  bool namesUtf8 = false;

  MaterialMQO GetMaterial(int i) const;  // 0 <= i < numMaterials
  ObjectMQO GetObject(int i) const;      // 0 <= i < numObjects
};
