// The category editor through its real widgets: the preview timer, adding, deleting, choosing a
// picture, the navigator's release and the rule of "Назад".

#include "BuiltinPictures.h"
#include "FileDialog.h"
#include "MessageBoxes.h"
#include "Runtime.h"
#include "Schema.h"
#include "TestSupport.h"
#include "frmNewCateg.h"

#include <QtTest>

namespace {

const QString Types = QStringLiteral("Types");
const QString DeleteQuestion = QStringLiteral("Вы уверены, что хотите удалить запись?");

QString bitmap(const TestFolder& folder, const QString& name, QColor colour, int size = 400) {
    return writePicture(folder.path(), name, colour, {size, size});
}

} // namespace

class TestFrmNewCateg : public QObject {
    Q_OBJECT
private slots:
    void init() {
        resetRuntime();
        rt::setProgramTitle(QStringLiteral("Settings"));
    }
    void cleanup() { resetRuntime(); }

    void opensOnTheFirstCategoryWithThePlaceholderUntilTheFirstTick() {
        TestFolder folder;
        const QString red = bitmap(folder, QStringLiteral("red.bmp"), Qt::red);
        folder.fill(Types, {{QStringLiteral("Офис"), red}, {QStringLiteral("Игры"), QString()}});
        frmNewCateg& f = rt::form<frmNewCateg>();
        QCOMPARE(f.ImgPic->picture(), BuiltinPictures::categoryPlaceholder());
        rt::Show(f);
        QCOMPARE(f.windowTitle(), QStringLiteral("Создать новую категорию"));
        QVERIFY(f.hasCloseBox());
        QCOMPARE(f.Timer1->interval(), 10);
        QVERIFY(f.Timer1->isActive());
        QCOMPARE(f.focusWidget(), f.cmdBack);
        QCOMPARE(f.cmdBrowser->toolTip(), QStringLiteral("Обзор"));
        QCOMPARE(f.cmdBrowser->font().pointSizeF(), 12.0);
        QCOMPARE(f.Label3->text(),
                 QStringLiteral(
                     "Размеры картинки должны быть 400х400 пикселей. Иначе изображение будет искажаться"));
        QCOMPARE(f.lblPic->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(f.lblPic->frameShape(), QFrame::Box);
        QCOMPARE(f.txtName->text(), QStringLiteral("Офис"));
        QCOMPARE(f.lblPic->text(), red);
        // The real timer replaces the placeholder with the record's picture.
        QVERIFY(waitUntil([&] {
            return f.ImgPic->picture().size() == QSize(400, 400) &&
                   centre(f.ImgPic->picture()) == QColor(Qt::red);
        }));
        QVERIFY(prompts().isEmpty());
    }

    void previewFollowsThePathAndKeepsItsPictureWhenTheFileIsMissing() {
        TestFolder folder;
        const QString red = bitmap(folder, QStringLiteral("red.bmp"), Qt::red);
        const QString blue = bitmap(folder, QStringLiteral("Blue.BMP"), Qt::blue, 64);
        folder.fill(Types, {{QStringLiteral("Офис"), red},
                            {QStringLiteral("Игры"), QString()},
                            {QStringLiteral("Сеть"), folder.path() + QStringLiteral("/gone.bmp")},
                            {QStringLiteral("Звук"), blue}});
        frmNewCateg& f = openForm<frmNewCateg>();
        f.Timer1->tick();
        QCOMPARE(centre(f.ImgPic->picture()), QColor(Qt::red));
        clickArrow(f.Data1, DataControl::Next);
        // The release wrote the default path into the empty one; the missing file keeps the picture.
        QCOMPARE(f.lblPic->text(), ErrorPicturePath);
        f.Timer1->tick();
        QCOMPARE(centre(f.ImgPic->picture()), QColor(Qt::red));
        clickArrow(f.Data1, DataControl::Next);
        f.Timer1->tick();
        QCOMPARE(centre(f.ImgPic->picture()), QColor(Qt::red));
        clickArrow(f.Data1, DataControl::Next);
        f.Timer1->tick();
        QCOMPARE(centre(f.ImgPic->picture()), QColor(Qt::blue));
        // An empty path clears the preview.
        f.lblPic->storeText(QString());
        f.Timer1->tick();
        QVERIFY(f.ImgPic->picture().isNull());
        QVERIFY(prompts().isEmpty());
    }

    void theMissingDefaultPictureFailsSilentlyTickAfterTick() {
        TestFolder folder;
        frmNewCateg& f = openForm<frmNewCateg>();
        click(f.cmdAdd);
        QCOMPARE(f.lblPic->text(), ErrorPicturePath);
        for (int i = 0; i < 200; ++i)
            f.Timer1->tick();
        // and the real timer for a while
        QVERIFY(waitForRealTicks(
            *f.Timer1, [editor = &f] { editor->Timer1_Timer(); }, 10));
        QVERIFY(prompts().isEmpty());
        QVERIFY(f.isLoaded());
        QCOMPARE(f.ImgPic->picture(), BuiltinPictures::categoryPlaceholder());
    }

    void addStoresTheRecordLeftAndBackWantsAName() {
        TestFolder folder;
        folder.fill(Types, {{QStringLiteral("Офис"), QStringLiteral("/p/office.bmp")}});
        frmNewCateg& f = openForm<frmNewCateg>();
        typeText(f.txtName, QStringLiteral("!"));
        click(f.cmdAdd);
        QCOMPARE(folder.rows(Types)[0][0], QStringLiteral("Офис!"));
        QCOMPARE(f.txtName->text(), QString());
        QCOMPARE(f.lblPic->text(), ErrorPicturePath);
        click(f.cmdBack);
        click(f.cmdBack);
        QCOMPARE(prompts(), QStringList(2, QStringLiteral("Введите имя категории")));
        QCOMPARE(MessageBoxes::asked().last().title, QStringLiteral("Settings"));
        QVERIFY(f.isLoaded());
        typeText(f.txtName, QStringLiteral("Новая"));
        click(f.cmdBack);
        QVERIFY(!rt::loaded<frmNewCateg>());
        QCOMPARE(folder.rows(Types),
                 (QList<QStringList>{{QStringLiteral("Офис!"), QStringLiteral("/p/office.bmp")},
                                     {QStringLiteral("Новая"), ErrorPicturePath}}));
        // Opened again, it starts at the first category.
        settle();
        frmNewCateg& again = openForm<frmNewCateg>();
        QCOMPARE(again.txtName->text(), QStringLiteral("Офис!"));
    }

    void backClosesOnANameOrOnNothingAndFillsTheDefaultPath() {
        TestFolder folder;
        folder.fill(
            Types,
            {{QString(), QString()}, {QStringLiteral(" "), QString()}, {QString(), QStringLiteral("/p")}});
        frmNewCateg& f = openForm<frmNewCateg>();
        click(f.cmdBack); // neither name nor path: closes, the record gets the default path
        QVERIFY(!rt::loaded<frmNewCateg>());
        QCOMPARE(folder.rows(Types)[0], (QStringList{QString(), ErrorPicturePath}));
        settle();
        frmNewCateg& second = openForm<frmNewCateg>();
        clickArrow(second.Data1, DataControl::Next); // its release already fills the blank name's path
        second.lblPic->storeText(QString());
        click(second.cmdBack); // a name of one blank is a name
        QVERIFY(!rt::loaded<frmNewCateg>());
        QCOMPARE(folder.rows(Types)[1], (QStringList{QStringLiteral(" "), ErrorPicturePath}));
        settle();
        frmNewCateg& third = openForm<frmNewCateg>();
        clickArrow(third.Data1, DataControl::Last);
        click(third.cmdBack); // a path but no name: stays
        QCOMPARE(prompts(), QStringList{QStringLiteral("Введите имя категории")});
        QVERIFY(third.isLoaded());
        QCOMPARE(folder.rows(Types)[2], (QStringList{QString(), QStringLiteral("/p")}));
    }

    void anEmptyTableOpensEmptyAndClosesWithoutWriting() {
        TestFolder folder;
        frmNewCateg& f = openForm<frmNewCateg>();
        f.Timer1->tick();
        QVERIFY(f.ImgPic->picture().isNull());
        QCOMPARE(f.txtName->text(), QString());
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete);
        QCOMPARE(prompts(), QStringList{DeleteQuestion});
        click(f.cmdBack);
        QVERIFY(!rt::loaded<frmNewCateg>());
        QVERIFY(folder.rows(Types).isEmpty());
    }

