// gen_mqo: writes a generated Metasequoia document for benchmarks.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mqo_generator.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: gen_mqo [--objects N] [--vertices N] [--faces N] [--quads SHARE] [--materials N]\n"
               "               [--no-m] [--no-uv] [--bvertex] [--textures] [--grid] [--lf] [--seed N]\n"
               "               OUTPUT.mqo\n"
               "--grid: each object a grid patch of small faces (the vertex count follows)\n");
}

}  // namespace

int main(int argc, char** argv) {
  MqoGeneratorOptions o;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(a, "--objects") && hasValue) o.objects = std::atoi(argv[++i]);
    else if (!std::strcmp(a, "--vertices") && hasValue) o.vertices = std::atoll(argv[++i]);
    else if (!std::strcmp(a, "--faces") && hasValue) o.faces = std::atoll(argv[++i]);
    else if (!std::strcmp(a, "--quads") && hasValue) o.quadShare = std::atof(argv[++i]);
    else if (!std::strcmp(a, "--materials") && hasValue) o.materials = std::atoi(argv[++i]);
    else if (!std::strcmp(a, "--seed") && hasValue) o.seed = static_cast<unsigned>(std::atoi(argv[++i]));
    else if (!std::strcmp(a, "--no-m")) o.materialGroups = false;
    else if (!std::strcmp(a, "--no-uv")) o.uvGroups = false;
    else if (!std::strcmp(a, "--bvertex")) o.binaryVertices = true;
    else if (!std::strcmp(a, "--textures")) o.textures = true;
    else if (!std::strcmp(a, "--grid")) o.gridMesh = true;
    else if (!std::strcmp(a, "--lf")) o.crlf = false;
    else if (a[0] != '-' && !output) output = a;
    else {
      Usage();
      return 2;
    }
  }
  if (!output) {
    Usage();
    return 2;
  }
  if (!WriteMqoDocument(output, o)) {
    std::fprintf(stderr, "gen_mqo: cannot write %s\n", output);
    return 1;
  }
  return 0;
}
