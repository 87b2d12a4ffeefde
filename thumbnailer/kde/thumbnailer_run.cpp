#include "thumbnailer/kde/thumbnailer_run.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "thumbnailer/resource_limits.h"

namespace {

// The thumbnailer with two duties set between fork and exec: it ends when
// the worker that started it dies (Dolphin may kill its worker at any time),
// and it inherits the memory file that it writes the picture into.
class ThumbnailerProcess : public QProcess {
 public:
  explicit ThumbnailerProcess(int output) : output_(output), parent_(getpid()) {}

 protected:
  void setupChildProcess() override {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent_) _exit(127);  // the worker died before the line above
    fcntl(output_, F_SETFD, 0);            // open across exec, in the child alone
  }

 private:
  const int output_;
  const pid_t parent_;
};

// Closes the memory file whichever way the run ends.
struct FileCloser {
  int fd;
  ~FileCloser() { close(fd); }
};

// The whole memory file, or empty when it is empty, larger than the
// thumbnailer may write, or cannot be read.
QByteArray ReadAll(int fd) {
  struct stat status;
  if (fstat(fd, &status) != 0 || status.st_size <= 0 || status.st_size > static_cast<off_t>(kOutputFileBytes)) return {};
  QByteArray bytes(static_cast<int>(status.st_size), Qt::Uninitialized);
  off_t done = 0;
  while (done < status.st_size) {
    const ssize_t got = pread(fd, bytes.data() + done, static_cast<size_t>(status.st_size - done), done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return {};
    done += got;
  }
  return bytes;
}

}  // namespace

QString InstalledThumbnailer() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&InstalledThumbnailer), &info) == 0 || info.dli_fname == nullptr) return {};
  const QDir pluginFolder = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteDir();
  const QString path = QDir::cleanPath(pluginFolder.filePath(QStringLiteral(LUMENSPIN_THUMBNAILER_FROM_PLUGIN)));
  return QFileInfo(path).isExecutable() ? path : QString();
}

QImage RunThumbnailer(const QString& thumbnailer, const QString& model, int side, int wallMs) {
  // An anonymous file: nothing to remove afterwards, even when the worker is
  // killed while the thumbnailer draws.
  const int fd = memfd_create("lumenspin-thumbnail", MFD_CLOEXEC);
  if (fd < 0) return {};
  const FileCloser closer{fd};
  ThumbnailerProcess process(fd);
  process.setProgram(thumbnailer);
  // An absolute path never starts with '-', so it cannot pass for an option.
  process.setArguments({QStringLiteral("-s"), QString::number(side), QFileInfo(model).absoluteFilePath(),
                        QStringLiteral("/proc/self/fd/%1").arg(fd)});
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  // Its one line on why a model is refused goes to the worker's log.
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start();
  if (!process.waitForFinished(wallMs)) {  // also false when it did not start
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished(-1);
    }
    return {};
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return {};
  return QImage::fromData(ReadAll(fd), "PNG");
}
