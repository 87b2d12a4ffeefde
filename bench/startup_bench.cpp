// startup_bench: the whole viewer process, from exec to its first frame on
// the screen, beside the same for an empty GLUT window (empty_window, the
// floor no GLUT program gets under): loading the libraries, reading the
// model and its textures, the window, the list and the first frame, as a
// user waits for them. The empty window, the viewer and the viewer with
// --as-modelled take turns in every round, so that each ratio compares runs
// that saw the same drift of the machine's speed; a figure is the median
// over the rounds, a ratio the median of the rounds' ratios.
//
// A frame counts as on the screen when the server holds it: the bench
// watches every new top-level window through the DAMAGE extension and reads
// back one corner pixel after each change, until it has the clear colour
// that the viewer and the empty window share.
//
// usage: startup_bench [--rounds N] [--models LIST] [--markdown PATH]
//   LIST: comma-separated "sample" (the bundled sample model) or paths of
//   models (relative ones below the corpus folder); by default the sample
//   and the small lsbattle models bos, Phoenix and buta.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/view_projection.h"
#include "references.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The clear colour (0.4, 0.4, 0.8) of both programs on a 24-bit TrueColor screen.
constexpr unsigned long kClearPixel = 0x6666CC;
// Near the bottom right corner of the first window, where neither program
// draws anything but the background (models reach the top, and the axis
// indicator of --as-modelled stands at the bottom left).
constexpr int kProbeX = kFirstWindowWidth - 3, kProbeY = kFirstWindowHeight - 3;
constexpr double kGiveUpSeconds = 60.0;
const char* const kCorpusModels[] = {"lsbattle/resources/img/bos/bos.mqo", "lsbattle/resources/img/Phoenix/Phoenix.mqo",
                                     "lsbattle/resources/img/buta/buta.mqo"};

int g_damageEvent = 0;

// Windows vanish and change under the bench's feet; a failed read-back only
// means "not drawn yet".
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

bool ShowsClearColour(Display* display, Window window) {
  XImage* image = XGetImage(display, window, kProbeX, kProbeY, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const bool cleared = (XGetPixel(image, 0, 0) & 0xFFFFFF) == kClearPixel;
  XDestroyImage(image);
  return cleared;
}

void DrainEvents(Display* display) {
  XSync(display, False);
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
  }
}

