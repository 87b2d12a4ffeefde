// viewer_bench: the whole road of a model through the viewer, each cost beside
// a reference measured in the same run on the same machine:
//   - the reader against a bare fgets loop, a split + std::from_chars loop
//     and a bare read() of the whole file into new memory;
//   - LoadModel, the textures, the display list and the frames in a fresh
//     process with a real GLUT window (so that peak memory is the viewer's),
//     against a list of the same faces made of plain glBegin/glVertex3f/glEnd;
//   - the same start-up drawing the model as modelled (framed, mirrored,
//     smoothed) against the plain one, and its redraw with both overlays
//     shown against one without;
//   - the texture readers against a bare fread and a bare libjpeg decode;
//   - the thumbnailer's steps in a fresh process against the reader + the
//     bare list + one frame of it in a headless context, its headless
//     context against the viewer's window, and the whole
//     lumenspin-thumbnailer program.
// Prints one table and writes it as Markdown (--markdown PATH).
//
// usage: viewer_bench [--docs LIST] [--frames N] [--rounds N] [--work DIR] [--markdown PATH]
//   Each viewer figure is the median of N rounds (default 3) of a fresh viewer
//   process and a fresh reference process.
//   LIST: comma-separated face counts; a leading "p" gives the document whose
//   material changes on every face, "t" one whose every second material is
//   translucent, "s" one of curved surfaces (patch 3, segment 4: each cage
//   face becomes some 256 faces), and "sample" the bundled sample model
//   (default sample,10000,100000,1000000,p100000).
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "app/frame.h"
#include "app/overlays.h"
#include "thumbnailer/headless_context.h"
#include "app/physics.h"
#include "app/startup.h"
#include "thumbnailer/thumbnail_view.h"
#include "thumbnailer/thumbnailer.h"
#include "app/view_control.h"
#include "image/bmp_manager.h"
#include "image/jpeg_manager.h"
#include "image/tga_manager.h"
#include "render/display_list.h"
#include "render/material_textures.h"
#include "model/model_loading.h"
#include "model/view_projection.h"
#include "mqo_generator.h"
#include "references.h"
#include "texture_files.h"

namespace {

constexpr int kTextureSide = 1024;
constexpr const char* kJpegName = "tex.jpg";
constexpr const char* kTgaName = "tex.tga";
constexpr const char* kBmpName = "tex.bmp";  // decoded for the table only; no material names it
// Bump when the generated documents change, so that stale ones are not reused.
constexpr int kDocumentVersion = 1;

using Clock = std::chrono::steady_clock;
using Figures = std::map<std::string, double>;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int LoadOnly(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return 1;
  LoaderMQO loader(DocumentMQO{}, f);
  const int code = loader.Load();
  std::fclose(f);
  return code;
}

// ---- textures -----------------------------------------------------------

void BareRead(const std::string& path) {
  Bytes buffer(static_cast<size_t>(std::max(0L, FileSize(path))));
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return;
  g_sink = static_cast<double>(std::fread(buffer.data(), 1, buffer.size(), fp));
  std::fclose(fp);
}

template <typename Reader>
void ReaderLoad(const std::string& path) {
  Reader image;
  image.Load(path.c_str());
}

// ---- the viewer in a fresh process ---------------------------------------

void NoDisplay() {}

double GeometryBytes() {
  double bytes = 0;
  for (const ObjectMQO& o : g_objects)
    bytes += o.vertices.size() * double(sizeof(VertexMQO)) + o.faces.size() * double(sizeof(FaceMQO));
  return bytes;
}

// The state calls that the real list makes for a face's material, without
// its texture coordinates: the reference of the document whose material
// changes on every face.
void BareMaterial(int material, int materialCount) {
  const bool known = material >= 0 && material < materialCount;
  const MaterialMQO* m = known ? &g_materials[material] : nullptr;
  const float c[4] = {m ? m->color[0] : 1, m ? m->color[1] : 1, m ? m->color[2] : 1, m ? m->color[3] : 1};
  const float factors[4] = {m ? m->ambient : 1, m ? m->diffuse : 1, m ? m->specular : 1, m ? m->emissive : 0};
  const GLenum names[4] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION};
  for (int i = 0; i < 4; ++i) {
    const float scaled[4] = {c[0] * factors[i], c[1] * factors[i], c[2] * factors[i], c[3] * factors[i]};
    glMaterialfv(GL_FRONT_AND_BACK, names[i], scaled);
  }
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m ? m->power : 5.0f);
  if (m && g_materialImages[material].textureLoaded) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_textureIds[material]);
  }
}

