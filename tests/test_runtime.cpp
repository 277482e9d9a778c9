// The forms runtime: our own Activate event, modal and modeless shows, unload, End and the end of
// the program, the close box, timers, option buttons and failures inside handlers.

#include "Controls.h"
#include "DataControl.h"
#include "FileDialog.h"
#include "Form.h"
#include "MessageBoxes.h"
#include "Platform.h"
#include "Runtime.h"
#include "Schema.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QClipboard>
#include <QMessageBox>
#include <QtTest>

namespace {

QStringList g_log;

// A window that logs its Load and Activate and runs whatever the test gives its button.
template <int N> class Win : public Form {
public:
    static inline const QString Name = QStringLiteral("Win%1").arg(N);
    static inline std::function<void(Win&)> onActivate;
    static inline std::function<void(Win&)> onButton;
    Win() : Form(Name) {
        button = named(new CommandButton(this, QStringLiteral("go")), "button");
        label = named(new Label(this), "label");
        button->onClick([this] {
            if (onButton)
                onButton(*this);
        });
    }
    void Form_Load() override { g_log << Name + QStringLiteral(".Load"); }
    void Form_Activate() override {
        g_log << Name + QStringLiteral(".Activate");
        if (onActivate)
            onActivate(*this);
    }
    CommandButton* button;
    Label* label;
};
using A = Win<1>;
using B = Win<2>;
using C = Win<3>;

void resetWindows() {
    g_log.clear();
    A::onActivate = nullptr;
    B::onActivate = nullptr;
    C::onActivate = nullptr;
    A::onButton = nullptr;
    B::onButton = nullptr;
    C::onButton = nullptr;
}

// A window with a data source on Types whose name field is bound to a text box.
class Editor : public Form {
public:
    static inline const QString Name = QStringLiteral("Editor");
    Editor() : Form(Name) {
        data = named(new DataControl(this, QStringLiteral("Types")), "data");
        name = named(new TextBox(this), "name");
        name->setDataSource(data, QStringLiteral("NameType"));
    }
    void Form_Load() override { data->DatabaseName = DatabasePath(); }
    DataControl* data;
    TextBox* name;
};

} // namespace

class TestRuntime : public QObject {
    Q_OBJECT
private slots:
    void init() {
        resetRuntime();
        resetWindows();
    }
    void cleanup() {
        resetRuntime();
        resetWindows();
    }

