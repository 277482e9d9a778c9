// Settings driven through its real windows from the startup gate: admission, the repair of the
// access editor's code, the access editor behind frmPass with its effect on the next gates, and
// the thinning of the launch log.

#include "FrmMain.h"
#include "FrmMainOpt.h"
#include "MessageBoxes.h"
#include "PasswordGate.h"
#include "Runtime.h"
#include "TestSupport.h"
#include "frmAccess.h"
#include "frmLook.h"
#include "frmMainSettings.h"
#include "frmPass.h"
#include "frmPassMain.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

namespace {

PasswordGate* gateNamed(const char* name) {
    return static_cast<PasswordGate*>(rt::loadedForm(QString::fromLatin1(name)));
}

// "Доступ" and "Открыть" on the menu; `inGate` runs in frmPass (nothing when the gate lets
// through at once), `inEditor` in frmAccess.
void throughAccess(FrmMainOpt& menu, std::function<void(PasswordGate&)> inGate,
                   std::function<void(frmAccess&)> inEditor) {
    when([] { return shownOnTop<frmAccess>(); }, [inEditor] { inEditor(*rt::loaded<frmAccess>()); });
    if (inGate)
        when([] { return shownOnTop(QStringLiteral("frmPass")); },
             [inGate] { inGate(*gateNamed("frmPass")); });
    menu.OptAccess->setValue(true);
    click(menu.cmdYes);
}

} // namespace

class TestSettingsEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rt::setProgramTitle(QStringLiteral("Settings")); }
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void codeOneAdmitsOnlyTheRightPassword() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"));
        folder.setPasswords(QStringLiteral("prog"), QStringLiteral("Админ"), QStringLiteral("look"));
        PasswordGate& g = frmMainSettings();
        rt::Show(g);
        settle();
        QVERIFY(!rt::loaded<FrmMainOpt>());
        QCOMPARE(g.focusWidget(), g.txtPassword);
        for (const QString& wrong : {QStringLiteral("админ"), QStringLiteral("prog"), QString()}) {
            g.txtPassword->clear();
            typeText(g.txtPassword, wrong);
            click(g.cmdOk);
            settle();
            QVERIFY(!rt::loaded<FrmMainOpt>());
        }
        QCOMPARE(prompts(), (QStringList(3, QStringLiteral("Облом"))));
        g.txtPassword->clear();
        typeText(g.txtPassword, QStringLiteral("Админ"));
        click(g.cmdOk);
        settle();
        QVERIFY(rt::loaded<FrmMainOpt>());
        QVERIFY(!rt::loadedForm(QStringLiteral("frmMainSettings")));
        QCOMPARE(rt::lastActivated(), FrmMainOpt::Name);
        QVERIFY(!rt::programFinished());
    }

    // A zero code is repaired at the menu's first activation, so "Доступ" goes straight into the
    // editor; "Назад" closes the editor and its gate together and leaves the menu on top.
    void zeroCodeIsRepairedAndTheEditorOpensAtOnce() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0"));
        FrmMainOpt& menu = throughOpenGate<FrmMainOpt>(frmMainSettings());
        QCOMPARE(folder.rows(QStringLiteral("Access")).value(0).value(2), QStringLiteral("2"));
        QVERIFY(menu.OptAdd->value());
        const int before = rt::activationCount();
        int gateActivations = 0;
        throughAccess(menu, nullptr, [&](frmAccess& a) {
            gateActivations = rt::activationCount() - before - 1; // minus the editor's own
            QVERIFY(a.optPassYes->value());
            click(a.cmdBack);
        });
        settle();
        QCOMPARE(gateActivations, 1);
        QVERIFY(!rt::loaded<frmAccess>());
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPass")));
        QCOMPARE(rt::lastActivated(), FrmMainOpt::Name);
        // The gate, the editor, and the menu again: the gate never came back in between.
        QCOMPARE(rt::activationCount(), before + 3);
        QVERIFY(prompts().isEmpty());
    }

    // Through frmPass with code "1": the launcher set to "with password" with a new password, the
    // editor's own password changed; the next frmPass and a new launcher gate ask for the new ones.
    void changesTakeEffectAtTheNextGates() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("1"));
        folder.setPasswords(QStringLiteral("prog"), QStringLiteral("adm"), QStringLiteral("look"));
        FrmMainOpt& menu = throughOpenGate<FrmMainOpt>(frmMainSettings());
        throughAccess(
            menu,
            [](PasswordGate& p) {
                QCOMPARE(p.windowTitle(), QStringLiteral("Пароль"));
                QCOMPARE(p.focusWidget(), p.cmdOk);
                typeText(p.txtPassword, QStringLiteral("look"));
                click(p.cmdOk);
            },
            [](frmAccess& a) {
                QVERIFY(a.OptPassPass->value());
                click(a.OptMainPass);
                a.txtMain->selectAll();
                typeText(a.txtMain, QStringLiteral("новый"));
                a.Text2->selectAll();
                typeText(a.Text2, QStringLiteral("look2"));
                click(a.cmdBack);
            });
        settle();
        QVERIFY(!rt::loaded<frmAccess>());
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPass")));
        QCOMPARE(rt::lastActivated(), FrmMainOpt::Name);

        // The next opening of the editor's gate asks for the new password.
        bool admitted = false;
        throughAccess(
            menu,
            [](PasswordGate& p) {
                typeText(p.txtPassword, QStringLiteral("look"));
                click(p.cmdOk);
                QCOMPARE(prompts(), QStringList{QStringLiteral("Облом")});
                typeText(p.txtPassword, QStringLiteral("2"));
                click(p.cmdOk);
            },
            [&](frmAccess& a) {
                admitted = true;
                QVERIFY(a.OptMainPass->value());
                QCOMPARE(a.txtMain->text(), QStringLiteral("новый"));
                click(a.cmdBack);
            });
        QVERIFY(admitted);
        resetRuntime();

        // A new launcher start: its gate now asks for the launcher's new password.
        PasswordGate& launcher = frmPassMain();
        rt::Show(launcher);
        settle();
        QVERIFY(!rt::loaded<FrmMain>());
        typeText(launcher.txtPassword, QStringLiteral("prog"));
        click(launcher.cmdOk);
        QCOMPARE(prompts(), QStringList{QStringLiteral("Облом")});
        launcher.txtPassword->clear();
        typeText(launcher.txtPassword, QStringLiteral("новый"));
        click(launcher.cmdOk);
        settle();
        QVERIFY(rt::loaded<FrmMain>());
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPassMain")));
    }

    // Through frmPass with code "2": the editor opens at once; the launcher set to "denied" and the
    // editor's own gate to "with password" with an empty password.
    void freeGateLeadsStraightInAndDeniedLauncherRefuses() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2"));
        folder.setPasswords(QStringLiteral("prog"), QStringLiteral("adm"), QStringLiteral("look"));
        FrmMainOpt& menu = throughOpenGate<FrmMainOpt>(frmMainSettings());
        throughAccess(menu, nullptr, [](frmAccess& a) {
            click(a.optMainNo);
            click(a.OptPassPass);
            a.Text2->selectAll();
            QTest::keyClick(a.Text2, Qt::Key_Backspace);
            click(a.cmdBack);
        });
        settle();
        QCOMPARE(folder.rows(QStringLiteral("Access")).value(0), (QStringList{"0", "2", "1"}));
        QCOMPARE(folder.rows(QStringLiteral("Passwords")).value(0), (QStringList{"prog", "adm", ""}));

        // The gate now asks, and an empty entry matches the empty password.
        bool admitted = false;
        throughAccess(
            menu,
            [](PasswordGate& p) {
                QVERIFY(prompts().isEmpty());
                click(p.cmdOk);
            },
            [&](frmAccess& a) {
                admitted = true;
                click(a.cmdBack);
            });
        QVERIFY(admitted);
        resetRuntime();

        PasswordGate& launcher = frmPassMain();
        rt::Show(launcher);
        settle();
        QCOMPARE(prompts(), QStringList{QStringLiteral("Доступ запрещен")});
        QVERIFY(!launcher.cmdOk->isEnabled());
        QVERIFY(!rt::loaded<FrmMain>());
    }

    void threeDeletionsEmptyALogOfThree() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1"));
        folder.fill(QStringLiteral("Fixing"), {{"A", "01-01-2024", "10:00:00"},
                                               {"B", "01-01-2024", "10:00:01"},
                                               {"C", "01-01-2024", "10:00:02"}});
        FrmMainOpt& menu = throughOpenGate<FrmMainOpt>(frmMainSettings());
        QList<frmLook*> viewers;
        const auto fresh = [&viewers] {
            frmLook* v = rt::loaded<frmLook>();
            return shownOnTop<frmLook>() && v && !viewers.contains(v);
        };
        // Each press reopens the viewer, except the last; "Назад" then goes straight to the menu.
        std::function<void()> press = [&] {
            frmLook* v = rt::loaded<frmLook>();
            viewers << v;
            if (viewers.size() < 3)
                when(fresh, press);
            click(v->cmdClear);
            if (viewers.size() == 3 && rt::loaded<frmLook>() == v) {
                viewers << v;
                click(v->cmdBack);
            }
        };
        when(fresh, press);
        menu.OptLook->setValue(true);
        click(menu.cmdYes);
        settle();
        QCOMPARE(viewers.size(), 4);
        QVERIFY(folder.rows(QStringLiteral("Fixing")).isEmpty());
        QVERIFY(!rt::loaded<frmLook>());
        QCOMPARE(rt::lastActivated(), FrmMainOpt::Name);
        QCOMPARE(rt::loaded<FrmMainOpt>(), &menu);
        QVERIFY(prompts().isEmpty());
    }
};

QTEST_MAIN(TestSettingsEndToEnd)
#include "test_settings_end_to_end.moc"
