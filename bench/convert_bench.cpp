// convert_bench: lumenspin-convert's work on the 1M-face grid document that
// the viewer's benchmark draws (4 objects, 6 materials in long runs, half
// quads), against reading the same document alone into the model tables:
// what preparing the model as modelled and writing the glTF add. The
// document is generated next to this program when it does not exist yet.
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "convert/converter.h"
#include "model/model_loading.h"
#include "mqo_generator.h"
#include "references.h"

namespace {

constexpr int kRuns = 3;

long long FileSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

}  // namespace

int main() {
  const std::string folder = ExecutableFolder();
  const std::string document = folder + "/convert-1m.mqo", output = folder + "/convert-1m.glb";
  if (FileSize(document) <= 0) {
    std::printf("generating %s\n", document.c_str());
    std::fflush(stdout);
    MqoGeneratorOptions o;
    o.gridMesh = true;
    o.objects = 4;
    o.faces = 1000000;
    o.materials = 6;
    o.quadShare = 0.5;
    o.materialOrder = MqoGeneratorOptions::MaterialOrder::kGrouped;
    const std::string partial = document + ".partial";
    if (!WriteMqoDocument(partial.c_str(), o) || std::rename(partial.c_str(), document.c_str()) != 0) {
      std::fprintf(stderr, "convert_bench: cannot write %s\n", document.c_str());
      return 1;
    }
  }
  g_newerFormats = true;
  bool ok = true;
  const std::vector<double> t = MedianSecondsInTurns(
      kRuns, {[&] {
                int result = 0;
                std::string reason;
                ok = ReadModelFile(document.c_str(), true, result, reason) && result == 0 && ok;
                ReleaseModel();
              },
              [&] {
                std::string reason;
                ok = ConvertModel(document.c_str(), output.c_str(), GltfFormat::kBinary, reason) == kConverted && ok;
              }});
  if (!ok) {
    std::fprintf(stderr, "convert_bench: %s was not read or converted\n", document.c_str());
    return 1;
  }
  std::printf("1M faces (grid, 4 objects, 6 materials), median of %d runs, %.1f MB .mqo to %.1f MB .glb\n", kRuns,
              FileSize(document) / 1e6, FileSize(output) / 1e6);
  std::printf("  reading alone              %6.3f s\n", t[0]);
  std::printf("  converting to .glb         %6.3f s  (%.2fx reading alone)\n", t[1], t[1] / t[0]);
  std::remove(output.c_str());
  return 0;
}
