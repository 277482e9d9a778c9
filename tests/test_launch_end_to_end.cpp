// One launch along the whole road, with the real event loop and timers: the gate, the menu, the
// chooser's search, the start of a real program and its record in the launch log.

#include "FrmMain.h"
#include "FrmStart.h"
#include "PasswordGate.h"
#include "Platform.h"
#include "Runtime.h"
#include "TestSupport.h"
#include "frmPassMain.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QtTest>
#include <ctime>

class TestLaunchEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::SaudiArabia));
        qputenv("TZ", "America/St_Johns");
        tzset();
    }
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void gateMenuChooserStartAndLog() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        folder.setPasswords(QStringLiteral("ключ"), QStringLiteral("x"), QStringLiteral("x"));
        const QString marker = folder.path() + QStringLiteral("/started");
        const QString script = folder.markerScript(QStringLiteral("game.sh"), marker);
        folder.fill(QStringLiteral("Types"),
                    {{QStringLiteral("Офис"), QString()}, {QStringLiteral("Игры"), QString()}});
        folder.fill(QStringLiteral("Programs"),
                    {{QStringLiteral("Блокнот"), QStringLiteral("Мастер"), QStringLiteral("Офис"),
                      QStringLiteral("/bin/false"), QString()},
                     {QStringLiteral("Сапёр"), QStringLiteral("Игродел"), QStringLiteral("Игры"), script,
                      QString()}});

        PasswordGate& gate = frmPassMain();
        rt::Show(gate);
        settle();
        typeText(gate.txtPassword, QStringLiteral("ключ"));
        click(gate.cmdOk);
        QVERIFY(waitUntil([] { return rt::lastActivated() == FrmMain::Name; }));
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPassMain")));
        FrmMain& menu = *rt::loaded<FrmMain>();
        QTest::mouseClick(menu.DatCategories, Qt::LeftButton, {},
                          menu.DatCategories->arrowRect(DataControl::Next).center());
        QCOMPARE(menu.lblCategories->text(), QStringLiteral("Игры"));

        const QDate day = QDate::currentDate();
        bool chooserDone = false;
        later([&] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == FrmStart::Name; }));
            FrmStart& w = *rt::loaded<FrmStart>();
            QCOMPARE(w.lblCategories->text(), QStringLiteral("Игры"));
            QVERIFY(waitUntil(
                [&] { return w.lblName->text() == QStringLiteral("Сапёр") && w.cmdOpen->isEnabled(); }));
            QCOMPARE(w.LblStatus->text(), QStringLiteral("Статус: Готово."));
            QCOMPARE(w.lblComp->text(), QStringLiteral("Игродел"));
            QCOMPARE(w.FindCount, quint64(1));
            QVERIFY(w.Timer1->isActive());
            QVERIFY(w.Timer2->isActive());
            click(w.cmdOpen);
            QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
            // The search runs on after the start and stays on the program.
            QVERIFY(waitForRealTicks(
                *w.Timer1, [chooser = &w] { chooser->Timer1_Timer(); }, 10));
            QCOMPARE(w.lblName->text(), QStringLiteral("Сапёр"));
            click(w.cmdBack);
            chooserDone = true;
        });
        click(menu.cmdOpen);
        QVERIFY(chooserDone);
        settle();
        QVERIFY(!rt::loaded<FrmStart>());
        QCOMPARE(rt::lastActivated(), FrmMain::Name);
        QVERIFY(prompts().isEmpty());

        const auto rows = folder.rows(QStringLiteral("Fixing"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0], QStringLiteral("Сапёр"));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^[0-9]{2}-[0-9]{2}-[0-9]{4}$")).match(rows[0][1]).hasMatch(),
            qPrintable(rows[0][1]));
        QVERIFY2(QRegularExpression(QStringLiteral("^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$"))
                     .match(rows[0][2])
                     .hasMatch(),
                 qPrintable(rows[0][2]));
        if (QDate::currentDate() == day)
            QCOMPARE(rows[0][1], QString::asprintf("%02d-%02d-%04d", day.month(), day.day(), day.year()));
    }
};

QTEST_MAIN(TestLaunchEndToEnd)
#include "test_launch_end_to_end.moc"
