// Platform services without windows: starting programs without a shell, the date and time texts,
// the program folder and loading pictures.

#include "Controls.h"
#include "Platform.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QtTest>

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void bareNamesAreFoundInTheProgramFolderWithOrWithoutExe() {
        TestFolder folder;
        const QString marker = folder.path() + QStringLiteral("/ran");
        folder.markerScript(QStringLiteral("Helper"), marker);
        Shell(QStringLiteral("Helper.exe"), vbMinimizedFocus);
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
        QFile::remove(marker);
        Shell(QStringLiteral("Helper"), vbNormalFocus);
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
    }

    void startsFailForWhatCannotRun() {
        TestFolder folder;
        QFile plain(folder.path() + QStringLiteral("/notes.txt"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        for (const QString& command :
             {QString(), QStringLiteral("   "), QStringLiteral("NoSuchProgram.exe"),
              folder.path() + QStringLiteral("/missing"), plain.fileName(), folder.path()})
            QVERIFY_THROWS_EXCEPTION(RuntimeError, Shell(command, vbNormalFocus));
    }

    void commandTextNeverReachesAShell() {
        TestFolder folder;
        const QString marker = folder.path() + QStringLiteral("/ran");
        const QString injected = folder.path() + QStringLiteral("/injected");
        const QString script = folder.markerScript(QStringLiteral("prog"), marker);
        for (const QString& tail :
             {QStringLiteral("; touch %1"), QStringLiteral(" && touch %1"), QStringLiteral(" $(touch %1)"),
              QStringLiteral(" `touch %1`"), QStringLiteral("\"; touch %1; \"")}) {
            try {
                Shell(script + tail.arg(injected), vbNormalFocus);
            } catch (const RuntimeError&) {
            }
        }
        spin(300);
        QVERIFY(!QFile::exists(injected));
    }

    void pathWithBlanksStartsAsItIs() {
        TestFolder folder;
        QDir(folder.path()).mkpath(QStringLiteral("My Programs"));
        const QString marker = folder.path() + QStringLiteral("/ran");
        const QString script = folder.markerScript(QStringLiteral("My Programs/run me"), marker);
        Shell(script, vbNormalFocus);
        QVERIFY(waitUntil([&] { return QFile::exists(marker); }));
    }

    void dateAndTimeTextsIgnoreTheLocale() {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        setClockForTests([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)); });
        QCOMPARE(DateText(), QStringLiteral("12-07-2026"));
        QCOMPARE(TimeText(), QStringLiteral("09:05:03"));
        setClockForTests([] { return QDateTime(QDate(2027, 1, 31), QTime(21, 0, 0)); });
        QCOMPARE(TimeText(), QStringLiteral("21:00:00"));
        setClockForTests({});
        QLocale::setDefault(saved);
        QCOMPARE(DateText().size(), 10);
        QCOMPARE(TimeText().size(), 8);
    }

    void programFolderHasNoTrailingSeparator() {
        QVERIFY(!ProgramFolder().endsWith(QLatin1Char('/')));
        setProgramFolderForTests(QStringLiteral("/"));
        QCOMPARE(ProgramFolder(), QStringLiteral("/"));
        setProgramFolderForTests(QString());
    }

    void picturesLoadFailAndFollowTheFile() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/p.bmp");
        QVERIFY(LoadPicture(QString()).isNull());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, LoadPicture(path));
        QFile junk(path);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
        junk.close();
        QVERIFY_THROWS_EXCEPTION(RuntimeError, LoadPicture(path));

        QImage red(400, 400, QImage::Format_RGB888);
        red.fill(Qt::red);
        QVERIFY(red.save(path, "BMP"));
        const QImage first = LoadPicture(path);
        QCOMPARE(first.size(), QSize(400, 400));
        QCOMPARE(LoadPicture(path).cacheKey(), first.cacheKey()); // same bytes: nothing decoded again
        QImage blue(400, 400, QImage::Format_RGB888);
        blue.fill(Qt::blue);
        QVERIFY(blue.save(path, "BMP"));
        QCOMPARE(QColor(LoadPicture(path).pixel(10, 10)), QColor(Qt::blue));
    }

    void imageStretchesAnyPicture() {
        Image img(nullptr);
        img.resize(200, 200);
        QImage small(4, 2, QImage::Format_RGB888);
        small.fill(Qt::green);
        img.setPicture(small);
        const QImage shown = img.grab().toImage();
        QCOMPARE(QColor(shown.pixel(0, 0)), QColor(Qt::green));
        QCOMPARE(QColor(shown.pixel(199, 199)), QColor(Qt::green));
        img.setPicture(QImage());
        QVERIFY(img.picture().isNull());
    }
    // A picture path may name any file: one far larger than a picture can be is refused like an
    // unreadable one, without being read into memory; a file that shrinks back loads again.
    void hugeFileIsRefusedWithoutBeingRead() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/huge.bmp");
        QImage red(400, 400, QImage::Format_RGB888);
        red.fill(Qt::red);
        QVERIFY(red.save(path, "BMP"));
        const qint64 picture = QFileInfo(path).size();
        QFile file(path);
        QVERIFY(file.resize(qint64(64) * 1024 * 1024 + 1)); // sparse: a valid header, then zeros
        QVERIFY_THROWS_EXCEPTION(RuntimeError, LoadPicture(path));
        QVERIFY(file.resize(qint64(3) * 1024 * 1024 * 1024));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, LoadPicture(path));
        QVERIFY(file.resize(picture));
        QCOMPARE(QColor(LoadPicture(path).pixel(10, 10)), QColor(Qt::red));
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
