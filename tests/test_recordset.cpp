// The data source core on real database files: moves, stores, deletes, and what another
// connection to the same file does in between.

#include "Database.h"
#include "Platform.h"
#include "Recordset.h"
#include "TestSupport.h"

#include <QFile>
#include <QtTest>
#include <unistd.h>

namespace {

const QString kTypes = QStringLiteral("Types");
const QStringList kTypeFields{QStringLiteral("NameType"), QStringLiteral("IconType")};
const QString kPrograms = QStringLiteral("Programs");
const QStringList kProgramFields{QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Type"),
                                 QStringLiteral("Directory"), QStringLiteral("IconDir")};

std::unique_ptr<Recordset> openTypes(TestFolder& folder, bool readOnly = false) {
    return std::make_unique<Recordset>(Database::open(folder.dbPath()), kTypes, kTypeFields, readOnly);
}

QStringList column(TestFolder& folder, const QString& table, int index = 0) {
    QStringList out;
    for (const QStringList& r : folder.rows(table))
        out << r.value(index);
    return out;
}

QStringList row(const QString& a, const QString& b) {
    return {a, b};
}

// The names a source walks through from its first record on.
QStringList walk(Recordset& rs) {
    QStringList seen;
    rs.MoveFirst();
    while (rs.hasCurrent()) {
        seen << rs.value(QStringLiteral("NameType"));
        rs.MoveNext();
    }
    return seen;
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Database::setDefaultBusyTimeoutForTests(-1); }