// The same faces as list 1 with nothing but glBegin/glVertex3f/glEnd, plus
// the per-face material calls when withMaterials is set.
void BuildReferenceList(bool withMaterials) {
  const int materialCount = g_materialCount;
  glNewList(1, GL_COMPILE);
  for (const ObjectMQO& object : g_objects) {
    const int vertexCount = object.vertices.size();
    for (const FaceMQO& face : object.faces) {
      const int corners = std::clamp(face.numVertices, 0, 4);
      bool inRange = true;
      for (int k = 0; k < corners; ++k) inRange = inRange && face.vertexIndex[k] >= 0 && face.vertexIndex[k] < vertexCount;
      if (!inRange) continue;
      if (withMaterials) BareMaterial(face.material, materialCount);
      glBegin(GL_POLYGON);
      for (int k = 0; k < corners; ++k) {
        const VertexMQO& v = object.vertices[face.vertexIndex[k]];
        glVertex3f(v.x, v.y, v.z);
      }
      glEnd();
      if (withMaterials && face.material >= 0 && face.material < materialCount &&
          g_materialImages[face.material].textureLoaded)
        glDisable(GL_TEXTURE_2D);
    }
  }
  glEndList();
}

double TimedFrame() {
  const auto start = Clock::now();
  OnDisplay();
  glFinish();
  return Since(start);
}

double MedianFrame(int frames) {
  std::vector<double> times;
  for (int i = 0; i < frames; ++i) times.push_back(TimedFrame());
  return Median(times);
}

// Frames while the view turns a degree about the vertical each time: as
// modelled, the translucent faces are ordered again for each of them.
double MedianTurningFrame(int frames) {
  std::vector<double> times;
  for (int i = 0; i < frames; ++i) {
    const double a = (i + 1) * 3.14159265358979 / 180;
    double* m = g_view.rotationMatrix;
    std::fill(m, m + 16, 0.0);
    m[0] = m[10] = std::cos(a);
    m[2] = -std::sin(a);
    m[8] = std::sin(a);
    m[5] = m[15] = 1;
    times.push_back(TimedFrame());
  }
  return Median(times);
}

// Frames a second that the viewer's own 17 ms tick gets drawn, over about two
// seconds of the real timer callback (the physics step and a redisplay).
int g_tickFrames = 0;

void CountedDisplay() {
  OnDisplay();
  ++g_tickFrames;
}

double TickFramesPerSecond() {
  CreatePhysicsWorld();
  glutDisplayFunc(CountedDisplay);
  glutTimerFunc(kTimerPeriodMs, OnTimer, 0);
  for (int i = 0; i < 10; ++i) glutMainLoopEvent();  // frames already due before counting
  g_tickFrames = 0;
  const auto start = Clock::now();
  while (Since(start) < 2.0) {
    glutMainLoopEvent();
    usleep(200);
  }
  return g_tickFrames / Since(start);
}

// As modelled, a redraw with both overlays shown against one without,
// frames taking turns; the first shown frame, which loads the text module
// and lays the text out, apart.
void MeasureOverlays(int frames, Figures& r) {
  auto start = Clock::now();
  if (!ToggleOverlay(Overlay::kInfo) || !ToggleOverlay(Overlay::kKeys)) return;
  TimedFrame();
  r["am_overlay_first"] = Since(start);
  std::vector<double> shown, hidden;
  for (int i = 0; i < frames; ++i) {
    shown.push_back(TimedFrame());
    ToggleOverlay(Overlay::kInfo);
    ToggleOverlay(Overlay::kKeys);
    hidden.push_back(TimedFrame());
    ToggleOverlay(Overlay::kInfo);
    ToggleOverlay(Overlay::kKeys);
  }
  r["am_overlay_frame"] = Median(shown);
  r["am_overlay_ref_frame"] = Median(hidden);
}

// Writes a child's figures and the renderer's name, then tears the run down.
// A thumbnail child (viewer false) has no GLUT to close and leaves the
// renderer's name to the viewer children.
int WriteChildFigures(const char* resultPath, const Figures& r, bool viewer = true) {
  FILE* out = std::fopen(resultPath, "w");
  if (!out) return 4;
  for (const auto& [key, value] : r) std::fprintf(out, "%s %.9g\n", key.c_str(), value);
  const char* renderer = viewer ? reinterpret_cast<const char*>(glGetString(GL_RENDERER)) : nullptr;
  if (viewer) std::fprintf(out, "renderer %s\n", renderer ? renderer : "unknown");
  std::fclose(out);
  ReleaseModel();
  if (viewer) glutExit();  // lets the driver free its buffers before it is unloaded
  return 0;
}