// Seconds from fork to the child's first frame on the screen, or -1 when it
// ended or took longer than kGiveUpSeconds. The child is ended afterwards.
double SecondsToFirstFrame(Display* display, const std::vector<std::string>& args, const std::string& log) {
  DrainEvents(display);
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_RDWR);
    const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err >= 0 ? err : null, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (child < 0) return -1;
  double seconds = -1;
  const int fd = ConnectionNumber(display);
  while (seconds < 0) {
    const double waited = std::chrono::duration<double>(Clock::now() - start).count();
    if (waited > kGiveUpSeconds || waitpid(child, nullptr, WNOHANG) == child) break;
    if (!XPending(display)) {
      pollfd p = {fd, POLLIN, 0};
      poll(&p, 1, 5);
      if (!XPending(display)) continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    Window changed = None;
    if (event.type == CreateNotify) {
      // Watched from its creation, so no drawing into it is missed.
      changed = event.xcreatewindow.window;
      XDamageCreate(display, changed, XDamageReportNonEmpty);
    } else if (event.type == g_damageEvent + XDamageNotify) {
      const auto* damage = reinterpret_cast<XDamageNotifyEvent*>(&event);
      XDamageSubtract(display, damage->damage, None, None);
      changed = damage->drawable;
    }
    if (changed != None && ShowsClearColour(display, changed))
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  // The server frees the ended client's window meanwhile, not during the next run.
  usleep(20000);
  if (seconds < 0) {
    std::fprintf(stderr, "startup_bench: no frame from");
    for (const std::string& a : args) std::fprintf(stderr, " %s", a.c_str());
    std::fprintf(stderr, "\n");
  }
  return seconds;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Column {
  Column(std::string l, std::vector<std::string> m) : label(std::move(l)), models(std::move(m)) {}
  std::string label;
  std::vector<std::string> models;  // one, or the corpus models pooled
  std::vector<double> floor, plain, modelled, plainRatio, modelledRatio;
};

std::string Ms(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
  return text;
}

std::string Times(double ratio) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f×", ratio);
  return text;
}

void PrintTable(FILE* out, const std::vector<Column>& columns, int rounds) {
  std::fprintf(out, "Exec to the first frame on the screen; median of %d rounds of the three programs in turn, "
                    "ratios the median of the rounds' ratios\n\n", rounds);
  std::fprintf(out, "| measure |");
  for (const Column& c : columns) std::fprintf(out, " %s |", c.label.c_str());
  std::fprintf(out, "\n| --- |");
  for (size_t i = 0; i < columns.size(); ++i) std::fprintf(out, " ---: |");
  std::fprintf(out, "\n");
  auto row = [&](const char* what, auto cell) {
    std::fprintf(out, "| %s |", what);
    for (const Column& c : columns) std::fprintf(out, " %s |", cell(c).c_str());
    std::fprintf(out, "\n");
  };
  row("whole process: `lumenspin MODEL`", [](const Column& c) { return Ms(Median(c.plain)); });
  row("  `lumenspin --as-modelled MODEL`", [](const Column& c) { return Ms(Median(c.modelled)); });
  row("  ref: empty GLUT window (the floor)", [](const Column& c) { return Ms(Median(c.floor)); });
  row("  viewer / floor (target ≤ 1.3×)", [](const Column& c) { return Times(Median(c.plainRatio)); });
  row("  as modelled / floor (target ≤ 1.3×)", [](const Column& c) { return Times(Median(c.modelledRatio)); });
}

bool Readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

std::string Label(const std::string& model) {
  std::string name = model.substr(model.find_last_of('/') + 1);
  return name.substr(0, name.find_last_of('.'));
}

std::vector<Column> MakeColumns(const char* list) {
  std::vector<Column> columns;
  std::vector<std::string> corpus;
  if (list == nullptr) {
    columns.emplace_back("sample model", std::vector<std::string>{LUMENSPIN_SAMPLE_MODEL});
    for (const char* m : kCorpusModels) {
      const std::string path = std::string(LUMENSPIN_CORPUS_DIR) + "/" + m;
      if (Readable(path)) corpus.push_back(path);
    }
    for (const std::string& m : corpus) columns.emplace_back(Label(m), std::vector<std::string>{m});
    if (corpus.size() > 1) {
      std::string label;
      for (const std::string& m : corpus) label += (label.empty() ? "" : ", ") + Label(m);
      columns.emplace_back(label + " pooled", corpus);
    }
    return columns;
  }
  std::string text = list;
  for (size_t at = 0; at <= text.size();) {
    const size_t comma = std::min(text.find(',', at), text.size());
    const std::string item = text.substr(at, comma - at);
    at = comma + 1;
    if (item.empty()) continue;
    if (item == "sample") {
      columns.emplace_back("sample model", std::vector<std::string>{LUMENSPIN_SAMPLE_MODEL});
      continue;
    }
    const std::string path = item[0] == '/' ? item : std::string(LUMENSPIN_CORPUS_DIR) + "/" + item;
    columns.emplace_back(Label(path), std::vector<std::string>{path});
  }
  return columns;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 21;
  const char* models = nullptr;
  const char* markdown = nullptr;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--rounds") && hasValue) rounds = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--models") && hasValue) models = argv[++i];
    else if (!std::strcmp(argv[i], "--markdown") && hasValue) markdown = argv[++i];
    else {
      std::fprintf(stderr, "usage: startup_bench [--rounds N] [--models LIST] [--markdown PATH]\n");
      return 2;
    }
  }
  Display* display = XOpenDisplay(nullptr);
  int damageError = 0;
  if (display == nullptr || !XDamageQueryExtension(display, &g_damageEvent, &damageError)) {
    std::fprintf(stderr, "startup_bench: needs an X display with the DAMAGE extension\n");
    return 1;
  }
  XSetErrorHandler(IgnoreXError);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

  const std::string here = ExecutableFolder();
  const std::string viewer = here + "/../lumenspin", floor = here + "/empty_window";
  const std::string log = here + "/startup_bench.stderr";
  std::vector<Column> columns = MakeColumns(models);
  for (const Column& c : columns)
    for (const std::string& m : c.models)
      if (!Readable(m)) {
        std::fprintf(stderr, "startup_bench: cannot read %s\n", m.c_str());
        return 1;
      }

  // A first run of each fills the page cache and Mesa's shader cache, as
  // any start after the first finds them.
  bool ok = true;
  for (const Column& c : columns) {
    ok = ok && SecondsToFirstFrame(display, {floor}, log) > 0 &&
         SecondsToFirstFrame(display, {viewer, c.models[0]}, log) > 0 &&
         SecondsToFirstFrame(display, {viewer, "--as-modelled", c.models[0]}, log) > 0;
  }
  for (int round = 0; ok && round < rounds; ++round) {
    for (Column& c : columns) {
      if (c.models.size() > 1) continue;  // the pooled column takes its models' runs
      const double f = SecondsToFirstFrame(display, {floor}, log);
      const double p = SecondsToFirstFrame(display, {viewer, c.models[0]}, log);
      const double m = SecondsToFirstFrame(display, {viewer, "--as-modelled", c.models[0]}, log);
      ok = f > 0 && p > 0 && m > 0;
      if (!ok) break;
      for (Column& into : columns) {
        if (std::find(into.models.begin(), into.models.end(), c.models[0]) == into.models.end()) continue;
        into.floor.push_back(f);
        into.plain.push_back(p);
        into.modelled.push_back(m);
        into.plainRatio.push_back(p / f);
        into.modelledRatio.push_back(m / f);
      }
    }
  }
  if (!ok) {
    std::fprintf(stderr, "startup_bench: a program showed no frame; its standard error is in %s\n", log.c_str());
    return 1;
  }
  XCloseDisplay(display);
  PrintTable(stdout, columns, rounds);
  if (markdown != nullptr) {
    FILE* out = std::fopen(markdown, "w");
    if (out == nullptr) {
      std::fprintf(stderr, "startup_bench: cannot write %s\n", markdown);
      return 1;
    }
    PrintTable(out, columns, rounds);
    std::fclose(out);
    std::printf("\nwritten to %s\n", markdown);
  }
  return 0;
}
