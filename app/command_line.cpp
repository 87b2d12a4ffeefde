#include "app/command_line.h"

#include <cstdio>
#include <cstring>

#include "app/key_list.h"

namespace {

bool Is(const char* arg, const char* option) { return std::strcmp(arg, option) == 0; }

bool TakesValue(const char* arg) { return Is(arg, "-display") || Is(arg, "-geometry"); }

bool IsFlag(const char* arg) {
  return Is(arg, "-direct") || Is(arg, "-indirect") || Is(arg, "-iconic") || Is(arg, "-gldebug") ||
         Is(arg, "-sync");
}

// The usage is printed around the list of the keys as modelled.
constexpr const char* kUsageHead =
    "Usage: lumenspin [--newer | --as-modelled] [MODEL.mqo | MODEL.mqoz] [window options]\n"
    "       lumenspin --help | --version\n"
    "\n"
    "Shows a Metasequoia text document (.mqo) in a window. Without MODEL a file\n"
    "chooser asks for one; of several models named, only the first is shown.\n"
    "Only documents whose second line is \"Format Text Ver 1.0\" are read; any\n"
    "other says \"Format Error\". Faces have at most four corners; mirroring and\n"
    "smoothing are not applied.\n"
    "\n"
    "--newer  also reads \"Format Text Ver 1.1\" and \"1.2\" documents (names in\n"
    "         the code page their CodePage line gives) and the zipped\n"
    "         archives of the modeller (.mqoz: the one document inside is read,\n"
    "         and textures it holds are used before those beside it); the\n"
    "         chooser then offers .mqoz files too.\n"
    "--as-modelled\n"
    "         reads as --newer does, and draws the model as the modeller shows\n"
    "         it: whole and centred in the window, mirrored halves added, hidden\n"
    "         objects left out, curved surfaces refined, smoothed and lit,\n"
    "         translucent materials blended, vertex colours shown. The title\n"
    "         names the model, and a small axis indicator stands in a corner;\n"
    "         the move keys move by a twentieth of the view.\n"
    "\n"
    "Mouse: drag with the left, middle or right button to turn the model about\n"
    "the X, Z or Y axis.\n"
    "Keys:  a, z          larger, smaller\n"
    "       s f e d       move left, right, up, down (also the arrow keys)\n"
    "       x, c          move away, nearer\n"
    "       ESC, q        quit\n"
    "\n"
    "As modelled, the mouse and keys:\n";

constexpr const char* kUsageTail =
    "\n"
    "Textures (TGA, BMP, JPEG, PNG) are looked up in the folder \"Texture\" beside\n"
    "the model, then beside the model itself, ignoring letter case and Windows\n"
    "folder names.\n"
    "\n"
    "Window options: -display DISPLAY, -geometry WxH+X+Y, -direct, -indirect,\n"
    "-iconic, -gldebug, -sync.\n"
    "\n"
    "The fixed console texts go to standard output; diagnostics naming the file\n"
    "and the reason go to standard error.\n";

}  // namespace

std::string UsageText() { return kUsageHead + KeyListForUsage(2) + kUsageTail; }

std::vector<int> FindModelArguments(int argc, char** argv) {
  std::vector<int> models;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) break;
    if (TakesValue(argv[i])) {
      ++i;
    } else if (!IsFlag(argv[i])) {
      models.push_back(i);
    }
  }
  return models;
}

bool TakeNewerOption(int& argc, char** argv) { return TakeOption(argc, argv, "--newer"); }

bool TakeOption(int& argc, char** argv, const char* option) {
  bool found = false;
  int kept = 1;
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    if (TakesValue(argv[i]) && i + 1 < argc) {
      argv[kept++] = argv[i++];
    } else if (Is(argv[i], option)) {
      found = true;
      continue;
    }
    argv[kept++] = argv[i];
  }
  if (found) {
    argc = kept;
    argv[argc] = nullptr;
  }
  return found;
}

int FindModelArgument(int argc, char** argv) {
  const std::vector<int> models = FindModelArguments(argc, argv);
  return models.empty() ? 0 : models.front();
}

bool PrintInformationAsked(int argc, char** argv) {
  if (argc < 2 || argv[1] == nullptr) return false;
  if (Is(argv[1], "--help")) {
    std::fputs(UsageText().c_str(), stdout);
    return true;
  }
  if (Is(argv[1], "--version")) {
    std::printf("lumenspin %s\n", LUMENSPIN_VERSION);
    return true;
  }
  return false;
}