// The viewer's start-up without the chooser, with each step timed, or with
// `reference` set the same start-up up to the textures followed by the bare
// list in place of list 1, or with `asModelled` set the start-up of
// --as-modelled (its figures named "am_..."). Writes "name value" lines to
// resultPath. Each runs in a fresh process: memory that one run freed and
// the process kept would otherwise make the other's first frames cheaper.
int RunViewerChild(const char* document, const char* resultPath, int frames, bool materialPerFace, bool reference,
                   bool asModelled) {
  g_asModelled = asModelled;
  g_newerFormats = asModelled;
  const std::string doc = document;
  const std::string folder = doc.substr(0, doc.find_last_of('/'));
  if (chdir(folder.c_str()) != 0) return 2;
  int argc = 1;
  char name[] = "viewer_bench";
  char* argv[] = {name, nullptr};
  // The window's context loads Mesa's driver, as the thumbnailer's does.
  const auto windowStart = Clock::now();
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(kFirstWindowWidth, kFirstWindowHeight);
  glutInitWindowPosition(100, 100);
  glutCreateWindow(kWindowTitle);
  glFinish();
  const double window = Since(windowStart);
  glutDisplayFunc(NoDisplay);
  for (int i = 0; i < 20; ++i) glutMainLoopEvent();
  OnReshape(kFirstWindowWidth, kFirstWindowHeight);
  // InitGL's fixed state; its two builders are timed one by one below.
  InitFixedGLState();
  glFinish();

  Figures r;
  r["window"] = window;
  r["rss_base"] = StatusKiB("VmRSS:") / 1024.0;
  auto start = Clock::now();
  if (LoadModel(document) != 0) return 3;
  r["load_model"] = Since(start);
  r["rss_loaded"] = StatusKiB("VmRSS:") / 1024.0;
  start = Clock::now();
  LoadMaterialTextures();
  glFinish();
  r["textures"] = Since(start);
  if (reference) {
    r.clear();
    start = Clock::now();
    BuildReferenceList(materialPerFace);
    glFinish();
    r["ref_list"] = Since(start);
    r["ref_first_frame"] = TimedFrame();
    r["ref_steady_frame"] = MedianFrame(frames);
    return WriteChildFigures(resultPath, r);
  }
  if (asModelled) {
    const double loadToTextures = r["load_model"] + r["textures"];
    r.clear();
    start = Clock::now();
    FrameViewerModel(g_modelFraming);
    BuildDisplayList();
    glFinish();
    r["am_build_list"] = Since(start);
    r["am_first_frame"] = TimedFrame();
    r["am_total"] = loadToTextures + r["am_build_list"] + r["am_first_frame"];
    r["am_steady_frame"] = MedianFrame(frames);
    r["am_turning_frame"] = MedianTurningFrame(frames);
    r["am_peak"] = StatusKiB("VmHWM:") / 1024.0;
    MeasureOverlays(frames, r);
    return WriteChildFigures(resultPath, r);
  }
  const double beforeList = StatusKiB("VmRSS:") / 1024.0;
  start = Clock::now();
  BuildDisplayList();
  glFinish();
  r["build_list"] = Since(start);
  r["list_mb"] = StatusKiB("VmRSS:") / 1024.0 - beforeList;
  r["first_frame"] = TimedFrame();
  r["steady_frame"] = MedianFrame(frames);
  r["tick_fps"] = TickFramesPerSecond();
  r["peak"] = StatusKiB("VmHWM:") / 1024.0;
  r["geometry_mb"] = GeometryBytes() / 1048576.0;
  double faces = 0;
  for (const ObjectMQO& o : g_objects) faces += o.faces.size();
  r["faces"] = faces;
  r["textured"] = 0;
  for (const MaterialImages& m : g_materialImages) r["textured"] += m.textureLoaded;

  return WriteChildFigures(resultPath, r);
}

// The thumbnailer's work on the document in this fresh process, the steps of
// MakeThumbnail timed one by one: the reader and the framing, the headless
// context (mostly the loading of Mesa's driver, which the viewer's window
// needs as well), and the textures, the list, the frame and the PNG. With
// `reference` set, in a headless context of the same size made beforehand:
// the bare list of the document and one frame of it with the thumbnail's
// camera (the reader's own time is measured apart).
int RunThumbnailChild(const char* document, const char* resultPath, bool reference) {
  Figures r;
  const std::string output = std::string(resultPath) + ".png";
  const int pixels = kDefaultThumbnailSize * kSupersampling;
  std::string reason;
  ThumbnailView view;
  if (!reference) {
    auto start = Clock::now();
    if (!ReadThumbnailModel(document, view, reason)) return 3;
    r["thumb_read"] = Since(start);
    const std::string doc = document;
    if (chdir(doc.substr(0, doc.find_last_of('/')).c_str()) != 0) return 2;
    start = Clock::now();
    if (!CreateHeadlessContext(pixels, pixels, reason)) return 3;
    r["thumb_context"] = Since(start);
    start = Clock::now();
    if (!RenderThumbnail(view, output.c_str(), kDefaultThumbnailSize, reason)) return 3;
    r["thumb_render"] = Since(start);
    r["thumbnail_peak"] = StatusKiB("VmHWM:") / 1024.0;
    std::remove(output.c_str());
  } else {
    if (!CreateHeadlessContext(pixels, pixels, reason) || LoadModel(document) != 0) return 3;
    InitFixedGLState();
    if (!FitThumbnailView(g_objects, g_objectCount, view)) return 3;
    auto start = Clock::now();
    BuildReferenceList(false);
    glFinish();
    r["thumb_ref_list"] = Since(start);
    start = Clock::now();
    SetThumbnailCamera(view, pixels);
    glCallList(1);
    glFinish();
    r["thumb_ref_frame"] = Since(start);
  }
  const int written = WriteChildFigures(resultPath, r, false);
  DestroyHeadlessContext();
  return written;
}

