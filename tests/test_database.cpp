// The database connection: it never creates a file, reports failures as DbError, leaves no
// transaction or reader open between calls, and waits a bounded time for another writer.

#include "Database.h"
#include "Recordset.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>
#include <unistd.h>

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The failure is told in Russian words that name the file and the reason; none of SQLite's English.
void toldInRussian(const DbError& e, const QString& path, const QString& reason) {
    QString text = e.message();
    QVERIFY2(text.contains(path) && text.contains(reason), qPrintable(text));
    QVERIFY2(!text.remove(path).contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(text));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        Database::setDefaultBusyTimeoutForTests(-1);
        Database::setOpenReadOnlyForTests(false);
    }

    void openingAMissingFileCreatesNothing() {
        QTemporaryDir dir;
        for (const QString& path : {dir.path() + QStringLiteral("/DataProg.mdb"),
                                    dir.path() + QStringLiteral("/no/such/folder/DataProg.mdb")}) {
            try {
                Database::open(path);
                QFAIL("a missing file opened");
            } catch (const DbError& e) {
                toldInRussian(e, path, QStringLiteral("не найден"));
            }
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void aFileThatIsNotADatabaseFailsAtTheFirstQueryAndStaysUntouched() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/DataProg.mdb");
        const QByteArray text = QByteArray("This is a text file, not a database.\n").repeated(200);
        writeFile(path, text);
        {
            auto db = Database::open(path);
            try {
                db->tables();
                QFAIL("a text file was read as a database");
            } catch (const DbError& e) {
                toldInRussian(e, path, QStringLiteral("не является базой данных"));
            }
            QVERIFY_THROWS_EXCEPTION(
                DbError,
                db->insert(QStringLiteral("Types"), {QStringLiteral("NameType")}, {QStringLiteral("x")}));
        }
        QCOMPARE(bytesOf(path), text);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("DataProg.mdb")});
    }

    void anEmptyFileIsAnEmptyDatabaseAndStaysEmpty() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/DataProg.mdb");
        writeFile(path, {});
        {
            auto db = Database::open(path);
            QCOMPARE(db->tables(), QStringList());
            QCOMPARE(db->columns(QStringLiteral("Types")), QStringList());
            QVERIFY_THROWS_EXCEPTION(DbError, db->rowids(QStringLiteral("Types")));
        }
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    void rowsReadAsTextAndGoneRecordsAreReported() {
        TestFolder folder;
        Database& db = folder.db();
        folder.fill(QStringLiteral("Types"), {});
        const qint64 id =
            db.insert(QStringLiteral("Types"), {QStringLiteral("NameType")}, {QStringLiteral("a")});
        // A field never written reads as empty text.
        QCOMPARE(
            db.row(QStringLiteral("Types"), {QStringLiteral("NameType"), QStringLiteral("IconType")}, id),
            std::optional<QStringList>(QStringList{QStringLiteral("a"), QString()}));
        QCOMPARE(db.count(QStringLiteral("Types")), 1);
        QVERIFY(db.remove(QStringLiteral("Types"), id));
        QCOMPARE(db.row(QStringLiteral("Types"), {QStringLiteral("NameType")}, id), std::nullopt);
        QVERIFY(!db.update(QStringLiteral("Types"), id, {QStringLiteral("NameType")}, {QStringLiteral("b")}));
        QVERIFY(!db.remove(QStringLiteral("Types"), id));
        QCOMPARE(db.count(QStringLiteral("Types")), 0);
    }

    void aFailedWriteLeavesNoTransactionOpen() {
        TestFolder folder;
        auto a = Database::open(folder.dbPath());
        QVERIFY_THROWS_EXCEPTION(DbError, a->insert(QStringLiteral("Types"), {QStringLiteral("NoSuchField")},
                                                    {QStringLiteral("x")}));
        QVERIFY_THROWS_EXCEPTION(DbError, a->update(QStringLiteral("NoSuchTable"), 1,
                                                    {QStringLiteral("NameType")}, {QStringLiteral("x")}));
        // Another connection that does not wait at all can still write.
        auto b = Database::open(folder.dbPath());
        b->setBusyTimeout(0);
        b->insert(QStringLiteral("Types"), {QStringLiteral("NameType")}, {QStringLiteral("b")});
        // And the first connection is usable again.
        a->insert(QStringLiteral("Types"), {QStringLiteral("NameType")}, {QStringLiteral("a")});
        QCOMPARE(folder.rows(QStringLiteral("Types")).size(), 2);
    }

    void noReaderStaysOpenBetweenCalls() {
        TestFolder folder;
        folder.fill(QStringLiteral("Types"),
                    {{QStringLiteral("a")}, {QStringLiteral("b")}, {QStringLiteral("c")}});
        auto reader = Database::open(folder.dbPath());
        Recordset rs(reader, QStringLiteral("Types"), {QStringLiteral("NameType")}, false);
        rs.MoveNext();
        rs.setValue(QStringLiteral("NameType"), QStringLiteral("b2"));
        rs.MoveNext();
        reader->tables();
        reader->columns(QStringLiteral("Types"));
        reader->count(QStringLiteral("Types"));
        (void)rs.readAt(0, {QStringLiteral("NameType")});

        // A full checkpoint by another connection empties the log only when no reader holds a snapshot.
        Database& other = folder.db();
        other.insert(QStringLiteral("Types"), {QStringLiteral("NameType")}, {QStringLiteral("d")});
        const QString wal = folder.dbPath() + QStringLiteral("-wal");
        QVERIFY(QFileInfo(wal).size() > 0);
        other.setBusyTimeout(0);
        other.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        QCOMPARE(QFileInfo(wal).size(), 0);
    }

    void aWriterWaitsABoundedTimeForAnotherAndThenReportsBusy() {
        TestFolder folder;
        Database::setDefaultBusyTimeoutForTests(100);
        auto holder = Database::open(folder.dbPath());
        auto writer = Database::open(folder.dbPath());
        holder->exec(QStringLiteral("BEGIN IMMEDIATE"));
        QElapsedTimer t;
        t.start();
        try {
            writer->insert(QStringLiteral("Types"), {QStringLiteral("NameType")}, {QStringLiteral("x")});
            QFAIL("wrote through another connection's write lock");
        } catch (const DbError& e) {
            QVERIFY(e.busy());
            toldInRussian(e, folder.dbPath(), QStringLiteral("держит заблокированным другая программа"));
        }
        QVERIFY(t.elapsed() >= 90);
        QVERIFY2(t.elapsed() < 3000, "the busy timeout was not the one set");
        holder->exec(QStringLiteral("COMMIT"));
        writer->insert(QStringLiteral("Types"), {QStringLiteral("NameType")}, {QStringLiteral("x")});
        QVERIFY(column0(folder).contains(QStringLiteral("x")));
    }

    void aWriterWaitsForAShortLockToEnd() {
        // The real default timeout outlasts a short transaction of the other program.
        TestFolder folder;
        auto holder = Database::open(folder.dbPath());
        auto writer = Database::open(folder.dbPath());
        holder->exec(QStringLiteral("BEGIN IMMEDIATE"));
        QTimer::singleShot(200, [&] { holder->exec(QStringLiteral("COMMIT")); });
        QThread* thread = QThread::create([&] {
            writer->insert(QStringLiteral("Types"), {QStringLiteral("NameType")}, {QStringLiteral("waited")});
        });
        thread->start();
        QVERIFY(waitUntil([&] { return thread->isFinished(); }, 10000));
        delete thread;
        QVERIFY(column0(folder).contains(QStringLiteral("waited")));
    }

    // A program that only read a file it cannot write leaves the folder as it found it, also when
    // two of its connections read at once; a write through it fails as a read-only one. (Root can
    // write any file, so the test opens as such a program opens.)
    void readingAFileItCannotWriteLeavesNoSideFiles() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/DataProg.mdb");
        Database::create(path)->exec(QStringLiteral("PRAGMA journal_mode=WAL; CREATE TABLE t(x);"));
        const QStringList alone{QStringLiteral("DataProg.mdb")};
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), alone);
        if (geteuid() != 0)
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        Database::setOpenReadOnlyForTests(true);
        auto first = Database::open(path);
        auto second = Database::open(path);
        QCOMPARE(first->tables(), QStringList{QStringLiteral("t")});
        QCOMPARE(second->count(QStringLiteral("t")), 0);
        try {
            first->insert(QStringLiteral("t"), {QStringLiteral("x")}, {QStringLiteral("1")});
            QFAIL("a read-only connection wrote");
        } catch (const DbError& e) {
            QVERIFY2(e.readOnly(), e.what());
            toldInRussian(e, path, QStringLiteral("только для чтения"));
        }
        second.reset();
        QVERIFY(QFile::exists(path + QStringLiteral("-shm"))); // the first still reads through it
        first.reset();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), alone);
    }

private:
    static QStringList column0(TestFolder& folder) {
        QStringList out;
        for (const QStringList& r : folder.rows(QStringLiteral("Types")))
            out << r.value(0);
        return out;
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
