#include "app/screenshot.h"

#include <GL/gl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/desktop_session.h"
#include "base/diagnostics.h"
#include "image/png_writer.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The first line `xdg-user-dir PICTURES` prints, or empty when it cannot
// run (the command is not installed everywhere).
std::string AskUserDirs() {
  FILE* pipe = popen("xdg-user-dir PICTURES 2>/dev/null", "r");
  if (!pipe) return "";
  char line[4096] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  if (!read) return "";
  std::string folder = line;
  while (!folder.empty() && (folder.back() == '\n' || folder.back() == '/')) folder.pop_back();
  return folder;
}

bool WriteAll(int fd, const std::vector<unsigned char>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string PicturesFolder() {
  const std::string asked = AskUserDirs();
  if (IsFolder(asked)) return asked;
  const char* home = std::getenv("HOME");
  return home && IsFolder(home) ? home : "";
}

std::string ScreenshotName(const std::string& modelPath, std::time_t when, int count) {
  std::string name = modelPath.substr(modelPath.find_last_of('/') + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  char stamp[32];
  std::tm local{};
  localtime_r(&when, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return name + "-" + stamp + (count > 1 ? "-" + std::to_string(count) : "") + ".png";
}

bool SaveScreenshot(const std::string& folder, const std::string& modelPath, std::time_t when,
                    const std::vector<unsigned char>& rgba, int width, int height, std::string& path,
                    std::string& reason) {
  std::vector<unsigned char> png;
  if (!EncodePng(rgba.data(), width, height, png)) {
    reason = "the picture could not be encoded";
    return false;
  }
  for (int count = 1; count <= 100; ++count) {
    path = folder + "/" + ScreenshotName(modelPath, when, count);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      reason = std::strerror(errno);
      return false;
    }
    const bool written = WriteAll(fd, png);
    const int writeError = errno;
    if (close(fd) != 0 || !written) {
      reason = std::strerror(written ? errno : writeError);
      unlink(path.c_str());
      return false;
    }
    return true;
  }
  reason = "a hundred pictures of that name and second are there already";
  return false;
}

void TakeScreenshot(const std::string& modelPath) {
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int width = viewport[2], height = viewport[3];
  if (width <= 0 || height <= 0) return;
  std::vector<unsigned char> rows(static_cast<std::size_t>(width) * height * 4);
  glReadBuffer(GL_FRONT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
  glReadBuffer(GL_BACK);
  // OpenGL's rows run bottom-up; the picture is opaque.
  std::vector<unsigned char> rgba(rows.size());
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < height; ++y)
    std::memcpy(&rgba[stride * y], &rows[stride * (height - 1 - y)], stride);
  for (std::size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  const std::string folder = PicturesFolder();
  std::string path, reason;
  if (folder.empty())
    Diagnose(nullptr, "screenshot not saved: no pictures folder and no home folder");
  else if (SaveScreenshot(folder, modelPath, std::time(nullptr), rgba, width, height, path, reason))
    Diagnose(path.c_str(), "screenshot saved");
  else
    Diagnose(path.c_str(), "screenshot not saved: %s", reason.c_str());
  PostDiagnosticsAside();
}
