// CPU used by Settings idling in the category editor, whose preview timer reloads the picture of
// the current path every 10 ms. Measured with a 400 x 400 bitmap as the path, then with the default
// path that names no file here (the tick fails silently each time). The menu and the program-records
// editor stay open beneath, as in the program. Usage: bench_newcateg_idle [seconds]

#include "Controls.h"
#include "Database.h"
#include "FrmMainOpt.h"
#include "Platform.h"
#include "PrepareDatabase.h"
#include "Runtime.h"
#include "Schema.h"
#include "frmAdd.h"
#include "frmNewCateg.h"

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
    const QString picturePath = dir.path() + QStringLiteral("/sea.bmp");
    saveBitmap(picturePath, Qt::darkGreen);
    {
        auto db = Database::open(dbPath);
        db->insert(QStringLiteral("Types"), {QStringLiteral("NameType"), QStringLiteral("IconType")},
                   {QStringLiteral("Море"), picturePath});
    }
    setProgramFolderForTests(dir.path());
    rt::setQuitHandler([] {});
    rt::setProgramTitle(QStringLiteral("Settings"));

    QTextStream out(stdout);
    rt::Show(rt::form<FrmMainOpt>());
    rt::Show(rt::form<frmAdd>());
    frmNewCateg& editor = rt::form<frmNewCateg>();
    rt::Show(editor);
    spin(500);
    const bool shown = editor.ImgPic->picture().size() == QSize(400, 400);
    const double withPicture = measureIdle(seconds);
    out << "frmNewCateg, 400 x 400 bitmap (" << (shown ? "shown" : "NOT shown") << "): " << withPicture
        << " % of one core over " << seconds << " s\n";
    out.flush();

    editor.cmdAdd->click(); // the new record takes the default path, which names no file here
    spin(500);
    const bool missing = editor.lblPic->text() == ErrorPicturePath && editor.Timer1->isActive();
    const double withMissing = measureIdle(seconds);
    out << "frmNewCateg, missing default path (" << (missing ? "timer running" : "NOT as set up")
        << "): " << withMissing << " % of one core over " << seconds << " s\n";
    out.flush();
    rt::End();
    return 0;
}
