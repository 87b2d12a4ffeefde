// The KIO thumbnail plugin that gives Dolphin (and every other KIO preview
// client) the picture of a model: it runs the installed lumenspin-thumbnailer,
// so that there is one drawing, and the thumbnailer's bounds on time, memory
// and files hold inside KIO's thumbnail worker too.
#include <KIO/ThumbnailCreator>
#include <KPluginFactory>

#include <algorithm>

#include "thumbnailer/kde/thumbnailer_run.h"
#include "thumbnailer/resource_limits.h"
#include "thumbnailer/thumbnailer.h"

namespace {

// The thumbnailer ends itself after kWallSeconds; a few seconds more are its
// start and its end. Past that it is killed.
constexpr int kWallMs = (static_cast<int>(kWallSeconds) + 5) * 1000;

class LumenspinThumbnail : public KIO::ThumbnailCreator {
  Q_OBJECT

 public:
  LumenspinThumbnail(QObject* parent, const QVariantList& args) : KIO::ThumbnailCreator(parent, args) {}

  // A refused model gets a failed result, which KIO shows as the type's icon
  // without a message.
  KIO::ThumbnailResult create(const KIO::ThumbnailRequest& request) override {
    if (!request.url().isLocalFile()) return KIO::ThumbnailResult::fail();
    const QString thumbnailer = InstalledThumbnailer();
    if (thumbnailer.isEmpty()) {
      qWarning("lumenspin thumbnail plugin: lumenspin-thumbnailer is not installed beside it");
      return KIO::ThumbnailResult::fail();
    }
    // The worker asks for the size in device pixels; the thumbnailer draws
    // squares.
    const QSize target = request.targetSize();
    const int side = std::clamp(std::max(target.width(), target.height()), 1, kMaxThumbnailSize);
    const QImage picture = RunThumbnailer(thumbnailer, request.url().toLocalFile(), side, kWallMs);
    return picture.isNull() ? KIO::ThumbnailResult::fail() : KIO::ThumbnailResult::pass(picture);
  }
};

}  // namespace

K_PLUGIN_CLASS_WITH_JSON(LumenspinThumbnail, "lumenspinthumbnail.json")

#include "lumenspin_thumbnail.moc"
