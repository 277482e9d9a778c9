// CPU used by the three windows whose timers poll a picture, when the file their path names holds
// bytes that are no picture: the category menu (every 10 ms), the program chooser (its icon every
// 50 ms, the menu's timer stopped) and Settings' category editor (every 10 ms). Each window is
// measured with a 400 x 400 bitmap, then with 5 MiB and 60 MiB (near the 64 MiB cap) of random
// bytes written over the same path, and last with the file removed; the window keeps the bitmap
// it showed.
// Usage: bench_undecodable_idle [seconds per measurement, default 5]

#include "Controls.h"
#include "Database.h"
#include "FrmMain.h"
#include "FrmMainOpt.h"
#include "FrmStart.h"
#include "Platform.h"
#include "Runtime.h"
#include "frmAdd.h"
#include "frmNewCateg.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

namespace {
struct Content {
    const char* name;
    qint64 junkBytes; // 0: the bitmap, -1: no file at all
};
constexpr Content Contents[] = {{"400 x 400 bitmap", 0},
                                {"5 MiB of no picture", 5 << 20},
                                {"60 MiB of no picture", 60 << 20},
                                {"missing file", -1}};

void writeContent(const QString& path, const Content& content) {
    if (content.junkBytes < 0) {
        QFile::remove(path);
        return;
    }
    if (content.junkBytes == 0) {
        saveBitmap(path, Qt::darkYellow);
        return;
    }
    QByteArray junk(content.junkBytes, Qt::Uninitialized);
    QRandomGenerator random(17);
    random.fillRange(reinterpret_cast<quint32*>(junk.data()), junk.size() / 4);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(junk);
}

// Writes each content over the path in turn and measures the window idling with it.
void measureEach(QTextStream& out, const char* window, const QString& path, const Image& shown, int seconds) {
    for (const Content& content : Contents) {
        writeContent(path, content);
        spin(300);
        const bool kept = shown.picture().size() == QSize(400, 400);
        const double share = measureIdle(seconds);
        out << window << ", " << content.name << ": " << share << " % of one core over " << seconds << " s ("
            << (kept ? "bitmap shown" : "NO PICTURE SHOWN") << ")\n";
        out.flush();
    }
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 5;
    QTemporaryDir dir;
    const QString dbPath = benchDatabase(dir);
    // One path serves as the category's picture and the program's icon.
    const QString path = dir.path() + QStringLiteral("/shown.bmp");
    {
        auto db = Database::open(dbPath);
        db->insert(QStringLiteral("Types"), {QStringLiteral("NameType"), QStringLiteral("IconType")},
                   {QStringLiteral("Игры"), path});
        db->insert(QStringLiteral("Programs"),
                   {QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Type"),
                    QStringLiteral("Directory"), QStringLiteral("IconDir")},
                   {QStringLiteral("Сапёр"), QStringLiteral("Игродел"), QStringLiteral("Игры"),
                    QStringLiteral("/bin/true"), path});
    }
    setProgramFolderForTests(dir.path());
    rt::setQuitHandler([] {});
    QTextStream out(stdout);

    FrmMain& menu = rt::form<FrmMain>();
    rt::Show(menu);
    measureEach(out, "menu", path, *menu.ImgPicture, seconds);

    writeContent(path, Contents[0]);
    spin(300);
    QTimer::singleShot(0, [&] {
        FrmStart& chooser = *rt::loaded<FrmStart>();
        menu.tmrPic->stop();
        spin(500);
        measureEach(out, "chooser", path, *chooser.ImgIcon, seconds);
        chooser.cmdBack->click();
    });
    menu.cmdOpen->click(); // modal: returns when the chooser is closed
    rt::resetForTests();

    writeContent(path, Contents[0]);
    rt::setProgramTitle(QStringLiteral("Settings"));
    rt::Show(rt::form<FrmMainOpt>());
    rt::Show(rt::form<frmAdd>());
    frmNewCateg& editor = rt::form<frmNewCateg>();
    rt::Show(editor);
    measureEach(out, "category editor", path, *editor.ImgPic, seconds);
    rt::resetForTests();
    return 0;
}
