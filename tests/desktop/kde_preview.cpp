// kde_preview SIZE OUTDIR MODEL...: previews of the models made as Dolphin
// makes them, through KIO's PreviewJob and its thumbnail worker, with the
// Lumenspin plugin alone enabled (KIO's text preview would draw any .mqo as
// a page of text). One line per model, in the order given:
//   picture INDEX WIDTHxHEIGHT MS   (saved as OUTDIR/INDEX.png)
//   failed INDEX MS
// where MS is the time since the previous answer. Status 0 when every model
// had an answer, 3 when one took longer than WAIT_SECONDS.
#include <KFileItem>
#include <KIO/PreviewJob>

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QPixmap>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {

// Above the plugin's own bound (the thumbnailer's 60 s, and 5 s more).
constexpr int kWaitSeconds = 90;

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: kde_preview SIZE OUTDIR MODEL...\n");
    return 2;
  }
  const int size = std::atoi(argv[1]);
  const QString out = QString::fromLocal8Bit(argv[2]);
  KFileItemList items;
  QHash<QUrl, int> index;
  for (int i = 3; i < argc; ++i) {
    const QUrl url = QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    index.insert(url, i - 3);
    items.append(KFileItem(url));
  }

  const QStringList plugins{QStringLiteral("lumenspinthumbnail")};
  KIO::PreviewJob* job = KIO::filePreview(items, QSize(size, size), &plugins);
  QElapsedTimer sinceLast;
  sinceLast.start();
  int answers = 0;
  QTimer watchdog;
  watchdog.setSingleShot(true);
  watchdog.start(kWaitSeconds * 1000);
  const auto answered = [&] {
    ++answers;
    sinceLast.restart();
    watchdog.start(kWaitSeconds * 1000);
    std::fflush(stdout);
  };
  QObject::connect(job, &KIO::PreviewJob::gotPreview, [&](const KFileItem& item, const QPixmap& preview) {
    const int i = index.value(item.url(), -1);
    preview.save(QStringLiteral("%1/%2.png").arg(out).arg(i), "PNG");
    std::printf("picture %d %dx%d %lld\n", i, preview.width(), preview.height(), sinceLast.elapsed());
    answered();
  });
  QObject::connect(job, &KIO::PreviewJob::failed, [&](const KFileItem& item) {
    std::printf("failed %d %lld\n", index.value(item.url(), -1), sinceLast.elapsed());
    answered();
  });
  QObject::connect(job, &KJob::result, &app, [&] { app.exit(answers == items.size() ? 0 : 1); });
  QObject::connect(&watchdog, &QTimer::timeout, &app, [&] {
    std::fprintf(stderr, "kde_preview: no answer in %d s\n", kWaitSeconds);
    app.exit(3);
  });
  return app.exec();
}
