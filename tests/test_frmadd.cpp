// The program-records editor through its real widgets: its controls, each handler's steps, the
// enabled states of the four edit controls, and the cases where no record is left.

#include "Database.h"
#include "FileDialog.h"
#include "MessageBoxes.h"
#include "Runtime.h"
#include "Schema.h"
#include "TestSupport.h"
#include "frmAdd.h"
#include "frmNewCateg.h"

#include <QtTest>

namespace {

const QString Programs = QStringLiteral("Programs");
const QString Types = QStringLiteral("Types");
const QString ExeFilter = QStringLiteral("Исполняемые EXE-файлы (*.exe)|*.exe|Исполняемые BAT-файлы "
                                         "(*.bat)|*.bat|Исполняемые COM-файлы (*.com)|*.com|Файлы Pif "
                                         "(*.pif)|*.pif|");
const QString DeleteQuestion = QStringLiteral("Вы уверены, что хотите удалить запись?");

// Enabled flags of txtName, Text1, cmdExeBrowser, cmdIcoBrowser.
QString editState(const frmAdd& f) {
    QString s;
    for (const QWidget* w :
         {static_cast<const QWidget*>(f.txtName), static_cast<const QWidget*>(f.Text1),
          static_cast<const QWidget*>(f.cmdExeBrowser), static_cast<const QWidget*>(f.cmdIcoBrowser)})
        s += w->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

QList<QStringList> twoPrograms() {
    return {
        {QStringLiteral("Блокнот"), QStringLiteral("Фирма"), QStringLiteral("Офис"),
         QStringLiteral("/bin/true"), QStringLiteral("/icons/n.ico")},
        {QStringLiteral("Игра"), QString(), QStringLiteral("Игры"), QStringLiteral("/bin/false"), QString()}};
}

QList<QStringList> twoTypes() {
    return {{QStringLiteral("Офис"), QString()}, {QStringLiteral("Игры"), QString()}};
}

} // namespace

class TestFrmAdd : public QObject {
    Q_OBJECT
private slots:
    void init() {
        resetRuntime();
        rt::setProgramTitle(QStringLiteral("Settings"));
    }
    void cleanup() { resetRuntime(); }

    void opensWithItsControlsAndFirstRecords() {
        TestFolder folder;
        folder.fill(Programs, twoPrograms());
        folder.fill(Types, twoTypes());
        frmAdd& f = openForm<frmAdd>();
        QCOMPARE(f.windowTitle(), QStringLiteral("Добавление/удаление записи"));
        QVERIFY(!f.windowIcon().isNull());
        QCOMPARE(f.txtName->text(), QStringLiteral("Блокнот"));
        QCOMPARE(f.Text1->text(), QStringLiteral("Фирма"));
        QCOMPARE(f.lblType->text(), QStringLiteral("Офис"));
        QCOMPARE(f.lblDir->text(), QStringLiteral("/bin/true"));
        QCOMPARE(f.lblIcon->text(), QStringLiteral("/icons/n.ico"));
        QCOMPARE(f.txtCopy->text(), QStringLiteral("Офис"));
        QVERIFY(!f.txtCopy->isVisibleTo(&f));
        QVERIFY(!f.txtCopy->isEnabled());
        QVERIFY(f.Data1->ReadOnly());
        QCOMPARE(f.Data1->RecordSource(), Types);
        QVERIFY(!f.DatEdit->ReadOnly());
        QCOMPARE(f.DatEdit->RecordSource(), Programs);
        QCOMPARE(editState(f), QStringLiteral("0000"));
        QCOMPARE(f.focusWidget(), f.cmdAdd);
        for (CommandButton* b : {f.cmdExeBrowser, f.cmdIcoBrowser}) {
            QCOMPARE(b->text(), QStringLiteral("..."));
            QCOMPARE(b->toolTip(), QStringLiteral("Обзор"));
            QCOMPARE(b->font().pointSizeF(), 12.0);
        }
        for (Label* l : {f.lblType, f.lblIcon, f.lblDir}) {
            QVERIFY(l->autoFillBackground());
            QCOMPARE(l->palette().color(QPalette::Window), QColor(Qt::white));
            QCOMPARE(l->frameShape(), QFrame::Box);
        }
        QCOMPARE(f.Label6->text(),
                 QStringLiteral("Если отсутствует картинка, то здесь ничего не указываийте."));
        QVERIFY(prompts().isEmpty());
    }

