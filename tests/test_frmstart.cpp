// The program chooser: its window, the search step and its four states, the icon reload, the
// program start and the launch log, also when the log cannot be stored at once.

#include "BuiltinPictures.h"
#include "Database.h"
#include "FrmMain.h"
#include "FrmStart.h"
#include "MessageBoxes.h"
#include "Platform.h"
#include "Runtime.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QtTest>
#include <cstdlib>
#include <ctime>

namespace {

const QString Ready = QStringLiteral("Статус: Готово.");
const QString Searching = QStringLiteral("Статус: Идет поиск.");
const QString GivenUp = QStringLiteral("Статус: Поиск не дал результатов.");

QStringList prog(const QString& name, const QString& type, const QString& dir = QString(),
                 const QString& icon = QString(), const QString& company = QString()) {
    return {name, company, type, dir, icon};
}

QList<QStringList> others(int n, const QString& type = QStringLiteral("Другое")) {
    QList<QStringList> rows;
    for (int i = 0; i < n; ++i)
        rows << prog(QStringLiteral("p%1").arg(i), type);
    return rows;
}

QString writeIcon(const QString& folder, const QString& name, QColor colour) {
    return writePicture(folder, name, colour, {48, 48}, "PNG");
}

// The menu with one category, then the chooser shown over it and activated, its timers stopped so
// that each test runs the steps itself.
FrmStart& openChooser(TestFolder& folder, const QString& category) {
    folder.fill(QStringLiteral("Types"), {{category, QString()}});
    stopTimers(rt::form<FrmMain>());
    return openForm<FrmStart>();
}

// The chooser on the one program of its category, a script that leaves `marker` when started.
FrmStart& openChooserOnAStartableProgram(TestFolder& folder, const QString& marker) {
    const QString script = folder.markerScript(QStringLiteral("prog.sh"), marker);
    folder.fill(QStringLiteral("Programs"), {prog(QStringLiteral("Сапёр"), QStringLiteral("Игры"), script)});
    return openChooser(folder, QStringLiteral("Игры"));
}

void steps(FrmStart& w, int n) {
    for (int i = 0; i < n; ++i)
        w.Timer1->tick();
}

void pressNavigator(FrmStart& w, DataControl::Arrow arrow) {
    clickArrow(w.DatChange, arrow);
}

bool shown(FrmStart& w) {
    return w.lblName->isVisibleTo(&w) && w.lblComp->isVisibleTo(&w) && w.ImgIcon->isVisibleTo(&w);
}
bool hidden(FrmStart& w) {
    return !w.lblName->isVisibleTo(&w) && !w.lblComp->isVisibleTo(&w) && !w.ImgIcon->isVisibleTo(&w);
}

void verifyOpened(FrmStart& w) {
    QCOMPARE(w.MousePointer(), 0);
    QVERIFY(w.cmdOpen->isEnabled());
    QCOMPARE(w.LblStatus->text(), Ready);
    QVERIFY(shown(w));
    QVERIFY(w.DatChange->isEnabled());
    QCOMPARE(w.Timer1->interval(), 10);
}
void verifySearching(FrmStart& w) {
    QCOMPARE(w.MousePointer(), 11);
    QVERIFY(!w.cmdOpen->isEnabled());
    QCOMPARE(w.LblStatus->text(), Searching);
    QVERIFY(hidden(w));
    QVERIFY(w.DatChange->isEnabled());
    QCOMPARE(w.Timer1->interval(), 10);
}
void verifyFound(FrmStart& w, const QString& name) {
    QCOMPARE(w.lblName->text(), name);
    verifyOpened(w);
}
void verifyGivenUp(FrmStart& w) {
    QCOMPARE(w.MousePointer(), 0);
    QVERIFY(!w.cmdOpen->isEnabled());
    QCOMPARE(w.LblStatus->text(), GivenUp);
    QVERIFY(hidden(w));
    QVERIFY(!w.DatChange->isEnabled());
    QCOMPARE(w.Timer1->interval(), 0);
    QVERIFY(!w.Timer1->isActive());
}

// The clock, stepping one second at each reading.
void steppingClock(QDateTime from) {
    auto t = std::make_shared<QDateTime>(from);
    setClockForTests([t] {
        const QDateTime now = *t;
        *t = t->addSecs(1);
        return now;
    });
}

} // namespace

