// A window's data source with its bound fields and navigator: what the fields show, when an edit
// is stored, the order of the navigator's mouse events around its move, and what the user sees
// when a store fails.

#include "Controls.h"
#include "DataControl.h"
#include "Database.h"
#include "Form.h"
#include "MessageBoxes.h"
#include "Runtime.h"
#include "Schema.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QtTest>

namespace {

// A window with one source on Types: a navigator, a bound label and a bound text box.
class DataForm : public Form {
public:
    static inline const QString Name = QStringLiteral("DataForm");
    explicit DataForm(const QString& table = QStringLiteral("Types"), bool readOnly = false,
                      const QString& iconField = QStringLiteral("IconType"))
        : Form(Name) {
        setClientSize(6000, 2000);
        Data1 = named(new DataControl(this, table, readOnly), "Data1");
        place(Data1, 120, 120, 4800, 375);
        Data1->setCaption(QStringLiteral("Категории"));
        lblName = named(new Label(this), "lblName");
        place(lblName, 120, 600, 3000, 300);
        lblName->setDataSource(Data1, QStringLiteral("NameType"));
        txtIcon = named(new TextBox(this), "txtIcon");
        place(txtIcon, 120, 1000, 3000, 300);
        txtIcon->setDataSource(Data1, iconField);
        Data1->onMouseDown([this] { events << QStringLiteral("down:") + lblName->text(); });
        Data1->onMouseUp([this] { events << QStringLiteral("up:") + lblName->text(); });
    }
    void Form_Load() override { Data1->DatabaseName = DatabasePath(); }

    DataControl* Data1;
    Label* lblName;
    TextBox* txtIcon;
    QStringList events;
};

const QString kTypes = QStringLiteral("Types");

// Code stores into a bound field only by storeText: a setText that looks like a store is hidden.
template <class W>
concept HasOwnSetText = requires(W& w) {
    w.setText(QString());
};
static_assert(!HasOwnSetText<Label> && !HasOwnSetText<TextBox>);

QList<QStringList> threeTypes() {
    return {{QStringLiteral("a"), QStringLiteral("a.bmp")},
            {QStringLiteral("b"), QStringLiteral("b.bmp")},
            {QStringLiteral("c"), QStringLiteral("c.bmp")}};
}

} // namespace