// The whole lumenspin-thumbnailer program, from exec to exit.
double ThumbnailerProcess(const std::string& program, const std::string& document, const std::string& output) {
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execl(program.c_str(), "lumenspin-thumbnailer", document.c_str(), output.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  const double seconds = Since(start);
  std::remove(output.c_str());
  return seconds;
}

bool RunChild(const std::string& document, int frames, bool materialPerFace, const char* mode, Figures& figures,
              std::string& renderer) {
  const std::string resultPath = document + ".result";
  std::remove(resultPath.c_str());
  const std::string framesText = std::to_string(frames);
  const pid_t child = fork();
  if (child == 0) {
    execl("/proc/self/exe", "viewer_bench", "--child", document.c_str(), resultPath.c_str(), framesText.c_str(),
          materialPerFace ? "1" : "0", mode, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "viewer_bench: the %s run on %s failed (status %d)\n", mode, document.c_str(), status);
    return false;
  }
  FILE* in = std::fopen(resultPath.c_str(), "r");
  if (!in) return false;
  char line[512];
  while (std::fgets(line, sizeof line, in)) {
    line[std::strcspn(line, "\n")] = '\0';
    char* space = std::strchr(line, ' ');
    if (!space) continue;
    *space = '\0';
    if (!std::strcmp(line, "renderer"))
      renderer = space + 1;
    else
      figures[line] = std::atof(space + 1);
  }
  std::fclose(in);
  std::remove(resultPath.c_str());
  return true;
}

// ---- documents and the table ---------------------------------------------

struct DocumentSpec {
  bool sample = false;  // the bundled sample model instead of a generated document
  long long faces = 0;
  bool materialPerFace = false;
  bool translucent = false;
  bool curved = false;
  std::string path;
  std::string label;
  Figures figures;
};

std::string FaceLabel(long long faces) {
  if (faces >= 1000000 && faces % 1000000 == 0) return std::to_string(faces / 1000000) + "M";
  if (faces >= 1000 && faces % 1000 == 0) return std::to_string(faces / 1000) + "k";
  return std::to_string(faces);
}

bool PrepareDocument(const std::string& work, DocumentSpec& d) {
  if (d.sample) {
    d.label = "sample model";
    d.path = LUMENSPIN_SAMPLE_MODEL;
    return FileSize(d.path) > 0;
  }
  d.label = FaceLabel(d.faces) + (d.curved            ? " cage faces, patch 3 segment 4"
                                   : d.translucent     ? " faces, half translucent"
                                   : d.materialPerFace ? " faces, material per face"
                                                       : " faces");
  d.path = work + "/viewer-v" + std::to_string(kDocumentVersion) + "-" + std::to_string(d.faces) +
           (d.materialPerFace ? "-perface" : "") + (d.translucent ? "-translucent" : "") + (d.curved ? "-curved" : "") +
           ".mqo";
  if (FileSize(d.path) > 0) return true;
  MqoGeneratorOptions o;
  o.gridMesh = true;
  o.objects = 4;
  o.faces = d.faces;
  o.materials = 6;
  o.quadShare = 0.5;
  o.materialOrder = d.materialPerFace ? MqoGeneratorOptions::MaterialOrder::kEveryFace
                                      : MqoGeneratorOptions::MaterialOrder::kGrouped;
  o.textureFiles = {kJpegName, kTgaName};
  o.translucentMaterials = d.translucent;
  if (d.curved) {
    o.patch = 3;
    o.segment = 4;
  }
  std::printf("generating %s\n", d.path.c_str());
  std::fflush(stdout);
  const std::string partial = d.path + ".partial";
  return WriteMqoDocument(partial.c_str(), o) && std::rename(partial.c_str(), d.path.c_str()) == 0;
}

bool PrepareTextures(const std::string& work) {
  const std::string folder = work + "/Texture";
  mkdir(folder.c_str(), 0755);
  const std::string jpg = folder + "/" + kJpegName, tga = folder + "/" + kTgaName, bmp = folder + "/" + kBmpName;
  if (FileSize(jpg) > 0 && FileSize(tga) > 0 && FileSize(bmp) > 0) return true;
  const Bytes picture = NoisyPicture(kTextureSide);
  return WriteJpeg(jpg, picture, kTextureSide) && WriteTga(tga, picture, kTextureSide) &&
         WriteBmp(bmp, picture, kTextureSide);
}

void ReaderFigures(DocumentSpec& d) {
  const char* file = d.path.c_str();
  const double megabytes = FileSize(d.path) / 1e6;
  const int runs = 5;
  FgetsLoop(file);  // warm the page cache
  int code = 0;
  // The reader and its references take turns, so that all see the same
  // drift of the machine's speed.
  const std::vector<double> t = MedianSecondsInTurns(
      runs, {[&] { code = LoadOnly(file); }, [&] { FgetsLoop(file); }, [&] { SplitLoop(file, FromChars); },
             [&] { BareReadLoop(file); }});
  Figures& f = d.figures;
  f["megabytes"] = megabytes;
  f["load_code"] = code;
  f["load"] = t[0];
  f["load_mbs"] = megabytes / t[0];
  f["fgets_mbs"] = megabytes / t[1];
  f["split_mbs"] = megabytes / t[2];
  f["read_mbs"] = megabytes / t[3];
}

struct TextureFigures {
  double tga = 0, tgaFread = 0, bmp = 0, bmpFread = 0, jpeg = 0, jpegBare = 0, jpegFread = 0;
};

TextureFigures MeasureTextures(const std::string& work) {
  const std::string folder = work + "/Texture/";
  const std::string jpg = folder + kJpegName, tga = folder + kTgaName, bmp = folder + kBmpName;
  constexpr int kRuns = 7;
  TextureFigures t;
  BareRead(tga);
  BareRead(bmp);
  BareRead(jpg);
  t.tgaFread = MedianSeconds(kRuns, [&] { BareRead(tga); });
  t.tga = MedianSeconds(kRuns, [&] { ReaderLoad<CTgaManager>(tga); });
  t.bmpFread = MedianSeconds(kRuns, [&] { BareRead(bmp); });
  t.bmp = MedianSeconds(kRuns, [&] { ReaderLoad<CBMPManager>(bmp); });
  t.jpegFread = MedianSeconds(kRuns, [&] { BareRead(jpg); });
  t.jpegBare = MedianSeconds(kRuns, [&] { BareJpegDecode(jpg); });
  t.jpeg = MedianSeconds(kRuns, [&] { ReaderLoad<CJpegManager>(jpg); });
  return t;
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Ms(double seconds) { return Format("%.1f ms", seconds * 1e3); }
std::string Ratio(double figure, double reference) {
  return reference > 0 ? Format("%.2f×", figure / reference) : std::string("–");
}

struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

void AddRow(Table& t, const std::string& what, const std::vector<DocumentSpec>& docs,
            const std::function<std::string(const Figures&)>& cell) {
  std::vector<std::string> row{what};
  for (const DocumentSpec& d : docs) row.push_back(cell(d.figures));
  t.rows.push_back(row);
}

Table MakeTable(const std::vector<DocumentSpec>& docs, const TextureFigures& tex) {
  Table t;
  t.header.push_back("measure");
  for (const DocumentSpec& d : docs) t.header.push_back(d.label);
  auto get = [](const Figures& f, const char* key) {
    const auto it = f.find(key);
    return it == f.end() ? 0.0 : it->second;
  };
  AddRow(t, "document size", docs, [&](const Figures& f) {
    const double megabytes = get(f, "megabytes");
    return megabytes < 1 ? Format("%.0f KB", megabytes * 1000) : Format("%.1f MB", megabytes);
  });
  AddRow(t, "`LoaderMQO::Load`", docs, [&](const Figures& f) { return Format("%.0f MB/s", get(f, "load_mbs")); });
  AddRow(t, "  ref: bare fgets loop", docs, [&](const Figures& f) { return Format("%.0f MB/s", get(f, "fgets_mbs")); });
  AddRow(t, "  ref: split + std::from_chars", docs,
         [&](const Figures& f) { return Format("%.0f MB/s", get(f, "split_mbs")); });
  AddRow(t, "  ref: `read()` into new memory", docs,
         [&](const Figures& f) { return Format("%.0f MB/s", get(f, "read_mbs")); });
  AddRow(t, "  reader / split (target ≥ 2.0×)", docs,
         [&](const Figures& f) { return Ratio(get(f, "load_mbs"), get(f, "split_mbs")); });
  AddRow(t, "  reader time / `read()` time (target ≤ 2.2×)", docs,
         [&](const Figures& f) { return Ratio(get(f, "read_mbs"), get(f, "load_mbs")); });
  AddRow(t, "`LoadModel`", docs, [&](const Figures& f) { return Ms(get(f, "load_model")); });
  AddRow(t, "  ref: `LoaderMQO::Load` alone", docs, [&](const Figures& f) { return Ms(get(f, "load")); });
  AddRow(t, "`LoadMaterialTextures` (generated: 1 JPEG + 1 TGA)", docs, [&](const Figures& f) { return Ms(get(f, "textures")); });
  AddRow(t, "  ref: bare libjpeg decode + bare fread", docs,
         [&](const Figures&) { return Ms(tex.jpegBare + tex.tgaFread); });
  AddRow(t, "`BuildDisplayList`", docs, [&](const Figures& f) { return Ms(get(f, "build_list")); });
  AddRow(t, "  ref: bare glBegin/glVertex3f/glEnd list", docs, [&](const Figures& f) { return Ms(get(f, "ref_list")); });
  AddRow(t, "first `OnDisplay` + glFinish", docs, [&](const Figures& f) { return Ms(get(f, "first_frame")); });
  AddRow(t, "  ref: first frame of the bare list", docs, [&](const Figures& f) { return Ms(get(f, "ref_first_frame")); });
  auto total = [&](const Figures& f) {
    return get(f, "load_model") + get(f, "textures") + get(f, "build_list") + get(f, "first_frame");
  };
  auto totalReference = [&](const Figures& f) { return get(f, "load") + get(f, "ref_list") + get(f, "ref_first_frame"); };
  AddRow(t, "`LoadModel` to end of first frame", docs, [&](const Figures& f) { return Ms(total(f)); });
  AddRow(t, "  ref: reader + bare list + its first frame", docs, [&](const Figures& f) { return Ms(totalReference(f)); });
  AddRow(t, "  ratio (target ≤ 1.3×)", docs, [&](const Figures& f) { return Ratio(total(f), totalReference(f)); });
  AddRow(t, "  ratio without the textures", docs,
         [&](const Figures& f) { return Ratio(total(f) - get(f, "textures"), totalReference(f)); });
  auto thumbnailReference = [&](const Figures& f) {
    return get(f, "load") + get(f, "thumb_ref_list") + get(f, "thumb_ref_frame");
  };
  auto thumbnail = [&](const Figures& f) { return get(f, "thumb_read") + get(f, "thumb_render"); };
  AddRow(t, "thumbnail 256² (`MakeThumbnail` but its headless context)", docs,
         [&](const Figures& f) { return Ms(thumbnail(f)); });
  AddRow(t, "  ref: reader + bare list + one frame of it, headless", docs,
         [&](const Figures& f) { return Ms(thumbnailReference(f)); });
  AddRow(t, "  ratio", docs, [&](const Figures& f) { return Ratio(thumbnail(f), thumbnailReference(f)); });
  AddRow(t, "  headless context (loads Mesa's driver)", docs, [&](const Figures& f) { return Ms(get(f, "thumb_context")); });
  AddRow(t, "  ref: the viewer's window (glutInit to glutCreateWindow)", docs,
         [&](const Figures& f) { return Ms(get(f, "window")); });
  AddRow(t, "  thumbnail with its context / viewer's window to first frame (target ≤ 1×)", docs,
         [&](const Figures& f) { return Ratio(thumbnail(f) + get(f, "thumb_context"), get(f, "window") + total(f)); });
  AddRow(t, "  whole `lumenspin-thumbnailer` process", docs,
         [&](const Figures& f) { return Ms(get(f, "thumbnailer_process")); });
  AddRow(t, "  thumbnail peak resident memory", docs,
         [&](const Figures& f) { return Format("%.1f MB", get(f, "thumbnail_peak")); });
  AddRow(t, "steady frame (median)", docs, [&](const Figures& f) { return Ms(get(f, "steady_frame")); });
  AddRow(t, "  ref: bare list frame (median)", docs, [&](const Figures& f) { return Ms(get(f, "ref_steady_frame")); });
  AddRow(t, "  ratio (target ≤ 1.15×, grouped materials)", docs,
         [&](const Figures& f) { return Ratio(get(f, "steady_frame"), get(f, "ref_steady_frame")); });
  AddRow(t, "frames a second on the 17 ms tick (sample: target 59)", docs,
         [&](const Figures& f) { return Format("%.1f", get(f, "tick_fps")); });
  AddRow(t, "peak resident memory", docs, [&](const Figures& f) { return Format("%.1f MB", get(f, "peak")); });
  AddRow(t, "  before the load (process, GLUT, Mesa)", docs,
         [&](const Figures& f) { return Format("%.1f MB", get(f, "rss_base")); });
  AddRow(t, "  geometry in the tables", docs, [&](const Figures& f) { return Format("%.1f MB", get(f, "geometry_mb")); });
  AddRow(t, "  list 1 in Mesa (growth over the compile)", docs,
         [&](const Figures& f) { return Format("%.1f MB", get(f, "list_mb")); });
  AddRow(t, "  (peak − before) / (geometry + list) (target ≤ 2.5×)", docs, [&](const Figures& f) {
    return Ratio(get(f, "peak") - get(f, "rss_base"), get(f, "geometry_mb") + get(f, "list_mb"));
  });
  AddRow(t, "as modelled: `LoadModel` to end of first frame", docs,
         [&](const Figures& f) { return Ms(get(f, "am_total")); });
  AddRow(t, "  framing, preparation and list (`BuildDisplayList`)", docs,
         [&](const Figures& f) { return Ms(get(f, "am_build_list")); });
  AddRow(t, "  ratio to the plain start-up above (target ≤ 1.25×)", docs,
         [&](const Figures& f) { return Ratio(get(f, "am_total"), total(f)); });
  AddRow(t, "  steady frame (median)", docs, [&](const Figures& f) { return Ms(get(f, "am_steady_frame")); });
  AddRow(t, "  frame while the view turns (median; translucent faces ordered again)", docs,
         [&](const Figures& f) { return Ms(get(f, "am_turning_frame")); });
  AddRow(t, "  redraw with the `i` and F1 overlays shown (median)", docs,
         [&](const Figures& f) { return Ms(get(f, "am_overlay_frame")); });
  AddRow(t, "  ref: the same redraw without them (median)", docs,
         [&](const Figures& f) { return Ms(get(f, "am_overlay_ref_frame")); });
  AddRow(t, "  ratio", docs,
         [&](const Figures& f) { return Ratio(get(f, "am_overlay_frame"), get(f, "am_overlay_ref_frame")); });
  AddRow(t, "  first frame with them (loads the text module, lays the text out)", docs,
         [&](const Figures& f) { return Ms(get(f, "am_overlay_first")); });
  AddRow(t, "  peak resident memory", docs, [&](const Figures& f) { return Format("%.1f MB", get(f, "am_peak")); });
  AddRow(t, "  ratio to the plain peak (target ≤ 1.25×)", docs,
         [&](const Figures& f) { return Ratio(get(f, "am_peak"), get(f, "peak")); });
  auto textureRow = [&](const std::string& what, const std::string& value) {
    std::vector<std::string> row{what, value};
    row.resize(t.header.size());
    t.rows.push_back(row);
  };
  textureRow("TGA 1024² decode", Ms(tex.tga) + ", fread " + Ms(tex.tgaFread) + " (" + Ratio(tex.tgaFread, tex.tga) +
                                     " of fread speed, target ≥ 0.5×)");
  textureRow("BMP 1024² decode", Ms(tex.bmp) + ", fread " + Ms(tex.bmpFread) + " (" + Ratio(tex.bmpFread, tex.bmp) +
                                     " of fread speed, target ≥ 0.5×)");
  textureRow("JPEG 1024² decode", Ms(tex.jpeg) + ", bare libjpeg " + Ms(tex.jpegBare) + " (" +
                                      Ratio(tex.jpeg, tex.jpegBare) + ", target ≤ 1.1×)");
  return t;
}

void PrintMarkdown(FILE* out, const Table& t, const std::string& renderer, int frames) {
  std::fprintf(out, "GL_RENDERER: %s; steady frames: median of %d; viewer figures: median of the rounds; reader figures: median of 5 rounds of the reader and its references in turn\n\n",
               renderer.c_str(), frames);
  auto printRow = [&](const std::vector<std::string>& row) {
    std::fputc('|', out);
    for (const std::string& cell : row) std::fprintf(out, " %s |", cell.c_str());
    std::fputc('\n', out);
  };
  printRow(t.header);
  std::fputc('|', out);
  for (std::size_t i = 0; i < t.header.size(); ++i) std::fputs(i ? " ---: |" : " --- |", out);
  std::fputc('\n', out);
  for (const auto& row : t.rows) printRow(row);
}

std::vector<DocumentSpec> ParseDocuments(const char* list) {
  std::vector<DocumentSpec> docs;
  std::string text = list;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    std::string item = text.substr(at, comma - at);
    DocumentSpec d;
    if (item == "sample") {
      d.sample = true;
      docs.push_back(d);
    } else if (!item.empty() && (item[0] == 'p' || item[0] == 't' || item[0] == 's')) {
      d.materialPerFace = item[0] == 'p';
      d.translucent = item[0] == 't';
      d.curved = item[0] == 's';
      item.erase(0, 1);
    }
    if (!d.sample) d.faces = std::atoll(item.c_str());
    if (d.faces > 0) docs.push_back(d);
    at = comma + 1;
  }
  return docs;
}

}  // namespace

