#include "image/texture_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "image/texture_lookup.h"

namespace {

constexpr int kMaxLevelsUp = 4;
constexpr int kMaxDepth = 12;
constexpr long kMaxEntries = 200000;
constexpr auto kMaxTime = std::chrono::seconds(1);

struct TreeFile {
  std::string path;  // absolute
  int level;         // folders up from the model's folder to the walk that found it
  int depth;         // folders down from that one
};

struct TreeIndex {
  bool walked = false;
  std::string top;
  // By file name with ASCII letters lowered; only names a reader may take.
  std::unordered_map<std::string, std::vector<TreeFile>> files;
};

std::atomic<bool> g_search{false};
std::mutex g_mutex;
TreeIndex g_index;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

bool EndsWith(const std::string& s, const char* end) {
  const std::string e = end;
  return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
}

bool PictureName(const std::string& lowered) {
  for (const char* ext : {".png", ".jpg", ".jpeg", ".bmp", ".tga"})
    if (EndsWith(lowered, ext)) return true;
  return false;
}

std::string Parent(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// The folders a walk may start from: the model's own, then each one above
// while it may still be a project's (not "/", not "/home", not the home
// folder, nor above it).
std::vector<std::string> Tops(const std::string& model) {
  std::vector<std::string> tops{model};
  const char* homeVar = std::getenv("HOME");
  std::string home = homeVar ? homeVar : "";
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  for (int level = 1; level <= kMaxLevelsUp; ++level) {
    const std::string up = Parent(tops.back());
    const bool rootOrBelowIt = up == "/" || up.find('/', 1) == std::string::npos;
    const bool holdsHome = !home.empty() && (home == up || home.rfind(up + "/", 0) == 0);
    if (up == tops.back() || rootOrBelowIt || holdsHome) break;
    tops.push_back(up);
  }
  return tops;
}

class Walk {
 public:
  Walk(TreeIndex& index, dev_t device)
      : index_(index), device_(device), start_(std::chrono::steady_clock::now()) {}

  // Everything below `top` but the folder `skip` (walked from lower down).
  void From(const std::string& top, const std::string& skip, int level) {
    std::deque<std::pair<std::string, int>> folders{{top, 0}};
    while (!folders.empty() && !Spent()) {
      auto [folder, depth] = folders.front();
      folders.pop_front();
      DIR* dir = opendir(folder.c_str());
      if (!dir) continue;
      struct stat st;
      if (fstat(dirfd(dir), &st) != 0 || st.st_dev != device_) {
        closedir(dir);
        continue;
      }
      while (dirent* entry = readdir(dir)) {
        if (++visited_ > kMaxEntries || Spent()) break;
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = (folder == "/" ? "" : folder) + "/" + name;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
          struct stat link;
          if (fstatat(dirfd(dir), entry->d_name, &link, AT_SYMLINK_NOFOLLOW) != 0) continue;
          type = S_ISDIR(link.st_mode) ? DT_DIR : S_ISLNK(link.st_mode) ? DT_LNK : S_ISREG(link.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
          if (depth < kMaxDepth && !(depth == 0 && name == skip)) folders.emplace_back(path, depth + 1);
          continue;
        }
        std::string key = Lower(name);
        if ((type != DT_REG && type != DT_LNK) || !PictureName(key)) continue;
        // A link counts only when it leads to a regular file.
        struct stat target;
        if (type == DT_LNK && (fstatat(dirfd(dir), entry->d_name, &target, 0) != 0 || !S_ISREG(target.st_mode))) continue;
        index_.files[std::move(key)].push_back({path, level, depth});
      }
      closedir(dir);
    }
  }

 private:
  bool Spent() {
    if (visited_ > kMaxEntries) return true;
    // The clock is read once in a while: it costs more than an entry.
    if ((++ticks_ & 255) == 0 && std::chrono::steady_clock::now() - start_ > kMaxTime) spent_ = true;
    return spent_;
  }

  TreeIndex& index_;
  dev_t device_;
  std::chrono::steady_clock::time_point start_;
  long visited_ = 0;
  unsigned ticks_ = 0;
  bool spent_ = false;
};

void WalkTree(TreeIndex& index) {
  index.walked = true;
  char cwd[4096];
  struct stat st;
  if (!getcwd(cwd, sizeof cwd) || stat(cwd, &st) != 0) return;
  const std::vector<std::string> tops = Tops(cwd);
  index.top = tops.back();
  Walk walk(index, st.st_dev);
  for (size_t level = 0; level < tops.size(); ++level) {
    const std::string skip = level == 0 ? "" : tops[level - 1].substr(tops[level - 1].rfind('/') + 1);
    walk.From(tops[level], skip, static_cast<int>(level));
  }
}

// The folders of the path, last first.
std::vector<std::string> FoldersFromEnd(const std::string& path) {
  std::vector<std::string> folders;
  size_t end = path.rfind('/');
  while (end != std::string::npos && end > 0) {
    const size_t start = path.rfind('/', end - 1);
    folders.push_back(path.substr(start + 1, end - start - 1));
    end = start;
  }
  return folders;
}

// How many of the written name's folders, from its last, the path ends with.
int SharedTail(const WrittenPath& written, const std::string& path) {
  const std::vector<std::string> folders = FoldersFromEnd(path);
  int shared = 0;
  for (size_t i = 0; i + 1 < written.parts.size() && i < folders.size(); ++i) {
    if (!SameNameIgnoringCase(written.parts[written.parts.size() - 2 - i], folders[i].c_str(), written.cp932)) break;
    ++shared;
  }
  return shared;
}

}  // namespace

void SetTextureTreeSearch(bool on) { g_search = on; }

bool TextureTreeSearch() { return g_search; }

std::string FindTextureInTree(const char* name) {
  if (!g_search) return "";
  const std::vector<WrittenPath> spellings = TextureNameSpellings(name);
  if (spellings.empty()) return "";
  const std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_index.walked) WalkTree(g_index);
  const TreeFile* best = nullptr;
  int bestTail = -1;
  for (const WrittenPath& written : spellings) {
    const std::string& last = written.parts.back();
    const auto found = g_index.files.find(Lower(last));
    if (found == g_index.files.end()) continue;
    for (const TreeFile& file : found->second) {
      if (!SameNameIgnoringCase(last, file.path.c_str() + file.path.rfind('/') + 1, written.cp932)) continue;
      const int tail = SharedTail(written, file.path);
      if (!best || std::make_tuple(-tail, file.level, file.depth, std::string_view(file.path)) <
                       std::make_tuple(-bestTail, best->level, best->depth, std::string_view(best->path))) {
        best = &file;
        bestTail = tail;
      }
    }
  }
  return best ? best->path : "";
}

std::string TextureTreeTop() {
  if (!g_search) return "";
  const std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_index.walked) WalkTree(g_index);
  return g_index.top;
}

void ResetTextureTree() {
  const std::lock_guard<std::mutex> lock(g_mutex);
  g_index = TreeIndex();
}
