// Opening a data source on a Programs table of 100 000 records and stepping through all of it.
// Usage: bench_recordset [records]

#include "BenchSupport.h"
#include "Database.h"
#include "PrepareDatabase.h"
#include "Recordset.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <sys/resource.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString dbPath = benchDatabase(dir);
    {
        auto db = Database::open(dbPath);
        QString sql = QStringLiteral("BEGIN;");
        db->exec(sql);
        const QStringList fields = Tables::Programs().fields;
        for (int i = 0; i < records; ++i)
            db->exec(QStringLiteral("INSERT INTO Programs (Name, Company, Type, Directory, IconDir) VALUES "
                                    "('Program %1','Maker','Type %2','/usr/bin/true','')")
                         .arg(i)
                         .arg(i % 7));
        db->exec(QStringLiteral("COMMIT;"));
    }
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer t;
    t.start();
    auto db = Database::open(dbPath);
    Recordset rs(db, QStringLiteral("Programs"), Tables::Programs().fields, true);
    const qint64 openMs = t.elapsed();
    int seen = 0;
    while (rs.hasCurrent()) {
        if (!rs.value(QStringLiteral("Name")).isEmpty())
            ++seen;
        rs.MoveNext();
    }
    const qint64 totalMs = t.elapsed();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    QTextStream(stdout) << records << " Programs records: open " << openMs
                        << " ms, open and step through all " << totalMs << " ms ("
                        << (totalMs * 1000.0 / std::max(1, seen)) << " us a record), " << seen
                        << " seen; peak RSS " << after.ru_maxrss / 1024 << " MiB\n";
    return seen == records ? 0 : 1;
}