class TestDataControl : public QObject {
    Q_OBJECT
private slots:
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void boundFieldsShowTheCurrentRecord() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        QCOMPARE(f.txtIcon->text(), QStringLiteral("a.bmp"));
        rt::run([&] { f.Data1->records().MoveNext(); });
        QCOMPARE(f.lblName->text(), QStringLiteral("b"));
        QCOMPARE(f.txtIcon->text(), QStringLiteral("b.bmp"));
        rt::run([&] {
            f.Data1->records().MoveNext();
            f.Data1->records().MoveNext();
        });
        QCOMPARE(f.lblName->text(), QString());
        QCOMPARE(f.txtIcon->text(), QString());
        rt::run([&] { f.Data1->records().AddNew(); });
        QCOMPARE(f.lblName->text(), QString());
        rt::run([&] { f.Data1->records().MoveFirst(); });
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        rt::run([&] { f.Data1->records().Delete(); });
        QCOMPARE(f.lblName->text(), QString());
        QCOMPARE(f.txtIcon->text(), QString());
        QVERIFY(prompts().isEmpty());
        QCOMPARE(folder.rows(kTypes).size(), 2);
    }

    void showingARecordIsNotAnEdit() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        // Another program changes the shown record; leaving it must not write the shown texts back.
        folder.db().update(kTypes, folder.db().rowids(kTypes).first(), {QStringLiteral("NameType")},
                           {QStringLiteral("a by other")});
        clickArrow(f.Data1, DataControl::Next);
        clickArrow(f.Data1, DataControl::First);
        QCOMPARE(f.lblName->text(), QStringLiteral("a by other"));
        QCOMPARE(folder.rows(kTypes).first(),
                 (QStringList{QStringLiteral("a by other"), QStringLiteral("a.bmp")}));
    }

    void aLabelShownThroughQtIsNotStored() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        QLabel* shown = f.lblName;
        shown->setText(QStringLiteral("only shown"));
        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(folder.rows(kTypes)[0], threeTypes()[0]);
        f.lblName->storeText(QStringLiteral("stored"));
        clickArrow(f.Data1, DataControl::Previous);
        QCOMPARE(folder.rows(kTypes)[1], (QStringList{QStringLiteral("stored"), QStringLiteral("b.bmp")}));
    }

    void typedAndSetTextsAreStoredWhenTheRecordIsLeft() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        typeText(f.txtIcon, QStringLiteral("новый.bmp"));
        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(f.txtIcon->text(), QStringLiteral("b.bmp"));
        QCOMPARE(folder.rows(kTypes)[0],
                 (QStringList{QStringLiteral("a"), QStringLiteral("a.bmpновый.bmp")}));
        rt::run([&] { f.lblName->storeText(QStringLiteral("b renamed")); });
        f.txtIcon->storeText(QStringLiteral("b2.bmp"));
        clickArrow(f.Data1, DataControl::Previous);
        QCOMPARE(folder.rows(kTypes)[1],
                 (QStringList{QStringLiteral("b renamed"), QStringLiteral("b2.bmp")}));
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        // A new record begun in code and typed into is stored by the next arrow and stays last.
        rt::run([&] { f.Data1->records().AddNew(); });
        typeText(f.txtIcon, QStringLiteral("d.bmp"));
        f.lblName->storeText(QStringLiteral("d"));
        clickArrow(f.Data1, DataControl::First);
        QCOMPARE(folder.rows(kTypes).size(), 4);
        QCOMPARE(folder.rows(kTypes).last(), (QStringList{QStringLiteral("d"), QStringLiteral("d.bmp")}));
        clickArrow(f.Data1, DataControl::Last);
        QCOMPARE(f.lblName->text(), QStringLiteral("d"));
        QVERIFY(prompts().isEmpty());
    }

    void arrowsStopAtTheFirstAndTheLastRecord() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        clickArrow(f.Data1, DataControl::Previous);
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(f.lblName->text(), QStringLiteral("b"));
        clickArrow(f.Data1, DataControl::Last);
        QCOMPARE(f.lblName->text(), QStringLiteral("c"));
        clickArrow(f.Data1, DataControl::Next);
        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(f.lblName->text(), QStringLiteral("c"));
        QVERIFY(f.Data1->records().hasCurrent());
        clickArrow(f.Data1, DataControl::Previous);
        QCOMPARE(f.lblName->text(), QStringLiteral("b"));
        clickArrow(f.Data1, DataControl::First);
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        // A click on the caption moves nothing but is still a press and a release.
        f.events.clear();
        QTest::mouseClick(f.Data1, Qt::LeftButton, {}, f.Data1->rect().center());
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        QCOMPARE(f.events, (QStringList{QStringLiteral("down:a"), QStringLiteral("up:a")}));
        QVERIFY(prompts().isEmpty());
    }

    void mouseDownComesBeforeTheMoveAndMouseUpAfterIt() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        clickArrow(f.Data1, DataControl::Next);
        clickArrow(f.Data1, DataControl::Last);
        clickArrow(f.Data1, DataControl::First);
        QCOMPARE(f.events,
                 (QStringList{QStringLiteral("down:a"), QStringLiteral("up:b"), QStringLiteral("down:b"),
                              QStringLiteral("up:c"), QStringLiteral("down:c"), QStringLiteral("up:a")}));
        // A press that leaves the arrow before the release moves nothing.
        f.events.clear();
        QTest::mousePress(f.Data1, Qt::LeftButton, {}, f.Data1->arrowRect(DataControl::Next).center());
        QTest::mouseRelease(f.Data1, Qt::LeftButton, {}, f.Data1->rect().center());
        QCOMPARE(f.events, (QStringList{QStringLiteral("down:a"), QStringLiteral("up:a")}));
    }

    void whatTheMouseHandlersWriteGoesToTheRecordCurrentThen() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        DataForm& f = openForm<DataForm>();
        // As the program editor's press handler does: a default for an empty field of the record left.
        f.Data1->onMouseDown([&f] {
            if (f.txtIcon->text().isEmpty())
                f.txtIcon->storeText(QStringLiteral("default.bmp"));
        });
        // As the category editor's release handler does: a default for the record arrived at.
        f.Data1->onMouseUp([&f] { f.lblName->storeText(f.lblName->text() + QStringLiteral("+up")); });
        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(f.lblName->text(), QStringLiteral("b+up"));
        QCOMPARE(folder.rows(kTypes),
                 (QList<QStringList>{{QStringLiteral("a"), QStringLiteral("default.bmp")},
                                     {QStringLiteral("b"), {}}}));
        rt::Unload(f);
        settle();
        QCOMPARE(folder.rows(kTypes)[1], (QStringList{QStringLiteral("b+up"), QString()}));
    }

    void aDisabledNavigatorIgnoresInput() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        f.Data1->setEnabled(false);
        clickArrow(f.Data1, DataControl::Next);
        clickArrow(f.Data1, DataControl::Last);
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        QVERIFY(f.events.isEmpty());
        f.Data1->setEnabled(true);
        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(f.lblName->text(), QStringLiteral("b"));
    }

    void aReadOnlySourceStoresNothing() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        rt::formNamed(DataForm::Name, [] { return new DataForm(kTypes, true); });
        DataForm& f = openForm<DataForm>();
        typeText(f.txtIcon, QStringLiteral("x"));
        f.lblName->storeText(QStringLiteral("changed"));
        clickArrow(f.Data1, DataControl::Next);
        typeText(f.txtIcon, QStringLiteral("y"));
        rt::Unload(f);
        settle();
        QCOMPARE(folder.rows(kTypes), threeTypes());
        QVERIFY(prompts().isEmpty());
    }

    void aStoreThatFailsOnAnArrowKeepsTheEditAndSaysSo() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        Database::setDefaultBusyTimeoutForTests(50);
        rt::setProgramTitle(QStringLiteral("Orvanto"));
        DataForm& f = openForm<DataForm>();
        typeText(f.txtIcon, QStringLiteral("!"));
        folder.db().exec(QStringLiteral("BEGIN IMMEDIATE"));
        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(MessageBoxes::asked().size(), 1);
        QCOMPARE(MessageBoxes::asked().first().title, QStringLiteral("Orvanto"));
        for (const QString& part : {folder.dbPath(), QStringLiteral("IconType (картинка): a.bmp!")})
            QVERIFY2(prompts().first().contains(part), qPrintable(prompts().first()));
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        QCOMPARE(f.txtIcon->text(), QStringLiteral("a.bmp!"));
        QCOMPARE(f.events.first(), QStringLiteral("down:a"));
        folder.db().exec(QStringLiteral("COMMIT"));

        clickArrow(f.Data1, DataControl::Next);
        QCOMPARE(f.lblName->text(), QStringLiteral("b"));
        QCOMPARE(folder.rows(kTypes)[0], (QStringList{QStringLiteral("a"), QStringLiteral("a.bmp!")}));
        QCOMPARE(MessageBoxes::asked().size(), 1);
    }

    void unloadStoresThePendingRecordAndEndStoresNothing() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        {
            DataForm& f = openForm<DataForm>();
            typeText(f.txtIcon, QStringLiteral("1"));
            rt::Unload(f);
            settle();
            QVERIFY(!rt::loaded<DataForm>());
            QCOMPARE(folder.rows(kTypes)[0][1], QStringLiteral("a.bmp1"));
        }
        {
            DataForm& f = openForm<DataForm>();
            QCOMPARE(f.txtIcon->text(), QStringLiteral("a.bmp1"));
            rt::run([&] { f.Data1->records().AddNew(); });
            typeText(f.txtIcon, QStringLiteral("new.bmp"));
            rt::Unload(f);
            settle();
            QCOMPARE(folder.rows(kTypes).size(), 4);
            QCOMPARE(folder.rows(kTypes).last()[1], QStringLiteral("new.bmp"));
        }
        {
            DataForm& f = openForm<DataForm>();
            typeText(f.txtIcon, QStringLiteral("2"));
            rt::End();
            QCOMPARE(folder.rows(kTypes)[0][1], QStringLiteral("a.bmp1"));
            QVERIFY(rt::programFinished());
        }
        QVERIFY(prompts().isEmpty());
    }

    void aStoreThatFailsAtUnloadIsTold() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        Database::setDefaultBusyTimeoutForTests(50);
        DataForm& f = openForm<DataForm>();
        typeText(f.txtIcon, QStringLiteral("!"));
        folder.db().exec(QStringLiteral("BEGIN IMMEDIATE"));
        rt::Unload(f);
        settle();
        folder.db().exec(QStringLiteral("COMMIT"));
        QCOMPARE(prompts().size(), 1);
        QVERIFY2(prompts().first().contains(folder.dbPath()), qPrintable(prompts().first()));
        QCOMPARE(folder.rows(kTypes), threeTypes());
    }

    void withoutACurrentRecordNothingCanBeTypedOrSetThatWouldBeLost() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("only"), QStringLiteral("only.bmp")}});
        DataForm& f = openForm<DataForm>();
        QVERIFY(!f.txtIcon->isReadOnly());
        rt::run([&] { f.Data1->records().Delete(); });
        QVERIFY(f.txtIcon->isReadOnly());
        typeText(f.txtIcon, QStringLiteral("lost"));
        f.lblName->storeText(QStringLiteral("lost too"));
        QCOMPARE(f.txtIcon->text(), QString());
        QCOMPARE(f.lblName->text(), QString());
        rt::run([&] { f.Data1->records().AddNew(); });
        QVERIFY(!f.txtIcon->isReadOnly());
        typeText(f.txtIcon, QStringLiteral("kept"));
        rt::Unload(f);
        settle();
        QCOMPARE(folder.rows(kTypes), (QList<QStringList>{{QString(), QStringLiteral("kept")}}));
    }

    // A record the database refuses is named with the file, the reason and what was typed; the user
    // chooses to stay and try again ("Да"), or to leave without it ("Нет").
    void closeBoxAsksWhetherToStayWhenTheDatabaseRefusesItsRecord() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        Database::setDefaultBusyTimeoutForTests(50);
        DataForm& f = openForm<DataForm>();
        typeText(f.txtIcon, QStringLiteral("!"));
        folder.db().exec(QStringLiteral("BEGIN IMMEDIATE"));
        MessageBoxes::setNextAnswer(rt::vbYes);
        f.close();
        settle();
        QVERIFY(rt::loaded<DataForm>());
        QVERIFY(askedToStay({folder.dbPath(), QStringLiteral("держит заблокированным другая программа"),
                             QStringLiteral("Таблица Types (категории):\nIconType (картинка): a.bmp!")}));
        QCOMPARE(f.txtIcon->text(), QStringLiteral("a.bmp!"));

        f.close(); // still locked: "Нет" leaves without the edit
        settle();
        folder.db().exec(QStringLiteral("COMMIT"));
        QVERIFY(!rt::loaded<DataForm>());
        QCOMPARE(prompts().size(), 2);
        QCOMPARE(folder.rows(kTypes), threeTypes());
    }

    void aMissingTableOrFieldKeepsTheWindowFromLoading_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("missing");
        QTest::newRow("table") << QStringLiteral("Nothing") << QStringLiteral("IconType")
                               << QStringLiteral("Nothing");
        QTest::newRow("field") << kTypes << QStringLiteral("NoField") << QStringLiteral("NoField");
    }
    void aMissingTableOrFieldKeepsTheWindowFromLoading() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QString, missing);
        TestFolder folder;
        try {
            rt::formNamed(DataForm::Name, [&] { return new DataForm(table, false, field); });
            QFAIL("the window loaded without its table or field");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(folder.dbPath()), qPrintable(e.message()));
            QVERIFY2(e.message().contains(missing), qPrintable(e.message()));
        }
        QVERIFY(!rt::loaded<DataForm>());
    }

    // A screen-reader user steps records through the navigator's four accessible arrows: each press
    // moves as a click does, between the mouse-down and mouse-up handlers; disabled, nothing happens.
    void arrowsArePressableThroughAccessibility() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        QAccessibleInterface* nav = QAccessible::queryAccessibleInterface(f.Data1);
        QVERIFY(nav);
        QCOMPARE(nav->childCount(), 4);
        QStringList names;
        for (int i = 0; i < nav->childCount(); ++i) {
            QAccessibleInterface* arrow = nav->child(i);
            QCOMPARE(arrow->role(), QAccessible::Button);
            QCOMPARE(arrow->parent(), nav);
            QCOMPARE(nav->indexOfChild(arrow), i);
            QVERIFY(
                arrow->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
            names << arrow->text(QAccessible::Name);
        }
        QCOMPARE(names,
                 (QStringList{"Первая запись", "Предыдущая запись", "Следующая запись", "Последняя запись"}));
        QCOMPARE(nav->child(3)->rect().size(), f.Data1->arrowRect(DataControl::Last).size());
        const auto press = [&](int i) {
            nav->child(i)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        };
        typeText(f.txtIcon, QStringLiteral("!"));
        press(2);
        QCOMPARE(f.events, (QStringList{"down:a", "up:b"}));
        QCOMPARE(folder.rows(kTypes)[0], (QStringList{"a", "a.bmp!"}));
        press(3);
        QCOMPARE(f.lblName->text(), QStringLiteral("c"));
        press(1);
        QCOMPARE(f.lblName->text(), QStringLiteral("b"));
        press(0);
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        QCOMPARE(f.events.size(), 8);

        f.Data1->setEnabled(false);
        f.events.clear();
        QVERIFY(nav->child(2)->state().disabled);
        press(2);
        QCOMPARE(f.lblName->text(), QStringLiteral("a"));
        QVERIFY(f.events.isEmpty());
        QVERIFY(prompts().isEmpty());
    }

    // A text box and a label of a new record set to empty texts store those texts, not NULL.
    void emptyTextsSetIntoANewRecordAreStored() {
        TestFolder folder;
        folder.fill(kTypes, threeTypes());
        DataForm& f = openForm<DataForm>();
        rt::run([&] { f.Data1->records().AddNew(); });
        f.lblName->storeText(QString());
        f.txtIcon->storeText(QString());
        rt::Unload(f);
        QCOMPARE(folder.rows(kTypes).size(), 4);
        folder.db().exec(QStringLiteral("UPDATE Types SET IconType = typeof(NameType) || typeof(IconType)"));
        QCOMPARE(folder.rows(kTypes).last(), (QStringList{"", "texttext"}));
    }
};

QTEST_MAIN(TestDataControl)
#include "test_datacontrol.moc"
