// The password gate in its three real set-ups, against stand-in successor windows.

#include "Controls.h"
#include "Form.h"
#include "MessageBoxes.h"
#include "PasswordGate.h"
#include "Runtime.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QtTest>

namespace {

// A successor that records its activations and, like the real menus, unloads the gate.
class StandIn : public Form {
public:
    static inline const QString Name = QStringLiteral("StandIn");
    static inline int activations = 0;
    static inline QString gateToClose;
    static inline bool leaveAtOnce = false; // goes back to the gate as soon as it activates
    StandIn() : Form(Name) { back = named(new CommandButton(this, QStringLiteral("Назад")), "back"); }
    void Form_Activate() override {
        ++activations;
        if (!gateToClose.isEmpty())
            rt::UnloadNamed(gateToClose);
        if (leaveAtOnce)
            rt::Unload(*this);
    }
    CommandButton* back;
};

enum class Instance { Main, Settings, Pass };

const GateSettings& settingsOf(Instance which) {
    return which == Instance::Main       ? Gates::PassMain
           : which == Instance::Settings ? Gates::MainSettings
                                         : Gates::Pass;
}

// The real set-up of the gate, opening the stand-in instead of its program's window.
PasswordGate& gate(Instance which) {
    return PasswordGate::load(settingsOf(which), []() -> Form& { return rt::form<StandIn>(); });
}

// Every text an accessibility client can read from the interface and all below it.
QStringList accessibleTexts(QAccessibleInterface* iface) {
    QStringList out;
    for (QAccessible::Text t : {QAccessible::Name, QAccessible::Value, QAccessible::Description,
                                QAccessible::Help, QAccessible::Accelerator, QAccessible::DebugDescription})
        out << iface->text(t);
    if (QAccessibleTextInterface* text = iface->textInterface())
        out << text->text(0, text->characterCount());
    for (int i = 0; i < iface->childCount(); ++i)
        out << accessibleTexts(iface->child(i));
    return out;
}

} // namespace

class TestPasswordGate : public QObject {
    Q_OBJECT
private slots:
    void init() {
        resetRuntime();
        StandIn::activations = 0;
        StandIn::gateToClose.clear();
        StandIn::leaveAtOnce = false;
    }
    void cleanup() { resetRuntime(); }

    void codesAskForThePasswordUnlessExactlyZeroOrTwo_data() {
        QTest::addColumn<QString>("code");
        for (const char* c : {"1", "", "00", "2 ", " 2", "02", "0 ", "x"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void codesAskForThePasswordUnlessExactlyZeroOrTwo() {
        QFETCH(QString, code);
        TestFolder folder;
        folder.setAccess(code, code, code);
        PasswordGate& g = gate(Instance::Main);
        rt::Show(g);
        settle();
        QVERIFY(g.isLoaded());
        QVERIFY(!rt::loaded<StandIn>());
        QVERIFY(prompts().isEmpty());
        QVERIFY(g.cmdOk->isEnabled());
        QVERIFY(g.txtPassword->isVisibleTo(&g));
    }

    void codeZeroRefusesOnEveryActivation() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1"));
        PasswordGate& g = gate(Instance::Main);
        rt::Show(g);
        settle();
        QCOMPARE(prompts(), QStringList{QStringLiteral("Доступ запрещен")});
        QCOMPARE(MessageBoxes::asked().first().title, rt::programTitle());
        QVERIFY(!g.cmdOk->isEnabled());
        QVERIFY(!g.txtPassword->isVisibleTo(&g));
        // Another window shown over it and closed again: the refusal comes again.
        rt::run([] { rt::Show(rt::form<StandIn>()); });
        settle();
        rt::run([] { rt::unload<StandIn>(); });
        settle();
        QCOMPARE(prompts().size(), 2);
        click(g.cmdExit);
        settle();
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPassMain")));
        QVERIFY(rt::programFinished());
    }

    void codeTwoOpensTheSuccessorAtOnceAndItClosesTheGate() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("2"));
        StandIn::gateToClose = QStringLiteral("frmPassMain");
        rt::Show(gate(Instance::Main));
        settle();
        QVERIFY(rt::loaded<StandIn>());
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPassMain")));
        QCOMPARE(StandIn::activations, 1);
        QVERIFY(!rt::programFinished());
        QVERIFY(prompts().isEmpty());
    }

