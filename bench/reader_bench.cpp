// reader_bench [FILE.mqo]: throughput of LoaderMQO::Load on a ~1M-vertex,
// ~1M-face document beside the same reading line by line (the reader before
// it read in blocks) and reference loops over the same file, and the peak
// resident memory of one load in a fresh process against the size of the
// geometry it produces; then Load against line-by-line reading on the small
// real Ver 1.0 models of the shared corpus; then, with newer formats on, a
// Ver 1.1 document of large concave faces that the reader splits, against
// its Ver 1.0 twin that keeps four corners a face. The documents are
// generated next to this program when no file is given and they do not
// exist yet.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
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

LoadFigures LoadOnce(const char* path, bool lineByLine = false, bool newer = false) {
  FILE* f = std::fopen(path, "rb");
  LoadFigures r;
  if (!f) {
    r.code = 1;
    return r;
  }
  LoaderMQO loader(DocumentMQO{}, f);
  loader.SetNewerFormats(newer);
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

// The folder of this program, where the generated documents are kept.
std::string ProgramFolder() {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string dir = ".";
  if (n > 0) {
    exe[n] = '\0';
    dir = exe;
    dir = dir.substr(0, dir.find_last_of('/'));
  }
  return dir;
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

// A document of large concave faces: stars of 6 to 16 corners and combs of
// 8 to 20, each on vertices of its own, as letters and outlines are. Written
// as version 1.1 and, byte for byte the same otherwise, as version 1.0.
bool WriteLargeFaceDocument(const std::string& path, const char* version, int faces) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::fprintf(out, "Metasequoia Document\r\nFormat Text Ver %s\r\n\r\nObject \"outlines\" {\r\n", version);
  std::vector<std::vector<std::pair<double, double>>> outlines;
  for (int f = 0; f < faces; ++f) {
    std::vector<std::pair<double, double>> c;
    const double x0 = f % 1000 * 3.0, y0 = f / 1000 * 3.0;
    if (f % 2 == 0) {
      const int points = 3 + f % 6;  // 6 to 16 corners
      for (int k = 0; k < 2 * points; ++k) {
        const double r = k % 2 ? 0.5 : 1.2, a = k * 3.14159265358979 / points;
        c.push_back({x0 + r * std::cos(a), y0 + r * std::sin(a)});
      }
    } else {
      const int teeth = 2 + f % 4;  // 8 to 20 corners
      c = {{x0, y0}, {x0 + 2 * teeth - 1, y0}};
      for (int t = teeth - 1; t >= 0; --t) {
        c.push_back({x0 + 2 * t + 1, y0 + 2});
        c.push_back({x0 + 2 * t, y0 + 2});
        if (t > 0) c.insert(c.end(), {{x0 + 2 * t, y0 + 1}, {x0 + 2 * t - 1, y0 + 1}});
      }
    }
    outlines.push_back(c);
  }
  long long vertices = 0;
  for (const auto& c : outlines) vertices += static_cast<long long>(c.size());
  std::fprintf(out, "\tvertex %lld {\r\n", vertices);
  for (const auto& c : outlines)
    for (auto [x, y] : c) std::fprintf(out, "\t\t%.4f %.4f 0.0000\r\n", x, y);
  std::fprintf(out, "\t}\r\n\tface %d {\r\n", faces);
  long long first = 0;
  for (const auto& c : outlines) {
    std::fprintf(out, "\t\t%zu V(", c.size());
    for (std::size_t k = 0; k < c.size(); ++k) std::fprintf(out, k ? " %lld" : "%lld", first + static_cast<long long>(k));
    std::fprintf(out, ") M(0) UV(");
    for (std::size_t k = 0; k < c.size(); ++k) std::fprintf(out, k ? " %.5f %.5f" : "%.5f %.5f", c[k].first - c[0].first, c[k].second - c[0].second);
    std::fprintf(out, ")\r\n");
    first += static_cast<long long>(c.size());
  }
  std::fprintf(out, "\t}\r\n}\r\nEof\r\n");
  return std::fclose(out) == 0;
}

void LargeFaceFigures(const std::string& dir) {
  const std::string newer = dir + "/bench-large-faces-1.1.mqo", older = dir + "/bench-large-faces-1.0.mqo";
  constexpr int kFaces = 200000;
  if (FileSize(newer.c_str()) < 0 || FileSize(older.c_str()) < 0) {
    std::printf("generating %s and its 1.0 twin (%d concave faces of 6 to 20 corners)\n", newer.c_str(), kFaces);
    if (!WriteLargeFaceDocument(newer, "1.1", kFaces) || !WriteLargeFaceDocument(older, "1.0", kFaces)) {
      std::printf("large faces: cannot write %s\n", newer.c_str());
      return;
    }
  }
  LoadFigures split, kept;
  const std::vector<double> t = MedianSecondsInTurns(
      kRuns, {[&] { split = LoadOnce(newer.c_str(), false, true); }, [&] { kept = LoadOnce(older.c_str(), false, true); },
              [&] { LoadOnce(newer.c_str(), true, true); }});
  const double megabytes = FileSize(newer.c_str()) / 1e6;
  std::printf("large concave faces: %s, %.1f MB, %d faces of 6 to 20 corners (median of %d runs)\n", newer.c_str(),
              megabytes, kFaces, kRuns);
  std::printf("  newer formats, split       %7.1f MB/s  %lld triangles, %.1f Mtriangles/s, code %d\n", megabytes / t[0],
              split.faces, split.faces / t[0] / 1e6, split.code);
  std::printf("  the 1.0 twin, 4 corners    %7.1f MB/s  (split takes %.2fx its time)\n", megabytes / t[1], t[0] / t[1]);
  std::printf("  split, line by line        %7.1f MB/s\n", megabytes / t[2]);
  (void)kept;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && !std::strcmp(argv[1], "--peak-child")) return PeakChild(argv[2]);
  std::string path = argc > 1 ? argv[1] : ProgramFolder() + "/bench-1m.mqo";
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
      kRuns, {[&] { figures = LoadOnce(file); }, [&] { LoadOnce(file, false, true); }, [&] { LoadOnce(file, true); },
              [&] { BareReadLoop(file); }, [&] { FgetsLoop(file); }, [&] { SplitLoop(file, FromChars); }});
  if (figures.code != 0) {
    std::fprintf(stderr, "reader_bench: Load returned %d\n", figures.code);
    return 1;
  }
  const double load = t[0], newer = t[1], lineByLine = t[2], bareRead = t[3], fgetsOnly = t[4], fromChars = t[5];
  const double atofLoop = MedianSeconds(kRuns, [&] { SplitLoop(file, [](const char* s, const char*) { return std::atof(s); }); });

  std::printf("document: %s, %.1f MB, %lld vertices, %lld faces (median of %d runs)\n", file, megabytes,
              figures.vertices, figures.faces, kRuns);
  std::printf("  LoaderMQO::Load            %7.1f MB/s  %6.2f Mvertices/s  %6.3f s\n", megabytes / load,
              figures.vertices / load / 1e6, load);
  std::printf("  the same, line by line     %7.1f MB/s  (Load %.2fx as fast)\n", megabytes / lineByLine,
              lineByLine / load);
  std::printf("  the same, newer formats on %7.1f MB/s  (its time %.2fx Load's, target <= 1.02x)\n", megabytes / newer,
              newer / load);
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
  LargeFaceFigures(ProgramFolder());
  return 0;
}