    void enabledStatesFollowTheTableAfterEveryEvent() {
        TestFolder folder;
        folder.fill(Programs, twoPrograms());
        folder.fill(Types, twoTypes());
        frmAdd& f = openForm<frmAdd>();
        click(f.cmdAdd);
        QCOMPARE(editState(f), QStringLiteral("1111"));
        clickArrow(f.DatEdit, DataControl::First); // stepping changes nothing
        QCOMPARE(editState(f), QStringLiteral("1111"));
        click(f.cmdDelete); // answered No
        QCOMPARE(editState(f), QStringLiteral("0011"));
        click(f.cmdEdit);
        QCOMPARE(editState(f), QStringLiteral("1111"));
        QVERIFY(f.cmdEdit->isEnabled());
        FileDialog::setNextCancel();
        click(f.cmdExeBrowser); // a cancel changes nothing
        QCOMPARE(editState(f), QStringLiteral("1111"));
        FileDialog::setNextFileName(QStringLiteral("/usr/bin/env"));
        click(f.cmdExeBrowser);
        QCOMPARE(editState(f), QStringLiteral("0011"));
        clickArrow(f.Data1, DataControl::Next); // the chooser's release changes no state either
        QCOMPARE(editState(f), QStringLiteral("0011"));
        click(f.cmdEdit);
        later([] {
            waitUntil([] { return rt::loaded<frmNewCateg>() != nullptr; });
            click(rt::loaded<frmNewCateg>()->cmdBack);
        });
        click(f.cmdNewCat);
        QVERIFY(!rt::loaded<frmNewCateg>());
        QCOMPARE(editState(f), QStringLiteral("0000"));
        for (QWidget* w : std::initializer_list<QWidget*>{f.cmdAdd, f.cmdEdit, f.cmdDelete, f.cmdBack,
                                                          f.cmdNewCat, f.DatEdit, f.Data1})
            QVERIFY(w->isEnabled());
    }

    void addStoresTheRecordLeftAndStartsWithTheDefaultIcon() {
        TestFolder folder;
        folder.fill(Programs, twoPrograms());
        frmAdd& f = openForm<frmAdd>();
        click(f.cmdEdit);
        typeText(f.txtName, QStringLiteral("!"));
        click(f.cmdAdd);
        QCOMPARE(folder.rows(Programs)[0][0], QStringLiteral("Блокнот!"));
        QCOMPARE(f.txtName->text(), QString());
        QCOMPARE(f.lblIcon->text(), ErrorIconPath);
        // Left untouched by another "Добавить", the new record is stored with its icon path only.
        click(f.cmdAdd);
        QCOMPARE(folder.rows(Programs).size(), 3);
        QCOMPARE(folder.rows(Programs)[2],
                 (QStringList{QString(), QString(), QString(), QString(), ErrorIconPath}));
        QVERIFY(prompts().isEmpty());
    }

    void browseButtonsWriteTheChosenPathsAndCancelChangesNothing() {
        TestFolder folder;
        folder.fill(Programs, twoPrograms());
        frmAdd& f = openForm<frmAdd>();
        click(f.cmdEdit);
        FileDialog::setNextCancel();
        click(f.cmdIcoBrowser);
        QCOMPARE(f.lblIcon->text(), QStringLiteral("/icons/n.ico"));
        FileDialog::setNextFileName(QStringLiteral("/opt/game/run"));
        click(f.cmdExeBrowser);
        FileDialog::setNextFileName(QStringLiteral("/opt/game/Game.ICO"));
        click(f.cmdIcoBrowser);
        QCOMPARE(FileDialog::asked(),
                 (QStringList{QStringLiteral("Файлы со значками (*.ico)|*.ico|"), ExeFilter,
                              QStringLiteral("Файлы со значками (*.ico)|*.ico|")}));
        QCOMPARE(f.lblDir->text(), QStringLiteral("/opt/game/run"));
        QCOMPARE(f.lblIcon->text(), QStringLiteral("/opt/game/Game.ICO"));
        clickArrow(f.DatEdit, DataControl::Next);
        QCOMPARE(folder.rows(Programs)[0][3], QStringLiteral("/opt/game/run"));
        QCOMPARE(folder.rows(Programs)[0][4], QStringLiteral("/opt/game/Game.ICO"));
        QVERIFY(prompts().isEmpty());
    }