    void passwordComparedExactly_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("admitted");
        QTest::newRow("same") << "Secret1"
                              << "Secret1" << true;
        QTest::newRow("case") << "Secret1"
                              << "secret1" << false;
        QTest::newRow("trailing blank") << "Secret1"
                                        << "Secret1 " << false;
        QTest::newRow("leading blank") << "Secret1"
                                       << " Secret1" << false;
        QTest::newRow("empty stored, empty typed") << ""
                                                   << "" << true;
        QTest::newRow("empty stored, typed") << ""
                                             << "a" << false;
        QTest::newRow("nine characters never fit") << "123456789"
                                                   << "123456789" << false;
        QTest::newRow("cyrillic") << "пароль"
                                  << "пароль" << true;
    }
    void passwordComparedExactly() {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, admitted);
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        folder.setPasswords(stored, stored, stored);
        PasswordGate& g = gate(Instance::Main);
        rt::Show(g);
        settle();
        typeText(g.txtPassword, typed);
        click(g.cmdOk);
        settle();
        QCOMPARE(bool(rt::loaded<StandIn>()), admitted);
        if (!admitted) {
            QCOMPARE(prompts(), QStringList{QStringLiteral("Облом")});
            QCOMPARE(g.txtPassword->text(), typed.left(8));
            // No limit on retries.
            click(g.cmdOk);
            click(g.cmdOk);
            QCOMPARE(prompts().size(), 3);
            QVERIFY(g.isLoaded());
        }
    }

    void eachInstanceHasItsFieldsFocusAndCancel() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        folder.setPasswords(QStringLiteral("main"), QStringLiteral("set"), QStringLiteral("look"));

        PasswordGate& m = gate(Instance::Main);
        QCOMPARE(m.lblpass->text(), QStringLiteral("main"));
        QCOMPARE(m.initialFocus(), m.txtPassword);
        QCOMPARE(m.windowTitle(), QStringLiteral("Пароль"));
        QCOMPARE(m.width(), twips(4560));
        QCOMPARE(m.txtPassword->maxLength(), 8);
        QCOMPARE(m.txtPassword->echoMode(), QLineEdit::Normal);
        QCOMPARE(m.txtPassword->nextInFocusChain(), m.cmdExit);
        rt::run([&] { rt::Show(m); });
        click(m.cmdExit);
        settle();
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPassMain")));
        QVERIFY(rt::programFinished());
        QVERIFY(!rt::ended());
        resetRuntime();

        PasswordGate& s = gate(Instance::Settings);
        QCOMPARE(s.findChild<Label*>(QStringLiteral("lblPass")), s.lblpass);
        QCOMPARE(s.lblpass->text(), QStringLiteral("set"));
        QCOMPARE(s.windowTitle(), QStringLiteral("Настройки"));
        rt::run([&] { rt::Show(s); });
        click(s.cmdExit);
        QVERIFY(rt::ended());
        resetRuntime();

        PasswordGate& p = gate(Instance::Pass);
        QCOMPARE(p.lblpass->text(), QStringLiteral("look"));
        QCOMPARE(p.initialFocus(), p.cmdOk);
        QCOMPARE(p.cmdOk->nextInFocusChain(), p.cmdExit);
        QCOMPARE(p.cmdExit->nextInFocusChain(), p.txtPassword);
    }

    // Each gate judges by its own code and its own password: a gate reading another's field would
    // let people in where they are refused.
    void eachGateReadsItsOwnCodeAndPassword_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("password");
        QTest::newRow("launcher") << int(Instance::Main) << "frmPassMain"
                                  << "10"
                                  << "main";
        QTest::newRow("settings") << int(Instance::Settings) << "frmMainSettings"
                                  << "11"
                                  << "set";
        QTest::newRow("access editor") << int(Instance::Pass) << "frmPass"
                                       << "12"
                                       << "look";
    }
    void eachGateReadsItsOwnCodeAndPassword() {
        QFETCH(int, which);
        QFETCH(QString, name);
        QFETCH(QString, code);
        QFETCH(QString, password);
        TestFolder folder;
        folder.setAccess(QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"));
        folder.setPasswords(QStringLiteral("main"), QStringLiteral("set"), QStringLiteral("look"));
        PasswordGate& g = gate(Instance(which));
        QCOMPARE(g.formName(), name);
        QCOMPARE(rt::loadedForm(name), &g);
        QCOMPARE(g.lblAccess->text(), code);
        QCOMPARE(g.lblpass->text(), password);
        QCOMPARE(g.Data1->RecordSource(), QStringLiteral("Passwords"));
        QCOMPARE(g.Data2->RecordSource(), QStringLiteral("Access"));
    }

    // A gate may stand open for days: "Принять" judges by the code and the password stored when it
    // is pressed, whether another program updated the record or wrote it anew.
    void acceptJudgesByWhatIsStoredNow_data() {
        QTest::addColumn<int>("which");
        QTest::newRow("launcher") << int(Instance::Main);
        QTest::newRow("settings") << int(Instance::Settings);
        QTest::newRow("access editor") << int(Instance::Pass);
    }
    void acceptJudgesByWhatIsStoredNow() {
        QFETCH(int, which);
        const GateSettings& settings = settingsOf(Instance(which));
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        folder.setPasswords(QStringLiteral("old1"), QStringLiteral("old1"), QStringLiteral("old1"));
        StandIn::leaveAtOnce = true;
        PasswordGate& g = gate(Instance(which));
        rt::Show(g);
        settle();
        folder.db().exec(QStringLiteral("UPDATE Passwords SET %1 = 'new2'").arg(settings.passwordField));
        typeText(g.txtPassword, QStringLiteral("old1"));
        click(g.cmdOk);
        settle();
        QCOMPARE(prompts(), QStringList{QStringLiteral("Облом")});
        QCOMPARE(StandIn::activations, 0);
        folder.setPasswords(QStringLiteral("new2"), QStringLiteral("new2"), QStringLiteral("new2"));
        g.txtPassword->selectAll();
        typeText(g.txtPassword, QStringLiteral("new2"));
        click(g.cmdOk);
        settle();
        QCOMPARE(StandIn::activations, 1);
        QCOMPARE(prompts().size(), 1);
        // Entry denied since: the right password gets the refusal of an activation.
        folder.db().exec(QStringLiteral("UPDATE Access SET %1 = '0'").arg(settings.codeField));
        click(g.cmdOk);
        settle();
        QCOMPARE(prompts(), (QStringList{QStringLiteral("Облом"), QStringLiteral("Доступ запрещен")}));
        QCOMPARE(StandIn::activations, 1);
        QVERIFY(!g.cmdOk->isEnabled());
        QVERIFY(!g.txtPassword->isVisibleTo(&g));
        QVERIFY(g.isLoaded());
    }

    void modalInstanceWaitsForItsSuccessor() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        folder.setPasswords(QString(), QString(), QString());
        PasswordGate& p = gate(Instance::Pass);
        rt::Show(p);
        settle();
        bool returned = false;
        later([&] {
            QVERIFY(waitUntil([] { return StandIn::activations == 1; }));
            QVERIFY(rt::loaded<StandIn>());
            QVERIFY(!returned);
            // Like the access editor's "Назад": the editor, then the gate, in one handler.
            rt::run([] {
                rt::unload<StandIn>();
                rt::UnloadNamed(QStringLiteral("frmPass"));
            });
        });
        click(p.cmdOk);
        returned = true;
        settle();
        QVERIFY(!rt::loaded<StandIn>());
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPass")));
        QCOMPARE(StandIn::activations, 1);
    }

    // A screen reader reads what is shown; the stored password and code are not shown, so no client
    // may read them, or set them, from the window or from the hidden fields themselves.
    void hiddenFieldsTellAssistiveToolsNothing_data() {
        QTest::addColumn<int>("which");
        QTest::newRow("launcher") << int(Instance::Main);
        QTest::newRow("settings") << int(Instance::Settings);
        QTest::newRow("access editor") << int(Instance::Pass);
    }
    void hiddenFieldsTellAssistiveToolsNothing() {
        QFETCH(int, which);
        TestFolder folder;
        const QString secret = QStringLiteral("Тайна-7");
        const QString code = QStringLiteral("Код-1");
        folder.setAccess(code, code, code);
        folder.setPasswords(secret, secret, secret);
        PasswordGate& g = gate(Instance(which));
        // A hidden text box bound to the same field, as other windows have them, filled as its
        // source fills it.
        auto* box = new TextBox(&g);
        box->setDataSource(g.Data1, settingsOf(Instance(which)).passwordField);
        box->hide();
        box->showFieldText(g.lblpass->text());
        rt::Show(g);
        settle();
        typeText(g.txtPassword, QStringLiteral("набор"));

        const QStringList texts = accessibleTexts(QAccessible::queryAccessibleInterface(&g));
        for (const QString& t : texts)
            QVERIFY2(!t.contains(secret) && !t.contains(code), qPrintable(t));
        QVERIFY(texts.contains(QStringLiteral("Принять")));
        QVERIFY(texts.contains(QStringLiteral("Отмена")));
        QAccessibleInterface* typed = QAccessible::queryAccessibleInterface(g.txtPassword);
        QCOMPARE(typed->text(QAccessible::Value), QStringLiteral("набор"));
        QCOMPARE(typed->textInterface()->text(0, 5), QStringLiteral("набор"));
        // A magnifier finds each character where the centred box draws it.
        g.txtPassword->repaint();
        for (int i = 0; i < 5; ++i) {
            const QRect r = typed->textInterface()->characterRect(i);
            QCOMPARE(typed->textInterface()->offsetAtPoint(r.center() - QPoint(r.width() / 4, 0)), i);
        }

        for (QWidget* hidden : std::initializer_list<QWidget*>{g.lblpass, g.lblAccess, box}) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(hidden);
            QVERIFY(iface->state().invisible);
            QVERIFY(!iface->textInterface() && !iface->editableTextInterface() && !iface->valueInterface());
            iface->setText(QAccessible::Value, QStringLiteral("взлом"));
            iface->setText(QAccessible::Name, QStringLiteral("взлом"));
        }
        QCOMPARE(g.lblpass->text(), secret);
        QCOMPARE(box->text(), secret);
        // A field shown again is read as any shown text is.
        g.lblpass->show();
        QCOMPARE(QAccessible::queryAccessibleInterface(g.lblpass)->text(QAccessible::Name), secret);
        g.lblpass->hide();
        QVERIFY(QAccessible::queryAccessibleInterface(g.lblpass)->text(QAccessible::Name).isEmpty());
        rt::run([&] { rt::Unload(g); });
        settle();
        QCOMPARE(folder.rows(QStringLiteral("Passwords")).first(), (QStringList{secret, secret, secret}));
    }

    void aGateWithoutItsRecordsLetsNobodyIn() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("2"));
        folder.fill(QStringLiteral("Passwords"), {});
        PasswordGate& g = gate(Instance::Pass);
        rt::Show(g);
        settle();
        QVERIFY(!rt::loaded<StandIn>());
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().contains(QStringLiteral("Passwords")));
        QVERIFY(!g.cmdOk->isEnabled());
        QVERIFY(!g.txtPassword->isVisibleTo(&g));
        click(g.cmdExit);
        settle();
        QVERIFY(!rt::loadedForm(QStringLiteral("frmPass")));
        // A record gone after the gate opened: "Принять" admits no empty box on an empty record.
        folder.setPasswords(QString(), QString(), QString());
        folder.setAccess(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        PasswordGate& open = gate(Instance::Main);
        rt::Show(open);
        settle();
        folder.fill(QStringLiteral("Passwords"), {});
        click(open.cmdOk);
        settle();
        QVERIFY(!rt::loaded<StandIn>());
        QCOMPARE(prompts().size(), 2);
        QVERIFY(prompts().last().contains(QStringLiteral("Passwords")));
        QVERIFY(!open.cmdOk->isEnabled());
    }
};

QTEST_MAIN(TestPasswordGate)
#include "test_password_gate.moc"
