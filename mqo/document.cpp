#include "mqo/document.h"

MaterialMQO DocumentMQO::GetMaterial(int i) const { return materials[i]; }

ObjectMQO DocumentMQO::GetObject(int i) const { return objects[i]; }
