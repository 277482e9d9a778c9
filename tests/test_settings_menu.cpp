// Settings' operation menu: the repair of the access editor's code, the three tools and the exit.

#include "Controls.h"
#include "FrmMainOpt.h"
#include "MessageBoxes.h"
#include "PasswordGate.h"
#include "Runtime.h"
#include "TestSupport.h"
#include "frmAdd.h"
#include "frmLook.h"
#include "frmMainSettings.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

namespace {

QString storedPasswordCode(TestFolder& folder) {
    return folder.rows(QStringLiteral("Access")).value(0).value(2);
}

// Settings as it starts: the gate with a free code opens the menu, which then closes the gate.
FrmMainOpt& startSettings() {
    return throughOpenGate<FrmMainOpt>(frmMainSettings());
}

} // namespace

class TestSettingsMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rt::setProgramTitle(QStringLiteral("Settings")); }
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void menuAsDesigned() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1"));
        FrmMainOpt& m = startSettings();
        QVERIFY(m.hasCloseBox());
        QVERIFY(m.OptAdd->value());
        QVERIFY(!m.txtPass->isVisibleTo(&m));
        QVERIFY(!m.Data1->isVisibleTo(&m));
        QCOMPARE(m.initialFocus(), m.cmdYes);
        QCOMPARE(m.cmdYes->nextInFocusChain(), m.OptAdd);
        QVERIFY(!rt::loadedForm(QStringLiteral("frmMainSettings")));
        QVERIFY(prompts().isEmpty());
    }

    void codeReadingAsZeroIsRepairedAndTheMenuReopens_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("0") << "0";
        QTest::newRow("00") << "00";
        QTest::newRow("blanks") << " 0 ";
        QTest::newRow("0.0") << "0.0";
    }
    void codeReadingAsZeroIsRepairedAndTheMenuReopens() {
        QFETCH(QString, code);
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), code);
        FrmMainOpt* m = &startSettings();
        // The gate, the menu, and the menu reloaded after storing "2": three activations.
        QTRY_COMPARE_WITH_TIMEOUT(rt::activationCount(), 3, 10000);
        QCOMPARE(rt::loaded<FrmMainOpt>(), m);
        QVERIFY(!rt::loadedForm(QStringLiteral("frmMainSettings")));
        QCOMPARE(storedPasswordCode(folder), QStringLiteral("2"));
        QCOMPARE(folder.rows(QStringLiteral("Access")).value(0).mid(0, 2),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
        QCOMPARE(m->txtPass->text(), QStringLiteral("2"));
        QVERIFY(m->OptAdd->value());
        QVERIFY(m->isVisible());
        QVERIFY(prompts().isEmpty());
    }

    // Empty and non-numeric codes count as not zero: nothing is written, the gate still closes.
    void otherCodesAreLeftAlone_data() {
        QTest::addColumn<QString>("code");
        for (const char* c : {"1", "2", "02", "", "abc", "0x", "-"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void otherCodesAreLeftAlone() {
        QFETCH(QString, code);
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), code);
        FrmMainOpt* m = &startSettings();
        settle(); // a reload would be queued by now
        QCOMPARE(rt::loaded<FrmMainOpt>(), m);
        QCOMPARE(rt::activationCount(), 2); // the gate and the menu, no reload
        QCOMPARE(storedPasswordCode(folder), code);
        QVERIFY(!rt::loadedForm(QStringLiteral("frmMainSettings")));
        QVERIFY(prompts().isEmpty());
    }

    // A repair the database refuses is told once; the menu neither reopens nor tries again, and
    // its close box ends Settings.
    void refusedRepairIsToldAndNeverLoops() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0"));
        folder.db().exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE UPDATE ON Access BEGIN SELECT RAISE(ABORT, 'read-only'); END"));
        FrmMainOpt* m = &startSettings();
        QTRY_VERIFY_WITH_TIMEOUT(!prompts().isEmpty(), 10000);
        settle(); // a second attempt would be queued by now
        QCOMPARE(rt::loaded<FrmMainOpt>(), m);
        QCOMPARE(prompts().size(), 1);
        for (const QString& part :
             {QStringLiteral("отказалась принять изменение"),
              QStringLiteral(
                  "Таблица Access (уровни доступа):\nPassword (доступ к настройке уровня доступа): 2")})
            QVERIFY2(prompts().first().contains(part), qPrintable(prompts().first()));
        QCOMPARE(MessageBoxes::asked().first().title, QStringLiteral("Settings"));
        QCOMPARE(MessageBoxes::asked().first().buttons, rt::vbOKOnly);
        QVERIFY(!rt::loadedForm(QStringLiteral("frmMainSettings")));
        QCOMPARE(storedPasswordCode(folder), QStringLiteral("0"));
        // Coming back from a tool activates the menu again: no second attempt, no second message.
        when(shownOnTop<frmLook>, [] { click(rt::loaded<frmLook>()->cmdBack); });
        m->OptLook->setValue(true);
        click(m->cmdYes);
        settle();
        QCOMPARE(rt::loaded<FrmMainOpt>(), m);
        QCOMPARE(prompts().size(), 1);
        m->close();
        QTRY_VERIFY_WITH_TIMEOUT(rt::programFinished(), 10000);
        QCOMPARE(prompts().size(), 1);
        QCOMPARE(storedPasswordCode(folder), QStringLiteral("0"));
    }

    // The test runs on the code as read when the menu loaded, not as it stands later.
    void returningFromAToolTestsTheCodeReadAtLoad() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1"));
        FrmMainOpt* m = &startSettings();
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0"));
        when(shownOnTop<frmLook>, [] { click(rt::loaded<frmLook>()->cmdBack); });
        m->OptLook->setValue(true);
        click(m->cmdYes);
        settle();
        QCOMPARE(rt::loaded<FrmMainOpt>(), m);
        QCOMPARE(storedPasswordCode(folder), QStringLiteral("0"));
    }

    // One press opens exactly the tool of the selected option, and nothing after it closes.
    void openOpensOnlyTheSelectedTool_data() {
        QTest::addColumn<QString>("tool");
        QTest::newRow("frmAdd") << "frmAdd";
        QTest::newRow("frmPass") << "frmPass";
        QTest::newRow("frmLook") << "frmLook";
    }
    void openOpensOnlyTheSelectedTool() {
        QFETCH(QString, tool);
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1"));
        FrmMainOpt* m = &startSettings();
        if (tool == QLatin1String("frmPass"))
            m->OptAccess->setValue(true);
        else if (tool == QLatin1String("frmLook"))
            m->OptLook->setValue(true);
        QStringList opened;
        when([tool] { return rt::loadedForm(tool) && rt::lastActivated() == tool; },
             [&opened, tool] {
                 for (const QString& name : {QStringLiteral("frmAdd"), QStringLiteral("frmPass"),
                                             QStringLiteral("frmLook"), QStringLiteral("frmAccess")})
                     if (rt::loadedForm(name))
                         opened << name;
                 if (tool == QLatin1String("frmPass")) // its "Отмена" goes back to the menu
                     click(static_cast<PasswordGate*>(rt::loadedForm(tool))->cmdExit);
                 else
                     rt::run([tool] { rt::UnloadNamed(tool); });
             });
        click(m->cmdYes);
        QCOMPARE(opened, QStringList{tool});
        settle();
        for (const QString& name :
             {QStringLiteral("frmAdd"), QStringLiteral("frmPass"), QStringLiteral("frmLook")})
            QVERIFY(!rt::loadedForm(name));
        QCOMPARE(rt::lastActivated(), FrmMainOpt::Name);
        QCOMPARE(rt::loaded<FrmMainOpt>(), m);
    }

    void exitEndsSettingsWritingNothing() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1"));
        const auto before = folder.rows(QStringLiteral("Access"));
        FrmMainOpt& m = startSettings();
        click(m.cmdEnd);
        QVERIFY(rt::ended());
        QVERIFY(rt::programFinished());
        QCOMPARE(folder.rows(QStringLiteral("Access")), before);
    }

    void closingTheMenuEndsSettings() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1"));
        FrmMainOpt& m = startSettings();
        m.close();
        settle();
        QVERIFY(!rt::loaded<FrmMainOpt>());
        QVERIFY(rt::programFinished());
    }

    void startupGateAsDesigned() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        PasswordGate& g = frmMainSettings();
        QCOMPARE(g.windowTitle(), QStringLiteral("Настройки"));
        QVERIFY(!g.windowIcon().isNull());
        QCOMPARE(g.size(), QSize(twips(4500), twips(1620)));
        QCOMPARE(g.initialFocus(), g.txtPassword);
        rt::Show(g);
        settle();
        g.close(); // the close box unloads it, and Settings has no window left
        settle();
        QVERIFY(!rt::loadedForm(QStringLiteral("frmMainSettings")));
        QVERIFY(rt::programFinished());
        resetRuntime();
        rt::Show(frmMainSettings());
        settle();
        click(frmMainSettings().cmdExit);
        QVERIFY(rt::ended());
    }
};

QTEST_MAIN(TestSettingsMenu)
#include "test_settings_menu.moc"