    void aDeletedRecordsNumberIsNeverHandedToANewRecord() {
        // The viewer lists the log; the launcher adds to it after another deletion of the newest
        // record. The viewer's stale entry must not turn into the new record.
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("old")}, {QStringLiteral("newest")}});
        auto viewer = openTypes(folder);
        viewer->arrowLast();
        QCOMPARE(viewer->value(QStringLiteral("NameType")), QStringLiteral("newest"));
        Database& other = folder.db();
        other.remove(kTypes, other.rowids(kTypes).last());
        other.insert(kTypes, {QStringLiteral("NameType")}, {QStringLiteral("added later")});
        viewer->arrowLast();
        QCOMPARE(viewer->value(QStringLiteral("NameType")), QString());
        viewer->Delete();
        QCOMPARE(column(folder, kTypes), (QStringList{QStringLiteral("old"), QStringLiteral("added later")}));
    }

    void emptyTableHasNoCurrentRecordUntilOneIsAdded() {
        TestFolder folder;
        folder.fill(kTypes, {});
        auto rs = openTypes(folder);
        QVERIFY(!rs->hasCurrent());
        QCOMPARE(rs->recordCount(), 0);
        QCOMPARE(rs->value(QStringLiteral("NameType")), QString());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs->MoveFirst());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs->MoveNext());
        // An edit without a current record is not kept anywhere.
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("lost"));
        QVERIFY(!rs->isChanged());

        rs->AddNew();
        QVERIFY(rs->hasCurrent());
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("Офис"));
        rs->MoveFirst();
        QCOMPARE(folder.rows(kTypes), QList<QStringList>{row(QStringLiteral("Офис"), QString())});
        QVERIFY(rs->hasCurrent());
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("Офис"));
        QCOMPARE(rs->recordCount(), 1);
    }

    void deletingTheLastRecordLeavesAnEmptyTable() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("only"), QStringLiteral("p")}});
        auto rs = openTypes(folder);
        QVERIFY(rs->hasCurrent());
        rs->Delete();
        QVERIFY(!rs->hasCurrent());
        QCOMPARE(rs->value(QStringLiteral("NameType")), QString());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs->Delete());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs->MoveNext());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs->MoveFirst());
        QVERIFY(!rs->hasCurrent());
        QVERIFY(folder.rows(kTypes).isEmpty());
    }

    void deleteInTheMiddleThenMoveFirst() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}, {QStringLiteral("c")}});
        auto rs = openTypes(folder);
        rs->MoveNext();
        rs->setValue(QStringLiteral("IconType"), QStringLiteral("edit dropped with the record"));
        rs->Delete();
        QVERIFY(!rs->hasCurrent());
        QCOMPARE(column(folder, kTypes), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(walk(*rs), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(rs->recordCount(), 2);
    }

    void newRecordLeftWithoutTypingStoresNothing() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}});
        auto rs = openTypes(folder);
        rs->AddNew();
        QVERIFY(rs->isNew());
        rs->AddNew();
        rs->MoveFirst();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("a"));
        rs->AddNew();
        rs->MoveNext();
        QVERIFY(!rs->hasCurrent());
        rs->AddNew();
        rs->Delete();
        QVERIFY(!rs->hasCurrent());
        QCOMPARE(folder.rows(kTypes).size(), 1);
        QCOMPARE(rs->recordCount(), 1);
        QCOMPARE(walk(*rs), QStringList{QStringLiteral("a")});
    }

    void newRecordsAreStoredWhenLeftAndStayAtTheEnd() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        auto rs = openTypes(folder);
        rs->AddNew();
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("x"));
        rs->AddNew(); // stores x
        QCOMPARE(column(folder, kTypes),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("x")}));
        QCOMPARE(rs->value(QStringLiteral("NameType")), QString());
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("y"));
        rs->setValue(QStringLiteral("IconType"), QStringLiteral("y.bmp"));
        rs->MoveFirst(); // stores y
        QCOMPARE(folder.rows(kTypes).last(), row(QStringLiteral("y"), QStringLiteral("y.bmp")));
        QCOMPARE(rs->recordCount(), 4);
        QCOMPARE(walk(*rs), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("x"),
                                         QStringLiteral("y")}));
        // Editing the stored new record again updates it rather than adding another.
        rs->MoveFirst();
        for (int i = 0; i < 3; ++i)
            rs->MoveNext();
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("y2"));
        rs->MoveNext();
        QCOMPARE(column(folder, kTypes), (QStringList{QStringLiteral("a"), QStringLiteral("b"),
                                                      QStringLiteral("x"), QStringLiteral("y2")}));
    }

    void onlyTheChangedFieldsAreWritten() {
        TestFolder folder;
        folder.fill(kPrograms, {{QStringLiteral("Name1"), QStringLiteral("Co1"), QStringLiteral("T"),
                                 QStringLiteral("/bin/a"), QStringLiteral("i")},
                                {QStringLiteral("Name2")}});
        Recordset rs(Database::open(folder.dbPath()), kPrograms, kProgramFields, false);
        rs.setValue(QStringLiteral("Name"), QStringLiteral("Renamed"));
        // Another program changes a different field of the same record meanwhile.
        Database& other = folder.db();
        const qint64 first = other.rowids(kPrograms).first();
        QVERIFY(other.update(kPrograms, first, {QStringLiteral("Company")}, {QStringLiteral("Other Co")}));
        rs.MoveNext();
        QCOMPARE(folder.rows(kPrograms).first(),
                 (QStringList{QStringLiteral("Renamed"), QStringLiteral("Other Co"), QStringLiteral("T"),
                              QStringLiteral("/bin/a"), QStringLiteral("i")}));
        // Setting a field to the text it already has is no change.
        rs.setValue(QStringLiteral("Name"), QStringLiteral("Name2"));
        QVERIFY(!rs.isChanged());
    }

    void eachMoveReadsTheRecordAfresh() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        auto rs = openTypes(folder);
        folder.db().update(kTypes, folder.db().rowids(kTypes).first(), {QStringLiteral("NameType")},
                           {QStringLiteral("a changed")});
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("a"));
        rs->MoveFirst();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("a changed"));
    }

    void recordDeletedByAnotherConnectionShowsEmptyAndIsNotRevived() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}, {QStringLiteral("c")}});
        auto rs = openTypes(folder);
        const QList<qint64> ids = folder.db().rowids(kTypes);
        QVERIFY(folder.db().remove(kTypes, ids[1]));
        rs->MoveNext();
        QVERIFY(rs->hasCurrent());
        QCOMPARE(rs->value(QStringLiteral("NameType")), QString());
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("revived?"));
        rs->MoveNext();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("c"));
        // The current record deleted under the source while it is being edited.
        QVERIFY(folder.db().remove(kTypes, ids[2]));
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("c edited"));
        rs->MoveFirst();
        QCOMPARE(column(folder, kTypes), QStringList{QStringLiteral("a")});
        QCOMPARE(folder.db().rowids(kTypes), QList<qint64>{ids[0]});
    }

    void recordsAddedElsewhereAppearOnlyInANewSource() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}});
        auto rs = openTypes(folder);
        folder.db().insert(kTypes, {QStringLiteral("NameType")}, {QStringLiteral("later")});
        QCOMPARE(rs->recordCount(), 1);
        QCOMPARE(walk(*rs), QStringList{QStringLiteral("a")});
        rs->arrowLast();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("a"));
        QCOMPARE(walk(*openTypes(folder)), (QStringList{QStringLiteral("a"), QStringLiteral("later")}));
    }

    void readOnlySourceNeverStores() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        auto rs = openTypes(folder, true);
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("changed"));
        rs->MoveNext();
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("changed too"));
        rs->arrowFirst();
        rs->store();
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs->AddNew());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs->Delete());
        QVERIFY(rs->hasCurrent());
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("a"));
        QCOMPARE(column(folder, kTypes), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    }

    void moveNextPastTheLastLeavesNoCurrentRecord() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        auto rs = openTypes(folder);
        rs->MoveNext();
        rs->MoveNext();
        QVERIFY(!rs->hasCurrent());
        QCOMPARE(rs->value(QStringLiteral("NameType")), QString());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, rs->MoveNext());
        rs->MoveFirst();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("a"));
    }

    void arrowsStopAtTheEnds() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}, {QStringLiteral("c")}});
        auto rs = openTypes(folder);
        rs->arrowPrevious();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("a"));
        rs->arrowLast();
        rs->arrowNext();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("c"));
        QVERIFY(rs->hasCurrent());
        rs->arrowPrevious();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("b"));
        rs->arrowFirst();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("a"));
        // An edit on the last record is stored by the arrow that cannot move further.
        rs->arrowLast();
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("c2"));
        rs->arrowNext();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("c2"));
        QCOMPARE(column(folder, kTypes).last(), QStringLiteral("c2"));
        // After a delete the arrows find the neighbours.
        rs->arrowPrevious();
        rs->Delete();
        rs->arrowNext();
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("c2"));
    }

    void twoConnectionsAddingAtOnceLoseNothing() {
        TestFolder folder;
        folder.fill(QStringLiteral("Fixing"), {});
        const QStringList fields{QStringLiteral("Name"), QStringLiteral("FixDate"),
                                 QStringLiteral("FixTime")};
        Recordset one(Database::open(folder.dbPath()), QStringLiteral("Fixing"), fields, false);
        Recordset two(Database::open(folder.dbPath()), QStringLiteral("Fixing"), fields, false);
        QSet<QString> expected;
        for (int i = 0; i < 40; ++i) {
            for (Recordset* rs : {&one, &two}) {
                const QString name = QStringLiteral("%1-%2").arg(rs == &one ? "one" : "two").arg(i);
                rs->AddNew();
                rs->setValue(QStringLiteral("Name"), name);
                rs->setValue(QStringLiteral("FixDate"), QStringLiteral("12-07-2024"));
                expected.insert(name);
            }
        }
        one.MoveFirst();
        two.MoveFirst();
        const QStringList names = column(folder, QStringLiteral("Fixing"));
        QCOMPARE(names.size(), 80);
        QCOMPARE(QSet<QString>(names.begin(), names.end()), expected);
        QCOMPARE(one.recordCount(), 40);
        QCOMPARE(two.recordCount(), 40);
    }

    void storeBlockedByAnotherWriterKeepsTheEditAndSucceedsLater() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        auto db = Database::open(folder.dbPath());
        db->setBusyTimeout(50);
        Recordset rs(db, kTypes, kTypeFields, false);
        rs.setValue(QStringLiteral("NameType"), QStringLiteral("a edited"));

        Database& other = folder.db();
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            rs.MoveNext();
            QFAIL("the store went through a held write lock");
        } catch (const DbError& e) {
            QVERIFY(e.busy());
            QVERIFY2(e.message().contains(folder.dbPath()), qPrintable(e.message()));
        }
        QVERIFY(rs.hasCurrent());
        QCOMPARE(rs.position(), 0);
        QVERIFY(rs.isChanged());
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("a edited"));
        // A new record blocked the same way stays new and is stored once.
        QVERIFY_THROWS_EXCEPTION(DbError, rs.AddNew());
        other.exec(QStringLiteral("COMMIT"));

        rs.MoveNext();
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("b"));
        rs.AddNew();
        rs.setValue(QStringLiteral("NameType"), QStringLiteral("new"));
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        QVERIFY_THROWS_EXCEPTION(DbError, rs.MoveFirst());
        QVERIFY(rs.isNew());
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("new"));
        other.exec(QStringLiteral("COMMIT"));
        rs.MoveFirst();
        QCOMPARE(column(folder, kTypes),
                 (QStringList{QStringLiteral("a edited"), QStringLiteral("b"), QStringLiteral("new")}));
        QCOMPARE(rs.recordCount(), 3);
    }

    void deleteBlockedByAnotherWriterKeepsTheRecord() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        auto db = Database::open(folder.dbPath());
        db->setBusyTimeout(50);
        Recordset rs(db, kTypes, kTypeFields, false);
        folder.db().exec(QStringLiteral("BEGIN IMMEDIATE"));
        QVERIFY_THROWS_EXCEPTION(DbError, rs.Delete());
        folder.db().exec(QStringLiteral("COMMIT"));
        QVERIFY(rs.hasCurrent());
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("a"));
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(folder.rows(kTypes).size(), 2);
    }

    void aMoveWhoseReadFailsLeavesTheShownRecordCurrent() {
        // Without write-ahead logging a writer's exclusive lock keeps readers out.
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}, {QStringLiteral("c")}});
        folder.db().exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        auto db = Database::open(folder.dbPath());
        db->setBusyTimeout(50);
        Recordset rs(db, kTypes, kTypeFields, false);
        int changes = 0;
        connect(&rs, &Recordset::currentChanged, this, [&] { ++changes; });

        folder.db().exec(QStringLiteral("BEGIN EXCLUSIVE"));
        QVERIFY_THROWS_EXCEPTION(DbError, rs.MoveNext());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.arrowLast());
        folder.db().exec(QStringLiteral("COMMIT"));
        QCOMPARE(changes, 0);
        QVERIFY(rs.hasCurrent());
        QCOMPARE(rs.position(), 0);
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("a"));

        // An edit of what is shown goes to the record shown.
        rs.setValue(QStringLiteral("NameType"), QStringLiteral("a edited"));
        rs.MoveNext();
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("b"));
        QCOMPARE(column(folder, kTypes),
                 (QStringList{QStringLiteral("a edited"), QStringLiteral("b"), QStringLiteral("c")}));
    }

    void storeOnAReadOnlyConnectionFailsAndKeepsTheEdit() {
        // The connection refuses every write, as one to a write-protected file does.
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        auto db = Database::open(folder.dbPath());
        db->exec(QStringLiteral("PRAGMA query_only = 1"));
        Recordset rs(db, kTypes, kTypeFields, false);
        rs.setValue(QStringLiteral("NameType"), QStringLiteral("a edited"));
        try {
            rs.MoveNext();
            QFAIL("a read-only connection stored a record");
        } catch (const DbError& e) {
            QVERIFY(!e.busy());
        }
        QCOMPARE(rs.position(), 0);
        QCOMPARE(rs.value(QStringLiteral("NameType")), QStringLiteral("a edited"));
        QCOMPARE(column(folder, kTypes), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    }

    void storeToAWriteProtectedFileFailsAndKeepsTheEdit() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}});
        folder.db().exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        QFile file(folder.dbPath());
        QVERIFY(
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        if (::geteuid() == 0) {
            file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
            QSKIP("running as root: file permissions do not stop writes "
                  "(storeOnAReadOnlyConnectionFailsAndKeepsTheEdit covers the refused write)");
        }
        auto rs = openTypes(folder);
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("edited"));
        QVERIFY_THROWS_EXCEPTION(DbError, rs->MoveFirst());
        QVERIFY(rs->isChanged());
        QCOMPARE(rs->value(QStringLiteral("NameType")), QStringLiteral("edited"));
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
        QCOMPARE(column(folder, kTypes), QStringList{QStringLiteral("a")});
    }

    void valuesAreStoredVerbatim() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}});
        const QStringList nasty{
            QStringLiteral("O'Brien"),
            QStringLiteral("\"quoted\"; semicolon"),
            QStringLiteral("x'); DROP TABLE Types; --"),
            QStringLiteral("?1 ?2 :name @p $v"),
            QStringLiteral("строка\nс переводом\tи таб"),
            QStringLiteral("  blanks  "),
        };
        auto rs = openTypes(folder);
        for (const QString& text : nasty) {
            rs->AddNew();
            rs->setValue(QStringLiteral("NameType"), text);
            rs->setValue(QStringLiteral("IconType"), text + text);
        }
        rs->MoveFirst();
        rs->setValue(QStringLiteral("IconType"), QStringLiteral("' OR 1=1 --"));
        rs->MoveNext();
        QCOMPARE(folder.db().tables().size(), 5);
        const QList<QStringList> rows = folder.rows(kTypes);
        QCOMPARE(rows.size(), nasty.size() + 1);
        QCOMPARE(rows[0], row(QStringLiteral("a"), QStringLiteral("' OR 1=1 --")));
        for (int i = 0; i < nasty.size(); ++i)
            QCOMPARE(rows[i + 1], row(nasty[i], nasty[i] + nasty[i]));
        auto again = openTypes(folder);
        QCOMPARE(again->readAt(3, {QStringLiteral("NameType")}),
                 std::optional<QStringList>(QStringList{nasty[2]}));
    }

    void readAtDoesNotMoveTheCurrentRecord() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}});
        auto rs = openTypes(folder);
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("pending"));
        QCOMPARE(rs->readAt(1, kTypeFields), std::optional<QStringList>(row(QStringLiteral("b"), QString())));
        QCOMPARE(rs->readAt(2, kTypeFields), std::nullopt);
        QCOMPARE(rs->readAt(-1, kTypeFields), std::nullopt);
        QCOMPARE(rs->position(), 0);
        QVERIFY(rs->isChanged());
        QCOMPARE(column(folder, kTypes).first(), QStringLiteral("a"));
    }

    // An empty text set into a new record's field is stored as that text; a field never set stays
    // NULL, and a new record with nothing set is not stored at all.
    void anEmptyTextSetIntoANewRecordIsStoredAsText() {
        TestFolder folder;
        folder.fill(kTypes, {});
        auto rs = openTypes(folder);
        rs->AddNew();
        rs->setValue(QStringLiteral("NameType"), QString());
        rs->AddNew();
        rs->setValue(QStringLiteral("NameType"), QStringLiteral(""));
        rs->setValue(QStringLiteral("IconType"), QStringLiteral("pic.bmp"));
        rs->AddNew();
        rs->arrowFirst();
        QCOMPARE(folder.rows(kTypes).size(), 2);
        // What SQLite holds, written where the test can read it.
        folder.db().exec(
            QStringLiteral("UPDATE Types SET IconType = typeof(NameType) || '/' || typeof(IconType)"));
        QCOMPARE(column(folder, kTypes, 1), (QStringList{"text/null", "text/text"}));
        QCOMPARE(column(folder, kTypes, 0), (QStringList{"", ""}));
    }

    // A record deleted elsewhere, before the source reached it or while it was being edited: the
    // edit is not stored, and the source says which fields it dropped, once, as a value.
    void editsOfRecordsDeletedElsewhereAreReportedNotStored() {
        TestFolder folder;
        folder.fill(kTypes, {{QStringLiteral("a")}, {QStringLiteral("b")}, {QStringLiteral("c")}});
        const QList<qint64> ids = folder.db().rowids(kTypes);
        auto rs = openTypes(folder);
        QList<QStringList> lost;
        connect(rs.get(), &Recordset::editLost, this,
                [&](const QStringList& fields, const QStringList& values) { lost << fields + values; });
        QVERIFY(folder.db().remove(kTypes, ids[0]));
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("a2"));
        rs->MoveNext();
        QVERIFY(folder.db().remove(kTypes, ids[1]));
        rs->MoveFirst(); // gone before the move: nothing typed, nothing to report
        rs->MoveNext();
        rs->setValue(QStringLiteral("NameType"), QStringLiteral("b2"));
        rs->store();
        rs->store();
        QCOMPARE(lost, (QList<QStringList>{{QStringLiteral("NameType"), QStringLiteral("a2")},
                                           {QStringLiteral("NameType"), QStringLiteral("b2")}}));
        QCOMPARE(column(folder, kTypes), QStringList{QStringLiteral("c")});
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "test_recordset.moc"
