#include "app/startup.h"

#include <GL/glut.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

#include "app/console_text.h"
#include "app/desktop_session.h"
#include "app/file_drop.h"
#include "app/model_switch.h"
#include "app/model_watch.h"
#include "app/file_chooser.h"
#include "app/frame.h"
#include "app/physics.h"
#include "app/view_control.h"
#include "render/display_list.h"
#include "render/material_textures.h"
#include "model/model_loading.h"
#include "model/textures_ahead.h"
#include "model/view_projection.h"
#include "base/diagnostics.h"
#include "base/shown_text.h"

namespace {

[[noreturn]] void RefuseAsUnopenable(const std::string& path, const char* reason) {
  Diagnose(path.c_str(), "cannot open the model: %s", reason);
  std::printf("Can't open mqo file. [enter]\n");
  WaitForEnter();
  PostDiagnosticsToDesktop();
  std::exit(-1);
}

// The model shown, as an absolute path.
char g_modelPath[kMaxPath];

// The reading of the model, started by ChooseAndStartLoadingModel.
std::thread g_loading;
int g_loadResult = 0;


bool IsDirectory(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

void CountModelAgainstBudget(const char* path) {
  // What will be drawn is counted: a document whose every object is hidden
  // is shown with them.
  if (g_asModelled) ShowHiddenObjectsWhenAllHidden(path);
  const MemoryBudget budget = ModelMemoryBudget();
  std::string reason;
  if (g_asModelled && !DrawnModelFits(g_objects, g_objectCount, budget, reason)) {
    Diagnose(path, "%s; nothing is drawn", reason.c_str());
    ReleaseModel();
  }
  const double modelBytes =
      g_asModelled ? DrawnModelBytes(g_objects, g_objectCount, budget)
      : g_loader   ? static_cast<double>(g_loader->KeptFaces()) * budget.perFace +
                       static_cast<double>(g_loader->KeptVertices()) * budget.perVertex
                   : 0.0;
  BoundTexturePixels(budget, modelBytes);
}

bool MakeAbsolutePath(const std::string& path, char (&out)[kMaxPath]) {
  std::string absolute;
  if (!path.empty() && path[0] == '/') {
    absolute = path;
  } else {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return false;
    absolute = cwd;
    if (absolute.back() != '/') absolute += '/';
    absolute += path;
  }
  if (absolute.size() >= static_cast<size_t>(kMaxPath)) return false;
  std::memcpy(out, absolute.c_str(), absolute.size() + 1);
  return true;
}

std::string FolderOf(const char* absolutePath) {
  const char* slash = std::strrchr(absolutePath, '/');
  if (slash == nullptr) return ".";
  if (slash == absolutePath) return "/";
  return std::string(absolutePath, slash);
}

std::string ModelPath() { return g_modelPath; }

bool SetModelPath(const std::string& path) {
  if (!MakeAbsolutePath(path, g_modelPath)) return false;
  return chdir(FolderOf(g_modelPath).c_str()) == 0;
}

std::string ModelShownName() {
  const char* slash = std::strrchr(g_modelPath, '/');
  return ShownText(slash ? slash + 1 : g_modelPath);
}

std::string ModelWindowTitle() { return ModelShownName() + " \u2014 " + kWindowTitle; }

double AspectRatio(int width, int height) {
  if (width <= 0 || height <= 0) return 1.0;
  return static_cast<double>(width) / static_cast<double>(height);
}

void PrintHelp() {
  PrintConsoleText("MQOファイルを選択してください。\n");
  PrintConsoleText("テクスチャ画像はMQOファイルのあるフォルダのTextureフォルダに入れてください。\n");
  // Drawn as modelled, the model is mirrored, smoothed and shown without its
  // hidden objects; the line that says otherwise would mislead.
  if (g_asModelled)
    PrintConsoleText("ミラーリング・非表示・曲面・スムージングはモデルの通りに描画します（回転体は未対応）。\n");
  else
    PrintConsoleText("ミラーリング等いろいろ実装していません。\n");
  PrintConsoleText("------------キーボード操作------------------\n");
  PrintConsoleText("a: 拡大\n");
  PrintConsoleText("z: 縮小\n");
  PrintConsoleText("s, ←: 左移動\n");
  PrintConsoleText("f, →: 右移動\n");
  PrintConsoleText("e, ↑: 上移動\n");
  PrintConsoleText("d, ↓: 下移動\n");
  PrintConsoleText("x: 奥移動\n");
  PrintConsoleText("c: 手前移動\n");
  PrintConsoleText("左クリック: X軸周りの回転\n");
  // The middle button turns about Z and the right one about Y, as the gizmo shows.
  PrintConsoleText("中クリック: Z軸周りの回転\n");
  PrintConsoleText("右クリック: Y軸周りの回転\n");
  PrintConsoleText("ESC:終了\n");
}

void ChooseAndStartLoadingModel(const char* commandLinePath) {
  std::string chosen;
  if (commandLinePath != nullptr) {
    chosen = commandLinePath;
  } else {
    std::fflush(stdout);
    if (!ChooseModelFile(chosen, g_newerFormats)) {
      PrintConsoleText("MQOファイルを選択してください。 [enter]\n");
      WaitForEnter();
      PostDiagnosticsToDesktop();
      std::exit(-1);
    }
  }
  char (&buffer)[kMaxPath] = g_modelPath;
  if (!MakeAbsolutePath(chosen, buffer)) RefuseAsUnopenable(chosen, "its full path is longer than 259 bytes");
  if (IsDirectory(buffer)) RefuseAsUnopenable(buffer, std::strerror(EISDIR));
  // Textures are looked up as "Texture/<name>" beside the model file.
  if (chdir(FolderOf(buffer).c_str()) != 0) RefuseAsUnopenable(buffer, std::strerror(errno));
  // Read while the main thread loads the window system's driver, which
  // takes far longer than a small model and leaves the other core idle.
  // Nothing else prints until FinishLoadingModel, so the text comes out in
  // the order it always has.
  g_loading = std::thread([] {
    g_loadResult = LoadModel(buffer);
    if (g_loadResult < 0) return;
    CountModelAgainstBudget(buffer);
    // Decoded while the window system loads its driver; InitGL takes them.
    StartTexturesAhead();
  });
}

void FinishLoadingModel() {
  if (g_loading.joinable()) g_loading.join();
  if (g_loadResult < 0) {
    PostDiagnosticsToDesktop();
    std::exit(-1);
  }
}

void OnWindowSystemError(const char* format, va_list args) {
  // The model was read before the window system was asked for, and one that
  // cannot be read ends the viewer with its own message: so it does here.
  FinishLoadingModel();
  char message[512];
  std::vsnprintf(message, sizeof message, format, args);
  // GLUT says "failed to open display '<name>'" and would end the process.
  const char* kNoDisplay = "failed to open display '";
  if (std::strncmp(message, kNoDisplay, std::strlen(kNoDisplay)) == 0) {
    std::string name(message + std::strlen(kNoDisplay));
    if (!name.empty() && name.back() == '\'') name.pop_back();
    if (name.empty())
      Diagnose(nullptr, "no display (DISPLAY is not set): the model was read, but no window can be shown");
    else
      Diagnose(nullptr, "cannot open display %s: the model was read, but no window can be shown", name.c_str());
  } else {
    Diagnose(nullptr, "window system: %s", message);
  }
  // Exit would tear down the lookup that the texture thread may still be using.
  WaitForTexturesAhead();
  PostDiagnosticsToDesktop();
  std::exit(1);
}

void InitFixedGLState() {
  g_view.orientation.SetComponents(1.0, 0.0, 0.0, 0.0);
  const double noTranslation[3] = {0.0, 0.0, 0.0};
  g_view.orientation.ToMatrix(noTranslation, g_view.rotationMatrix);
  InitDrawingState();
}

void InitGL() {
  InitFixedGLState();
  MakeModelReady();
}

void MakeModelReady() {
  // Memory that runs out while the model is made ready lets the model go,
  // with the reason, rather than the program.
  try {
    LoadMaterialTextures();
    if (g_asModelled) FrameViewerModel(g_modelFraming);
    BuildDisplayList();
  } catch (const std::bad_alloc&) {
    LetModelGoForMemory(nullptr);
  }
}

void LetModelGoForMemory(const char* path) {
  Diagnose(path, "out of memory while the model was made ready to draw; nothing is drawn");
  ReleaseModelDrawing();
  ReleaseModel();
  BuildDisplayList();
}

void OnFirstDisplay() {
  OnDisplay();
  glutDisplayFunc(OnDisplay);
  PostDiagnosticsAside();
  // The file watched and the drops taken need a connection and a watch of
  // their own, which the first frame does not wait for.
  if (g_asModelled) {
    WatchShownModel();
    StartTakingDrops(ShowDroppedModel);
  }
}

void OnReshape(int width, int height) {
  // A minimised window reports a zero side: the trackball keeps the last
  // size it knew rather than dividing by zero.
  if (width > 0) g_view.invWidth = 1.0 / width;
  if (height > 0) g_view.invHeight = 1.0 / height;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double aspect = AspectRatio(width, height);
  gluPerspective(g_asModelled ? FieldOfViewFor(aspect) : kFieldOfViewDegrees, aspect, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

double FieldOfViewFor(double aspect) {
  if (!(aspect > 0) || aspect >= kFirstAspect) return kFieldOfViewDegrees;
  constexpr double kDegrees = 180.0 / std::numbers::pi;
  return 2 * kDegrees * std::atan(std::tan(kFieldOfViewDegrees / 2 / kDegrees) * kFirstAspect / aspect);
}

// Mesa's software renderer takes a scratch buffer of many megabytes for
// every frame of a big model and frees it at the frame's end. With glibc's
// default rules the freed top of the heap goes back to the kernel each time,
// and the next frame faults every page of it in again: on a 100,000-face
// model that was more than half of each frame. Keeping up to 1 GiB of freed
// heap costs nothing the model did not already need at its peak. Setting the
// trim threshold also freezes the mmap threshold at glibc's start value, so
// it is raised by hand to the largest glibc accepts: blocks up to 32 MiB then
// come from the heap and are reused as well.
void KeepFreedMemory() {
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

void CleanupAtExit() {
  DestroyPhysicsWorld();
  ReleaseModel();
}