    void chooserReleaseSetsTheCategoryOnAnyRecord() {
        TestFolder folder;
        folder.fill(Programs, twoPrograms());
        folder.fill(Types, twoTypes());
        frmAdd& f = openForm<frmAdd>();
        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(f.lblType->text(), QStringLiteral("Игры"));
        QCOMPARE(prompts(), QStringList{QStringLiteral("Изменен тип программы")});
        QCOMPARE(MessageBoxes::asked().last().title, QStringLiteral("Settings"));
        QCOMPARE(MessageBoxes::asked().last().buttons, 0);
        // A release without a move still copies and tells; the chooser itself writes nothing.
        clickArrow(f.Data1, DataControl::Last);
        QCOMPARE(prompts().size(), 2);
        clickArrow(f.DatEdit, DataControl::Next);
        QCOMPARE(folder.rows(Programs)[0][2], QStringLiteral("Игры"));
        QCOMPARE(folder.rows(Types), twoTypes());
    }

    void navigatorPressFillsAnEmptyIcon() {
        TestFolder folder;
        folder.fill(Programs, twoPrograms());
        frmAdd& f = openForm<frmAdd>();
        clickArrow(f.DatEdit, DataControl::Last);
        QCOMPARE(f.lblIcon->text(), QString());
        // The press fills it even where the navigator cannot move further; the next step stores it.
        clickArrow(f.DatEdit, DataControl::Last);
        QCOMPARE(f.lblIcon->text(), ErrorIconPath);
        clickArrow(f.DatEdit, DataControl::First);
        QCOMPARE(folder.rows(Programs)[1][4], ErrorIconPath);
        QCOMPARE(folder.rows(Programs)[0][4], QStringLiteral("/icons/n.ico"));
    }

    void deleteAsksAndMovesToTheFirstRecord() {
        TestFolder folder;
        folder.fill(Programs, twoPrograms());
        frmAdd& f = openForm<frmAdd>();
        clickArrow(f.DatEdit, DataControl::Last);
        click(f.cmdDelete);
        QCOMPARE(MessageBoxes::asked().last().prompt, DeleteQuestion);
        QCOMPARE(MessageBoxes::asked().last().buttons, 4);
        QCOMPARE(MessageBoxes::asked().last().title, QStringLiteral("Удаление"));
        QCOMPARE(folder.rows(Programs).size(), 2);
        QCOMPARE(f.txtName->text(), QStringLiteral("Игра"));
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete);
        QCOMPARE(folder.rows(Programs).size(), 1);
        QCOMPARE(f.txtName->text(), QStringLiteral("Блокнот"));
        QCOMPARE(prompts().size(), 2);
    }

