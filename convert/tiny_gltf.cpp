// tinygltf's implementation, compiled once and without our warnings: it is
// not our code. Pictures are neither decoded nor encoded by it (the
// definitions are the library target's, the same in every user).
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
