// Launch-log integrity under load: this process starts a harmless program N times through the
// chooser's "Запуск" while a second process, with its own connection, deletes Fixing records in a
// loop as Settings' log viewer does. Afterwards every start must be either still in Fixing or among
// the records the deleter removed, none lost, none twice, and the file must pass its integrity
// check. Each start gets its own clock reading, so every record is told apart by its date and time.
// Usage: bench_launch_log [starts]        (the deleter runs as: bench_launch_log --delete DB STOPFILE)

#include "BenchSupport.h"
#include "Controls.h"
#include "Database.h"
#include "FrmStart.h"
#include "MessageBoxes.h"
#include "Platform.h"
#include "PrepareDatabase.h"
#include "Runtime.h"
#include "Schema.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <sqlite3.h>

namespace {

QString key(const QStringList& record) {
    return record.join(QLatin1Char('|'));
}

// The second process: deletes most of the Fixing records it sees until the stop file appears, and
// prints each record it deleted.
int runDeleter(const QString& path, const QString& stopFile) {
    auto db = Database::open(path);
    const QString table = QStringLiteral("Fixing");
    const QStringList fields = Tables::Fixing().fields;
    QTextStream out(stdout);
    int busy = 0;
    while (!QFile::exists(stopFile)) {
        try {
            for (qint64 id : db->rowids(table)) {
                const auto record = db->row(table, fields, id);
                // Some stay, as entries the administrator keeps.
                if (record && !record->value(2).endsWith(QLatin1Char('5')) && db->remove(table, id))
                    out << "deleted " << key(*record) << "\n";
            }
        } catch (const DbError& e) {
            if (!e.busy())
                throw;
            ++busy;
        }
    }
    out << "busy " << busy << "\n";
    return 0;
}

QString integrityCheck(const QString& path) {
    sqlite3* db = nullptr;
    QString result = QStringLiteral("cannot open");
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK) {
            QStringList lines;
            while (sqlite3_step(st) == SQLITE_ROW)
                lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            result = lines.join(QLatin1Char(';'));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && QByteArray(argv[1]) == "--delete") {
        QCoreApplication app(argc, argv);
        return runDeleter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QApplication app(argc, argv);
    const int starts = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    QTemporaryDir dir;
    const QString dbPath = benchDatabase(dir);
    Database::open(dbPath)->insert(
        QStringLiteral("Programs"), Tables::Programs().fields,
        {QStringLiteral("true"), QString(), QString(), QStringLiteral("/bin/true"), QString()});
    setProgramFolderForTests(dir.path());
    rt::setQuitHandler([] {});
    MessageBoxes::setScripted(true);

    // One clock reading per date and per time: the k-th start reads the (2k)-th and (2k+1)-th second.
    int readings = 0;
    const QDateTime base(QDate(2025, 1, 1), QTime(0, 0, 0));
    setClockForTests([&] { return base.addSecs(readings++); });

    const QString stopFile = dir.path() + QStringLiteral("/stop");
    QProcess deleter;
    deleter.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--delete"), dbPath, stopFile});
    if (!deleter.waitForStarted())
        return 2;

    FrmStart& w = rt::form<FrmStart>();
    rt::Show(w);
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < starts; ++i) {
        w.cmdOpen->click();
        if (i % 50 == 0)
            QCoreApplication::processEvents();
    }
    w.cmdBack->click();
    const qint64 elapsed = t.elapsed();
    const int made = readings / 2;

    QFile(stopFile).open(QIODevice::WriteOnly);
    deleter.waitForFinished(60000);
    QMap<QString, int> seen;
    int deleted = 0;
    QString deleterBusy;
    for (const QByteArray& line : deleter.readAllStandardOutput().split('\n')) {
        if (line.startsWith("deleted ")) {
            ++seen[QString::fromUtf8(line.mid(8))];
            ++deleted;
        } else if (line.startsWith("busy ")) {
            deleterBusy = QString::fromUtf8(line.mid(5));
        }
    }
    auto db = Database::open(dbPath);
    int kept = 0;
    for (qint64 id : db->rowids(QStringLiteral("Fixing"))) {
        ++seen[key(db->row(QStringLiteral("Fixing"), Tables::Fixing().fields, id).value())];
        ++kept;
    }
    db.reset();

    int lost = 0, twice = 0;
    for (int k = 0; k < made; ++k) {
        const QDateTime date = base.addSecs(2 * k), time = base.addSecs(2 * k + 1);
        const QString expected = key({QStringLiteral("true"), date.toString(QStringLiteral("MM-dd-yyyy")),
                                      time.toString(QStringLiteral("HH:mm:ss"))});
        const int n = seen.take(expected);
        lost += n == 0;
        twice += n > 1;
    }
    const QString integrity = integrityCheck(dbPath);
    QTextStream out(stdout);
    out << "launch log under load: " << starts << " clicks, " << made << " starts in " << elapsed << " ms; "
        << kept << " kept + " << deleted << " deleted by the other process; lost " << lost << ", duplicated "
        << twice << ", unknown " << seen.size() << "; messages " << MessageBoxes::asked().size()
        << "; deleter busy retries " << deleterBusy << "; integrity_check: " << integrity << "\n";
    rt::resetForTests();
    const bool ok = made == starts && lost == 0 && twice == 0 && seen.isEmpty() && integrity == "ok" &&
                    MessageBoxes::asked().isEmpty();
    out << (ok ? "OK" : "FAILED") << "\n";
    return ok ? 0 : 1;
}