class TestFrmStart : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Neither the log's forms nor the count's text may follow the regional settings.
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        qputenv("TZ", "Asia/Kathmandu");
        tzset();
    }
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void windowAsDesigned() {
        TestFolder folder;
        FrmStart& w = rt::form<FrmStart>();
        QCOMPARE(w.windowTitle(), QStringLiteral("Выбор программы"));
        QCOMPARE(w.size(), QSize(twips(6840), twips(4125)));
        QVERIFY(w.hasCloseBox());

        QCOMPARE(child<DataControl>(&w, "Data1"), w.Data1);
        QCOMPARE(w.Data1->RecordSource(), QStringLiteral("Fixing"));
        QVERIFY(!w.Data1->ReadOnly());
        QVERIFY(!w.Data1->isVisibleTo(&w));
        QCOMPARE(w.Data1->DatabaseName, DatabasePath());
        QCOMPARE(child<DataControl>(&w, "DatChange"), w.DatChange);
        QCOMPARE(w.DatChange->RecordSource(), QStringLiteral("Programs"));
        QVERIFY(w.DatChange->ReadOnly());
        QVERIFY(w.DatChange->isVisibleTo(&w));
        QCOMPARE(w.DatChange->caption(), QString(15, QLatin1Char(' ')) + QStringLiteral("Выбор программы"));
        QCOMPARE(w.DatChange->toolTip(), QStringLiteral("Выбор программы"));
        QCOMPARE(w.DatChange->DatabaseName, DatabasePath());
        QCOMPARE(w.DatChange->geometry(), QRect(twips(120), twips(2640), twips(6660), twips(465)));

        QCOMPARE(child<Timer>(&w, "Timer1")->interval(), 10);
        QCOMPARE(child<Timer>(&w, "Timer2")->interval(), 50);

        QCOMPARE(child<CommandButton>(&w, "cmdOpen")->text(), QStringLiteral("Запуск"));
        QCOMPARE(w.cmdOpen->toolTip(), QStringLiteral("Запустить программу"));
        QCOMPARE(w.cmdOpen->geometry(), QRect(twips(3360), twips(3120), twips(3375), twips(495)));
        QCOMPARE(child<CommandButton>(&w, "cmdBack")->text(), QStringLiteral("Назад"));
        QCOMPARE(w.cmdBack->toolTip(), QStringLiteral("В главное меню"));
        QCOMPARE(w.cmdBack->geometry(), QRect(twips(120), twips(3120), twips(3255), twips(495)));
        QCOMPARE(w.initialFocus(), w.cmdBack);
        // Only the two buttons take the focus, "Назад" first.
        QList<QWidget*> tabOrder;
        for (QWidget* f = w.cmdBack; tabOrder.size() < 3; f = f->nextInFocusChain())
            if (f->focusPolicy() & Qt::TabFocus)
                tabOrder << f;
        QCOMPARE(tabOrder, (QList<QWidget*>{w.cmdBack, w.cmdOpen, w.cmdBack}));

        struct Bound {
            const char* name;
            DataControl* source;
            const char* field;
            bool visible;
        };
        for (const Bound& b :
             {Bound{"lblfixTime", w.Data1, "FixTime", false}, Bound{"lblFixDate", w.Data1, "FixDate", false},
              Bound{"lblFixName", w.Data1, "Name", false}, Bound{"lblIconCat", w.DatChange, "IconDir", false},
              Bound{"LblType", w.DatChange, "Type", false}, Bound{"lblComp", w.DatChange, "Company", true},
              Bound{"lblDir", w.DatChange, "Directory", false},
              Bound{"lblName", w.DatChange, "Name", true}}) {
            Label* l = child<Label>(&w, b.name);
            QVERIFY2(l, b.name);
            QCOMPARE(l->dataSource(), b.source);
            QCOMPARE(l->dataField(), QString::fromLatin1(b.field));
            QCOMPARE(l->isVisibleTo(&w), b.visible);
        }
        QVERIFY(!child<Label>(&w, "lblFind")->isVisibleTo(&w));
        QVERIFY(!w.lblFind->dataSource());
        QVERIFY(!w.lblCategories->dataSource());
        QVERIFY(!w.LblStatus->dataSource());
        QCOMPARE(w.LblStatus->text(), Ready);
        QVERIFY(w.LblStatus->alignment() & Qt::AlignHCenter);

        QCOMPARE(w.lblComp->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(w.lblComp->font().pointSizeF(), 24.0);
        QVERIFY(w.lblComp->font().bold());
        QCOMPARE(w.lblComp->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        QVERIFY(w.lblComp->alignment() & Qt::AlignHCenter);
        QCOMPARE(w.lblComp->geometry(), QRect(twips(1200), twips(720), twips(5535), twips(495)));
        QCOMPARE(w.lblName->font().family(), QStringLiteral("Courier"));
        QCOMPARE(w.lblName->font().pointSizeF(), 15.0);
        QVERIFY(w.lblName->alignment() & Qt::AlignHCenter);
        QCOMPARE(w.lblName->geometry(), QRect(twips(960), twips(1560), twips(5775), twips(975)));
        QCOMPARE(w.LblStatus->font().pointSizeF(), 9.75);
        QCOMPARE(w.lblCategories->geometry(), QRect(twips(120), twips(120), twips(3015), twips(255)));

        QCOMPARE(child<Image>(&w, "ImgIcon")->picture(), BuiltinPictures::genericProgramIcon());
        QCOMPARE(w.ImgIcon->geometry(), QRect(twips(120), twips(1800), twips(720), twips(720)));
        QCOMPARE(child<Image>(&w, "ImgCatName")->picture(), BuiltinPictures::categoryPlaceholder());
        QCOMPARE(w.ImgCatName->geometry(), QRect(twips(120), twips(480), twips(1005), twips(1005)));
        verifyOpened(w);
    }

    void activationTakesTheMenusCategory() {
        TestFolder folder;
        folder.fill(QStringLiteral("Types"), {{QStringLiteral("Игры"), QString()}});
        FrmMain& menu = rt::form<FrmMain>();
        stopTimers(menu);
        QImage picture(400, 400, QImage::Format_RGB32);
        picture.fill(Qt::green);
        menu.ImgPicture->setPicture(picture);
        FrmStart& w = rt::form<FrmStart>();
        stopTimers(w);
        w.FindCount = 7;
        rt::Show(w);
        settle();
        QCOMPARE(w.lblCategories->text(), QStringLiteral("Игры"));
        QCOMPARE(w.ImgCatName->picture().cacheKey(), picture.cacheKey());
        QCOMPARE(w.FindCount, quint64(0));

        // Without the menu: no category and no picture.
        resetRuntime();
        FrmStart& alone = openForm<FrmStart>();
        QCOMPARE(alone.lblCategories->text(), QString());
        QVERIFY(alone.ImgCatName->picture().isNull());
    }

    void firstRecordOfTheCategoryIsFoundWithoutCounting() {
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"),
                    QList<QStringList>{prog(QStringLiteral("Сапёр"), QStringLiteral("Игры"))} + others(2));
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        steps(w, 3);
        verifyFound(w, QStringLiteral("Сапёр"));
        QCOMPARE(w.FindCount, quint64(0));
        QCOMPARE(w.lblFind->text(), QString());
    }

    void searchStepsForwardThenHolds() {
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"),
                    others(2) + QList<QStringList>{prog(QStringLiteral("Сапёр"), QStringLiteral("Игры"))});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        steps(w, 1);
        verifySearching(w);
        QCOMPARE(w.lblFind->text(), QStringLiteral("0"));
        QCOMPARE(w.FindCount, quint64(1));
        QCOMPARE(w.lblName->text(), QStringLiteral("p1"));
        steps(w, 1);
        verifySearching(w);
        QCOMPARE(w.lblFind->text(), QStringLiteral("1"));
        QCOMPARE(w.lblName->text(), QStringLiteral("Сапёр"));
        steps(w, 5);
        verifyFound(w, QStringLiteral("Сапёр"));
        QCOMPARE(w.FindCount, quint64(2));
        // The comparison is exact: another letter case is another category.
        resetRuntime();
        FrmStart& other = openChooser(folder, QStringLiteral("игры"));
        steps(other, 3);
        verifySearching(other);
    }

    void categoryWithoutProgramsGivesUpInThe101stMismatch() {
        TestFolder folder;
        const QString icon = writeIcon(folder.path(), QStringLiteral("p.png"), Qt::red);
        QList<QStringList> rows = others(3);
        rows[2][4] = icon;
        folder.fill(QStringLiteral("Programs"), rows);
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        steps(w, 100);
        verifySearching(w);
        QCOMPARE(w.FindCount, quint64(100));
        steps(w, 1);
        verifyGivenUp(w);
        QCOMPARE(w.lblFind->text(), QStringLiteral("100"));
        QCOMPARE(w.FindCount, quint64(101));
        // One record per step, back to the first after the last: 101 steps over 3 records.
        QCOMPARE(w.lblName->text(), QStringLiteral("p2"));
        // No step runs any more, the disabled navigator takes no press, the icon still reloads.
        w.Timer1->setInterval(0);
        pressNavigator(w, DataControl::None);
        QCOMPARE(w.FindCount, quint64(101));
        QCOMPARE(w.Timer2->interval(), 50);
        w.Timer2->tick();
        QCOMPARE(w.ImgIcon->picture().pixelColor(0, 0), QColor(Qt::red));
        QVERIFY(!w.ImgIcon->isVisibleTo(&w));
    }

    void realTimersGiveUpAndKeepReloadingTheIcon() {
        TestFolder folder;
        const QString icon = writeIcon(folder.path(), QStringLiteral("p.png"), Qt::red);
        QList<QStringList> rows = others(3);
        for (QStringList& r : rows)
            r[4] = icon;
        folder.fill(QStringLiteral("Programs"), rows);
        folder.fill(QStringLiteral("Types"), {{QStringLiteral("Игры"), QString()}});
        stopTimers(rt::form<FrmMain>()); // the chooser's own timers run for real
        FrmStart& w = rt::form<FrmStart>();
        rt::Show(w);
        QVERIFY(waitUntil([&] { return w.LblStatus->text() == GivenUp; }));
        verifyGivenUp(w);
        QCOMPARE(w.FindCount, quint64(101));
        QVERIFY(w.Timer2->isActive());
        QVERIFY(waitUntil([&] { return w.ImgIcon->picture().pixelColor(0, 0) == QColor(Qt::red); }));
        // The icon timer runs on; no search step does.
        QVERIFY(waitForRealTicks(
            *w.Timer2, [chooser = &w] { chooser->Timer2_Timer(); }, 3));
        QCOMPARE(w.FindCount, quint64(101));
    }

    void navigatorPressResetsTheCount() {
        TestFolder folder;
        // 120 mismatching records before the program: found only when the count is reset on the way.
        folder.fill(QStringLiteral("Programs"),
                    others(120) + QList<QStringList>{prog(QStringLiteral("Сапёр"), QStringLiteral("Игры")),
                                                     prog(QStringLiteral("x"), QStringLiteral("Другое")),
                                                     prog(QStringLiteral("Косынка"), QStringLiteral("Игры")),
                                                     prog(QStringLiteral("y"), QStringLiteral("Другое"))});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        steps(w, 60);
        pressNavigator(w, DataControl::None); // on the caption: no move
        QCOMPARE(w.FindCount, quint64(0));
        QCOMPARE(w.lblName->text(), QStringLiteral("p60"));
        verifySearching(w); // the state changes only with the next step
        steps(w, 61);
        verifyFound(w, QStringLiteral("Сапёр"));
        QCOMPARE(w.FindCount, quint64(60));

        // The next arrow from a found program: the search goes on to the next of the category.
        pressNavigator(w, DataControl::Next);
        QCOMPARE(w.FindCount, quint64(0));
        QCOMPARE(w.lblName->text(), QStringLiteral("x"));
        steps(w, 2);
        verifyFound(w, QStringLiteral("Косынка"));
        QCOMPARE(w.FindCount, quint64(1));
        // From the last record past the end and round from the first: given up before "Сапёр".
        pressNavigator(w, DataControl::Next);
        QCOMPARE(w.lblName->text(), QStringLiteral("y"));
        steps(w, 1);
        QCOMPARE(w.lblName->text(), QStringLiteral("p0"));
        steps(w, 100);
        verifyGivenUp(w);
        QCOMPARE(w.lblName->text(), QStringLiteral("p100"));

        // Without the reset the same search gives up before it reaches the program.
        resetRuntime();
        FrmStart& again = openChooser(folder, QStringLiteral("Игры"));
        steps(again, 101);
        verifyGivenUp(again);
        QCOMPARE(again.lblName->text(), QStringLiteral("p101"));
    }

    void emptyNameSendsTheSearchBackToTheFirstRecord() {
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"), {prog(QStringLiteral("a"), QStringLiteral("Другое")),
                                                 prog(QString(), QStringLiteral("Другое")),
                                                 prog(QStringLiteral("Сапёр"), QStringLiteral("Игры"))});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        steps(w, 1);
        QCOMPARE(w.lblName->text(), QStringLiteral("a")); // moved onto the nameless one and back
        steps(w, 100);
        verifyGivenUp(w);

        // Moved by hand onto the nameless program, the search passes it.
        resetRuntime();
        FrmStart& byHand = openChooser(folder, QStringLiteral("Игры"));
        pressNavigator(byHand, DataControl::Next);
        QCOMPARE(byHand.lblName->text(), QString());
        steps(byHand, 2);
        verifyFound(byHand, QStringLiteral("Сапёр"));

        // A nameless first program of the category stays found.
        resetRuntime();
        folder.fill(QStringLiteral("Programs"), {prog(QString(), QStringLiteral("Игры"))});
        FrmStart& nameless = openChooser(folder, QStringLiteral("Игры"));
        steps(nameless, 3);
        verifyFound(nameless, QString());
        QCOMPARE(nameless.FindCount, quint64(0));
    }

    void emptyCategoryNameMatchesProgramsWithoutType() {
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"), {prog(QStringLiteral("a"), QStringLiteral("Другое")),
                                                 prog(QStringLiteral("b"), QString())});
        FrmStart& w = openChooser(folder, QString());
        steps(w, 3);
        verifyFound(w, QStringLiteral("b"));
        QCOMPARE(w.FindCount, quint64(1));
    }

    void emptyProgramsTableNeverGivesUpAndTheCountNeverWraps() {
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"), {});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        steps(w, 250);
        verifyOpened(w);
        QCOMPARE(w.FindCount, quint64(250));
        QCOMPARE(w.lblFind->text(), QStringLiteral("249"));
        QCOMPARE(w.lblName->text(), QString());
        w.Timer2->tick();
        QVERIFY(w.ImgIcon->picture().isNull());

        w.FindCount = FrmStart::FindCountMax - 1;
        steps(w, 3);
        QCOMPARE(w.FindCount, FrmStart::FindCountMax);
        QCOMPARE(w.lblFind->text(), QString::number(FrmStart::FindCountMax));
        verifyOpened(w);

        // "Запуск" starts nothing and logs nothing, silently.
        click(w.cmdOpen);
        click(w.cmdBack);
        settle();
        QVERIFY(!rt::loaded<FrmStart>());
        QVERIFY(folder.rows(QStringLiteral("Fixing")).isEmpty());
        QVERIFY(prompts().isEmpty());
    }

    void iconReloadKeepsTheLastPictureThatLoaded() {
        TestFolder folder;
        const QString blue = writeIcon(folder.path(), QStringLiteral("b.png"), Qt::blue);
        QFile junk(folder.path() + QStringLiteral("/junk.ico"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
        junk.close();
        folder.fill(
            QStringLiteral("Programs"),
            {prog(QStringLiteral("a"), QStringLiteral("Игры"), QString(), blue),
             prog(QStringLiteral("b"), QStringLiteral("Игры"), QString(), folder.path() + "/missing.ico"),
             prog(QStringLiteral("c"), QStringLiteral("Игры"), QString(), junk.fileName()),
             prog(QStringLiteral("d"), QStringLiteral("Игры"), QString(), QString())});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        QCOMPARE(w.ImgIcon->picture(), BuiltinPictures::genericProgramIcon());
        w.Timer2->tick();
        QCOMPARE(w.ImgIcon->picture().pixelColor(1, 1), QColor(Qt::blue));
        pressNavigator(w, DataControl::Next);
        w.Timer2->tick();
        QCOMPARE(w.ImgIcon->picture().pixelColor(1, 1), QColor(Qt::blue));
        pressNavigator(w, DataControl::Next);
        w.Timer2->tick();
        QCOMPARE(w.ImgIcon->picture().pixelColor(1, 1), QColor(Qt::blue));
        pressNavigator(w, DataControl::Next);
        w.Timer2->tick();
        QVERIFY(w.ImgIcon->picture().isNull());
        QVERIFY(prompts().isEmpty());
    }

    void eachStartLogsOneRecordStoredAtOnce() {
        TestFolder folder;
        const QString marker = folder.path() + QStringLiteral("/started");
        FrmStart& w = openChooserOnAStartableProgram(folder, marker);
        steps(w, 1);
        // The date is read before the time: across midnight the date is the old day's.
        const QDateTime beforeMidnight(QDate(2024, 12, 31), QTime(23, 59, 59));
        steppingClock(beforeMidnight);
        click(w.cmdOpen);
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
        QCOMPARE(folder.rows(QStringLiteral("Fixing")),
                 (QList<QStringList>{
                     {QStringLiteral("Сапёр"), QStringLiteral("12-31-2024"), QStringLiteral("00:00:00")}}));
        setClockForTests([] { return QDateTime(QDate(2025, 12, 7), QTime(21, 5, 3)); });
        click(w.cmdOpen);
        QCOMPARE(folder.rows(QStringLiteral("Fixing")).size(), 2);
        setClockForTests([] { return QDateTime(QDate(2025, 1, 2), QTime(9, 5, 0)); });
        click(w.cmdOpen);
        QVERIFY(w.isLoaded());
        verifyFound(w, QStringLiteral("Сапёр")); // the chooser stays and searches on
        click(w.cmdBack);
        settle();
        QVERIFY(!rt::loaded<FrmStart>());
        QCOMPARE(folder.rows(QStringLiteral("Fixing")),
                 (QList<QStringList>{
                     {QStringLiteral("Сапёр"), QStringLiteral("12-31-2024"), QStringLiteral("00:00:00")},
                     {QStringLiteral("Сапёр"), QStringLiteral("12-07-2025"), QStringLiteral("21:05:03")},
                     {QStringLiteral("Сапёр"), QStringLiteral("01-02-2025"), QStringLiteral("09:05:00")}}));
        QVERIFY(waitUntil([&] {
            QFile f(marker);
            return f.open(QIODevice::ReadOnly) && f.readAll().count('\n') == 3;
        }));
        QVERIFY(prompts().isEmpty());
    }

    void realClockUnderAnotherLocaleAndZone() {
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"),
                    {prog(QStringLiteral("true"), QStringLiteral("Игры"), QStringLiteral("/bin/true"))});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        const QDate today = QDate::currentDate();
        click(w.cmdOpen);
        click(w.cmdBack);
        settle();
        const auto rows = folder.rows(QStringLiteral("Fixing"));
        QCOMPARE(rows.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d-\\d{4}$")).match(rows[0][1]).hasMatch(),
                 qPrintable(rows[0][1]));
        QVERIFY2(QRegularExpression(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d$"))
                     .match(rows[0][2])
                     .hasMatch(),
                 qPrintable(rows[0][2]));
        for (const QChar c : rows[0][1] + rows[0][2])
            QVERIFY(c.unicode() < 128);
        const QString expected =
            QString::asprintf("%02d-%02d-%04d", today.month(), today.day(), today.year());
        if (QDate::currentDate() == today)
            QCOMPARE(rows[0][1], expected);
    }

    void startThatFailsLeavesNothing_data() {
        QTest::addColumn<QString>("directory");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank") << QStringLiteral("   ");
        QTest::newRow("missing file") << QStringLiteral("/nonexistent/prog.exe");
        QTest::newRow("bare name not found") << QStringLiteral("NoSuchProgram.exe");
    }
    void startThatFailsLeavesNothing() {
        QFETCH(QString, directory);
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"),
                    {prog(QStringLiteral("Сапёр"), QStringLiteral("Игры"), directory)});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        steps(w, 1);
        click(w.cmdOpen);
        verifyFound(w, QStringLiteral("Сапёр"));
        QVERIFY(!w.Data1->records().isNew());
        click(w.cmdBack);
        settle();
        QVERIFY(folder.rows(QStringLiteral("Fixing")).isEmpty());
        QVERIFY(prompts().isEmpty());
    }

    void commandTextStartsOnlyWhatItNames_data() {
        QTest::addColumn<QString>("tail"); // what follows the script's path
        QTest::addColumn<bool>("starts");
        QTest::newRow("semicolon") << QStringLiteral(" ; touch EVIL") << true;
        QTest::newRow("glued semicolon") << QStringLiteral("; touch EVIL") << false;
        QTest::newRow("command substitution") << QStringLiteral(" $(touch EVIL)") << true;
        QTest::newRow("backticks") << QStringLiteral(" `touch EVIL`") << true;
        QTest::newRow("and") << QStringLiteral(" && touch EVIL") << true;
        QTest::newRow("pipe") << QStringLiteral(" | touch EVIL") << true;
        QTest::newRow("quoted path") << QString() << true;
    }
    void commandTextStartsOnlyWhatItNames() {
        QFETCH(QString, tail);
        QFETCH(bool, starts);
        TestFolder folder;
        const QString marker = folder.path() + QStringLiteral("/started");
        const QString evil = folder.path() + QStringLiteral("/EVIL");
        const QString script = folder.markerScript(QStringLiteral("prog.sh"), marker);
        const QString dir = QLatin1Char('"') + script + QLatin1Char('"') +
                            QString(tail).replace(QStringLiteral("EVIL"), evil);
        folder.fill(QStringLiteral("Programs"), {prog(QStringLiteral("Сапёр"), QStringLiteral("Игры"), dir)});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        click(w.cmdOpen);
        if (starts)
            QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
        spin(300);
        QVERIFY(!QFile::exists(evil));
        click(w.cmdBack);
        settle();
        QCOMPARE(folder.rows(QStringLiteral("Fixing")).size(), starts ? 1 : 0);
    }

    // Launches kept back while the log is locked are written once each, in start order, at their start times.
    void recordKeptWhileTheLogIsLocked() {
        // Each refused store waits the whole busy timeout; the clock moves on well before that, and
        // well after a busy machine starts the program.
        Database::setDefaultBusyTimeoutForTests(2000);
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"),
                    {prog(QStringLiteral("true"), QStringLiteral("Игры"), QStringLiteral("/bin/true"))});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        QList<QStringList> expected;
        const auto start = [&](int minute) { // read after a wait on the lock, the clock is an hour on
            const QDateTime at(QDate(2025, 3, 4), QTime(10, minute));
            const QDeadlineTimer soon(1500);
            setClockForTests([=] { return soon.hasExpired() ? at.addSecs(3600) : at; });
            click(w.cmdOpen);
            expected << QStringList{"true", "03-04-2025", at.toString(QStringLiteral("hh:mm:ss"))};
        };
        auto settings = Database::open(folder.dbPath());
        settings->exec(QStringLiteral("BEGIN IMMEDIATE"));
        start(0);           // cannot be stored: stays pending in the data source
        start(1), start(2); // neither can store the one before: kept in the window
        QCOMPARE(w.unsavedLaunches().size(), 2);
        QVERIFY(w.Data1->records().isChanged());
        QVERIFY(prompts().isEmpty());
        settings->exec(QStringLiteral("COMMIT"));
        start(3); // stores the three before it, in order, then itself
        QVERIFY(w.unsavedLaunches().isEmpty());
        QCOMPARE(folder.rows(QStringLiteral("Fixing")).size(), 4);
        click(w.cmdBack);
        settle();
        QVERIFY(prompts().isEmpty());
        QCOMPARE(folder.rows(QStringLiteral("Fixing")), expected);
    }

    // Launches still unstorable at "Назад" or the close box are named; "Да" stays with them kept,
    // "Нет" leaves without them.
    void recordsThatCannotBeStoredAtCloseAreTold() {
        Database::setDefaultBusyTimeoutForTests(50);
        TestFolder folder;
        folder.fill(QStringLiteral("Programs"),
                    {prog(QStringLiteral("true"), QStringLiteral("Игры"), QStringLiteral("/bin/true"))});
        FrmStart& w = openChooser(folder, QStringLiteral("Игры"));
        setClockForTests([] { return QDateTime(QDate(2025, 3, 4), QTime(10, 0, 0)); });
        click(w.cmdOpen);
        auto settings = Database::open(folder.dbPath());
        settings->exec(QStringLiteral("BEGIN IMMEDIATE"));
        setClockForTests([] { return QDateTime(QDate(2025, 3, 4), QTime(11, 0, 0)); });
        click(w.cmdOpen);
        click(w.cmdOpen);
        MessageBoxes::setNextAnswer(rt::vbYes);
        click(w.cmdBack);
        settle();
        QVERIFY(rt::loaded<FrmStart>() == &w);
        QVERIFY(askedToStay({folder.dbPath(), QStringLiteral("держит заблокированным другая программа"),
                             QStringLiteral("true 03-04-2025 11:00:00\ntrue 03-04-2025 11:00:00")}));
        QVERIFY(!prompts()[0].contains(QStringLiteral("10:00:00"))); // stored at its start
        settings->exec(QStringLiteral("COMMIT"));
        w.close(); // the lock gone, both kept are stored and the window closes
        settle();
        QVERIFY(!rt::loaded<FrmStart>());
        QCOMPARE(prompts().size(), 1);
        QCOMPARE(folder.rows(QStringLiteral("Fixing")).size(), 3);

        // Locked at the start and at the close box: "Нет" leaves without the launch.
        resetRuntime();
        Database::setDefaultBusyTimeoutForTests(50);
        setClockForTests([] { return QDateTime(QDate(2025, 3, 4), QTime(11, 0, 0)); });
        FrmStart& again = openChooser(folder, QStringLiteral("Игры"));
        settings->exec(QStringLiteral("BEGIN IMMEDIATE"));
        click(again.cmdOpen);
        again.close();
        settle();
        QVERIFY(!rt::loaded<FrmStart>());
        QVERIFY(askedToStay({QStringLiteral("true 03-04-2025 11:00:00")}));
        settings->exec(QStringLiteral("COMMIT"));
    }

    // A launcher killed while the chooser is open must not lose the starts it made: each record
    // is on disk when the start's handler returns, and nothing is left pending for "Назад".
    void startIsOnDiskWhenItsHandlerReturns() {
        TestFolder folder;
        const QString marker = folder.path() + QStringLiteral("/started");
        FrmStart& w = openChooserOnAStartableProgram(folder, marker);
        setClockForTests([] { return QDateTime(QDate(2025, 5, 6), QTime(7, 8, 9)); });
        w.cmdOpen_Click();
        const QList<QStringList> one{
            {QStringLiteral("Сапёр"), QStringLiteral("05-06-2025"), QStringLiteral("07:08:09")}};
        QCOMPARE(folder.rows(QStringLiteral("Fixing")), one);
        QVERIFY(!w.Data1->records().isChanged());
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
        click(w.cmdBack);
        settle();
        QCOMPARE(folder.rows(QStringLiteral("Fixing")), one);
        QVERIFY(prompts().isEmpty());
    }
};

QTEST_MAIN(TestFrmStart)
#include "test_frmstart.moc"
