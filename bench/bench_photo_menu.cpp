// Memory held by the category menu after the user steps through five categories whose pictures are
// 24-megapixel photos (6000 x 4000 JPEG, about 3 MB each), and the CPU it uses idling afterwards.
// The photos are made once, with noise so that they compress as photos do, and kept in the folder
// given (default: orvanto-bench-photos in the temporary folder) for later runs, by a child process
// so that making them leaves no trace in the figures.
// Usage: bench_photo_menu [idle seconds, default 5] [photo folder]

#include "Controls.h"
#include "Database.h"
#include "FrmMain.h"
#include "Platform.h"
#include "Runtime.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int Photos = 5;
const QSize PhotoSize(6000, 4000);

// A sky-to-ground gradient of its own hue with grain on every pixel.
void makePhoto(const QString& path, int index) {
    QImage photo(PhotoSize, QImage::Format_RGB888);
    QRandomGenerator random(quint32(100 + index));
    const int hue = index * 360 / Photos;
    for (int y = 0; y < photo.height(); ++y) {
        const QColor base =
            QColor::fromHsv(hue, 80 + 150 * y / photo.height(), 230 - 120 * y / photo.height());
        uchar* line = photo.scanLine(y);
        for (int x = 0; x < photo.width(); ++x) {
            const int grain = int(random.bounded(17u)) - 8;
            line[3 * x] = uchar(std::clamp(base.red() + grain + x % 97 / 8, 0, 255));
            line[3 * x + 1] = uchar(std::clamp(base.green() + grain, 0, 255));
            line[3 * x + 2] = uchar(std::clamp(base.blue() + grain - x % 131 / 9, 0, 255));
        }
    }
    photo.save(path, "JPEG", 80);
}

QStringList photos(const QString& folder) {
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < Photos; ++i)
        paths << folder + QStringLiteral("/photo%1.jpg").arg(i + 1);
    const pid_t maker = fork();
    if (maker == 0) {
        for (int i = 0; i < Photos; ++i)
            if (QImageReader(paths[i]).size() != PhotoSize)
                makePhoto(paths[i], i);
        _exit(0);
    }
    waitpid(maker, nullptr, 0);
    return paths;
}

// A field of /proc/self/status, in KiB.
qint64 statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
} // namespace

int main(int argc, char* argv[]) {
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 5;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                    : QDir::tempPath() + QStringLiteral("/orvanto-bench-photos");
    const QStringList paths = photos(folder); // before any thread starts
    QApplication app(argc, argv);
    QTextStream out(stdout);
    qint64 fileBytes = 0;
    for (const QString& path : paths)
        fileBytes += QFileInfo(path).size();
    out << Photos << " photos of " << PhotoSize.width() << " x " << PhotoSize.height() << ", "
        << fileBytes / Photos / 1024 << " KiB each on average, in " << folder << "\n";

    QTemporaryDir dir;
    const QString dbPath = benchDatabase(dir);
    {
        auto db = Database::open(dbPath);
        for (int i = 0; i < Photos; ++i)
            db->insert(QStringLiteral("Types"), {QStringLiteral("NameType"), QStringLiteral("IconType")},
                       {QStringLiteral("Категория %1").arg(i + 1), paths[i]});
    }
    setProgramFolderForTests(dir.path());
    rt::setQuitHandler([] {});

    FrmMain& menu = rt::form<FrmMain>();
    rt::Show(menu);
    menu.tmrPic->stop(); // the placeholder stays while the memory is measured without any photo
    spin(300);
    const qint64 rssBefore = statusKiB("VmRSS:");
    const qint64 peakBefore = statusKiB("VmHWM:");

    // Each category in turn, as the user steps with the navigator: the next picture must show
    // before the next step.
    QElapsedTimer total;
    total.start();
    qint64 slowest = 0;
    bool allShown = true;
    for (int i = 0; i < Photos; ++i) {
        const qint64 shownBefore = menu.ImgPicture->picture().cacheKey();
        QElapsedTimer shown;
        shown.start();
        if (i == 0)
            menu.tmrPic->setInterval(1);
        else
            menu.DatCategories->pressArrow(DataControl::Next);
        while (menu.ImgPicture->picture().cacheKey() == shownBefore && shown.elapsed() < 10000)
            spin(1);
        allShown = allShown && menu.ImgPicture->picture().cacheKey() != shownBefore;
        slowest = std::max(slowest, shown.elapsed());
    }
    const qint64 stepping = total.elapsed();
    spin(300);
    const qint64 rssAfter = statusKiB("VmRSS:");
    const qint64 peakAfter = statusKiB("VmHWM:");
    const QSize held = menu.ImgPicture->picture().size();
    const double idle = measureIdle(seconds);

    out << "stepping through " << Photos << " categories: " << stepping << " ms, slowest picture " << slowest
        << " ms" << (allShown ? "" : " (A PICTURE DID NOT SHOW)") << "; picture held " << held.width()
        << " x " << held.height() << "\n"
        << "RSS " << rssBefore / 1024 << " -> " << rssAfter / 1024 << " MiB: grew "
        << (rssAfter - rssBefore) / 1024 << " MiB; peak " << peakBefore / 1024 << " -> " << peakAfter / 1024
        << " MiB\n"
        << "idle afterwards: " << idle << " % of one core over " << seconds << " s\n";
    rt::resetForTests();
    return 0;
}
