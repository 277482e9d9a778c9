// The launch-log viewer: its grid over Fixing, and deleting the log one record at a time.

#include "Grid.h"
#include "MessageBoxes.h"
#include "Platform.h"
#include "Runtime.h"
#include "TestSupport.h"
#include "frmLook.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QThread>
#include <QtTest>

namespace {

// Opens the viewer modal, as the operation menu does; returns when it is finally closed.
void openViewer() {
    rt::run([] { rt::ShowModal(rt::form<frmLook>()); });
}

QStringList gridRow(Grid* g, int row) {
    QStringList out;
    for (int c = 0; c < g->model()->columnCount(); ++c)
        out << g->model()->index(row, c).data().toString();
    return out;
}

void verifyHeaderAndWidths(Grid* g) {
    QCOMPARE(g->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Название программы"));
    QCOMPARE(g->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Дата запуска"));
    QCOMPARE(g->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Время запуска"));
    QVERIFY(g->horizontalHeader()->isVisible());
    QCOMPARE(g->ColWidth(0), 3500);
    QCOMPARE(g->ColWidth(1), 1500);
    QCOMPARE(g->ColWidth(2), 1500);
    QCOMPARE(g->columnWidth(0), twips(3500));
    QCOMPARE(g->columnWidth(1), twips(1500));
    QCOMPARE(g->columnWidth(2), twips(1500));
}

const QList<QStringList> kThree{{"Блокнот", "01-02-2024", "09:00:01"},
                                {"Калькулятор", "01-03-2024", "10:00:02"},
                                {"Paint", "01-04-2024", "11:00:03"}};

} // namespace

class TestFrmLook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rt::setProgramTitle(QStringLiteral("Settings")); }
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void gridListsTheLogUnderItsHeaderWithoutMovingTheSource() {
        TestFolder folder;
        QList<QStringList> log = kThree;
        for (int i = 0; i < 200; ++i)
            log << QStringList{QStringLiteral("P%1").arg(i), QStringLiteral("02-01-2024"),
                               QStringLiteral("12:00:00")};
        folder.fill(QStringLiteral("Fixing"), log);
        frmLook& v = rt::form<frmLook>();
        rt::Show(v);
        settle();
        QCOMPARE(v.windowTitle(), QStringLiteral("Просмотр открываемых программ"));
        QCOMPARE(v.initialFocus(), v.grdLook);
        QVERIFY(!v.Data1->isVisible());
        verifyHeaderAndWidths(v.grdLook);
        QCOMPARE(v.grdLook->Rows(), 1 + 203);
        QCOMPARE(v.grdLook->model()->rowCount(), 203);
        QCOMPARE(gridRow(v.grdLook, 0), kThree[0]);
        QCOMPARE(gridRow(v.grdLook, 2), kThree[2]);
        QCOMPARE(gridRow(v.grdLook, 202).first(), QStringLiteral("P199"));
        // Scrolling and selecting in the grid leave the data source on its first record.
        v.grdLook->scrollToBottom();
        v.grdLook->selectRow(150);
        settle();
        QCOMPARE(v.Data1->records().position(), 0);
        // The header row through the current cell, as the window wrote it.
        v.grdLook->setRow(0);
        v.grdLook->setCol(1);
        QCOMPARE(v.grdLook->Text(), QStringLiteral("Дата запуска"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, v.grdLook->setCol(3));
    }

    void emptyLogShowsTheHeaderAndDeletesNothing() {
        TestFolder folder;
        folder.fill(QStringLiteral("Fixing"), {});
        when(shownOnTop<frmLook>, [] {
            frmLook* v = shownOnTop<frmLook>();
            verifyHeaderAndWidths(v->grdLook);
            QCOMPARE(v->grdLook->Rows(), 1);
            click(v->cmdClear);
            settle();
            QCOMPARE(rt::loaded<frmLook>(), v); // not reopened
            QVERIFY(prompts().isEmpty());
            click(v->cmdBack);
        });
        openViewer();
        QVERIFY(!rt::loaded<frmLook>());
        QVERIFY(!rt::ended());
    }

    // The data source's current record goes, whatever row the grid has selected; each deletion
    // reopens the viewer, except the last, after which the grid is left with its header alone.
    void threePressesEmptyALogOfThree() {
        TestFolder folder;
        folder.fill(QStringLiteral("Fixing"), kThree);
        QList<frmLook*> seen;
        int backs = 0;
        auto pressDelete = [&](int remainingAfter) {
            frmLook* v = shownOnTop<frmLook>();
            seen << v;
            verifyHeaderAndWidths(v->grdLook);
            QCOMPARE(v->grdLook->model()->rowCount(), remainingAfter + 1);
            v->grdLook->selectRow(v->grdLook->model()->rowCount() - 1);
            click(v->cmdClear);
        };
        // Third viewer: the last record goes and the viewer stays, listing nothing.
        auto third = [&] {
            QCOMPARE(folder.rows(QStringLiteral("Fixing")), (QList<QStringList>{kThree[2]}));
            frmLook* v = shownOnTop<frmLook>();
            seen << v;
            QCOMPARE(v->grdLook->model()->rowCount(), 1);
            QCOMPARE(gridRow(v->grdLook, 0), kThree[2]);
            click(v->cmdClear);
            settle();
            QCOMPARE(rt::loaded<frmLook>(), v);
            QCOMPARE(v->grdLook->Rows(), 1);
            verifyHeaderAndWidths(v->grdLook);
            ++backs;
            click(v->cmdBack);
        };
        when([&] { return shownOnTop<frmLook>() && seen.size() == 2 && shownOnTop<frmLook>() != seen[1]; },
             third);
        when([&] { return shownOnTop<frmLook>() && seen.size() == 1 && shownOnTop<frmLook>() != seen[0]; },
             [&] {
                 QCOMPARE(folder.rows(QStringLiteral("Fixing")), (QList<QStringList>{kThree[1], kThree[2]}));
                 QCOMPARE(gridRow(shownOnTop<frmLook>()->grdLook, 0), kThree[1]);
                 pressDelete(1);
             });
        when([&] { return shownOnTop<frmLook>() && seen.isEmpty(); }, [&] { pressDelete(2); });
        openViewer();
        QCOMPARE(seen.size(), 3);
        QCOMPARE(backs, 1);
        QVERIFY(!rt::loaded<frmLook>());
        QVERIFY(folder.rows(QStringLiteral("Fixing")).isEmpty());
        QVERIFY(prompts().isEmpty());
    }

    // The launcher holds the database: the press deletes nothing and the viewer stays as it was;
    // once the lock is gone one press deletes exactly one record.
    void lockedDatabaseDeletesNothingAndLeavesTheViewerUsable() {
        TestFolder folder;
        folder.fill(QStringLiteral("Fixing"), kThree);
        frmLook* first = nullptr;
        bool reopened = false;
        when([&] { return first && shownOnTop<frmLook>() && shownOnTop<frmLook>() != first; },
             [&] {
                 reopened = true;
                 frmLook* v = shownOnTop<frmLook>();
                 QCOMPARE(v->grdLook->model()->rowCount(), 2);
                 QCOMPARE(gridRow(v->grdLook, 0), kThree[1]);
                 click(v->cmdBack);
             });
        when(shownOnTop<frmLook>, [&] {
            first = shownOnTop<frmLook>();
            folder.db().exec(QStringLiteral("BEGIN IMMEDIATE"));
            click(first->cmdClear);
            settle();
            QCOMPARE(rt::loaded<frmLook>(), first);
            QCOMPARE(first->grdLook->model()->rowCount(), 3);
            QCOMPARE(gridRow(first->grdLook, 0), kThree[0]);
            QCOMPARE(first->Data1->records().position(), 0);
            QVERIFY(prompts().isEmpty());
            folder.db().exec(QStringLiteral("ROLLBACK"));
            click(first->cmdClear);
        });
        openViewer();
        QVERIFY(reopened);
        QCOMPARE(folder.rows(QStringLiteral("Fixing")), (QList<QStringList>{kThree[1], kThree[2]}));
    }

    // A long session: every deletion shows the viewer afresh from its own click. The reopened
    // viewer must wait in the menu's one modal loop, not in one more loop per deletion, or the
    // stack overflows after a few thousand deletions (CTest also runs this on a 1 MB stack).
    void thousandsOfDeletionsKeepOneModalLoop() {
        const int total = qEnvironmentVariableIsSet("ORVANTO_DELETIONS")
                              ? qEnvironmentVariableIntValue("ORVANTO_DELETIONS")
                              : 1000;
        TestFolder folder;
        QList<QStringList> log;
        for (int i = 0; i < total; ++i)
            log << QStringList{QStringLiteral("P%1").arg(i), QStringLiteral("02-01-2024"),
                               QStringLiteral("12:00:00")};
        folder.fill(QStringLiteral("Fixing"), log);
        int deleted = 0;
        int deepest = 0;
        bool failed = true;
        std::function<void()> press;
        press = [&] {
            frmLook* v = shownOnTop<frmLook>();
            deepest = std::max(deepest, rt::modalDepth());
            const int activations = rt::activationCount();
            click(v->cmdClear);
            if (++deleted < total) {
                when([activations] { return shownOnTop<frmLook>() && rt::activationCount() > activations; },
                     press);
                return;
            }
            // The last deletion leaves the viewer as it is, listing nothing.
            failed = rt::loaded<frmLook>() != v || v->grdLook->model()->rowCount() != 0;
            click(v->cmdBack);
        };
        when([] { return shownOnTop<frmLook>() != nullptr; }, press);
        openViewer();
        QCOMPARE(deleted, total);
        QVERIFY(!failed);
        QCOMPARE(deepest, 1);
        QCOMPARE(rt::modalDepth(), 0);
        QVERIFY(!rt::loaded<frmLook>());
        QVERIFY(folder.rows(QStringLiteral("Fixing")).isEmpty());
        QVERIFY(prompts().isEmpty());
    }
};

QTEST_MAIN(TestFrmLook)
#include "test_frmlook.moc"
