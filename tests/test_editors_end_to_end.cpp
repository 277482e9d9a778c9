// The two editors of Settings along the whole road, through real widgets and the real event loop:
// from the operation menu into the program-records editor and the category editor, and what the
// launcher then finds in the database.

#include "FileDialog.h"
#include "FrmMain.h"
#include "FrmMainOpt.h"
#include "FrmStart.h"
#include "MessageBoxes.h"
#include "Runtime.h"
#include "Schema.h"
#include "TestSupport.h"
#include "frmAdd.h"
#include "frmNewCateg.h"

#include <QFile>
#include <QtTest>

namespace {

const QString Programs = QStringLiteral("Programs");
const QString Types = QStringLiteral("Types");

// Settings' menu, shown as after its gate, and "Открыть" with "Добавить/Удалить запись". `inEditor`
// runs inside the modal editor; the call returns when the editor has closed.
bool throughTheMenu(const std::function<void(frmAdd&)>& inEditor) {
    FrmMainOpt& menu = rt::form<FrmMainOpt>();
    rt::Show(menu);
    settle();
    menu.OptAdd->setValue(true);
    bool reached = false;
    later([&] {
        if (!waitUntil([] { return rt::loaded<frmAdd>() && rt::lastActivated() == frmAdd::Name; }))
            return;
        reached = true;
        inEditor(*rt::loaded<frmAdd>());
        if (frmAdd* open = rt::loaded<frmAdd>()) {
            qWarning("the editor did not close");
            rt::Unload(*open); // never leave the test waiting in the modal show
            reached = false;
        }
    });
    click(menu.cmdYes);
    settle();
    return reached && !rt::loaded<frmAdd>() && rt::lastActivated() == FrmMainOpt::Name;
}

// "Новая категория" from the editor; returns when the category editor has closed.
bool throughTheCategoryEditor(frmAdd& editor, const std::function<void(frmNewCateg&)>& inEditor) {
    bool reached = false;
    later([&] {
        if (!waitUntil([] { return rt::loaded<frmNewCateg>() != nullptr; }))
            return;
        reached = true;
        inEditor(*rt::loaded<frmNewCateg>());
        if (frmNewCateg* open = rt::loaded<frmNewCateg>()) {
            qWarning("the category editor did not close");
            rt::Unload(*open);
            reached = false;
        }
    });
    click(editor.cmdNewCat);
    return reached && !rt::loaded<frmNewCateg>();
}

} // namespace

class TestEditorsEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void init() {
        resetRuntime();
        rt::setProgramTitle(QStringLiteral("Settings"));
    }
    void cleanup() { resetRuntime(); }

    void aProgramAddedInSettingsIsFoundAndStartedByTheLauncher() {
        TestFolder folder;
        folder.fill(Types, {{QStringLiteral("Офис"), QString()}, {QStringLiteral("Игры"), QString()}});
        folder.fill(Programs, {{QStringLiteral("Блокнот"), QStringLiteral("Мастер"), QStringLiteral("Офис"),
                                QStringLiteral("/bin/false"), QString()}});
        const QString marker = folder.path() + QStringLiteral("/started");
        const QString script = folder.markerScript(QStringLiteral("sapper"), marker);
        const QString icon =
            writePicture(folder.path(), QStringLiteral("Sapper.ICO"), Qt::yellow, {32, 32}, "ICO");
        QVERIFY(!QImage(icon).isNull());

        QVERIFY(throughTheMenu([&](frmAdd& w) {
            click(w.cmdAdd);
            typeText(w.txtName, QStringLiteral("Сапёр"));
            typeText(w.Text1, QStringLiteral("Игродел"));
            clickArrow(w.Data1, DataControl::Next);
            FileDialog::setNextFileName(script);
            click(w.cmdExeBrowser);
            FileDialog::setNextFileName(icon);
            click(w.cmdIcoBrowser);
            click(w.cmdBack);
        }));
        QCOMPARE(prompts(), QStringList{QStringLiteral("Изменен тип программы")});
        QCOMPARE(folder.rows(Programs).size(), 2);
        QCOMPARE(folder.rows(Programs)[1], (QStringList{QStringLiteral("Сапёр"), QStringLiteral("Игродел"),
                                                        QStringLiteral("Игры"), script, icon}));

        // The launcher, started afresh on the same database.
        resetRuntime();
        rt::setProgramTitle(QStringLiteral("Orvanto"));
        FrmMain& menu = rt::form<FrmMain>();
        rt::Show(menu);
        settle();
        clickArrow(menu.DatCategories, DataControl::Next);
        QCOMPARE(menu.lblCategories->text(), QStringLiteral("Игры"));
        bool started = false;
        later([&] {
            if (!waitUntil([] { return rt::lastActivated() == FrmStart::Name; }))
                return;
            FrmStart& w = *rt::loaded<FrmStart>();
            if (!waitUntil([&] {
                    return w.lblName->text() == QStringLiteral("Сапёр") && w.cmdOpen->isEnabled() &&
                           centre(w.ImgIcon->picture()) == QColor(Qt::yellow);
                }))
                return;
            click(w.cmdOpen);
            started = waitUntil([&] { return QFile::exists(marker); });
            click(w.cmdBack);
        });
        click(menu.cmdOpen);
        QVERIFY(started);
        QCOMPARE(folder.rows(QStringLiteral("Fixing")).size(), 1);
        QCOMPARE(folder.rows(QStringLiteral("Fixing"))[0][0], QStringLiteral("Сапёр"));
        QVERIFY(prompts().isEmpty());
    }

    void aCategoryAddedInSettingsShowsInTheLauncherMenuAtItsNextStart() {
        TestFolder folder;
        const QString red = writePicture(folder.path(), QStringLiteral("office.bmp"), Qt::red);
        const QString blue = writePicture(folder.path(), QStringLiteral("Sea.BMP"), Qt::blue);
        folder.fill(Types, {{QStringLiteral("Офис"), red}});
        folder.fill(Programs, {{QStringLiteral("Блокнот"), QString(), QStringLiteral("Офис"),
                                QStringLiteral("/bin/true"), QStringLiteral("/i.ico")}});

        // The launcher's menu is running already; it will not see the new category until restarted.
        bool previewed = false;
        QVERIFY(throughTheMenu([&](frmAdd& w) {
            const bool closed = throughTheCategoryEditor(w, [&](frmNewCateg& c) {
                click(c.cmdAdd);
                FileDialog::setNextFileName(blue);
                click(c.cmdBrowser);
                typeText(c.txtName, QStringLiteral("Море"));
                previewed = waitUntil([&] { return centre(c.ImgPic->picture()) == QColor(Qt::blue); });
                click(c.cmdBack);
            });
            if (closed)
                click(w.cmdBack);
        }));
        QVERIFY(previewed);
        QVERIFY(prompts().isEmpty());
        QCOMPARE(folder.rows(Types),
                 (QList<QStringList>{{QStringLiteral("Офис"), red}, {QStringLiteral("Море"), blue}}));

        resetRuntime();
        FrmMain& menu = openForm<FrmMain>();
        menu.tmrPic_Timer();
        QCOMPARE(centre(menu.ImgPicture->picture()), QColor(Qt::red));
        clickArrow(menu.DatCategories, DataControl::Next);
        QCOMPARE(menu.lblCategories->text(), QStringLiteral("Море"));
        menu.tmrPic_Timer();
        QCOMPARE(centre(menu.ImgPicture->picture()), QColor(Qt::blue));
    }

    void backTellsItsThreeMessagesInOrder() {
        TestFolder folder;
        folder.fill(Types, {{QStringLiteral("Офис"), QString()}});
        QVERIFY(throughTheMenu([&](frmAdd& w) {
            click(w.cmdAdd);
            click(w.cmdBack);
            click(w.cmdEdit);
            typeText(w.txtName, QStringLiteral("Калькулятор"));
            click(w.cmdBack);
            clickArrow(w.Data1, DataControl::First);
            click(w.cmdBack);
            FileDialog::setNextFileName(QStringLiteral("/usr/bin/bc"));
            click(w.cmdExeBrowser);
            click(w.cmdBack);
        }));
        QCOMPARE(prompts(),
                 (QStringList{QStringLiteral("Введите имя"), QStringLiteral("Введите тип программы"),
                              QStringLiteral("Изменен тип программы"),
                              QStringLiteral("Укажите директорию запуска")}));
        for (const auto& a : MessageBoxes::asked()) {
            QCOMPARE(a.title, QStringLiteral("Settings"));
            QCOMPARE(a.buttons, 0);
        }
        QCOMPARE(folder.rows(Programs),
                 (QList<QStringList>{{QStringLiteral("Калькулятор"), QString(), QStringLiteral("Офис"),
                                      QStringLiteral("/usr/bin/bc"), ErrorIconPath}}));
    }

    void deletingTheLastRecordOfEachTableLeavesBothEditorsUsable() {
        TestFolder folder;
        folder.fill(Types, {{QStringLiteral("Офис"), QString()}});
        folder.fill(Programs, {{QStringLiteral("Блокнот"), QString(), QStringLiteral("Офис"),
                                QStringLiteral("/bin/true"), QString()}});
        bool programGone = false, categoryGone = false;
        QVERIFY(throughTheMenu([&](frmAdd& w) {
            MessageBoxes::setNextAnswer(rt::vbYes);
            click(w.cmdDelete);
            programGone = !w.DatEdit->records().hasCurrent() && w.txtName->text().isEmpty();
            throughTheCategoryEditor(w, [&](frmNewCateg& c) {
                MessageBoxes::setNextAnswer(rt::vbYes);
                click(c.cmdDelete);
                categoryGone = !c.Data1->records().hasCurrent() && c.txtName->text().isEmpty();
                click(c.cmdBack); // nothing current: closes without a word
            });
            // No record here, and no category left to give a new one: "Назад" keeps asking for a
            // name, and the close box is the way back to the menu.
            click(w.cmdBack);
            clickArrow(w.DatEdit, DataControl::Next);
            w.close();
        }));
        QVERIFY(programGone);
        QVERIFY(categoryGone);
        QCOMPARE(prompts(), (QStringList{QStringLiteral("Вы уверены, что хотите удалить запись?"),
                                         QStringLiteral("Вы уверены, что хотите удалить запись?"),
                                         QStringLiteral("Введите имя")}));
        QVERIFY(folder.rows(Types).isEmpty());
        QVERIFY(folder.rows(Programs).isEmpty());
    }
};

QTEST_MAIN(TestEditorsEndToEnd)
#include "test_editors_end_to_end.moc"
