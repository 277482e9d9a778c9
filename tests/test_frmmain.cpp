// The category menu and the exit question.

#include "BuiltinPictures.h"
#include "FrmExit.h"
#include "FrmMain.h"
#include "FrmStart.h"
#include "MessageBoxes.h"
#include "PasswordGate.h"
#include "Runtime.h"
#include "TestSupport.h"
#include "frmPassMain.h"

#include <QtTest>

namespace {
QColor shown(Image* img) {
    return centre(img->picture());
}
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void designValues() {
        TestFolder folder;
        FrmMain& m = rt::form<FrmMain>();
        QCOMPARE(m.windowTitle(), QStringLiteral("Запуск программ"));
        QCOMPARE(m.size(), QSize(twips(7695), twips(5385)));
        QCOMPARE(m.DatCategories->caption(), QStringLiteral("          Переход по категориям"));
        QCOMPARE(m.DatCategories->caption().size(), 31);
        QCOMPARE(m.tmrPic->interval(), 1);
        QVERIFY(m.tmrPic->isActive());
        QCOMPARE(m.initialFocus(), m.cmdEnd);
        QCOMPARE(nextTabStop(m.cmdEnd), m.cmdOpen);
        QCOMPARE(nextTabStop(m.cmdOpen), m.CmdHelp);
        QCOMPARE(nextTabStop(m.CmdHelp), m.cmdEnd);
        QCOMPARE(m.CmdHelp->toolTip(), QStringLiteral("Помощь"));
        QCOMPARE(m.ImgPicture->toolTip(), QStringLiteral("Рисунок категории"));
        QCOMPARE(m.ImgPicture->picture(), BuiltinPictures::categoryPlaceholder());
        QCOMPARE(m.lblCategories->font().pointSizeF(), 15.0);
        QVERIFY(!m.LblIcon->isVisibleTo(&m));
        QVERIFY(m.hasCloseBox());
    }

    void pictureFollowsTheRecordAtTheNextTick() {
        TestFolder folder;
        const QString red = writePicture(folder.path(), QStringLiteral("red.bmp"), Qt::red);
        const QString wide = writePicture(folder.path(), QStringLiteral("wide.bmp"), Qt::green, {40, 10});
        folder.fill(QStringLiteral("Types"), {{"Офис", red},
                                              {"Пропал", folder.path() + QStringLiteral("/missing.bmp")},
                                              {"Широкая", wide},
                                              {"Пустая", ""}});
        FrmMain& m = openForm<FrmMain>();
        QCOMPARE(m.lblCategories->text(), QStringLiteral("Офис"));
        m.tmrPic_Timer();
        QCOMPARE(shown(m.ImgPicture), QColor(Qt::red));

        clickArrow(m.DatCategories, DataControl::Next);
        QCOMPARE(m.lblCategories->text(), QStringLiteral("Пропал")); // the name at once
        m.tmrPic_Timer();
        QCOMPARE(shown(m.ImgPicture), QColor(Qt::red)); // a missing file keeps the last picture
        QVERIFY(prompts().isEmpty());

        clickArrow(m.DatCategories, DataControl::Next);
        m.tmrPic_Timer();
        QCOMPARE(shown(m.ImgPicture), QColor(Qt::green));
        const QImage grabbed = m.ImgPicture->grab().toImage();
        QCOMPARE(QColor(grabbed.pixel(grabbed.width() - 1, grabbed.height() - 1)),
                 QColor(Qt::green)); // stretched

        clickArrow(m.DatCategories, DataControl::Last);
        m.tmrPic_Timer();
        QVERIFY(m.ImgPicture->picture().isNull()); // an empty path clears it
    }

    void realTimerShowsAChangedFileWithinATick() {
        TestFolder folder;
        const QString path = writePicture(folder.path(), QStringLiteral("cat.bmp"), Qt::red);
        folder.fill(QStringLiteral("Types"), {{"Офис", path}});
        FrmMain& m = rt::form<FrmMain>();
        rt::Show(m);
        QVERIFY(waitUntil([&] { return shown(m.ImgPicture) == QColor(Qt::red); }));
        writePicture(folder.path(), QStringLiteral("cat.bmp"), Qt::blue);
        QVERIFY(waitUntil([&] { return shown(m.ImgPicture) == QColor(Qt::blue); }));
    }

