// CPU used by Orvanto idling in the program chooser once the search has found the program: the
// search step every 10 ms and the icon reload every 50 ms keep running. Measured twice: the whole
// launcher (the menu under the chooser keeps reloading its category picture), then the chooser
// alone (the menu's timer stopped). Usage: bench_chooser_idle [seconds]

#include "Controls.h"
#include "Database.h"
#include "FrmMain.h"
#include "FrmStart.h"
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
    QImage icon(48, 48, QImage::Format_ARGB32);
    icon.fill(Qt::darkCyan);
    QString iconPath = dir.path() + QStringLiteral("/prog.ico");
    if (!icon.save(iconPath, "ICO")) {
        iconPath = dir.path() + QStringLiteral("/prog.png");
        icon.save(iconPath, "PNG");
    }
    const QString picturePath = dir.path() + QStringLiteral("/cat.bmp");
    saveBitmap(picturePath, Qt::red);
    auto db = Database::open(dbPath);
    db->insert(QStringLiteral("Types"), {QStringLiteral("NameType"), QStringLiteral("IconType")},
               {QStringLiteral("Игры"), picturePath});
    const QStringList fields{QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Type"),
                             QStringLiteral("Directory"), QStringLiteral("IconDir")};
    db->insert(QStringLiteral("Programs"), fields,
               {QStringLiteral("Блокнот"), QStringLiteral("Мастер"), QStringLiteral("Офис"),
                QStringLiteral("/bin/true"), iconPath});
    db->insert(QStringLiteral("Programs"), fields,
               {QStringLiteral("Сапёр"), QStringLiteral("Игродел"), QStringLiteral("Игры"),
                QStringLiteral("/bin/true"), iconPath});
    db.reset();
    setProgramFolderForTests(dir.path());
    rt::setQuitHandler([] {});

    FrmMain& menu = rt::form<FrmMain>();
    rt::Show(menu);
    spin(200);
    QTextStream out(stdout);
    QTimer::singleShot(0, [&] {
        FrmStart& w = *rt::loaded<FrmStart>();
        spin(500);
        const bool found = w.lblName->text() == QStringLiteral("Сапёр") && w.cmdOpen->isEnabled() &&
                           w.Timer1->isActive() && w.Timer2->isActive() && !w.ImgIcon->picture().isNull();
        out << "chooser state: " << (found ? "found, Timer1 and Timer2 running" : "NOT FOUND") << "\n";
        out.flush();
        const double whole = measureIdle(seconds);
        menu.tmrPic->stop();
        const double alone = measureIdle(seconds);
        out << "chooser idle " << seconds << " s: CPU " << whole
            << " % of one core with the menu's 1 ms picture timer, " << alone
            << " % with the chooser's timers alone\n";
        w.cmdBack->click();
    });
    menu.cmdOpen->click(); // modal: returns when the chooser is closed
    rt::resetForTests();
    return 0;
}
