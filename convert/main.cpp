// lumenspin-convert [-f glb|gltf] INPUT OUTPUT: a model as glTF 2.0, as the
// viewer draws it with --as-modelled.

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "base/quiet_streams.h"
#include "convert/converter.h"

namespace {

constexpr const char* kName = "lumenspin-convert";

int Usage(FILE* out, int status) {
  std::fprintf(out,
               "usage: %s [-f glb|gltf] INPUT OUTPUT\n"
               "Writes the Metasequoia document INPUT (.mqo of \"Format Text Ver 1.0\" to \"1.2\" and later 1.x,\n"
               "or .mqoz) as glTF 2.0 at OUTPUT, as the viewer draws it with --as-modelled: one binary .glb\n"
               "file (-f glb), or a .gltf file with its buffer and pictures beside it (-f gltf). Without -f,\n"
               "an OUTPUT ending in .gltf is written as -f gltf, any other as -f glb.\n",
               kName);
  return status;
}

bool EndsWith(const char* text, const char* suffix) {
  const size_t length = std::strlen(text), suffixLength = std::strlen(suffix);
  return length >= suffixLength && std::strcmp(text + length - suffixLength, suffix) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* format = nullptr;
  const char* paths[2] = {nullptr, nullptr};
  int pathCount = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) return Usage(stdout, 0);
    if (!std::strcmp(argv[i], "--version")) {
      std::printf("%s %s\n", kName, LUMENSPIN_VERSION);
      return 0;
    }
    if (!std::strcmp(argv[i], "-f")) {
      if (i + 1 >= argc || (std::strcmp(argv[i + 1], "glb") != 0 && std::strcmp(argv[i + 1], "gltf") != 0))
        return Usage(stderr, kUsage);
      format = argv[++i];
    } else if (pathCount < 2 && (argv[i][0] != '-' || argv[i][1] == '\0')) {
      paths[pathCount++] = argv[i];
    } else {
      return Usage(stderr, kUsage);
    }
  }
  if (pathCount != 2) return Usage(stderr, kUsage);
  // A .gltf file holding binary glTF would be read by nothing.
  const bool text = format ? std::strcmp(format, "gltf") == 0 : EndsWith(paths[1], ".gltf");

  QuietStandardStreams();
  std::string reason;
  ConvertStatus status = kConverted;
  try {
    status = ConvertModel(paths[0], paths[1], text ? GltfFormat::kText : GltfFormat::kBinary, reason);
  } catch (const std::bad_alloc&) {
    status = kOverBudget;
    reason = "out of memory";
  } catch (const std::exception& error) {
    status = kCannotWrite;
    reason = std::string("cannot write the glTF: ") + error.what();
  }
  if (status != kConverted) std::fprintf(stderr, "%s: %s: %s\n", kName, paths[0], reason.c_str());
  return status;
}