    void emptyTypesTable() {
        TestFolder folder;
        FrmMain& m = openForm<FrmMain>();
        QCOMPARE(m.lblCategories->text(), QString());
        m.tmrPic_Timer();
        QVERIFY(m.ImgPicture->picture().isNull());
        later([] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == FrmStart::Name; }));
            click(child<QAbstractButton>(rt::loaded<FrmStart>(), "cmdBack"));
        });
        click(m.cmdOpen);
        settle();
        QVERIFY(!rt::loaded<FrmStart>());
        QCOMPARE(rt::lastActivated(), FrmMain::Name);
    }

    void activationClosesTheGate() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"));
        throughOpenGate<FrmMain>(frmPassMain());
        QVERIFY(rt::loaded<FrmMain>());
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPassMain")));
        QCOMPARE(rt::loaded<FrmMain>()->focusWidget(), rt::loaded<FrmMain>()->cmdEnd);
    }

    void exitQuestionNoKeepsTheRecordYesEnds() {
        TestFolder folder;
        folder.fill(QStringLiteral("Types"), {{"Первая", ""}, {"Вторая", ""}});
        FrmMain& m = openForm<FrmMain>();
        clickArrow(m.DatCategories, DataControl::Next);
        later([] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == FrmExit::Name; }));
            FrmExit* e = rt::loaded<FrmExit>();
            QCOMPARE(e->focusWidget(), e->cmdNo);
            QCOMPARE(e->geometry().topLeft(), QPoint(twips(5310), twips(5295)));
            QCOMPARE(e->lblEnd->text(), QStringLiteral("Выйти?"));
            QCOMPARE(e->windowTitle(), QStringLiteral("Выход"));
            click(e->cmdNo);
        });
        click(m.cmdEnd);
        settle();
        QVERIFY(!rt::loaded<FrmExit>());
        QCOMPARE(m.lblCategories->text(), QStringLiteral("Вторая"));
        QVERIFY(!rt::programFinished());

        later([] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == FrmExit::Name; }));
            click(rt::loaded<FrmExit>()->cmdYes);
        });
        click(m.cmdEnd);
        QVERIFY(rt::ended());
        QVERIFY(prompts().isEmpty());
    }

    void closeBoxEndsWithoutTheQuestion() {
        TestFolder folder;
        FrmMain& m = openForm<FrmMain>();
        m.close();
        settle();
        QVERIFY(!rt::loaded<FrmMain>());
        QVERIFY(!rt::loaded<FrmExit>());
        QVERIFY(rt::programFinished());
    }

    void settingsImageStartsSettingsOnDoubleClickOnly() {
        TestFolder folder;
        const QString marker = folder.path() + QStringLiteral("/settings-ran");
        folder.markerScript(QStringLiteral("Settings"), marker);
        FrmMain& m = openForm<FrmMain>();
        QTest::mouseClick(m.imgSet, Qt::LeftButton);
        spin(200);
        QVERIFY(!QFile::exists(marker));
        QTest::mouseDClick(m.imgSet, Qt::LeftButton);
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
        QVERIFY(rt::loaded<FrmMain>());
    }

    void failedStartsAreToldAndTheMenuStays() {
        TestFolder folder;
        rt::setProgramTitle(QStringLiteral("Orvanto"));
        FrmMain& m = openForm<FrmMain>();
        click(m.CmdHelp); // no Helping program anywhere
        QTest::mouseDClick(m.imgSet, Qt::LeftButton);
        QCOMPARE(prompts().size(), 2);
        QCOMPARE(MessageBoxes::asked().first().title, QStringLiteral("Orvanto"));
        QVERIFY(prompts().first().contains(QStringLiteral("Helping.exe")));
        QVERIFY(rt::loaded<FrmMain>());
    }

    // The database moved away while the menu is open: "Открыть" names the file and says it is
    // missing, in Russian; the chooser does not open and the menu stays.
    void aMissingDatabaseIsToldWhenTheChooserOpens() {
        TestFolder folder;
        FrmMain& m = openForm<FrmMain>();
        QVERIFY(QFile::rename(folder.dbPath(), folder.dbPath() + QStringLiteral(".moved")));
        click(m.cmdOpen);
        settle();
        QCOMPARE(prompts(),
                 QStringList{QStringLiteral("Файл базы данных %1 не найден.").arg(folder.dbPath())});
        QVERIFY(!rt::loaded<FrmStart>());
        QVERIFY(rt::loaded<FrmMain>());
    }

    // The exit question opens with the focus on "Нет": Enter answers no; Enter on "Да" ends.
    void enterAnswersTheExitQuestionWithTheFocusedButton() {
        TestFolder folder;
        FrmMain& m = rt::form<FrmMain>();
        rt::Show(m);
        settle();
        bool answered = false;
        later([&] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == FrmExit::Name; }));
            FrmExit* e = rt::loaded<FrmExit>();
            QCOMPARE(e->focusWidget(), e->cmdNo);
            QTest::keyClick(e->focusWidget(), Qt::Key_Return);
            answered = !rt::loaded<FrmExit>();
            if (!answered)
                click(e->cmdNo); // lets the test go on to report
        });
        click(m.cmdEnd);
        settle();
        QVERIFY(answered);
        QVERIFY(!rt::loaded<FrmExit>());
        QVERIFY(!rt::ended());

        answered = false;
        later([&] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == FrmExit::Name; }));
            FrmExit* e = rt::loaded<FrmExit>();
            e->cmdYes->setFocus();
            QTest::keyClick(e->focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
            answered = rt::ended();
            if (!answered)
                click(e->cmdYes);
        });
        click(m.cmdEnd);
        QVERIFY(answered);
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
