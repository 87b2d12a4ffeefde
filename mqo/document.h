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

struct DocumentMQO {
  SharedList<ObjectMQO> objects;
  int numObjects = 0;  // always objects.size()
  SharedList<MaterialMQO> materials;
  int numMaterials = 0;  // always materials.size()
  SceneMQO scene;

  MaterialMQO GetMaterial(int i) const;  // 0 <= i < numMaterials
  ObjectMQO GetObject(int i) const;      // 0 <= i < numObjects
};