    void deletingTheLastRecordLeavesAUsableWindowWithNoRecord() {
        TestFolder folder;
        folder.fill(Programs, {twoPrograms().first()});
        frmAdd& f = openForm<frmAdd>();
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete);
        QVERIFY(folder.rows(Programs).isEmpty());
        QCOMPARE(prompts(), QStringList{DeleteQuestion});
        QVERIFY(!f.DatEdit->records().hasCurrent());
        QCOMPARE(f.txtName->text(), QString());
        QCOMPARE(f.lblDir->text(), QString());
        // Yes again on the empty table: nothing to delete, no message.
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete);
        QCOMPARE(prompts().size(), 2);
        // The navigator and "Добавить" still work, and a new record is stored at the unload.
        clickArrow(f.DatEdit, DataControl::Next);
        click(f.cmdAdd);
        typeText(f.txtName, QStringLiteral("Новая"));
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete); // a new, unstored record: dropped, nothing shown
        QCOMPARE(prompts().size(), 3);
        QVERIFY(folder.rows(Programs).isEmpty());
        click(f.cmdAdd);
        click(f.cmdEdit);
        typeText(f.txtName, QStringLiteral("Новая"));
        FileDialog::setNextFileName(QStringLiteral("/bin/true"));
        click(f.cmdExeBrowser);
        f.lblType->storeText(QStringLiteral("Офис"));
        click(f.cmdBack);
        QVERIFY(!rt::loaded<frmAdd>());
        QCOMPARE(folder.rows(Programs),
                 (QList<QStringList>{{QStringLiteral("Новая"), QString(), QStringLiteral("Офис"),
                                      QStringLiteral("/bin/true"), ErrorIconPath}}));
    }

    void aRefusedDeleteIsToldWithTheProgramsTitle() {
        TestFolder folder;
        folder.fill(Programs, twoPrograms());
        folder.db().exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON Programs "
                                        "BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
        frmAdd& f = openForm<frmAdd>();
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete);
        QCOMPARE(prompts().size(), 2);
        QVERIFY2(prompts().last().contains(QStringLiteral("отказалась принять изменение")),
                 qPrintable(prompts().last()));
        QCOMPARE(MessageBoxes::asked().last().title, QStringLiteral("Settings"));
        QCOMPARE(folder.rows(Programs).size(), 2);
        QVERIFY(f.isLoaded());
        QCOMPARE(f.txtName->text(), QStringLiteral("Блокнот"));
    }

    void backTellsTheFirstMissingFieldAndKeepsTheWindow() {
        TestFolder folder;
        folder.fill(Programs, {{QString(), QString(), QString(), QString(), QString()}});
        folder.fill(Types, twoTypes());
        frmAdd& f = openForm<frmAdd>();
        click(f.cmdBack);
        QCOMPARE(prompts(), QStringList{QStringLiteral("Введите имя")});
        QCOMPARE(f.lblIcon->text(), ErrorIconPath);
        QVERIFY(f.isLoaded());
        click(f.cmdEdit);
        typeText(f.txtName, QStringLiteral(" ")); // blanks are a name
        click(f.cmdBack);
        QCOMPARE(prompts().last(), QStringLiteral("Введите тип программы"));
        clickArrow(f.Data1, DataControl::First);
        click(f.cmdBack);
        QCOMPARE(prompts().last(), QStringLiteral("Укажите директорию запуска"));
        QVERIFY(f.isLoaded());
        QCOMPARE(MessageBoxes::asked().last().title, QStringLiteral("Settings"));
        FileDialog::setNextFileName(QStringLiteral("/bin/true"));
        click(f.cmdExeBrowser);
        click(f.cmdBack);
        QVERIFY(!rt::loaded<frmAdd>());
        settle();
        QVERIFY(!rt::loaded<frmAdd>());
        QCOMPARE(folder.rows(Programs),
                 (QList<QStringList>{{QStringLiteral(" "), QString(), QStringLiteral("Офис"),
                                      QStringLiteral("/bin/true"), ErrorIconPath}}));
        // Opened again: the first records, all four edit controls disabled.
        frmAdd& again = openForm<frmAdd>();
        QCOMPARE(editState(again), QStringLiteral("0000"));
        QCOMPARE(again.txtName->text(), QStringLiteral(" "));
    }

    void anEmptyTableAnswersNameEveryTime() {
        TestFolder folder;
        frmAdd& f = openForm<frmAdd>();
        for (int i = 0; i < 3; ++i)
            click(f.cmdBack);
        QCOMPARE(prompts(), QStringList(3, QStringLiteral("Введите имя")));
        QVERIFY(f.isLoaded());
        QVERIFY(folder.rows(Programs).isEmpty());
    }

    // The close box is the way out where "Назад" cannot be passed (no category to choose), but it
    // stores only what "Назад" accepts: a record it refuses the user completes ("Да") or leaves ("Нет").
    void theCloseBoxIsTheWayOutButStoresNoRecordThatBackRefuses() {
        TestFolder folder; // no categories: no record can pass "Назад"
        const QStringList untouched{QString(), QString(), QString(), QString(), QStringLiteral("/i.ico")};
        folder.fill(Programs, {untouched});
        openForm<frmAdd>().close(); // untouched: closes at once
        settle();
        QVERIFY(!rt::loaded<frmAdd>() && prompts().isEmpty());
        frmAdd& f = openForm<frmAdd>();
        QVERIFY(f.windowFlags() & Qt::WindowCloseButtonHint);
        click(f.cmdAdd);
        typeText(f.txtName, QStringLiteral("Черновик"));
        clickArrow(f.Data1, DataControl::Next);
        click(f.cmdBack);
        QCOMPARE(prompts(), (QStringList{QStringLiteral("Изменен тип программы"),
                                         QStringLiteral("Введите тип программы")}));
        QVERIFY(f.isLoaded());
        MessageBoxes::setNextAnswer(rt::vbYes);
        f.close();
        settle();
        QVERIFY(f.isLoaded() && prompts().last().contains(QStringLiteral("Введите тип программы")));
        f.close(); // "Нет"
        settle();
        QVERIFY(!rt::loaded<frmAdd>() && prompts().size() == 4);
        QCOMPARE(folder.rows(Programs), QList<QStringList>{untouched});
        folder.fill(Programs, twoPrograms()); // an edit that "Назад" accepts is stored
        frmAdd& g = openForm<frmAdd>();
        click(g.cmdEdit);
        typeText(g.txtName, QStringLiteral("!"));
        g.close();
        settle();
        QVERIFY(!rt::loaded<frmAdd>() && prompts().size() == 4);
        QCOMPARE(folder.rows(Programs)[0][0], QStringLiteral("Блокнот!"));
    }

    void backKeepsTheWindowAndTheRecordWhenTheDatabaseRefusesIt() {
        TestFolder folder;
        folder.fill(Types, twoTypes());
        Database::setDefaultBusyTimeoutForTests(50);
        frmAdd& f = openForm<frmAdd>();
        click(f.cmdAdd);
        typeText(f.txtName, QStringLiteral("Новая"));
        clickArrow(f.Data1, DataControl::Next);
        FileDialog::setNextFileName(QStringLiteral("/bin/true"));
        click(f.cmdExeBrowser);
        folder.db().exec(QStringLiteral("BEGIN IMMEDIATE"));
        MessageBoxes::setNextAnswer(rt::vbYes); // stay
        click(f.cmdBack);
        folder.db().exec(QStringLiteral("COMMIT"));
        QVERIFY(rt::loaded<frmAdd>());
        QCOMPARE(f.txtName->text(), QStringLiteral("Новая"));
        QCOMPARE(prompts().size(), 2); // the category message, then the refused store
        QVERIFY2(prompts().last().contains(QStringLiteral("Name (наименование): Новая")),
                 qPrintable(prompts().last()));
        QVERIFY(folder.rows(Programs).isEmpty());
        click(f.cmdBack);
        settle();
        QVERIFY(!rt::loaded<frmAdd>());
        QCOMPARE(folder.rows(Programs).size(), 1);
        QCOMPARE(folder.rows(Programs).first().first(), QStringLiteral("Новая"));
    }
    // Another program deleted the record being edited: the arrow still moves, and the user is
    // told what could not be stored instead of losing it without a word.
    void anEditOfARecordDeletedElsewhereIsToldAtTheArrow() {
        TestFolder folder;
        folder.fill(Types, twoTypes());
        folder.fill(Programs, twoPrograms());
        frmAdd& f = openForm<frmAdd>();
        click(f.cmdEdit);
        typeText(f.Text1, QStringLiteral("Софт"));
        folder.db().exec(QStringLiteral("DELETE FROM Programs WHERE Name = 'Блокнот'"));
        clickArrow(f.DatEdit, DataControl::Next);
        QCOMPARE(f.txtName->text(), QStringLiteral("Игра"));
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts()[0].contains(Programs));
        QVERIFY(prompts()[0].contains(QStringLiteral("Company (фирма): ФирмаСофт")));
        QCOMPARE(MessageBoxes::asked().first().title, rt::programTitle());
        QCOMPARE(folder.rows(Programs), twoPrograms().mid(1));
        click(f.cmdBack);
        settle();
        QVERIFY(!rt::loaded<frmAdd>());
        QCOMPARE(prompts().size(), 1);
    }
};

QTEST_MAIN(TestFrmAdd)
#include "test_frmadd.moc"
