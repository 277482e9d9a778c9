// The preparation tool's library: the file it makes, what it refuses, and its demo data.

#include "Database.h"
#include "PrepareDatabase.h"
#include "Schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

QList<QStringList> records(const QString& path, const TableDef& table) {
    auto db = Database::open(path);
    const QString name = QString::fromLatin1(table.name);
    QList<QStringList> out;
    for (qint64 id : db->rowids(name))
        out << db->row(name, table.fields, id).value();
    return out;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

bool sideFilesLeft(const QString& path) {
    for (const char* suffix : {"-wal", "-shm", "-journal", ".tmp", ".tmp-wal", ".tmp-shm"})
        if (QFileInfo::exists(path + QLatin1String(suffix)))
            return true;
    return false;
}

} // namespace

class TestPrepare : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_path;

    QString inDir(const QString& name) const { return m_tmp->filePath(name); }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_path = inDir(QStringLiteral("DataProg.mdb"));
    }

    void freshDatabase() {
        PrepareOptions options;
        options.path = m_path;
        options.mainProgCode = QStringLiteral("2");
        options.settingsCode = QStringLiteral("0");
        options.passwordCode = QStringLiteral("1");
        options.progrPassword = QStringLiteral("abc");
        options.settingsPassword = QStringLiteral("Пароль12"); // 8 characters, 15 bytes
        options.lookPassword = QString();
        prepareDatabase(options);

        QCOMPARE(checkDatabase(m_path), QString());
        QVERIFY(!sideFilesLeft(m_path));
        QVERIFY(!QFileInfo::exists(inDir(QStringLiteral("demo"))));
        // Write-ahead logging lives in the file header (bytes 18 and 19 are 2), so both programs get it.
        const QByteArray header = readAll(m_path).left(20);
        QCOMPARE(int(header.at(18)), 2);
        QCOMPARE(int(header.at(19)), 2);

        auto db = Database::open(m_path);
        QStringList tables = db->tables();
        tables.sort();
        QCOMPARE(tables, QStringList({"Access", "Fixing", "Passwords", "Programs", "Types"}));
        db.reset();
        QCOMPARE(records(m_path, Tables::Access()), QList<QStringList>({{"2", "0", "1"}}));
        QCOMPARE(records(m_path, Tables::Passwords()),
                 QList<QStringList>({{"abc", QStringLiteral("Пароль12"), QString()}}));
        QVERIFY(records(m_path, Tables::Programs()).isEmpty());
        QVERIFY(records(m_path, Tables::Types()).isEmpty());
        QVERIFY(records(m_path, Tables::Fixing()).isEmpty());
    }

    void existingFileKeptWithoutForce() {
        writeFile(m_path, "not ours");
        PrepareOptions options;
        options.path = m_path;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, prepareDatabase(options));
        QCOMPARE(readAll(m_path), QByteArray("not ours"));
        QVERIFY(!sideFilesLeft(m_path));
    }

    void forceReplacesFileAndStaleLog() {
        PrepareOptions options;
        options.path = m_path;
        options.progrPassword = QStringLiteral("first");
        prepareDatabase(options);
        {
            // A program's idle connection keeps the file, which it would go on writing deleted.
            auto held = Database::open(m_path);
            QVERIFY(held->tables().contains(QStringLiteral("Access")));
            const QByteArray before = readAll(m_path);
            QProcess tool; // another process: a process sees no locks of its own
            tool.start(qEnvironmentVariable("ORVANTO_BIN_DIR") + "/prepare-dataprog", {m_path, "--force"});
            QVERIFY(tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit);
            const QString said = QString::fromUtf8(tool.readAllStandardError());
            QVERIFY2(tool.exitCode() != 0 && said.contains(m_path + QStringLiteral(" открыта")),
                     qPrintable(said));
            options.force = true; // and this very one
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, prepareDatabase(options));
            QCOMPARE(readAll(m_path), before);
        }
        writeFile(m_path + QStringLiteral("-wal"), QByteArray(4096, 'x'));
        writeFile(m_path + QStringLiteral("-shm"), QByteArray(4096, 'x'));

        options.force = true;
        options.progrPassword = QStringLiteral("second");
        prepareDatabase(options);
        QVERIFY(!sideFilesLeft(m_path));
        QCOMPARE(checkDatabase(m_path), QString());
        const auto passwords = records(m_path, Tables::Passwords());
        QCOMPARE(passwords.size(), 1);
        QCOMPARE(passwords[0][0], QStringLiteral("second"));
    }

    void refusedOptionsLeaveNoFile_data() {
        QTest::addColumn<QString>("field");
        QTest::newRow("Progr") << "Progr";
        QTest::newRow("Settings") << "Settings";
        QTest::newRow("Look") << "Look";
    }

    void refusedOptionsLeaveNoFile() {
        QFETCH(QString, field);
        PrepareOptions options;
        options.path = m_path;
        const QString nine = QStringLiteral("123456789");
        if (field == QLatin1String("Progr"))
            options.progrPassword = nine;
        else if (field == QLatin1String("Settings"))
            options.settingsPassword = nine;
        else
            options.lookPassword = nine;
        try {
            prepareDatabase(options);
            QFAIL("a 9-character password was accepted");
        } catch (const std::runtime_error& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(field), e.what());
        }
        QVERIFY(!QFileInfo::exists(m_path));
        QVERIFY(!sideFilesLeft(m_path));
    }

    void missingFolderAndFailedDemoLeaveNoFile() {
        PrepareOptions options;
        options.path = inDir(QStringLiteral("no such folder/DataProg.mdb"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, prepareDatabase(options));
        QVERIFY(!QFileInfo::exists(inDir(QStringLiteral("no such folder"))));

        // A file where the demo folder should go makes the demo fail after the work has begun.
        writeFile(inDir(QStringLiteral("demo")), "in the way");
        options.path = m_path;
        options.demo = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, prepareDatabase(options));
        QVERIFY(!QFileInfo::exists(m_path));
        QVERIFY(!sideFilesLeft(m_path));
        QCOMPARE(readAll(inDir(QStringLiteral("demo"))), QByteArray("in the way"));
    }

    // Whatever this machine has installed: every listed program can start here, every listed
    // category has one, and the pictures and launch records fit them.
    void demoData_data() {
        QTest::addColumn<bool>("withSettings");
        QTest::newRow("programs folder with Settings") << true;
        QTest::newRow("no programs folder") << false;
    }
    void demoData() {
        QFETCH(bool, withSettings);
        PrepareOptions options;
        options.path = m_path;
        options.demo = true;
        QString settings;
        if (withSettings) {
            const QString folder = inDir(QStringLiteral("bin"));
            QVERIFY(QDir().mkpath(folder));
            settings = folder + QStringLiteral("/Settings");
            writeFile(settings, "#!/bin/sh\n");
            QVERIFY(QFile::setPermissions(settings, QFile::permissions(settings) | QFile::ExeOwner));
            options.programFolder = folder;
        }
        const PrepareReport report = prepareDatabaseWithReport(options);
        QCOMPARE(checkDatabase(m_path), QString());
        QCOMPARE(report.demoFolder, inDir(QStringLiteral("demo")));
        QVERIFY(!sideFilesLeft(m_path));

        const auto types = records(m_path, Tables::Types());
        QVERIFY(types.size() <= 5);
        QCOMPARE(report.categories, int(types.size()));
        QStringList typeNames;
        for (const QStringList& t : types) {
            typeNames << t[0];
            QVERIFY2(QFileInfo(t[1]).isAbsolute(), qPrintable(t[1]));
            QImageReader reader(t[1]);
            QCOMPARE(reader.format(), QByteArray("bmp"));
            const QImage picture = reader.read();
            QVERIFY2(!picture.isNull(), qPrintable(t[1]));
            QCOMPARE(picture.size(), QSize(400, 400));
            QCOMPARE(qFromLittleEndian<quint16>(readAll(t[1]).constData() + 28),
                     quint16(24)); // bits per pixel
        }
        QCOMPARE(QSet<QString>(typeNames.begin(), typeNames.end()).size(), typeNames.size());

        const auto programs = records(m_path, Tables::Programs());
        QCOMPARE(report.programs, int(programs.size()));
        QStringList programNames, paths;
        QSet<QString> usedTypes;
        for (const QStringList& p : programs) {
            programNames << p[0];
            paths << p[3];
            QVERIFY(!p[0].isEmpty() && !p[1].isEmpty());
            QVERIFY2(typeNames.contains(p[2]), qPrintable(p[2]));
            usedTypes << p[2];
            const QFileInfo program(p[3]);
            QVERIFY2(program.isAbsolute() && program.isFile() && program.isExecutable(), qPrintable(p[3]));
            const QImage icon(p[4]);
            QVERIFY2(!icon.isNull(), qPrintable(p[4]));
            QCOMPARE(icon.size(), QSize(48, 48));
        }
        QCOMPARE(usedTypes.size(), typeNames.size());
        QCOMPARE(paths.contains(settings), withSettings);
        if (withSettings)
            QCOMPARE(programs[paths.indexOf(settings)][2], QStringLiteral("Утилиты"));

        const auto launches = records(m_path, Tables::Fixing());
        QCOMPARE(launches.size(), std::min<qsizetype>(3, programs.size()));
        QCOMPARE(report.launches, int(launches.size()));
        const QRegularExpression time(QStringLiteral("^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$"));
        for (const QStringList& f : launches) {
            QVERIFY(programNames.contains(f[0]));
            QVERIFY2(QDate::fromString(f[1], QStringLiteral("MM-dd-yyyy")).isValid(), qPrintable(f[1]));
            QCOMPARE(f[1].size(), 10);
            QVERIFY2(time.match(f[2]).hasMatch(), qPrintable(f[2]));
        }
    }
};

QTEST_MAIN(TestPrepare)
#include "test_prepare.moc"
