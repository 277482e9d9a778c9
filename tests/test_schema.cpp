// Where the programs find their database, and the check made before a program starts: every
// problem names the file and what is missing, and the check never creates or writes anything.

#include "Database.h"
#include "Platform.h"
#include "Schema.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// What the check may not change: the folder's entries, and each file's bytes and time.
struct Snapshot {
    QStringList entries;
    QHash<QString, QByteArray> hashes;
    QHash<QString, QDateTime> times;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const QString& folder) {
    Snapshot s;
    const QDir dir(folder);
    s.entries = dir.entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name);
    for (const QString& name : s.entries) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            s.hashes.insert(name, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256));
        s.times.insert(name, QFileInfo(f).lastModified());
    }
    return s;
}

// Changes the prepared database with the test's own connection, then closes it so that the file
// is complete on its own (no write-ahead log beside it).
void alter(const QString& path, const QString& sql) {
    auto db = Database::open(path);
    db->exec(sql);
    db->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setProgramFolderForTests(QString()); }

    void databasePathIsTheFileInTheProgramFolder() {
        TestFolder folder;
        QCOMPARE(DatabasePath(), folder.path() + QStringLiteral("/DataProg.mdb"));
        QCOMPARE(checkDatabase(DatabasePath()), QString());
    }

    void aRootLikeFolderGivesADoubledSeparatorThatStillNamesTheFile() {
        TestFolder folder;
        setProgramFolderForTests(QStringLiteral("/"));
        QCOMPARE(DatabasePath(), QStringLiteral("//DataProg.mdb"));
        // A folder text that already ends in a separator, as a root's does.
        setProgramFolderForTests(folder.path() + QLatin1Char('/'));
        const QString path = DatabasePath();
        QCOMPARE(path, folder.path() + QStringLiteral("//DataProg.mdb"));
        QCOMPARE(QFileInfo(path).canonicalFilePath(), QFileInfo(folder.dbPath()).canonicalFilePath());
        QCOMPARE(checkDatabase(path), QString());
        auto db = Database::open(path);
        QVERIFY(db->tables().contains(QStringLiteral("Passwords")));
    }

    void problemsNameTheFileAndWhatIsMissing_data() {
        QTest::addColumn<QString>("sql");        // applied to a prepared database; empty: none
        QTest::addColumn<QByteArray>("content"); // replaces the file when sql is empty
        QTest::addColumn<QString>("missing");    // a word the message must hold
        QTest::newRow("missing table")
            << QStringLiteral("DROP TABLE Types") << QByteArray() << QStringLiteral("Types");
        QTest::newRow("missing field")
            << QStringLiteral("DROP TABLE Fixing; CREATE TABLE Fixing (Name TEXT, FixDate TEXT)")
            << QByteArray() << QStringLiteral("FixTime");
        QTest::newRow("empty Access")
            << QStringLiteral("DELETE FROM Access") << QByteArray() << QStringLiteral("Access");
        QTest::newRow("empty Passwords")
            << QStringLiteral("DELETE FROM Passwords") << QByteArray() << QStringLiteral("Passwords");
        QTest::newRow("not a database")
            << QString() << QByteArray("Это не база данных.\n").repeated(300) << QString();
        QTest::newRow("0-byte file") << QString() << QByteArray() << QStringLiteral("Programs");
    }
    void problemsNameTheFileAndWhatIsMissing() {
        QFETCH(QString, sql);
        QFETCH(QByteArray, content);
        QFETCH(QString, missing);
        TestFolder folder;
        const QString path = folder.dbPath();
        if (!sql.isEmpty()) {
            alter(path, sql);
        } else {
            for (const QString& side : {QStringLiteral("-wal"), QStringLiteral("-shm")})
                QFile::remove(path + side);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
        }
        // Older times make a write visible even within the file system's time resolution.
        QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                QFileDevice::FileModificationTime);
        const Snapshot before = snapshot(folder.path());

        const QString problem = checkDatabase(path);
        QVERIFY2(problem.contains(path), qPrintable(problem));
        QVERIFY2(problem.contains(missing), qPrintable(problem));
        QCOMPARE(snapshot(folder.path()).entries, before.entries);
        QCOMPARE(snapshot(folder.path()).hashes, before.hashes);
        QCOMPARE(snapshot(folder.path()).times, before.times);
    }

    // The words are the programs' own: the table, field and file each in its place.
    void problemsAreToldInTheProgramsOwnWords_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("text"); // %1: the database file
        QTest::newRow("table") << QStringLiteral("DROP TABLE Types")
                               << QStringLiteral("В базе данных %1 нет таблицы Types.");
        QTest::newRow("field") << QStringLiteral(
                                      "DROP TABLE Fixing; CREATE TABLE Fixing (Name TEXT, FixDate TEXT)")
                               << QStringLiteral("В таблице Fixing базы данных %1 нет поля FixTime.");
        QTest::newRow("record") << QStringLiteral("DELETE FROM Access")
                                << QStringLiteral("В таблице Access базы данных %1 нет записи.");
    }
    void problemsAreToldInTheProgramsOwnWords() {
        QFETCH(QString, sql);
        QFETCH(QString, text);
        TestFolder folder;
        alter(folder.dbPath(), sql);
        QCOMPARE(checkDatabase(folder.dbPath()), text.arg(folder.dbPath()));
    }

    void aMissingFileIsReportedAndNotCreated() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/DataProg.mdb");
        const QString problem = checkDatabase(path);
        QVERIFY2(problem.contains(path), qPrintable(problem));
        QVERIFY(!problem.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QVERIFY(QDir().mkdir(path)); // anything else in its place is told for what it is
        QCOMPARE(checkDatabase(path), QStringLiteral("На месте файла базы данных %1 стоит папка.").arg(path));
        const QString notOpening = QStringLiteral("Файл базы данных %1 не открывается.").arg(path);
        QVERIFY(QDir().rmdir(path) && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        QCOMPARE(checkDatabase(path), notOpening);
        QVERIFY(QFile::remove(path) && QFile::link(dir.filePath("gone.mdb"), path));
        QCOMPARE(checkDatabase(path), notOpening);
    }

    // A full disk at start is told and leaves no -wal or -shm. Files that may not grow stand in for
    // it; they fail with their own errno, so the words for no room are checked on SQLite's for it.
    void aFullDiskAtStartIsToldAndLeavesNoSideFiles() {
        TestFolder folder;
        rlimit was{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &was) == 0 && std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR);
        const rlimit small{1024, was.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        const QString problem = checkDatabase(folder.dbPath());
        ::setrlimit(RLIMIT_FSIZE, &was);
        QVERIFY2(problem.contains(QStringLiteral("ошибка диска")), qPrintable(problem));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("DataProg.mdb")});
        QVERIFY(DbError::of(folder.dbPath(), 4874, ENOSPC).message().contains(QStringLiteral("нет места")));
    }

    void aSoundDatabaseIsLeftAsItWas() {
        TestFolder folder;
        alter(folder.dbPath(), QStringLiteral("SELECT 1"));
        QFile(folder.dbPath())
            .setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
        const Snapshot before = snapshot(folder.path());
        QCOMPARE(checkDatabase(folder.dbPath()), QString());
        QCOMPARE(snapshot(folder.path()), before);
    }

    // Another program holds the file locked: the message says so, not that the file is no
    // database.
    void aDatabaseLockedByAnotherProgramIsSaidToBeLocked() {
        TestFolder folder;
        auto other = Database::open(folder.dbPath());
        other->exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;"));
        Database::setDefaultBusyTimeoutForTests(50);
        const QString problem = checkDatabase(folder.dbPath());
        QVERIFY2(problem.contains(QStringLiteral("заблокированным другая программа")), qPrintable(problem));
        QVERIFY2(!problem.contains(QStringLiteral("как база данных")), qPrintable(problem));
        other.reset();
        Database::setDefaultBusyTimeoutForTests(-1);
        QCOMPARE(checkDatabase(folder.dbPath()), QString());
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
