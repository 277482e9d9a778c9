// readme-pictures OUT: makes OUT/menu.png and OUT/chooser.png, Orvanto's category menu and program
// chooser as a newcomer first sees them. It prepares a demo DataProg.mdb next to itself, as Orvanto
// has it, then goes through the gate with the demo password by key presses and clicks.

#include "FrmMain.h"
#include "FrmStart.h"
#include "PasswordGate.h"
#include "PrepareDatabase.h"
#include "Runtime.h"
#include "Schema.h"
#include "frmPassMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

QString outFolder;

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "readme-pictures: %s\n", qPrintable(message));
    std::exit(1);
}

// Runs `step` once `ready` holds, from a posted call, so that it also runs inside a modal window.
void when(std::function<bool()> ready, std::function<void()> step, const char* what,
          std::shared_ptr<QElapsedTimer> since = {}) {
    if (!since) {
        since = std::make_shared<QElapsedTimer>();
        since->start();
    }
    QTimer::singleShot(20, [=] {
        if (ready())
            step();
        else if (since->elapsed() > 30000)
            fail(QStringLiteral("gave up waiting for %1").arg(QString::fromLatin1(what)));
        else
            when(ready, step, what, since);
    });
}

void save(QWidget* window, const QString& name) {
    const QString path = QDir(outFolder).filePath(name);
    if (!window->grab().save(path, "PNG"))
        fail(QStringLiteral("cannot write %1").arg(path));
    QTextStream(stdout) << "Wrote " << QDir::toNativeSeparators(path) << "\n";
}

void showChooser(FrmMain& menu) {
    when(
        [] {
            const FrmStart* w = rt::loaded<FrmStart>();
            return w && rt::lastActivated() == FrmStart::Name && w->cmdOpen->isEnabled() &&
                   w->ImgIcon->picture() == LoadPicture(w->lblIconCat->text()) &&
                   !w->ImgCatName->picture().isNull();
        },
        [] {
            FrmStart& chooser = *rt::loaded<FrmStart>();
            save(&chooser, QStringLiteral("chooser.png"));
            QTest::mouseClick(chooser.cmdBack, Qt::LeftButton);
        },
        "the program chooser");
    // Returns once the chooser's "Назад" is pressed.
    QTest::mouseClick(menu.cmdOpen, Qt::LeftButton);
    rt::End();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanto"));
    QApplication::setQuitOnLastWindowClosed(false);
    rt::setProgramTitle(QStringLiteral("Orvanto"));
    if (argc != 2)
        fail(QStringLiteral("usage: readme-pictures OUTPUT-FOLDER"));
    outFolder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outFolder))
        fail(QStringLiteral("cannot create %1").arg(outFolder));

    PrepareOptions options;
    options.path = DatabasePath();
    options.demo = true;
    options.force = true;
    options.programFolder = QStringLiteral(ORVANTO_BIN_DIR);
    try {
        if (prepareDatabaseWithReport(options).programs == 0)
            fail(QStringLiteral("the demo found no program to list"));
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }

    rt::Show(frmPassMain());
    when([] { return rt::lastActivated() == Gates::PassMain.name; },
         [] {
             PasswordGate& gate = frmPassMain();
             QTest::keyClicks(gate.txtPassword, QStringLiteral("orvanto"));
             QTest::mouseClick(gate.cmdOk, Qt::LeftButton);
             when(
                 [] {
                     const FrmMain* menu = rt::loaded<FrmMain>();
                     return menu && rt::lastActivated() == FrmMain::Name &&
                            !menu->ImgPicture->picture().isNull();
                 },
                 [] {
                     FrmMain& menu = *rt::loaded<FrmMain>();
                     save(&menu, QStringLiteral("menu.png"));
                     showChooser(menu);
                 },
                 "the category menu");
         },
         "the password gate");
    return QApplication::exec();
}
