// The access-level and password editor: options from the stored codes, codes and passwords
// written back at "Назад", and a refused store that the user may stay for or leave.

#include "MessageBoxes.h"
#include "PasswordGate.h"
#include "Runtime.h"
#include "TestSupport.h"
#include "frmAccess.h"
#include "frmPass.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

namespace {

QStringList selected(frmAccess& a) {
    QStringList out;
    for (OptionButton* o :
         {a.OptMainYes, a.OptMainPass, a.optMainNo, a.OptSetYes, a.OptSetPass, a.optPassYes, a.OptPassPass})
        if (o->value())
            out << o->objectName();
    return out;
}

// The controls that take the focus, in the window's tab order (of a frame's options only the
// selected one is a tab stop, but all keep their place in the order).
QStringList tabOrder(frmAccess& a) {
    QStringList out;
    QWidget* w = a.OptMainYes;
    do {
        if (w->focusPolicy() != Qt::NoFocus)
            out << w->objectName();
        w = w->nextInFocusChain();
    } while (w != a.OptMainYes && out.size() < 50);
    return out;
}

QStringList row(TestFolder& folder, const char* table) {
    return folder.rows(QString::fromLatin1(table)).value(0);
}

} // namespace

class TestFrmAccess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rt::setProgramTitle(QStringLiteral("Settings")); }
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void editorAsDesigned() {
        TestFolder folder;
        folder.setPasswords(QStringLiteral("прог"), QStringLiteral("настр"), QStringLiteral("смотр"));
        frmAccess& a = rt::form<frmAccess>();
        // Before the first activation the three "Доступ свободный" options stand selected.
        QCOMPARE(selected(a), (QStringList{"OptMainYes", "OptSetYes", "optPassYes"}));
        QVERIFY(a.windowIcon().isNull());
        for (TextBox* t : {a.txtMain, a.Text1, a.Text2}) {
            QCOMPARE(t->typingLimit(), 8);
            QCOMPARE(t->echoMode(), QLineEdit::Normal);
        }
        QCOMPARE(a.txtMain->text(), QStringLiteral("прог"));
        QCOMPARE(a.Text1->text(), QStringLiteral("настр"));
        QCOMPARE(a.Text2->text(), QStringLiteral("смотр"));
        for (Label* l : {a.lblMain, a.lblSet, a.lblPass}) {
            QVERIFY(!l->isVisibleTo(&a));
            QCOMPARE(l->palette().color(QPalette::Window), QColor(Qt::yellow));
        }
        QCOMPARE(tabOrder(a),
                 (QStringList{"OptMainYes", "OptMainPass", "optMainNo", "OptSetYes", "OptSetPass",
                              "optPassYes", "OptPassPass", "cmdBack", "txtMain", "Text1", "Text2"}));
    }

    void storedCodesSelectTheirOptionsAndStayUnchanged_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("2 2 2") << QStringList{"2", "2", "2"}
                               << QStringList{"OptMainYes", "OptSetYes", "optPassYes"};
        QTest::newRow("1 1 1") << QStringList{"1", "1", "1"}
                               << QStringList{"OptMainPass", "OptSetPass", "OptPassPass"};
        QTest::newRow("0 in each") << QStringList{"0", "0", "0"}
                                   << QStringList{"optMainNo", "OptSetYes", "optPassYes"};
        QTest::newRow("unknown codes")
            << QStringList{"3", "", " 1"} << QStringList{"OptMainYes", "OptSetYes", "optPassYes"};
    }
    void storedCodesSelectTheirOptionsAndStayUnchanged() {
        QFETCH(QStringList, codes);
        QFETCH(QStringList, options);
        TestFolder folder;
        folder.setAccess(codes[0], codes[1], codes[2]);
        folder.setPasswords(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
        frmAccess& a = openForm<frmAccess>();
        QCOMPARE(selected(a), options);
        click(a.cmdBack);
        settle();
        QVERIFY(!rt::loaded<frmAccess>());
        QCOMPARE(row(folder, "Access"), codes);
        QCOMPARE(row(folder, "Passwords"), (QStringList{"a", "b", "c"}));
        QVERIFY(prompts().isEmpty());
    }

    // Clicks and typing reach the database only at "Назад"; the last option clicked in a frame wins.
    void optionsAndPasswordsAreStoredAtBack() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"));
        folder.setPasswords(QStringLiteral("old"), QStringLiteral("old"), QStringLiteral("old"));
        frmAccess& a = openForm<frmAccess>();
        click(a.OptMainPass); // already selected: stays "1"
        click(a.optMainNo);
        click(a.OptSetPass);
        click(a.OptSetYes);
        click(a.optPassYes);
        a.txtMain->selectAll();
        typeText(a.txtMain, QStringLiteral("девятьсим")); // nine characters, eight fit
        a.Text2->selectAll();
        QTest::keyClick(a.Text2, Qt::Key_Backspace); // an empty password is stored as entered
        QCOMPARE(a.txtMain->text(), QStringLiteral("девятьси"));
        QCOMPARE(row(folder, "Access"), (QStringList{"1", "0", "1"}));
        click(a.cmdBack);
        settle();
        QVERIFY(!rt::loaded<frmAccess>());
        QCOMPARE(row(folder, "Access"), (QStringList{"0", "2", "2"}));
        QCOMPARE(row(folder, "Passwords").value(0), QStringLiteral("девятьси"));
        QCOMPARE(row(folder, "Passwords").value(1), QStringLiteral("old"));
        QCOMPARE(row(folder, "Passwords").value(2), QString());
        QVERIFY(prompts().isEmpty());
    }

    // The database refuses the passwords: the user is told what was not stored and stays ("Да")
    // with what was typed, or leaves ("Нет"), by "Назад" or the close box, which also closes the
    // gate behind, without it.
    void aRefusedStoreLetsTheUserStayOrLeave() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("2"));
        folder.setPasswords(QStringLiteral("p"), QStringLiteral("s"), QStringLiteral("l"));
        folder.db().exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE UPDATE ON Passwords BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        frmAccess& a = openForm<frmAccess>();
        click(a.OptSetPass);
        typeText(a.Text1, QStringLiteral("2"));
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(a.cmdBack);
        settle();
        QCOMPARE(prompts().size(), 1);
        // The refused table is named with what was typed, and so is the one not tried after it.
        for (const QString& part :
             {QStringLiteral("отказалась принять изменение"),
              QStringLiteral("Таблица Passwords (пароли):\nSettings (пароль программы настройки): s2"),
              QStringLiteral("Таблица Access (уровни доступа):\nSettings (доступ к программе настройки): 1")})
            QVERIFY2(prompts().first().contains(part), qPrintable(prompts().first()));
        QCOMPARE(MessageBoxes::asked().first().buttons, rt::vbYesNo);
        QCOMPARE(rt::loaded<frmAccess>(), &a);
        QCOMPARE(a.Text1->text(), QStringLiteral("s2"));
        QCOMPARE(row(folder, "Access"), (QStringList{"2", "2", "2"}));
        QCOMPARE(row(folder, "Passwords").value(1), QStringLiteral("s"));

        QVERIFY(a.hasCloseBox());
        a.close(); // "Нет"
        settle();
        QVERIFY(!rt::loaded<frmAccess>());
        QCOMPARE(prompts().size(), 2);
        QCOMPARE(row(folder, "Passwords"), (QStringList{"p", "s", "l"}));
        QCOMPARE(row(folder, "Access"), (QStringList{"2", "2", "2"}));

        // Through its gate, the close box leaves the gate too, as "Назад" does: on a free code the
        // gate would otherwise open the editor again at once.
        folder.db().exec(QStringLiteral("DROP TRIGGER refuse"));
        when(shownOnTop<frmAccess>, [] {
            frmAccess& b = *rt::loaded<frmAccess>();
            typeText(b.Text1, QStringLiteral("3"));
            b.close();
        });
        rt::Show(frmPass());
        QVERIFY(waitUntil([] { return !rt::loadedForm(QStringLiteral("frmPass")); }));
        QVERIFY(!rt::loaded<frmAccess>());
        QCOMPARE(row(folder, "Passwords"), (QStringList{"p", "s3", "l"}));
        QCOMPARE(prompts().size(), 2);
    }

    // A password set and options picked through the accessibility interface are stored at "Назад"
    // exactly as typed and clicked ones are.
    void assistiveToolsEditPasswordsAndLevels() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("2"));
        folder.setPasswords(QStringLiteral("p"), QStringLiteral("s"), QStringLiteral("l"));
        frmAccess& a = openForm<frmAccess>();
        QAccessible::queryAccessibleInterface(a.Text1)->setText(QAccessible::Value, QStringLiteral("голос"));
        QCOMPARE(a.Text1->text(), QStringLiteral("голос"));
        QAccessibleEditableTextInterface* look =
            QAccessible::queryAccessibleInterface(a.Text2)->editableTextInterface();
        QVERIFY(look);
        look->insertText(1, QStringLiteral("123456789")); // the box takes what fits
        QCOMPARE(a.Text2->text(), QStringLiteral("l1234567"));
        QAccessible::queryAccessibleInterface(a.OptSetPass)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(a.OptSetPass->value());
        QAccessible::queryAccessibleInterface(a.optMainNo)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY_WITH_TIMEOUT(a.optMainNo->value(), 10000);
        click(a.cmdBack);
        settle();
        QVERIFY(!rt::loaded<frmAccess>());
        QCOMPARE(row(folder, "Access"), (QStringList{"0", "1", "2"}));
        QCOMPARE(row(folder, "Passwords"), (QStringList{"p", "голос", "l1234567"}));
    }

    // Tab and Shift+Tab enter each frame on its selected option, so Space there keeps the code.
    void tabEntersAFrameOnItsSelectedOption() {
        TestFolder folder;
        folder.setAccess(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        frmAccess& a = openForm<frmAccess>();
        QCOMPARE(selected(a), (QStringList{"OptMainPass", "OptSetPass", "OptPassPass"}));
        const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = {}) {
            QTest::keyClick(a.focusWidget(), k, m);
        };
        QCOMPARE(a.focusWidget(), a.OptMainPass);
        key(Qt::Key_Tab);
        QCOMPARE(a.focusWidget(), a.OptSetPass);
        key(Qt::Key_Tab);
        QCOMPARE(a.focusWidget(), a.OptPassPass);
        key(Qt::Key_Tab);
        QCOMPARE(a.focusWidget(), a.cmdBack);
        key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(a.focusWidget(), a.OptPassPass);
        key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(a.focusWidget(), a.OptSetPass);
        key(Qt::Key_Space);
        key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(a.focusWidget(), a.OptMainPass);
        key(Qt::Key_Space);
        // A click elsewhere moves the frame's tab stop with the selection.
        click(a.optPassYes);
        a.cmdBack->setFocus();
        key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(a.focusWidget(), a.optPassYes);
        a.cmdBack->setFocus();
        key(Qt::Key_Return);
        settle();
        QVERIFY(!rt::loaded<frmAccess>());
        QCOMPARE(row(folder, "Access"), (QStringList{"1", "1", "2"}));
    }

    // A stored password longer than the typing limit shows whole and stays whole unless edited;
    // typing stops at the limit, Backspace takes one character off.
    void aLongStoredPasswordShowsAndStaysWhole() {
        TestFolder folder;
        folder.setPasswords(QStringLiteral("десятьсимв"), QStringLiteral("0123456789"),
                            QStringLiteral("abcdefghij"));
        frmAccess& a = openForm<frmAccess>();
        QCOMPARE(a.txtMain->text(), QStringLiteral("десятьсимв"));
        QCOMPARE(a.Text1->text(), QStringLiteral("0123456789"));
        a.Text1->end(false);
        typeText(a.Text1, QStringLiteral("x")); // no room: nothing
        QCOMPARE(a.Text1->text(), QStringLiteral("0123456789"));
        QTest::keyClick(a.Text1, Qt::Key_Backspace);
        QCOMPARE(a.Text1->text(), QStringLiteral("012345678"));
        a.Text2->selectAll();
        typeText(a.Text2, QStringLiteral("новый пароль"));
        QCOMPARE(a.Text2->text(), QStringLiteral("новый па"));
        // A paste over a selection, the selection counted as removed: at most the limit remains.
        QGuiApplication::clipboard()->setText(QStringLiteral("PASTED123456"));
        a.txtMain->selectAll();
        a.txtMain->paste();
        QCOMPARE(a.txtMain->text(), QStringLiteral("PASTED12"));
        a.Text1->setSelection(2, 1);
        a.Text1->paste(); // one character for twelve, in a text of nine that has no room
        QCOMPARE(a.Text1->text(), QStringLiteral("01345678"));
        a.Text2->selectAll();
        typeText(a.Text2, QStringLiteral("pass"));
        a.Text2->home(false);
        QGuiApplication::clipboard()->setText(QStringLiteral("passwordX"));
        a.Text2->paste(); // what is kept is the start of the paste, before the text typed
        QCOMPARE(a.Text2->text(), QStringLiteral("passpass"));
        QCOMPARE(a.Text2->cursorPosition(), 4);
        // The limit counts UTF-16 units, but a cut never splits a character: half a surrogate
        // pair, or a letter without its accent, would be a password nobody can type.
        a.txtMain->selectAll();
        typeText(a.txtMain, QStringLiteral("abc"));
        QGuiApplication::clipboard()->setText(QStringLiteral("😀😀😀"));
        a.txtMain->paste();
        QCOMPARE(a.txtMain->text(), QStringLiteral("abc😀😀"));
        QCOMPARE(a.txtMain->cursorPosition(), 7);
        a.txtMain->paste(); // one unit of room, no whole character fits
        QCOMPARE(a.txtMain->text(), QStringLiteral("abc😀😀"));
        a.txtMain->setSelection(0, 3);
        QGuiApplication::clipboard()->setText(QStringLiteral("xyz\u0438\u0306"));
        a.txtMain->paste(); // "й" written as a letter and its combining breve
        QCOMPARE(a.txtMain->text(), QStringLiteral("xyz😀😀"));
        QCOMPARE(a.txtMain->cursorPosition(), 3);
        click(a.cmdBack);
        settle();
        QVERIFY(!rt::loaded<frmAccess>());
        QCOMPARE(row(folder, "Passwords"), (QStringList{"xyz😀😀", "01345678", "passpass"}));
    }
};

QTEST_MAIN(TestFrmAccess)
#include "test_frmaccess.moc"
