// Loads a picture path that names a huge sparse file with a valid 400 x 400 header, as the
// editors' preview timers do, and prints the time taken and the peak resident memory.
//   bench_huge_picture [size in MiB, default 2560]

#include "Controls.h"
#include "Platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 mib = argc > 1 ? QByteArray(argv[1]).toLongLong() : 2560;
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/huge.bmp");
    QImage red(400, 400, QImage::Format_RGB888);
    red.fill(Qt::red);
    red.save(path, "BMP");
    QFile(path).resize(mib * 1024 * 1024);
    QElapsedTimer t;
    t.start();
    QString outcome = QStringLiteral("loaded");
    for (int i = 0; i < 10; ++i) {
        try {
            LoadPicture(path);
        } catch (const RuntimeError& e) {
            outcome = QString::fromUtf8(e.what());
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("file %lld MiB, 10 loads: %lld ms, peak RSS %ld KiB, %s\n", mib, t.elapsed(), usage.ru_maxrss,
                qPrintable(outcome));
    return 0;
}
