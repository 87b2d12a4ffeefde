// reader_bench [FILE.mqo]: throughput of LoaderMQO::Load on a ~1M-vertex,
// ~1M-face document beside the same reading line by line (the reader before
// it read in blocks) and reference loops over the same file, and the peak
// resident memory of one load in a fresh process against the size of the
// geometry it produces; then Load against line-by-line reading on the small
// real Ver 1.0 models of the shared corpus. The document is generated next to
// this program when no file is given and it does not exist yet.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "mqo/loader.h"
#include "mqo_generator.h"
#include "references.h"
#include "texture_files.h"

namespace {

constexpr int kRuns = 7;
constexpr int kSmallFileRuns = 51;

struct LoadFigures {
  int code = 0;
  long long vertices = 0, faces = 0;
  long long geometryBytes = 0;
};

LoadFigures LoadOnce(const char* path, bool lineByLine = false) {
  FILE* f = std::fopen(path, "rb");
  LoadFigures r;
  if (!f) {
    r.code = 1;
    return r;
  }
  LoaderMQO loader(DocumentMQO{}, f);
  r.code = lineByLine ? loader.LoadLineByLine() : loader.Load();
  std::fclose(f);
  const DocumentMQO document = loader.GetDocument();  // shares the lists: no copy of the geometry
  for (const ObjectMQO& o : document.objects) {
    r.vertices += o.numVertices;
    r.faces += o.numFaces;
  }
  r.geometryBytes = r.vertices * static_cast<long long>(sizeof(VertexMQO)) +
                    r.faces * static_cast<long long>(sizeof(FaceMQO));
  return r;
}

// In a fresh process: the resident size before the load and the peak of the
// whole process once the document is read.
int PeakChild(const char* path) {
  const long before = StatusKiB("VmRSS:");
  const LoadFigures r = LoadOnce(path);
  std::printf("%ld %ld %lld %d\n", before, StatusKiB("VmHWM:"), r.geometryBytes, r.code);
  return 0;
}

bool MeasurePeak(const char* path, long& beforeKiB, long& peakKiB, long long& geometryBytes) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    execl("/proc/self/exe", "reader_bench", "--peak-child", path, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  char text[256] = {};
  const ssize_t got = read(pipeFds[0], text, sizeof text - 1);
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  int code = -9;
  return got > 0 && std::sscanf(text, "%ld %ld %lld %d", &beforeKiB, &peakKiB, &geometryBytes, &code) == 4 &&
         code == 0;
}

std::string DefaultDocument() {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string dir = ".";
  if (n > 0) {
    exe[n] = '\0';
    dir = exe;
    dir = dir.substr(0, dir.find_last_of('/'));
  }
  return dir + "/bench-1m.mqo";
}

// The models of the shared corpus that this reader reads whole (format 1.0).
std::vector<std::string> SmallRealFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(LUMENSPIN_CORPUS_DIR, error)) {
    if (entry.path().extension() != ".mqo") continue;
    std::ifstream in(entry.path());
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    if (second.rfind("Format Text Ver 1.0", 0) == 0) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void SmallFileFigures() {
  const std::vector<std::string> files = SmallRealFiles();
  if (files.empty()) {
    std::printf("small real files: none found in %s\n", LUMENSPIN_CORPUS_DIR);
    return;
  }
  std::printf("small real files (format 1.0 models of the corpus), median of %d rounds taken in turns\n",
              kSmallFileRuns);
  std::printf("  %-22s %8s %11s %14s %s\n", "file", "KB", "Load", "line by line", "ratio (target <= 1.00x)");
  for (const std::string& path : files) {
    const char* file = path.c_str();
    const std::vector<double> t = MedianSecondsInTurns(
        kSmallFileRuns, {[&] { LoadOnce(file); }, [&] { LoadOnce(file, true); }});
    std::printf("  %-22s %8.1f %8.0f us %11.0f us %.2fx\n", path.substr(path.find_last_of('/') + 1).c_str(),
                FileSize(file) / 1e3, t[0] * 1e6, t[1] * 1e6, t[0] / t[1]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && !std::strcmp(argv[1], "--peak-child")) return PeakChild(argv[2]);
  std::string path = argc > 1 ? argv[1] : DefaultDocument();
  if (FileSize(path) < 0) {
    std::printf("generating %s (1M vertices, 1M faces, half quads, M and UV groups)\n", path.c_str());
    MqoGeneratorOptions options;
    if (!WriteMqoDocument(path.c_str(), options)) {
      std::fprintf(stderr, "reader_bench: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  const char* file = path.c_str();
  const double megabytes = FileSize(file) / 1e6;
  FgetsLoop(file);  // warm the page cache

  LoadFigures figures;
  const std::vector<double> t = MedianSecondsInTurns(
      kRuns, {[&] { figures = LoadOnce(file); }, [&] { LoadOnce(file, true); }, [&] { BareReadLoop(file); },
              [&] { FgetsLoop(file); }, [&] { SplitLoop(file, FromChars); }});
  if (figures.code != 0) {
    std::fprintf(stderr, "reader_bench: Load returned %d\n", figures.code);
    return 1;
  }
  const double load = t[0], lineByLine = t[1], bareRead = t[2], fgetsOnly = t[3], fromChars = t[4];
  const double atofLoop = MedianSeconds(kRuns, [&] { SplitLoop(file, [](const char* s, const char*) { return std::atof(s); }); });

  std::printf("document: %s, %.1f MB, %lld vertices, %lld faces (median of %d runs)\n", file, megabytes,
              figures.vertices, figures.faces, kRuns);
  std::printf("  LoaderMQO::Load            %7.1f MB/s  %6.2f Mvertices/s  %6.3f s\n", megabytes / load,
              figures.vertices / load / 1e6, load);
  std::printf("  the same, line by line     %7.1f MB/s  (Load %.2fx as fast)\n", megabytes / lineByLine,
              lineByLine / load);
  std::printf("  read() into new memory     %7.1f MB/s  (Load takes %.2fx its time, target <= 2.2x)\n",
              megabytes / bareRead, load / bareRead);
  std::printf("  fgets loop                 %7.1f MB/s\n", megabytes / fgetsOnly);
  std::printf("  split + std::from_chars    %7.1f MB/s  (Load %.2fx as fast, target >= 2.0x)\n", megabytes / fromChars,
              fromChars / load);
  std::printf("  split + atof               %7.1f MB/s\n", megabytes / atofLoop);

  long before = 0, peak = 0;
  long long geometry = 0;
  if (MeasurePeak(file, before, peak, geometry)) {
    std::printf("  peak resident memory       %7.1f MB (%.1f MB before the load); geometry %.1f MB; ratio %.2f\n",
                peak / 1024.0, before / 1024.0, geometry / 1048576.0, peak * 1024.0 / static_cast<double>(geometry));
  } else {
    std::printf("  peak resident memory: could not be measured\n");
  }
  SmallFileFigures();
  return 0;
}