    void deleteAsksAndLeavesNoRecordAfterTheLast() {
        TestFolder folder;
        folder.fill(Types, {{QStringLiteral("Офис"), QString()}, {QStringLiteral("Игры"), QString()}});
        frmNewCateg& f = openForm<frmNewCateg>();
        clickArrow(f.Data1, DataControl::Last);
        click(f.cmdDelete); // No
        QCOMPARE(MessageBoxes::asked().last().title, QStringLiteral("Удаление"));
        QCOMPARE(MessageBoxes::asked().last().buttons, 4);
        QCOMPARE(folder.rows(Types).size(), 2);
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete);
        QCOMPARE(f.txtName->text(), QStringLiteral("Офис"));
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete);
        QVERIFY(folder.rows(Types).isEmpty());
        QVERIFY(!f.Data1->records().hasCurrent());
        QCOMPARE(f.txtName->text(), QString());
        QCOMPARE(f.lblPic->text(), QString());
        QCOMPARE(prompts(), QStringList(3, DeleteQuestion));
        // Still usable: a new category is added and stored on the way out.
        click(f.cmdAdd);
        typeText(f.txtName, QStringLiteral("Снова"));
        click(f.cmdBack);
        QCOMPARE(folder.rows(Types), (QList<QStringList>{{QStringLiteral("Снова"), ErrorPicturePath}}));
    }

    void aRefusedDeleteEndsSilentlyAndKeepsTheRecord() {
        TestFolder folder;
        folder.fill(Types, {{QStringLiteral("Офис"), QString()}});
        folder.db().exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON Types "
                                        "BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
        frmNewCateg& f = openForm<frmNewCateg>();
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(f.cmdDelete);
        QCOMPARE(prompts().size(), 1); // the question only
        QCOMPARE(folder.rows(Types).size(), 1);
        QCOMPARE(f.txtName->text(), QStringLiteral("Офис"));
    }

    void browseWritesTheChosenBitmapAndCancelLeavesThePath() {
        TestFolder folder;
        const QString green = bitmap(folder, QStringLiteral("green.bmp"), Qt::green, 32);
        folder.fill(Types, {{QStringLiteral("Офис"), QStringLiteral("/p/office.bmp")}});
        frmNewCateg& f = openForm<frmNewCateg>();
        FileDialog::setNextCancel();
        click(f.cmdBrowser);
        QCOMPARE(f.lblPic->text(), QStringLiteral("/p/office.bmp"));
        FileDialog::setNextFileName(green);
        click(f.cmdBrowser);
        QCOMPARE(FileDialog::asked(), QStringList(2, QStringLiteral("Точечные рисунки (*.bmp)|*.bmp|")));
        QCOMPARE(f.lblPic->text(), green);
        // The real timer shows it, stretched over the square.
        f.Timer1->setInterval(f.Timer1->interval());
        QVERIFY(waitUntil([&] { return centre(f.ImgPic->picture()) == QColor(Qt::green); }));
        QCOMPARE(f.ImgPic->size().width(), f.ImgPic->size().height());
        click(f.cmdBack);
        QCOMPARE(folder.rows(Types)[0][1], green);
        QVERIFY(prompts().isEmpty());
    }

    // The close box stores what "Назад" accepts; a category it refuses (a picture, no name) the
    // user completes ("Да") or leaves without it ("Нет").
    void theCloseBoxStoresOnlyWhatBackAccepts() {
        TestFolder folder;
        folder.fill(Types, {{QStringLiteral("Офис"), QStringLiteral("/p/office.bmp")}});
        frmNewCateg& f = openForm<frmNewCateg>();
        click(f.cmdAdd);
        MessageBoxes::setNextAnswer(rt::vbYes);
        f.close();
        settle();
        QVERIFY(f.isLoaded() && askedToStay({QStringLiteral("Введите имя категории")}));
        typeText(f.txtName, QStringLiteral("Новая"));
        f.close();
        settle();
        QVERIFY(!rt::loaded<frmNewCateg>());
        QCOMPARE(folder.rows(Types).size(), 2);
        QCOMPARE(folder.rows(Types)[1], (QStringList{QStringLiteral("Новая"), ErrorPicturePath}));
        frmNewCateg& g = openForm<frmNewCateg>();
        g.txtName->clear();
        g.close(); // "Нет"
        settle();
        QVERIFY(!rt::loaded<frmNewCateg>() && prompts().size() == 2);
        QCOMPARE(folder.rows(Types)[0][0], QStringLiteral("Офис"));
    }
    // A second Settings deleted the category being edited: "Назад" still closes, and says which
    // record could not be stored and what was typed into it.
    void anEditOfACategoryDeletedElsewhereIsToldAtTheClose() {
        TestFolder folder;
        folder.fill(Types, {{QStringLiteral("Офис"), QString()}, {QStringLiteral("Игры"), QString()}});
        frmNewCateg& f = openForm<frmNewCateg>();
        typeText(f.txtName, QStringLiteral("Работа"));
        folder.db().exec(QStringLiteral("DELETE FROM Types WHERE NameType = 'Офис'"));
        click(f.cmdBack);
        settle();
        QVERIFY(!rt::loaded<frmNewCateg>());
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts()[0].contains(Types));
        QVERIFY(prompts()[0].contains(QStringLiteral("NameType (название категории): ОфисРабота")));
        QCOMPARE(MessageBoxes::asked().first().title, QStringLiteral("Settings"));
        QCOMPARE(folder.rows(Types), (QList<QStringList>{{QStringLiteral("Игры"), QString()}}));
    }
};

QTEST_MAIN(TestFrmNewCateg)
#include "test_frmnewcateg.moc"
