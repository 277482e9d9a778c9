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
    StandIn() : Form(Name) { back = named(new CommandButton(this, QStringLiteral("Назад")), "back"); }
    void Form_Activate() override {
        ++activations;
        if (!gateToClose.isEmpty())
            rt::UnloadNamed(gateToClose);
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

} // namespace

class TestPasswordGate : public QObject {
    Q_OBJECT
private slots:
    void init() {
        resetRuntime();
        StandIn::activations = 0;
        StandIn::gateToClose.clear();
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
        // A gate may stand open for days: "Принять" judges by what is stored when it is pressed.
        StandIn::gateToClose = StandIn::Name; // the successor goes back to the gate at once
        rt::Show(g);
        settle();
        folder.db().exec(
            QStringLiteral("UPDATE Passwords SET Progr = 'new', Settings = 'new', Look = 'new'"));
        typeText(g.txtPassword, password);
        click(g.cmdOk);
        folder.setPasswords(password + "9", password + "9", password + "9"); // written anew
        typeText(g.txtPassword, QStringLiteral("9"));
        click(g.cmdOk);
        settle();
        folder.setAccess("0", "0", "0");
        click(g.cmdOk);
        QCOMPARE(prompts(), (QStringList{"Облом", "Доступ запрещен"}));
        QCOMPARE(StandIn::activations, 1);
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

    // A screen reader reads what is shown: never the stored code and password, nor may it set them.
    void hiddenFieldsTellAssistiveToolsNothing_data() { eachGateReadsItsOwnCodeAndPassword_data(); }
    void hiddenFieldsTellAssistiveToolsNothing() {
        QFETCH(int, which);
        TestFolder folder;
        folder.setAccess("Код-1", "Код-1", "Код-1");
        folder.setPasswords("Тайна-7", "Тайна-7", "Тайна-7");
        PasswordGate& g = gate(Instance(which));
        auto* box = new TextBox(&g); // a hidden copy bound to the field, as other windows keep them
        box->setDataSource(g.Data1, settingsOf(Instance(which)).passwordField);
        box->hide();
        box->showFieldText(g.lblpass->text());
        rt::Show(g);
        settle();
        typeText(g.txtPassword, QStringLiteral("набор"));
        QString texts; // all that an accessibility client can read from the window
        QList<QAccessibleInterface*> all{QAccessible::queryAccessibleInterface(&g)};
        for (qsizetype i = 0; i < all.size(); ++i) {
            texts += all[i]->text(QAccessible::Name) + u'\n' + all[i]->text(QAccessible::Value) + u'\n';
            for (int c = 0; c < all[i]->childCount(); ++c)
                all << all[i]->child(c);
        }
        QVERIFY2(!texts.contains("Код-1") && !texts.contains("Тайна-7"), qPrintable(texts));
        QVERIFY(texts.contains("Принять") && texts.contains("Отмена") && texts.contains("набор"));
        for (QWidget* hidden : std::initializer_list<QWidget*>{g.lblpass, g.lblAccess, box}) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(hidden);
            QVERIFY(!iface->textInterface() && !iface->editableTextInterface() && !iface->valueInterface());
            iface->setText(QAccessible::Value, QStringLiteral("взлом"));
        }
        rt::run([&] { rt::Unload(g); });
        settle();
        QCOMPARE(folder.rows(QStringLiteral("Passwords")).first(), QStringList(3, "Тайна-7"));
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
        folder.setAccess("1", "1", "1");
        PasswordGate& open = gate(Instance::Main);
        rt::Show(open);
        settle();
        folder.fill(QStringLiteral("Passwords"), {});
        click(open.cmdOk);
        QVERIFY(prompts().size() == 2 && prompts().last().contains(QStringLiteral("Passwords")));
    }
};

QTEST_MAIN(TestPasswordGate)
#include "test_password_gate.moc"