    void activateRunsAfterLoadOnShowAndOnUncover() {
        rt::Show(rt::form<A>());
        settle();
        QCOMPARE(g_log, (QStringList{"Win1.Load", "Win1.Activate"}));
        A::onButton = [](A&) { rt::ShowModal(rt::form<B>()); };
        later([] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == B::Name; }));
            click(rt::loaded<B>()->button);
        });
        B::onButton = [](B& b) { rt::Unload(b); };
        click(rt::loaded<A>()->button);
        settle();
        QCOMPARE(g_log,
                 (QStringList{"Win1.Load", "Win1.Activate", "Win2.Load", "Win2.Activate", "Win1.Activate"}));
    }

    void modelessSuccessorMayUnloadItsCallerDuringTheShow() {
        // Like a gate and its menu: the menu closes the gate on activation while the gate's handler
        // still runs; the handler may go on touching its own controls safely.
        B::onActivate = [](B&) { rt::unload<A>(); };
        A::onButton = [](A& a) {
            rt::Show(rt::form<B>());
            a.label->QLabel::setText(QStringLiteral("still here"));
        };
        rt::Show(rt::form<A>());
        settle();
        A* a = rt::loaded<A>();
        click(a->button);
        settle();
        QVERIFY(!rt::loaded<A>());
        QVERIFY(rt::loaded<B>());
        QCOMPARE(g_log.count(QStringLiteral("Win2.Activate")), 1);
        QVERIFY(!rt::programFinished());
    }

    void twoUnloadsInOneHandlerActivateOnlyWhatIsUncovered() {
        rt::Show(rt::form<A>());
        settle();
        A::onButton = [](A&) { rt::ShowModal(rt::form<B>()); };
        B::onButton = [](B&) { rt::ShowModal(rt::form<C>()); };
        C::onButton = [](C& c) {
            rt::Unload(c);
            rt::unload<B>();
        };
        later([] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == B::Name; }));
            later([] {
                QVERIFY(waitUntil([] { return rt::lastActivated() == C::Name; }));
                click(rt::loaded<C>()->button);
            });
            click(rt::loaded<B>()->button);
        });
        click(rt::loaded<A>()->button);
        settle();
        QVERIFY(!rt::loaded<B>() && !rt::loaded<C>());
        QCOMPARE(g_log.mid(2),
                 (QStringList{"Win2.Load", "Win2.Activate", "Win3.Load", "Win3.Activate", "Win1.Activate"}));
    }

    void noActivationAfterANestedEventLoopSuchAsAMessageBox() {
        rt::Show(rt::form<A>());
        rt::Show(rt::form<B>());
        settle();
        const int before = rt::activationCount();
        B::onButton = [](B&) {
            spin(30); // a message box runs an event loop just like this one
        };
        click(rt::loaded<B>()->button);
        settle();
        QCOMPARE(rt::activationCount(), before);
    }

    void windowUnloadsItselfAndShowsItselfAgain() {
        rt::Show(rt::form<A>());
        settle();
        A::onButton = [](A&) { rt::ShowModal(rt::form<B>()); };
        int reopen = 2;
        B::onButton = [&reopen](B& b) {
            rt::Unload(b);
            if (reopen-- > 0)
                rt::ShowModal(rt::form<B>());
        };
        // Each opening presses its own button once, from the event loop.
        B::onActivate = [](B&) {
            later([] {
                if (B* b = rt::loaded<B>())
                    click(b->button);
            });
        };
        click(rt::loaded<A>()->button);
        settle();
        QVERIFY(!rt::loaded<B>());
        QCOMPARE(g_log.count(QStringLiteral("Win2.Load")), 3);
        QCOMPARE(g_log.last(), QStringLiteral("Win1.Activate"));
    }

    void endStopsEverythingAndStoresNothing() {
        TestFolder folder;
        folder.fill(QStringLiteral("Types"), {{"one", ""}});
        rt::Show(rt::form<A>());
        settle();
        bool afterModal = false;
        A::onButton = [&](A&) {
            Editor& e = rt::form<Editor>();
            e.name->storeText(QStringLiteral("changed"));
            rt::ShowModal(rt::form<B>());
            afterModal = true;
            rt::Show(rt::form<C>()); // inert once the program has ended
        };
        B::onButton = [](B&) { rt::End(); };
        later([] {
            QVERIFY(waitUntil([] { return rt::lastActivated() == B::Name; }));
            click(rt::loaded<B>()->button);
        });
        click(rt::loaded<A>()->button);
        QVERIFY(rt::ended());
        QVERIFY(rt::programFinished());
        QVERIFY(afterModal);
        QVERIFY(!rt::loaded<C>());
        QCOMPARE(folder.rows(QStringLiteral("Types")).first().first(), QStringLiteral("one"));
    }

    void unloadStoresThePendingRecord() {
        TestFolder folder;
        folder.fill(QStringLiteral("Types"), {{"one", ""}});
        Editor& e = rt::form<Editor>();
        rt::Show(e);
        settle();
        e.name->storeText(QStringLiteral("renamed"));
        rt::run([&] { rt::Unload(e); });
        QCOMPARE(folder.rows(QStringLiteral("Types")).first().first(), QStringLiteral("renamed"));
    }

    void programEndsWhenTheLastWindowUnloadsButNotMidHandler() {
        int quits = 0;
        rt::setQuitHandler([&] { ++quits; });
        rt::Show(rt::form<A>());
        settle();
        // Unloading the only window and showing another in the same handler is no end.
        A::onButton = [](A& a) {
            rt::Unload(a);
            rt::Show(rt::form<B>());
        };
        click(rt::loaded<A>()->button);
        settle();
        QCOMPARE(quits, 0);
        rt::loaded<B>()->close(); // the close box
        settle();
        QVERIFY(!rt::loaded<B>());
        QCOMPARE(quits, 1);
        QVERIFY(!rt::ended());
    }

    void windowWithoutCloseBoxIgnoresClose() {
        A& a = rt::form<A>();
        a.setCloseBox(false);
        rt::Show(a);
        settle();
        a.close();
        settle();
        QVERIFY(rt::loaded<A>());
        QVERIFY(!a.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!a.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    }

    void unhandledFailureIsToldWithTheProgramsTitle() {
        rt::setProgramTitle(QStringLiteral("Orvanto"));
        rt::Show(rt::form<A>());
        settle();
        A::onButton = [](A&) { throw RuntimeError(QStringLiteral("broken")); };
        click(rt::loaded<A>()->button);
        QCOMPARE(prompts(), QStringList{QStringLiteral("broken")});
        QCOMPARE(MessageBoxes::asked().first().title, QStringLiteral("Orvanto"));
        QVERIFY(rt::loaded<A>());
        rt::silently([] { throw RuntimeError(QStringLiteral("quiet")); });
        QCOMPARE(prompts().size(), 1);
    }

    // The real box: Enter presses "Да", Escape "Нет"; it bears the program's name, and room for it.
    void realMessageBoxesAnswerAsTheirButtonsSay() {
        MessageBoxes::setScripted(false);
        rt::setProgramTitle(QStringLiteral("Settings"));
        QStringList seen;
        const auto answer = [&seen](int buttons, Qt::Key key) {
            later([&seen, key] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                const QList<QAbstractButton*> marked{box->defaultButton(), box->escapeButton()};
                QStringList texts{box->windowTitle(), box->width() >= twips(3600) ? "wide" : "narrow"};
                for (QAbstractButton* b : box->buttons() + marked) // the buttons, the default, the escape
                    texts << (b ? b->text() : QString());
                seen << texts.join(u'/');
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
            });
            return rt::MsgBox(QStringLiteral("Удалить?"), buttons);
        };
        QCOMPARE(answer(rt::vbYesNo, Qt::Key_Escape), int(rt::vbNo));
        QCOMPARE(answer(rt::vbYesNo, Qt::Key_Return), int(rt::vbYes));
        QCOMPARE(answer(rt::vbOKOnly, Qt::Key_Return), int(rt::vbOK));
        QCOMPARE(seen, (QStringList{"Settings/wide/Да/Нет/Да/Нет", "Settings/wide/Да/Нет/Да/Нет",
                                    "Settings/wide/OK//"}));
    }

    void failingLoadLeavesNoHalfLoadedWindow() {
        TestFolder folder;
        QFile::remove(folder.dbPath());
        rt::run([] { rt::Show(rt::form<Editor>()); });
        QVERIFY(!rt::loaded<Editor>());
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().contains(QStringLiteral("DataProg.mdb")));
        QVERIFY(!QFile::exists(folder.dbPath()));
    }

    void timersCoalesceStopAndRunForReal() {
        QObject owner;
        Timer t(&owner, 1);
        int ticks = 0;
        t.onTick([&] {
            ++ticks;
            t.tick(); // a tick that falls due while the handler runs is dropped
        });
        QVERIFY(t.isActive());
        QCOMPARE(t.interval(), 1);
        QVERIFY(waitUntil([&] { return ticks >= 3; }));
        t.setInterval(0);
        QVERIFY(!t.isActive());
        const int stopped = ticks;
        spin(50);
        QCOMPARE(ticks, stopped);
    }

    void optionButtonsExcludeEachOtherAndRunClickFromCode() {
        QWidget w;
        Frame f1(&w, QStringLiteral("one")), f2(&w, QStringLiteral("two"));
        OptionButton a(&f1, QStringLiteral("a")), b(&f1, QStringLiteral("b")), c(&f2, QStringLiteral("c"));
        QStringList clicks;
        a.onClick([&] { clicks << "a"; });
        b.onClick([&] { clicks << "b"; });
        c.onClick([&] { clicks << "c"; });
        a.setValue(true);
        c.setValue(true);
        b.setValue(true);
        QCOMPARE(clicks, (QStringList{"a", "c", "b"}));
        QVERIFY(!a.value() && b.value() && c.value());
    }

    // A mouse click, Space, an assistive tool's toggle or press, and code: each selects the option
    // and runs its Click handler exactly once.
    void anOptionSelectedByAnyRouteRunsItsClickOnce() {
        QWidget w;
        Frame f(&w, QStringLiteral("one"));
        f.setGeometry(0, 0, 300, 200);
        OptionButton a(&f, QStringLiteral("a")), b(&f, QStringLiteral("b")), c(&f, QStringLiteral("c"));
        a.setGeometry(10, 20, 80, 25);
        b.setGeometry(10, 50, 80, 25);
        c.setGeometry(10, 80, 80, 25);
        QStringList clicks;
        a.onClick([&] { clicks << "a"; });
        b.onClick([&] { clicks << "b"; });
        c.onClick([&] { clicks << "c"; });
        w.show();
        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(6, b.height() / 2)); // on its circle
        QCOMPARE(clicks, QStringList{"b"});
        QTest::keyClick(&c, Qt::Key_Space);
        QCOMPARE(clicks, (QStringList{"b", "c"}));
        QAccessible::queryAccessibleInterface(&a)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        QCOMPARE(clicks, (QStringList{"b", "c", "a"}));
        QVERIFY(a.value() && !b.value() && !c.value());
        QAccessible::queryAccessibleInterface(&b)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
        QTRY_COMPARE_WITH_TIMEOUT(clicks, (QStringList{"b", "c", "a", "b"}), 10000);
        c.setValue(true);
        QCOMPARE(clicks, (QStringList{"b", "c", "a", "b", "c"}));
        QVERIFY(c.value() && !b.value());
    }

    // Whatever route changes a bound text box, the record gets it once; showing a record is no edit.
    void everyChangeOfABoundTextBoxIsStored() {
        TestFolder folder;
        folder.fill(QStringLiteral("Types"), {{"один", ""}, {"два", ""}, {"три", ""}});
        Editor& e = rt::form<Editor>();
        rt::Show(e);
        settle();
        Recordset& rs = e.data->records();
        QVERIFY(!rs.isChanged());
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(e.name);
        box->setText(QAccessible::Value, QStringLiteral("раз"));
        QCOMPARE(e.name->text(), QStringLiteral("раз"));
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("раз"));
        rs.arrowNext();
        QVERIFY(!rs.isChanged()); // the refill of "два" is no edit

        box->editableTextInterface()->insertText(0, QStringLiteral("x"));
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("xдва"));
        e.name->setCursorPosition(4);
        typeText(e.name, QStringLiteral("z"));
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("xдваz"));
        QTest::keyClick(e.name, Qt::Key_Z, Qt::ControlModifier); // undo
        QCOMPARE(e.name->text(), QStringLiteral("xдва"));
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("xдва"));
        rs.arrowNext();

        QGuiApplication::clipboard()->setText(QStringLiteral("-вставка"));
        e.name->end(false);
        e.name->paste();
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("три-вставка"));
        rs.arrowFirst();
        QCOMPARE(e.name->text(), QStringLiteral("раз"));
        QVERIFY(!rs.isChanged());
        rt::Unload(e);
        QCOMPARE(folder.rows(QStringLiteral("Types")),
                 (QList<QStringList>{{"раз", ""}, {"xдва", ""}, {"три-вставка", ""}}));
    }

    // Enter and keypad Enter click the focused button; in a text box Enter clicks nothing.
    void enterClicksTheFocusedButtonOnly() {
        int clicks = 0;
        A::onButton = [&](A&) { ++clicks; };
        A& a = rt::form<A>();
        TextBox* box = new TextBox(&a);
        rt::Show(a);
        settle();
        QTest::keyClick(a.button, Qt::Key_Return);
        QCOMPARE(clicks, 1);
        QTest::keyClick(a.button, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(clicks, 2);
        QTest::keyClick(a.button, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(clicks, 2);
        QVERIFY(!a.button->isDefault() && !a.button->autoDefault());
    }

    // A label wraps its text at word boundaries within its width, keeping its horizontal alignment;
    // its lines start at its top even when it is told to centre them.
    void labelsWrapTheirText() {
        QWidget w;
        Label label(&w);
        QVERIFY(label.wordWrap());
        label.setAlignment(Qt::AlignCenter);
        label.setGeometry(0, 0, 200, 60);
        label.QLabel::setText(QStringLiteral("слово слово слово слово слово слово"));
        QCOMPARE(label.alignment(), Qt::Alignment(Qt::AlignCenter));
        w.show();
        const QImage shot = label.grab().toImage();
        // The ink spans more than one line.
        int first = -1, last = -1;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (qGray(shot.pixel(x, y)) < 100) {
                    if (first < 0)
                        first = y;
                    last = y;
                    break;
                }
        QVERIFY(first >= 0 && first < label.lineStep());
        QVERIFY2(last - first >= label.lineStep(), qPrintable(QStringLiteral("%1..%2").arg(first).arg(last)));
    }

    // A silent handler swallows the failures of the runtime and the database only; a fault of
    // the program inside it still reaches the message box.
    void silentHandlerTellsFaultsButNotRuntimeOrDatabaseFailures() {
        rt::setProgramTitle(QStringLiteral("Orvanto"));
        rt::Show(rt::form<A>());
        settle();
        A::onButton = [](A&) {
            rt::silently([] { throw DbError(QStringLiteral("locked")); });
            rt::silently([] { throw DialogCancelled(); });
            rt::silently([] { throw RuntimeError(QStringLiteral("no picture")); });
            rt::silently([] { throw std::logic_error("index out of range"); });
        };
        click(rt::loaded<A>()->button);
        // A fault is told, in Russian words: not the library's English text.
        QCOMPARE(prompts(),
                 QStringList{QStringLiteral("Действие не выполнено из-за внутренней ошибки программы.")});
        QCOMPARE(MessageBoxes::asked().first().title, QStringLiteral("Orvanto"));
        QVERIFY(rt::loaded<A>());
    }
};

QTEST_MAIN(TestRuntime)
#include "test_runtime.moc"
