// CPU used by the category menu idling for 10 s with a 400 x 400 picture, and how soon a picture
// changed on disk shows. Usage: bench_menu_idle [seconds]

#include "Controls.h"
#include "Database.h"
#include "FrmMain.h"
#include "Platform.h"
#include "PrepareDatabase.h"
#include "Runtime.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <sys/resource.h>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    const QString dbPath = benchDatabase(dir);
    const QString pic = dir.path() + QStringLiteral("/cat.bmp");
    saveBitmap(pic, Qt::red);
    Database::open(dbPath)->insert(QStringLiteral("Types"),
                                   {QStringLiteral("NameType"), QStringLiteral("IconType")},
                                   {QStringLiteral("Офис"), pic});
    setProgramFolderForTests(dir.path());
    rt::setQuitHandler([] {});

    FrmMain& menu = rt::form<FrmMain>();
    rt::Show(menu);
    spin(500);
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    spin(seconds * 1000);
    const double cpu = cpuSeconds() - before;
    const double share = 100.0 * cpu / (wall.elapsed() / 1000.0);

    saveBitmap(pic, Qt::blue);
    QElapsedTimer seen;
    seen.start();
    while (QColor(menu.ImgPicture->picture().pixel(200, 200)) != QColor(Qt::blue) && seen.elapsed() < 2000)
        spin(1);
    QTextStream(stdout) << "menu idle " << seconds << " s: CPU " << cpu << " s = " << share
                        << " % of one core; changed picture shown after " << seen.elapsed() << " ms\n";
    rt::resetForTests();
    return 0;
}