int main(int argc, char** argv) {
  // The viewer's own memory rules, for the viewer run and the texture
  // readers alike (image_bench measures the readers without them).
  KeepFreedMemory();
  if (argc == 7 && !std::strcmp(argv[1], "--child")) {
    if (!std::strncmp(argv[6], "thumbnail", 9))
      return RunThumbnailChild(argv[2], argv[3], !std::strcmp(argv[6], "thumbnail-reference"));
    return RunViewerChild(argv[2], argv[3], std::max(1, std::atoi(argv[4])), argv[5][0] == '1',
                          !std::strcmp(argv[6], "reference"), !std::strcmp(argv[6], "as-modelled"));
  }
  const char* docList = "sample,10000,100000,1000000,p100000";
  int frames = 30;
  int rounds = 3;
  std::string work = ExecutableFolder() + "/viewer-bench-data";
  std::string markdown;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--docs") && hasValue) docList = argv[++i];
    else if (!std::strcmp(argv[i], "--frames") && hasValue) frames = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--rounds") && hasValue) rounds = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--work") && hasValue) work = argv[++i];
    else if (!std::strcmp(argv[i], "--markdown") && hasValue) markdown = argv[++i];
    else {
      std::fprintf(stderr, "usage: viewer_bench [--docs LIST] [--frames N] [--rounds N] [--work DIR] [--markdown PATH]\n");
      return 2;
    }
  }
  std::vector<DocumentSpec> docs = ParseDocuments(docList);
  mkdir(work.c_str(), 0755);
  if (docs.empty() || !PrepareTextures(work)) {
    std::fprintf(stderr, "viewer_bench: no documents, or cannot write into %s\n", work.c_str());
    return 1;
  }
  const TextureFigures textures = MeasureTextures(work);
  const std::string thumbnailer = ExecutableFolder() + "/../lumenspin-thumbnailer";
  std::string renderer = "unknown";
  for (DocumentSpec& d : docs) {
    if (!PrepareDocument(work, d)) {
      std::fprintf(stderr, "viewer_bench: cannot write %s\n", d.path.c_str());
      return 1;
    }
    ReaderFigures(d);
    if (d.figures["load_code"] != 0) {
      std::fprintf(stderr, "viewer_bench: Load returned %g on %s\n", d.figures["load_code"], d.path.c_str());
      return 1;
    }
    // The viewer and the reference take turns, and each figure is the median
    // over the rounds: this machine's speed drifts over minutes, and a figure
    // and its reference measured minutes apart would compare the drift.
    std::map<std::string, std::vector<double>> perRound;
    for (int round = 0; round < rounds; ++round) {
      Figures once;
      if (!RunChild(d.path, frames, d.materialPerFace, "viewer", once, renderer) ||
          !RunChild(d.path, frames, d.materialPerFace, "reference", once, renderer) ||
          !RunChild(d.path, frames, d.materialPerFace, "as-modelled", once, renderer) ||
          !RunChild(d.path, frames, d.materialPerFace, "thumbnail", once, renderer) ||
          !RunChild(d.path, frames, d.materialPerFace, "thumbnail-reference", once, renderer))
        return 1;
      once["thumbnailer_process"] = ThumbnailerProcess(thumbnailer, d.path, d.path + ".thumbnail.png");
      if (once["thumbnailer_process"] < 0) {
        std::fprintf(stderr, "viewer_bench: %s failed on %s\n", thumbnailer.c_str(), d.path.c_str());
        return 1;
      }
      for (const auto& [key, value] : once) perRound[key].push_back(value);
    }
    for (const auto& [key, values] : perRound) d.figures[key] = Median(values);
  }
  const Table table = MakeTable(docs, textures);
  PrintMarkdown(stdout, table, renderer, frames);
  if (!markdown.empty()) {
    FILE* out = std::fopen(markdown.c_str(), "w");
    if (!out) {
      std::fprintf(stderr, "viewer_bench: cannot write %s\n", markdown.c_str());
      return 1;
    }
    PrintMarkdown(out, table, renderer, frames);
    std::fclose(out);
    std::printf("\nwritten to %s\n", markdown.c_str());
  }
  return 0;
}
